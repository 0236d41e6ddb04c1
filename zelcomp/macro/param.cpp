// The command buffer: reading a parameter list into it, moving a finished
// command into the data area, and embedding a file as data commands.
#include "macro.h"
#include "../basis/basis.h"
#include "../expr/expr.h"
#include "../font/font.h"

#include <cstdio>

// A source line is too short to fill bef, so the check only guards against
// a caller that left it nearly full.
int befbyte(zelctx &c, int b)
{
    if (c.aktbeflen < 0 || c.aktbeflen >= BEFLEN)
        return 0;
    c.bef[c.aktbeflen++] = (unsigned char)b;
    return 1;
}

// The character of UTF-8 bytes at p, *len receiving their number; -1 for
// bytes that are no UTF-8 character (*len 1).
static long utf8(const unsigned char *p, int *len)
{
    static const unsigned kleinste[] = {0, 0, 0x80, 0x800, 0x10000};
    int n = p[0] < 0x80 ? 1 : (p[0] & 0xE0) == 0xC0 ? 2 : (p[0] & 0xF0) == 0xE0 ? 3
          : (p[0] & 0xF8) == 0xF0 ? 4 : 0;
    *len = 1;
    if (!n)
        return -1;
    unsigned long u = n == 1 ? p[0] : p[0] & (0x7F >> n);
    for (int i = 1; i < n; i++) {
        if ((p[i] & 0xC0) != 0x80)
            return -1;
        u = u << 6 | (p[i] & 0x3F);
    }
    if (u < kleinste[n] || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF))
        return -1;
    *len = n;
    return (long)u;
}

// --charset: one character of the string as its byte in the set; 0 when
// bef ran full. A character the set lacks is reported where it stands.
static int satzzeichen(zelctx &c, int &n)
{
    const unsigned char *p = (const unsigned char *)c.zptr;
    int len;
    long u = utf8(p, &len);
    int b = u < 0 ? -1 : zeichenbyte(c.zeichensatz, (unsigned)u);
    if (b < 0) {
        spaltebei(c, c.zptr);
        if (u < 0)
            fehler(c, "Byte $%02X in a string is not UTF-8 !", p[0]);
        else
            fehler(c, "Character U+%04lX is not in %s !", (unsigned long)u, c.satzname);
    } else {
        if (!befbyte(c, b))
            return 0;
        n++;
    }
    c.zptr += len;
    return 1;
}

// Copies a quoted string byte for byte, counting into n; 0 when bef ran full.
static int zeichenkette(zelctx &c, int &n)
{
    const char *anf = c.zptr;
    char q = *c.zptr++;
    int hoch = 0;
    while (*c.zptr && *c.zptr != q && c.zeichensatz) {
        if (!satzzeichen(c, n))
            return 0;
    }
    while (*c.zptr && *c.zptr != q) {
        if (!befbyte(c, *c.zptr))
            return 0;
        hoch += (unsigned char)*c.zptr > 127;
        c.zptr++;
        n++;
    }
    if (*c.zptr == q)
        c.zptr++;
    else {
        spaltebei(c, anf);
        warnung(c, "string not closed: %c missing, the string runs to the end of the line", q);
    }
    // Text saved as UTF-8 gives two or more bytes for a letter like an
    // umlaut, and the module shows each of them as a character of its own.
    if (hoch)
        spaltebei(c, anf);
    if (hoch)
        warnung(c, "%d byte(s) above 127 in a string, stored as they are "
                   "(a UTF-8 letter is 2 to 4 bytes)", hoch);
    return 1;
}

// One value as one byte. A negative value down to -128 is the byte of
// its two's complement on purpose (-1 is 255); beyond that it is cut.
static int wertbyte(zelctx &c, int v, const char *stelle)
{
    if (v < -128 || v > 255)
        spaltebei(c, stelle);
    if (v < -128 || v > 255)
        warnung(c, "value %d does not fit in a byte, %d stored", v, v & 0xFF);
    return befbyte(c, v & 0xFF);
}

int parameter(zelctx &c)
{
    int n = 0;
    nxtzeichen(c, 0);
    while (*c.zptr != ';' && *c.zptr) {
        if (*c.zptr == '\'' || *c.zptr == '"') {
            if (!zeichenkette(c, n)) {
                fehler(c, "wrong number of parameters");
                return n;
            }
        } else if (*c.zptr == '<') {
            return n;                   // a file name follows, read by the caller
        } else if (*c.zptr == ',') {
            c.zptr++;
        } else {
            const char *vor = c.zptr;
            int v = ausdruck(c);
            // A character no expression can begin with would never be
            // consumed: end the list on it, so the caller sees that it
            // did not stop at a regular end.
            if (c.zptr == vor) {
                spaltebei(c, vor);
                fehler(c, "illegal character in parameter list !");
                return n;
            }
            if (!wertbyte(c, v, vor)) {
                fehler(c, "wrong number of parameters");
                return n;
            }
            n++;
        }
        nxtzeichen(c, 0);
    }
    return n;
}

int bef2eep(zelctx &c)
{
    if (c.aktbeflen > BEFLEN || !platz(c, c.aktbeflen)) {
        fehler(c, "EEPROM-memory overflow !");
        return 0;
    }
    // A block that stayed open empty across a picture or font starts with
    // its first command, not where it was opened.
    if (c.aktmaklen == 0)
        c.aktmakadr = c.adresse;
    append(c, c.bef, c.aktbeflen);
    c.aktmaklen += c.aktbeflen;
    c.aktbeflen = 0;
    return 1;
}

// Reads the next chunk of at most 256 bytes into bef behind ESC 'S' and the
// count byte; returns the number of bytes read.
static int sendchunk(zelctx &c, FILE *f)
{
    long soll = c.filelen >= 256 ? 256 : c.filelen;
    int n = (int)fread(c.bef + 3, 1, (size_t)soll, f);
    // A file that shrank since its size was taken ends with what it gave.
    c.filelen = n < soll ? 0 : c.filelen - soll;
    c.bef[2] = (unsigned char)(n & 0xFF);   // 256 is sent as 0
    c.aktbeflen = n + 3;
    return n;
}

int loadsendfile(zelctx &c, const char *name)
{
    char pfad[NAMELEN];
    FILE *f = bytedatei(c, suchdatei(c, name, pfad), &c.filelen);
    if (!f) {
        fehler(c, "Cannot Open File <%s> !", name);
        return 0;
    }
    long gesamt = 0;
    int n;
    while (c.filelen > 0 && (n = sendchunk(c, f)) > 0) {
        gesamt += n;
        if (!bef2eep(c)) {
            fclose(f);
            return 0;
        }
    }
    fclose(f);
    if (gesamt == 0)
        warnung(c, "data file <%s> is empty, nothing stored", name);
    return 1;
}
