// The glyphs of the range, rendered in FreeType's monochrome mode (or a
// bitmap font's own strike) and set on the common baseline of the cell.
#include "zelfont.h"
#include "font/font.h"

#include FT_BITMAP_H

#include <cstring>

// Draws the glyph in the slot into an FNT glyph of the cell, at its
// bearing on the baseline; 1 when dots fell outside the cell.
static int zeichne(const zelfont &z, const FT_Bitmap &b, unsigned char *glyph)
{
    const FT_GlyphSlot slot = z.face->glyph;
    int bpr = fntzeile(z.w), gekappt = 0;
    for (int r = 0; r < (int)b.rows; r++)
        for (int x = 0; x < (int)b.width; x++) {
            // converted to one byte per dot: 0 .. num_grays - 1
            if (2 * b.buffer[r * b.pitch + x] < b.num_grays)
                continue;
            int cx = slot->bitmap_left + x, cy = z.oben - slot->bitmap_top + r;
            if (cx < 0 || cx >= z.w || cy < 0 || cy >= z.h)
                gekappt = 1;
            else
                fntsetze(glyph, bpr, cx, cy);
        }
    return gekappt;
}

// Renders the glyph of one code into its place in the FNT; 0 when the
// font has none for it.
static int glyphe(zelfont &z, int code, FT_Bitmap &b)
{
    FT_UInt gi = glyphindex(z, code);
    if (!gi || FT_Load_Glyph(z.face, gi, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO))
        return 0;
    // Whatever the strike or renderer gave (one bit, grey levels, colour),
    // one byte per dot from here on.
    if (FT_Bitmap_Convert(z.ft, &z.face->glyph->bitmap, &b, 1))
        return 0;
    int stride = z.h * fntzeile(z.w);
    z.gekappt[code] = (unsigned char)zeichne(z, b, z.fnt + FNTKOPF + code * stride);
    return 1;
}

static void fntkopf(zelfont &z)
{
    int stride = z.h * fntzeile(z.w);
    memset(z.fnt, 0, sizeof z.fnt);
    z.fnt[0] = 0xAA;
    z.fnt[1] = 0x55;
    z.fnt[2] = (unsigned char)z.w;
    z.fnt[4] = (unsigned char)z.h;
    z.fnt[6] = (unsigned char)stride;
    z.fntlen = FNTKOPF + (long)CODES * stride;
}

int glyphenzeichnen(zelfont &z)
{
    fntkopf(z);
    FT_Bitmap b;
    FT_Bitmap_Init(&b);
    for (int code = z.erst; code <= z.letzt; code++)
        z.fehlt[code] = z.satz[code] && !glyphe(z, code, b);
    FT_Bitmap_Done(z.ft, &b);
    return 1;
}
