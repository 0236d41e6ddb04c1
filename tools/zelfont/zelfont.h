// zelfont: converts a TrueType, OpenType, BDF or PCF font through FreeType
// into a complete FNT file for the FONT directive. One run is one zelfont
// context; the functions of the tool's files work on it.
#ifndef ZELFONT_ZELFONT_H
#define ZELFONT_ZELFONT_H

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>

#include "font/font.h"

enum {
    CODES = 256,
    ZELLEMAX = MATRIXMAX,                   // largest cell side in dots
    FNTMAX = FNTKOPF + CODES * 2 * ZELLEMAX, // a 16 x 16 font
    PXMAX = 255,                            // largest pixel size asked for
    PXSUCHE = 64,                           // sizes tried for the largest that fits
};

struct zelfont {
    // command line
    int px;                    // pixel size asked for, 1..PXMAX; 0 = the largest that fits
    int erst, letzt;           // codes to convert, 0..255, erst <= letzt
    const unsigned *satz;      // character set: Unicode of each code, 0 = no character
    const char *satzname;      // its name on the command line
    int breite;                // cell width asked for, 1..16; 0 = the widest advance
    const char *ein;           // font file
    const char *aus;           // FNT file written
    const char *vorschau;      // text printed in the converted font; nullptr = none

    // the font at its size
    FT_Library ft;             // nullptr until opened
    FT_Face face;              // nullptr until opened
    int unicode;               // 1 when the font's codes are Unicode, 0 when its own
    int groesse;               // pixel size in use
    int oben, unten;           // ascent and descent at that size, dots
    int w, h;                  // the cell, dots, 1..16 once checked

    // the result
    unsigned char fnt[FNTMAX]; // the FNT image
    long fntlen;               // its length, 8 + 256 x bytes per character
    unsigned char fehlt[CODES];   // 1 for a code whose character the font lacks
    unsigned char gekappt[CODES]; // 1 for a code whose glyph lost dots outside the cell
};

// command line (options.cpp): 1 when the options were right, else 0
int optionen(zelfont &z, int argc, char **argv);
void usage(FILE *out);

// character sets: cp437, latin1 and zeichensatz from font/font.h
int zeichencode(const zelfont &z, unsigned u);  // code of character u, -1 when none

// the font (face.cpp): messages on stderr, 1 when it worked
int fontoeffnen(zelfont &z);
int zellemessen(zelfont &z);
void fontschliessen(zelfont &z);
FT_UInt glyphindex(const zelfont &z, int code);  // 0 when the font lacks it

// the glyphs (glyphs.cpp)
int glyphenzeichnen(zelfont &z);

// the output (ausgabe.cpp)
int fntschreiben(const zelfont &z);
void bericht(const zelfont &z);
void vorschau(const zelfont &z);

// a message on stderr, prefixed with the tool's name
void meldung(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

#endif
