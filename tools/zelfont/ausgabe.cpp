// What zelfont writes: the FNT file, the report of the conversion, the
// preview in text art, and its messages.
#include "zelfont.h"
#include "font/font.h"

#include <cstdarg>

void meldung(const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    fputs("zelfont: ", stderr);
    vfprintf(stderr, fmt, ap);
    fputc('\n', stderr);
    va_end(ap);
}

// Written whole or not at all: a file that could not be completed goes.
int fntschreiben(const zelfont &z)
{
    FILE *f = fopen(z.aus, "wb");
    if (!f) {
        meldung("cannot write %s", z.aus);
        return 0;
    }
    int ok = fwrite(z.fnt, 1, z.fntlen, f) == (size_t)z.fntlen;
    ok = fclose(f) == 0 && ok;
    if (!ok) {
        remove(z.aus);
        meldung("cannot write %s", z.aus);
    }
    return ok;
}

void bericht(const zelfont &z)
{
    printf("%s at %d px: cell %dx%d dots, codes 0x%02X to 0x%02X (%s) into %s\n", z.ein,
           z.groesse, z.w, z.h, z.erst, z.letzt, z.satzname, z.aus);
    for (int code = z.erst; code <= z.letzt; code++)
        if (z.gekappt[code])
            printf("0x%02X (U+%04X): dots outside the %dx%d cell cut\n", code, z.satz[code],
                   z.w, z.h);
    const char *trenner = "no glyph for: ";
    for (int code = z.erst; code <= z.letzt; code++)
        if (z.fehlt[code]) {
            printf("%s0x%02X (U+%04X)", trenner, code, z.satz[code]);
            trenner = ", ";
        }
    if (*trenner == ',')
        putchar('\n');
}

// The next character of UTF-8 text; a byte that begins no character
// stands for itself.
static unsigned utf8(const unsigned char *&p)
{
    int folge = *p >= 0xF0 && *p < 0xF8 ? 3 : *p >= 0xE0 ? 2 : *p >= 0xC0 ? 1 : 0;
    if (!folge)
        return *p++;
    unsigned u = *p & (0x3F >> folge);
    for (int i = 1; i <= folge; i++)
        if ((p[i] & 0xC0) != 0x80)
            return *p++;
    for (int i = 1; i <= folge; i++)
        u = u << 6 | (p[i] & 0x3F);
    p += folge + 1;
    return u;
}

void vorschau(const zelfont &z)
{
    if (!z.vorschau)
        return;
    unsigned char codes[CODES];
    int n = 0;
    const unsigned char *p = (const unsigned char *)z.vorschau;
    while (*p && n < CODES) {
        int code = zeichencode(z, utf8(p));
        codes[n++] = (unsigned char)(code >= 0 ? code : '?');
    }
    fntart(stdout, z.fnt, z.fntlen, codes, n);
}
