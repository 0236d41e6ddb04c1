// Finding the module on the line: its rate and model, the size of its
// EEPROM and whether that can be written.
#include "device.h"
#include "wire.h"
#include "../serial/seriowin.h"
#include "../basis/basis.h"

#include <cstdarg>
#include <cstring>

void leitungleeren(void)
{
    while (COMread(0) != -1)
        ;
}

void geraetfehler(zelctx &c, const char *fmt, ...)
{
    char text[NAMELEN + 3 * ERRLEN];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(text, sizeof text, fmt, ap);
    va_end(ap);
    fputs(text, c.con);
    const char *t = text;
    while (*t == '\n')
        t++;
    if (strncmp(t, "Error: ", 7) == 0)
        t += 7;
    diagnose(c, "error", t);
}

// The port as the console names it: COMn, or the device given with -P.
static void portname(const zelctx &c, char *buf, size_t n)
{
    if (c.geraet[0])
        snprintf(buf, n, "%s", c.geraet);
    else
        snprintf(buf, n, "COM%d", c.com);
}

int zelverbinden(zelctx &c)
{
    char port[NAMELEN + 8];
    portname(c, port, sizeof port);
    COMgeraet(c.geraet);
    if (!COMopen(c.com, 9600)) {
        if (c.geraet[0])
            geraetfehler(c, "\nError: cannot open %s !", port);
        else
            geraetfehler(c, "\nError: cannot open COM%d: !", c.com);
        if (*COMgrund())
            fprintf(c.con, "\n%s", COMgrund());
        return 0;
    }
    c.aktbaud = 9600;
    c.offen = 0;
    fprintf(c.con, "\nconnecting %s on %s: ", zel[c.zelnr].name, port);
    fflush(c.con);
    c.orgbaud = checkzel(c);
    if (c.orgbaud >= 0)
        return 1;
    fprintf(c.con, " not found !");
    char text[NAMELEN + 3 * ERRLEN];
    snprintf(text, sizeof text, "%s not found on %s !", zel[c.zelnr].name, port);
    diagnose(c, "error", text);
    zeltrennen(c);
    return 0;
}

void zeltrennen(zelctx &c)
{
    COMclose();
    c.aktbaud = 0;
    c.offen = 0;
    fflush(c.con);
}

// Sends the first n bytes of str; they count as unread by the module until
// it answers or a wait for it runs out.
int strsenden(zelctx &c, int n)
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
int antwortbyte(zelctx &c, int t)
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

// The module changes over after the baud command; it gets 2 ticks before
// the port follows.
void baudwechsel(zelctx &c, long rate)
{
    c.str[0] = ESC;
    c.str[1] = BAUDBEF;
    c.str[2] = (char)baudindex(rate);
    strsenden(c, 3);
    wartehs(2);
    baudrate(c, rate);
}

// The EEPROM access command for len bytes at adr, built in str.
static int eepstr(zelctx &c, int adr, int len, int op)
{
    return eepbefehl((unsigned char *)c.str, adr, len, op);
}

// One byte of EEPROM, or -1 when the module does not answer.
int eeplesen(zelctx &c, int adr)
{
    strsenden(c, eepstr(c, adr, 1, LESEOP));
    return antwortbyte(c, 5);
}

void eepschreiben(zelctx &c, int adr, int wert)
{
    int n = eepstr(c, adr, 1, SCHREIBOP);
    c.str[n] = (char)wert;
    strsenden(c, n + 1);
}

// Sends the identify command at the current rate and reads the three
// bytes of the reply into r. Returns 1 for a full reply, 0 for none and
// -1 when the command could not be sent.
static int identify(zelctx &c, int r[3])
{
    c.str[0] = ESC;
    c.str[1] = IDENTBEF;
    if (!strsenden(c, 2))
        return -1;
    r[0] = antwortbyte(c, 5);
    if (r[0] < 0)
        return 0;
    r[1] = antwortbyte(c, 2);
    if (r[1] < 0)
        return 0;
    r[2] = antwortbyte(c, 2);
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
    leitungleeren();
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
    leitungleeren();
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
    leitungleeren();
    int b = eeplesen(c, 0);
    if (b < 0)
        return 1;
    int k = b ^ 0xFF;
    eepschreiben(c, 0, k);
    wartehs(2);
    return eeplesen(c, 0) == k ? 0 : 1;
}
