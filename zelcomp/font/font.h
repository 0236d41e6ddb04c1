// The FONT directive, FNT files and glyph conversion.
#ifndef ZELCOMP_FONT_H
#define ZELCOMP_FONT_H

#include "../zelcomp.h"

int font2eep(zelctx &c);
void fnt2fv(const zelctx &c, const unsigned char *fnt, unsigned char *rec);
void fnt2fh(const zelctx &c, const unsigned char *fnt, unsigned char *rec);

int fntzeile(int breite);       // bytes per glyph row of a font this wide: 1 or 2

#endif
