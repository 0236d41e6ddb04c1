// Sends an upload file to the module: the file checked whole, connection,
// the optional rate switch and power-on rate, the file write by write, the
// end of the stream watched for a late error reply, and on request the
// programmed range read back.
#include "device.h"
#include "wire.h"
#include "../basis/basis.h"
#include "../serial/seriowin.h"

#include <cstring>

// Reads the whole file into eepdatei and checks it; 0 when it is missing,
// too large or no complete upload file. The model it names is selected; a
// file that names no model is damaged, and no module is right for it.
static int dateiladen(zelctx &c)
{
    FILE *fp = fopen(c.outfile, "rb");
    if (!fp) {
        geraetfehler(c, "\n Cannot open file %s !", c.outfile);
        return 0;
    }
    c.eepdateilen = (long)fread(c.eepdatei, 1, sizeof c.eepdatei, fp);
    int mehr = fgetc(fp) != EOF;
    fclose(fp);
    if (mehr || !eeppruefen(c.eepdatei, c.eepdateilen, c.eepin) || c.eepin.zelnr < 0) {
        geraetfehler(c, "\n %s is not a valid EEPROM-File for a ZEL !", c.outfile);
        return 0;
    }
    c.zelnr = c.eepin.zelnr;
    return 1;
}

static void neuebaud(zelctx &c)
{
    fprintf(c.con, "\nprogram file <%s> with %ld baud", c.outfile, c.newbaud);
    baudwechsel(c, c.newbaud);
}

// The rate models 0 and 1 start with, kept in EEPROM address 1; 0 when it
// did not read back.
static int softbaudschreiben(zelctx &c)
{
    fprintf(c.con, "\nprogram baudrate %ld: ", (long)zelbaud[c.softbaud]);
    eepschreiben(c, 1, c.softbaud);
    wartehs(2);
    int ok = eeplesen(c, 1) == c.softbaud;
    fprintf(c.con, "%s", ok ? "Ok !" : "error !");
    return ok;
}

static int fehlerantwort(zelctx &c, long pos)
{
    geraetfehler(c, "\nError: Cannot program EEPROM at filepos %ld !", pos);
    return 0;
}

// Streams the whole file, polling for the module's error reply after
// every write: after every byte, or after every block where the port
// writes blocks. Returns 1 when all of it went out without one.
static int strom(zelctx &c)
{
    fflush(c.con);
    fsstart(c, "upload", c.eepdateilen);
    long pos = 0;
    int ok = 1;
    while (ok && pos < c.eepdateilen) {
        long rest = c.eepdateilen - pos;
        int n = COMsenden(c.eepdatei + pos, rest > 0x7FFF ? 0x7FFF : (int)rest);
        if (n <= 0) {
            fsende(c, pos);
            geraetfehler(c, "\nError: Timeout (CTS) !");
            return 0;
        }
        pos += n;
        if (COMread(0) == EEPFEHLER)
            ok = 0;
        fsstand(c, pos);
    }
    fsende(c, pos);
    return ok ? 1 : fehlerantwort(c, pos);
}

// Bytes of the file's last block, its command and the trailer included.
static long letzterblock(const zelctx &c)
{
    long pos = EEPKOPF, n = 0;
    while (pos < c.eepdateilen - SCHLUSSLEN) {
        const unsigned char *b = c.eepdatei + pos;
        n = BLOCKKOPF + (b[9] | b[10] << 8);
        pos += n;
    }
    return n + SCHLUSSLEN;
}

// After the last byte the port's queue drains, no byte of it standing
// still for longer than the CTS time-out. The module may then still have
// the last block to take in and program, so it gets the wire time of that
// block and the trailer, plus the 2 ticks the handshake allows for
// programming and the 5 it allows for a reply, to send its error byte.
// Each look at the input lasts one tick at most.
static int streamende(zelctx &c)
{
    int still = 0, rest;
    long vorher = -1;
    while ((rest = COMoutq()) > 0) {
        if (COMread(1) == EEPFEHLER)
            return fehlerantwort(c, c.eepdateilen);
        still = rest == vorher ? still + 1 : 0;
        vorher = rest;
        if (still > _comtohs) {
            geraetfehler(c, "\nError: Timeout (CTS) !");
            return 0;
        }
    }
    for (int fenster = 2 + 5 + drahtzeit(c, letzterblock(c)); fenster > 0; fenster--)
        if (COMread(1) == EEPFEHLER)
            return fehlerantwort(c, c.eepdateilen);
    return 1;
}

// Reads the range the blocks wrote back and compares it with the file.
static int pruefen(zelctx &c)
{
    const eepinhalt &e = c.eepin;
    unsigned char b[EEPSIZE];
    long n = e.groesse - ERSTEADR;
    int grund = LESEOK;
    fsstart(c, "verify", n);
    long da = n > 0 ? eeplies(c, ERSTEADR, n, b, e.speicher + ERSTEADR, &grund) : 0;
    fsende(c, da);
    long adr = ERSTEADR + da;
    if (grund == LESEANDERS) {
        geraetfehler(c, "\nError: verify failed at address %ld (wrote 0x%02X, read 0x%02X) !", adr,
                e.speicher[adr], b[da]);
        return 0;
    }
    if (grund == LESESTUMM) {
        geraetfehler(c, "\nError: verify failed at address %ld (no reply) !", adr);
        return 0;
    }
    fprintf(c.con, "\nVerified: %ld bytes", e.datenbytes);
    return 1;
}

// Everything after the module was found; the caller closes the port. 1 when all
// that was asked for succeeded.
static int verbunden(zelctx &c)
{
    long groesse = c.eepin.groesse;
    if (groesse > c.eepadrmax + 1L) {
        geraetfehler(c, "\nnot enough EEPROM Memory !  (%ld bytes are needed)", groesse);
        return 0;
    }
    if (baudindex(c.newbaud) >= 0)
        neuebaud(c);
    else
        fprintf(c.con, "\nprogram file <%s> with %ld baud", c.outfile, (long)zelbaud[c.orgbaud]);
    if (writeprotect(c)) {
        geraetfehler(c, "\nError: Zel is write protected !");
        return 0;
    }
    int ok = 1;
    if (c.softbaud >= 0 && c.softbaud < ZELBAUDS && c.zelnr <= 1)
        ok = softbaudschreiben(c);
    if (!strom(c) || !streamende(c) || (c.verify && !pruefen(c)))
        return 0;
    fprintf(c.con, "\nReady: Zel is programed,  %ld bytes used, %ld bytes free", groesse,
            c.eepadrmax - groesse + 1);
    return ok;
}

int uploadeep(zelctx &c)
{
    if (!dateiladen(c))
        return 0;
    if (!zelverbinden(c))
        return 0;
    int ok = verbunden(c);
    zeltrennen(c);
    return ok;
}
