// The module model: what a module does with each byte it hears at its own
// rate. It answers the identify command and EEPROM reads, stores EEPROM
// writes, follows the baud command and takes the display commands an
// upload file carries; anything else after an ESC is dropped.
#include "zelsim.h"
#include "device/wire.h"

#include <cstdarg>
#include <cstring>

void modullog(const zelmodul &m, const char *fmt, ...)
{
    if (!m.log)
        return;
    va_list ap;
    va_start(ap, fmt);
    fputs("zelsim: ", m.log);
    vfprintf(m.log, fmt, ap);
    fputc('\n', m.log);
    va_end(ap);
}

static void textaus(zelmodul &m)
{
    if (m.textlen > 0)
        modullog(m, "text \"%.*s\"", m.textlen, m.text);
    m.textlen = 0;
}

void modulmodell(zelmodul &m, int model)
{
    m.ident[0] = zel[model].xdots;
    m.ident[1] = zel[model].ydots;
    m.ident[2] = zel[model].orient;
}

void modulstart(zelmodul &m, int model)
{
    memset(&m, 0, sizeof m);
    modulmodell(m, model);
    m.eepsize = MODEEP;
    m.baud = baudindex(9600);
    m.erradr = -1;
    m.badadr = -1;
    m.leseantworten = -1;
    m.streampos = -1;
    memset(m.eep, 0xFF, sizeof m.eep);
}

void modulreset(zelmodul &m)
{
    if (m.cmdlen > 0 || m.wrrest > 0)
        modullog(m, "unfinished command dropped");
    m.cmdlen = 0;
    m.wrrest = 0;
    textaus(m);
}

// Length of the command in cmd[0..n), ESC first: its full length once that
// is known, 0 while more bytes are needed to tell, -1 for a command that
// is none of the module's wire or upload commands.
static int befehllaenge(const unsigned char *c, int n)
{
    if (n < 2)
        return 0;
    switch (c[1]) {
    case IDENTBEF:
        return 2;
    case BAUDBEF:
    case SCHLUSSBEF:
        return 3;
    case 'O':
        return 4;
    case 'Q':
        return n < 3 ? 0 : c[2] == 'C' ? 4 : -1;
    case 'R':
        return n < 3 ? 0 : c[2] == 'O' ? 8 : -1;
    case BALKENBEF:
        return n < 3 ? 0 : c[2] == 'R' ? 11 : 4;
    case EEPBEF:
        return n < 3 ? 0 : c[2] == EEPBEF2 ? EEPBEFLEN : -1;
    }
    return -1;
}

static void anzeige(const zelmodul &m)
{
    if (!m.log)
        return;
    // the letters as letters, the parameters as numbers
    int buchstaben = strchr("QR&", m.cmd[1]) || (m.cmd[1] == 'B' && m.cmd[2] == 'R') ? 2 : 1;
    char zeile[MODCMD * 4 + 16];
    size_t n = snprintf(zeile, sizeof zeile, "ESC %c", m.cmd[1]);
    if (buchstaben == 2)
        n += snprintf(zeile + n, sizeof zeile - n, " %c", m.cmd[2]);
    for (int i = 1 + buchstaben; i < m.cmdlen && n < sizeof zeile; i++)
        n += snprintf(zeile + n, sizeof zeile - n, " %d", m.cmd[i]);
    modullog(m, "display %s", zeile);
}

// The bytes of a read that the module answers: none at or above the end
// of its EEPROM, and no more than it still answers at all.
static long lesen(zelmodul &m, long adr, long len)
{
    if (adr >= m.eepsize)
        return 0;
    long n = len < m.eepsize - adr ? len : m.eepsize - adr;
    if (m.leseantworten >= 0) {
        n = n < m.leseantworten ? n : m.leseantworten;
        m.leseantworten -= n;
    }
    m.antwort = m.eep + adr;
    return n;
}

static long eepzugriff(zelmodul &m)
{
    long adr = m.cmd[3] | m.cmd[4] << 8;
    long len = m.cmd[5] | m.cmd[6] << 8;
    switch (m.cmd[7]) {
    case LESEOP:
        modullog(m, "EEPROM read %ld at %ld", len, adr);
        return lesen(m, adr, len);
    case SCHREIBOP:
        modullog(m, "EEPROM write %ld at %ld", len, adr);
        m.wradr = adr;
        m.wrrest = len;
        return 0;
    case ENDEOP:
        modullog(m, "end of upload");
        m.fertig = 1;
        return 0;
    }
    modullog(m, "EEPROM access '%c' unknown", m.cmd[7]);
    return 0;
}

static long kennung(zelmodul &m)
{
    long n = 0;
    modullog(m, "identify");
    for (int v : m.ident)
        if (v >= 0)
            m.kurz[n++] = (unsigned char)v;
    m.antwort = m.kurz;
    return n;
}

static long ausfuehren(zelmodul &m)
{
    switch (m.cmd[1]) {
    case IDENTBEF:
        return kennung(m);
    case BAUDBEF:
        // the new rate holds from the next byte on
        if (m.cmd[2] < ZELBAUDS) {
            m.baud = m.cmd[2];
            modullog(m, "rate %d bit/s", zelbaud[m.baud]);
        } else {
            modullog(m, "rate index %d unknown", m.cmd[2]);
        }
        return 0;
    case EEPBEF:
        return eepzugriff(m);
    }
    anzeige(m);
    return 0;
}

static long eepbyte(zelmodul &m, int b)
{
    long n = 0;
    if (m.wradr == m.erradr) {
        modullog(m, "cannot program address %ld", m.wradr);
        m.kurz[0] = EEPFEHLER;
        m.antwort = m.kurz;
        n = 1;
    } else if (!m.wp && m.wradr < m.eepsize) {
        m.eep[m.wradr] = (unsigned char)(m.wradr == m.badadr ? ~b : b);
    }
    m.wradr++;
    m.wrrest--;
    return n;
}

static void textbyte(zelmodul &m, int b)
{
    if (!m.log)
        return;
    if (b == FORMFEED) {
        textaus(m);
        modullog(m, "clear display");
    } else if (b >= 0x20 && b < 0x7F) {
        if (m.textlen == MODTEXT)
            textaus(m);
        m.text[m.textlen++] = (char)b;
    } else {
        textaus(m);
    }
}

static long befehlsbyte(zelmodul &m, int b)
{
    m.cmd[m.cmdlen++] = (unsigned char)b;
    int n = befehllaenge(m.cmd, m.cmdlen);
    if (n < 0 || (n == 0 && m.cmdlen >= MODCMD)) {
        modullog(m, "unknown command ESC 0x%02X dropped", m.cmd[1]);
        m.cmdlen = 0;
        if (b == ESC)
            m.cmd[m.cmdlen++] = (unsigned char)b;
        return 0;
    }
    if (m.cmdlen != n)
        return 0;
    long r = ausfuehren(m);
    m.cmdlen = 0;
    return r;
}

// The upload file starts with a form feed; from there its bytes are counted.
static void stromzaehlen(zelmodul &m, int b)
{
    if (m.streampos < 0 && m.cmdlen == 0 && m.wrrest == 0 && b == FORMFEED)
        m.streampos = 0;
    if (m.streampos >= 0)
        m.streampos++;
}

long modulbyte(zelmodul &m, int b)
{
    stromzaehlen(m, b);
    if (m.wrrest > 0)
        return eepbyte(m, b);
    if (m.cmdlen > 0)
        return befehlsbyte(m, b);
    if (b == ESC) {
        textaus(m);
        m.cmd[m.cmdlen++] = (unsigned char)b;
    } else {
        textbyte(m, b);
    }
    return 0;
}
