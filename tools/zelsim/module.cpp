// The module's command parser: the host's wire commands, the EEPROM access
// and the display commands an upload file carries.
#include "zelsim.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

enum { ESC = 0x1B };

void simlog(const zelsim &s, const char *fmt, ...)
{
    if (!s.verbose)
        return;
    va_list ap;
    va_start(ap, fmt);
    fputs("zelsim: ", stderr);
    vfprintf(stderr, fmt, ap);
    fputc('\n', stderr);
    va_end(ap);
}

static void textaus(zelsim &s)
{
    if (s.textlen > 0)
        simlog(s, "text \"%.*s\"", s.textlen, s.text);
    s.textlen = 0;
}

void simreset(zelsim &s)
{
    s.cmdlen = 0;
    s.wrrest = 0;
    textaus(s);
}

// Length of the command in cmd[0..n), ESC first: its full length once that
// is known, 0 while more bytes are needed to tell, -1 for a command that
// is none of the module's wire or upload commands.
static int befehllaenge(const unsigned char *c, int n)
{
    if (n < 2)
        return 0;
    switch (c[1]) {
    case '?':
        return 2;
    case '+':
    case 'X':
        return 3;
    case 'O':
        return 4;
    case 'Q':
        return n < 3 ? 0 : c[2] == 'C' ? 4 : -1;
    case 'R':
        return n < 3 ? 0 : c[2] == 'O' ? 8 : -1;
    case 'B':
        return n < 3 ? 0 : c[2] == 'R' ? 11 : 4;
    case '&':
        return n < 3 ? 0 : c[2] == 'E' ? 8 : -1;
    }
    return -1;
}

static void anzeige(zelsim &s)
{
    if (!s.verbose)
        return;
    // the letters as letters, the parameters as numbers
    int buchstaben = strchr("QR&", s.cmd[1]) || (s.cmd[1] == 'B' && s.cmd[2] == 'R') ? 2 : 1;
    char zeile[CMDMAX * 4 + 16];
    size_t n = snprintf(zeile, sizeof zeile, "ESC %c", s.cmd[1]);
    if (buchstaben == 2)
        n += snprintf(zeile + n, sizeof zeile - n, " %c", s.cmd[2]);
    for (int i = 1 + buchstaben; i < s.cmdlen && n < sizeof zeile; i++)
        n += snprintf(zeile + n, sizeof zeile - n, " %d", s.cmd[i]);
    simlog(s, "display %s", zeile);
}

static void eepzugriff(zelsim &s)
{
    long adr = s.cmd[3] | s.cmd[4] << 8;
    long len = s.cmd[5] | s.cmd[6] << 8;
    switch (s.cmd[7]) {
    case 'R':
        simlog(s, "EEPROM read %ld at %ld", len, adr);
        // nothing answers at or above the end of the EEPROM
        if (adr < s.eepsize)
            antwort(s, s.eep + adr, len < s.eepsize - adr ? len : s.eepsize - adr);
        break;
    case 'W':
        simlog(s, "EEPROM write %ld at %ld", len, adr);
        s.wradr = adr;
        s.wrrest = len;
        break;
    case 'J':
        simlog(s, "end of upload");
        s.fertig = 1;
        break;
    default:
        simlog(s, "EEPROM access '%c' unknown", s.cmd[7]);
    }
}

static void ausfuehren(zelsim &s)
{
    switch (s.cmd[1]) {
    case '?': {
        const zelmodel &m = zel[s.model];
        unsigned char r[3] = {(unsigned char)m.xdots, (unsigned char)m.ydots,
                              (unsigned char)m.orient};
        simlog(s, "identify");
        antwort(s, r, 3);
        break;
    }
    case '+':
        // the new rate holds from the next byte on
        if (s.cmd[2] < ZELBAUDS) {
            s.baud = s.cmd[2];
            simlog(s, "rate %d bit/s", zelbaud[s.baud]);
        } else {
            simlog(s, "rate index %d unknown", s.cmd[2]);
        }
        break;
    case '&':
        eepzugriff(s);
        break;
    default:
        anzeige(s);
    }
}

static void eepbyte(zelsim &s, int b)
{
    if (s.wradr == s.erradr) {
        static const unsigned char fehler = 'E';
        simlog(s, "cannot program address %ld", s.wradr);
        antwort(s, &fehler, 1);
    } else if (!s.wp && s.wradr < s.eepsize) {
        s.eep[s.wradr] = (unsigned char)(s.wradr == s.badadr ? ~b : b);
    }
    s.wradr++;
    s.wrrest--;
}

static void textbyte(zelsim &s, int b)
{
    if (!s.verbose)
        return;
    if (b == 0x0C) {
        textaus(s);
        simlog(s, "clear display");
    } else if (b >= 0x20 && b < 0x7F) {
        if (s.textlen == TEXTMAX)
            textaus(s);
        s.text[s.textlen++] = (char)b;
    } else {
        textaus(s);
    }
}

// One byte received at the module's rate.
void simbyte(zelsim &s, int b)
{
    if (s.wrrest > 0) {
        eepbyte(s, b);
        return;
    }
    if (s.cmdlen == 0) {
        if (b == ESC) {
            textaus(s);
            s.cmd[s.cmdlen++] = (unsigned char)b;
        } else {
            textbyte(s, b);
        }
        return;
    }
    s.cmd[s.cmdlen++] = (unsigned char)b;
    int n = befehllaenge(s.cmd, s.cmdlen);
    if (n < 0 || (n == 0 && s.cmdlen >= CMDMAX)) {
        simlog(s, "unknown command ESC 0x%02X dropped", s.cmd[1]);
        s.cmdlen = 0;
        if (b == ESC)
            s.cmd[s.cmdlen++] = (unsigned char)b;
        return;
    }
    if (s.cmdlen == n) {
        ausfuehren(s);
        s.cmdlen = 0;
    }
}
