// Finding the module on the line: its rate and model, the size of its
// EEPROM and whether that can be written.
#include "device.h"
#include "../serial/seriowin.h"

enum { ESC = 0x1B };

static void leeren(void)
{
    while (COMread(0) != -1)
        ;
}

// Sends the first n bytes of str; they count as unread by the module until
// it answers or a wait for it runs out.
int senden(zelctx &c, int n)
{
    c.offen += n;
    return COMwrblk((const unsigned char *)c.str, n);
}

int drahtzeit(const zelctx &c, long n)
{
    return c.aktbaud > 0 ? (int)((n * 1000 + c.aktbaud - 1) / c.aktbaud) : 0;
}

// One reply byte. The module gets t ticks, plus the time the wire takes
// for what it has not read yet and for the byte itself, so that a slow
// rate never looks like silence.
int antwort(zelctx &c, int t)
{
    int b = COMread(t + drahtzeit(c, c.offen + 1));
    c.offen = 0;
    return b;
}

void baudrate(zelctx &c, long rate)
{
    COMbaudrate(rate);
    c.aktbaud = rate;
    c.offen = 0;
}

// The EEPROM access command for len bytes at adr; op is 'R' or 'W'.
// Returns its length without data bytes.
static int eepbefehl(zelctx &c, int adr, int len, int op)
{
    const char b[8] = {ESC, '&', 'E', (char)(adr & 0xFF), (char)(adr >> 8 & 0xFF),
                       (char)(len & 0xFF), (char)(len >> 8 & 0xFF), (char)op};
    for (int i = 0; i < 8; i++)
        c.str[i] = b[i];
    return 8;
}

// One byte of EEPROM, or -1 when the module does not answer.
int eeplesen(zelctx &c, int adr)
{
    senden(c, eepbefehl(c, adr, 1, 'R'));
    return antwort(c, 5);
}

// The bytes of one read command that arrived, 0..n.
int eepblockn(zelctx &c, int adr, int n, unsigned char *out)
{
    if (n < 1 || n > 64 || adr < 0 || adr % 64 + n > 64 || adr + n > EEPSIZE)
        return 0;
    if (!senden(c, eepbefehl(c, adr, n, 'R')))
        return 0;
    for (int i = 0; i < n; i++) {
        int b = antwort(c, i ? 2 : 5);
        if (b < 0)
            return i;
        out[i] = (unsigned char)b;
    }
    return n;
}

int eepblock(zelctx &c, int adr, int n, unsigned char *out)
{
    return eepblockn(c, adr, n, out) == n;
}

void eepschreiben(zelctx &c, int adr, int wert)
{
    int n = eepbefehl(c, adr, 1, 'W');
    c.str[n] = (char)wert;
    senden(c, n + 1);
}

// Sends the identify command at the current rate and reads the three
// bytes of the reply into r. Returns 1 for a full reply, 0 for none and
// -1 when the command could not be sent.
static int identify(zelctx &c, int r[3])
{
    c.str[0] = ESC;
    c.str[1] = '?';
    if (!senden(c, 2))
        return -1;
    r[0] = antwort(c, 5);
    if (r[0] < 0)
        return 0;
    r[1] = antwort(c, 2);
    if (r[1] < 0)
        return 0;
    r[2] = antwort(c, 2);
    return r[2] >= 0;
}

static int passt(const zelmodel &m, const int r[3])
{
    return r[0] == m.xdots && r[1] == m.ydots && r[2] == m.orient;
}

int checkzel(zelctx &c)
{
    int r[3] = {-1, -1, -1};
    int i;
    leeren();
    for (i = ZELBAUDS - 1; i >= 0; i--) {
        baudrate(c, zelbaud[i]);
        int ok = identify(c, r);
        if (ok < 0)
            return -1;
        if (ok)
            break;
        fprintf(c.con, ".");
        fflush(c.con);
    }
    if (i < 0)
        return -1;
    if (passt(zel[c.zelnr], r)) {
        checkEEPROM(c);
        fprintf(c.con, "%dx%d dots, %ldkB EEPROM, %ld baud", r[0], r[1],
                (long)(c.eepadrmax + 1) / 1024, (long)zelbaud[i]);
        return i;
    }
    for (int j = 0; j < ZELMODELS; j++)
        if (passt(zel[j], r))
            fprintf(c.con, " (wrong ZEL ! UZ %s)  ", zel[j].name);
    return -1;
}

// Reads one byte at the start of each 16 KB; the first silent address
// ends the EEPROM.
int checkEEPROM(zelctx &c)
{
    int b = -1;
    int s;
    leeren();
    for (s = 0x00; s < 0x100; s += 0x40) {
        b = eeplesen(c, s * 256);
        if (b < 0)
            break;
    }
    c.eepadrmax = s * 256 - 1;
    return b;
}

// Complements the write-protect cell and reads it back. The former value
// is not restored.
int writeprotect(zelctx &c)
{
    leeren();
    int b = eeplesen(c, 0);
    if (b < 0)
        return 1;
    int k = b ^ 0xFF;
    eepschreiben(c, 0, k);
    wartehs(2);
    return eeplesen(c, 0) == k ? 0 : 1;
}
