// Reading a range of EEPROM back, for a verify and for a backup: read
// commands of up to 64 bytes, several of them in flight, since the module
// takes commands back to back under the CTS handshake. Enough of them stay
// in flight that the reply stream never stops: a USB serial adapter holds
// the bytes of a packet that is not full until its latency timer runs out,
// and a stream that stops pays that timer for every command. A block
// whose reply goes missing or differs is read again on its own, with
// nothing else in flight, before either is reported.
#include "device.h"
#include "wire.h"
#include "../serial/seriowin.h"

enum {
    LESEBLOCK = 64,            // bytes one read command asks for at most
    FENSTERMIN = 3,            // read commands in flight at least
    FENSTERMAX = 16,           // ... and at most
    FENSTERZEIT = 5,           // ticks of reply the commands in flight cover at least
    PAKETBYTES = 62,           // data bytes of a USB packet of the common adapters
    NOCHMAL = 3,               // times a block is read on its own before it counts as failed
};

// The bytes of the block at adr: up to the next 64-byte boundary or ende.
static int blocklaenge(long adr, long ende)
{
    long n = LESEBLOCK - adr % LESEBLOCK;
    return (int)(n < ende - adr ? n : ende - adr);
}

// Read commands in flight: their replies cover FENSTERZEIT ticks of the
// wire and two adapter packets, so the next command is at the module long
// before it has sent what it was asked for.
static int fenster(const zelctx &c)
{
    long bytes = c.aktbaud / 1000 * FENSTERZEIT;
    if (bytes < 2 * PAKETBYTES)
        bytes = 2 * PAKETBYTES;
    long n = (bytes + LESEBLOCK - 1) / LESEBLOCK + 1;
    if (n < FENSTERMIN)
        n = FENSTERMIN;
    if (n > FENSTERMAX)
        n = FENSTERMAX;
    return (int)n;
}

// Ticks to wait for the next reply byte in the stream: the module's 5, an
// adapter's timer, and the wire time of a packet and a command, so that a
// slow rate never looks like silence.
static int streamwarte(const zelctx &c)
{
    return 5 + ADAPTERHS + drahtzeit(c, PAKETBYTES + EEPBEFLEN);
}

// After a stall the replies of the commands still in flight are let run
// out, so that the next reply read is the next one asked for.
static void auslaufen(const zelctx &c)
{
    while (COMread(streamwarte(c)) != -1)
        ;
}

static int lesebefehl(long adr, int n)
{
    unsigned char b[EEPBEFLEN];
    eepbefehl(b, adr, n, LESEOP);
    return COMwrblk(b, EEPBEFLEN);
}

// One block on its own; the bytes that came, 0..n.
static int einzeln(zelctx &c, long adr, int n, unsigned char *out)
{
    if (!lesebefehl(adr, n))
        return 0;
    for (int i = 0; i < n; i++) {
        int t = i ? ADAPTERHS + 2 : ADAPTERHS + 5 + drahtzeit(c, EEPBEFLEN + PAKETBYTES);
        int b = COMread(t + drahtzeit(c, 1));
        if (b < 0)
            return i;
        out[i] = (unsigned char)b;
    }
    return n;
}

// The block at adr read again on its own after a stall or a difference,
// up to NOCHMAL times: the line first runs quiet, so that no reply of a
// command still in flight is taken for this one, and must stay quiet after
// it, or the reply was not this block's alone. LESEOK when it came whole
// and, with soll, equals it; *gut: the bytes that came (and equal soll).
static int nochmal(zelctx &c, long adr, int n, unsigned char *out, const unsigned char *soll,
                   long *gut)
{
    int grund = LESESTUMM;
    *gut = 0;
    for (int versuch = 0; versuch < NOCHMAL; versuch++) {
        auslaufen(c);
        int da = einzeln(c, adr, n, out);
        if (da == n && COMread(streamwarte(c)) != -1)
            continue;
        int i = 0;
        while (i < da && (!soll || out[i] == soll[i]))
            i++;
        grund = i < da ? LESEANDERS : da < n ? LESESTUMM : LESEOK;
        if (grund == LESEOK || i > *gut)
            *gut = i;
        if (grund == LESEOK)
            break;
    }
    return grund;
}

long eeplies(zelctx &c, long adr, long n, unsigned char *out, const unsigned char *soll,
             int *grund)
{
    long ende = adr + n;
    long gesendet = adr;       // the next block to ask for
    long pos = adr;            // the next byte expected
    int offen = 0;             // commands asked for and not yet answered whole
    int w = fenster(c);
    *grund = LESEOK;
    if (adr < 0 || n <= 0 || ende > EEPSIZE)
        return 0;
    leitungleeren();
    c.offen = 0;
    while (pos < ende) {
        while (gesendet < ende && offen < w) {
            int k = blocklaenge(gesendet, ende);
            if (!lesebefehl(gesendet, k))
                break;
            gesendet += k;
            offen++;
        }
        int b = offen > 0 ? COMread(streamwarte(c)) : -1;
        long blk = pos - pos % LESEBLOCK;
        if (blk < adr)
            blk = adr;
        int k = blocklaenge(blk, ende);
        if (b >= 0 && (!soll || b == soll[pos - adr])) {
            out[pos - adr] = (unsigned char)b;
            if (++pos == blk + k) {
                offen--;
                fsstand(c, pos - adr);
            }
            continue;
        }
        // a stall or a difference: the block alone, then the stream again
        // bytes the stream delivered before a stall came in order and count
        long gut, vorher = pos - blk;
        *grund = nochmal(c, blk, k, out + (blk - adr), soll ? soll + (blk - adr) : nullptr, &gut);
        if (*grund == LESESTUMM && gut < vorher)
            gut = vorher;
        if (*grund != LESEOK)
            return blk - adr + gut;
        pos = gesendet = blk + k;
        offen = 0;
        fsstand(c, pos - adr);
    }
    return n;
}
