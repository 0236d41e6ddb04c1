// The FONT directive, FNT files and glyph conversion.
#ifndef ZELCOMP_FONT_H
#define ZELCOMP_FONT_H

#include "../zelcomp.h"

int font2eep(zelctx &c);

enum {
    FNTKOPF = 8,               // header bytes of an FNT file and of a font record
    MATRIXMAX = 16,            // largest cell side in dots the FONT directive takes
};

// The module's character sets as Unicode, one entry per code, 0 for a
// control code (charset.cpp); zelfont and the string reader share them.
enum { ZEICHEN = 256 };
extern const unsigned cp437[ZEICHEN];
extern const unsigned latin1[ZEICHEN];
const unsigned *zeichensatz(const char *name);  // "cp437" or "latin1"; nullptr when unknown
int zeichenbyte(const unsigned *satz, unsigned u);  // code of character u in satz, -1 when none
void fnt2fv(const zelctx &c, const unsigned char *fnt, unsigned char *rec);
void fnt2fh(const zelctx &c, const unsigned char *fnt, unsigned char *rec);

int fntzeile(int breite);       // bytes per glyph row of a font this wide: 1 or 2

// One dot of an FNT glyph of bpr bytes per row: column x, row y from the top.
int fntpunkt(const unsigned char *glyph, int bpr, int x, int y);     // 1 when set
void fntsetze(unsigned char *glyph, int bpr, int x, int y);

// Prints the glyphs of the n codes side by side as text art, one line per
// dot row, '#' for a dot and '.' for none. fnt holds len bytes of an FNT
// image; a glyph that would lie beyond them prints blank.
void fntart(FILE *out, const unsigned char *fnt, long len, const unsigned char *codes, int n);

#endif
