// The font through FreeType: opening it, its character map, the pixel
// size or bitmap strike, and the cell that size needs.
#include "zelfont.h"

#include <cstdlib>

int fontoeffnen(zelfont &z)
{
    FILE *f = fopen(z.ein, "rb");
    if (!f) {
        meldung("cannot open %s", z.ein);
        return 0;
    }
    fclose(f);
    if (FT_Init_FreeType(&z.ft)) {
        z.ft = nullptr;
        meldung("FreeType cannot start");
        return 0;
    }
    if (FT_New_Face(z.ft, z.ein, 0, &z.face)) {
        z.face = nullptr;
        meldung("%s is not a font (TrueType, OpenType, BDF or PCF)", z.ein);
        return 0;
    }
    // A font without a Unicode map is taken by its own codes.
    z.unicode = FT_Select_Charmap(z.face, FT_ENCODING_UNICODE) == 0;
    if (!z.unicode && z.face->num_charmaps > 0)
        FT_Set_Charmap(z.face, z.face->charmaps[0]);
    return 1;
}

void fontschliessen(zelfont &z)
{
    if (z.face)
        FT_Done_Face(z.face);
    if (z.ft)
        FT_Done_FreeType(z.ft);
    z.face = nullptr;
    z.ft = nullptr;
}

FT_UInt glyphindex(const zelfont &z, int code)
{
    if (!z.satz[code])
        return 0;
    return FT_Get_Char_Index(z.face, z.unicode ? z.satz[code] : (FT_ULong)code);
}

// Pixel size of bitmap strike i; a strike may give only its height.
static int strikegroesse(const FT_Bitmap_Size &s)
{
    return s.y_ppem ? (int)((s.y_ppem + 32) >> 6) : s.height;
}

// The bitmap strike nearest px.
static int naechsterstrike(const FT_Face face, int px)
{
    int best = 0;
    for (int i = 1; i < face->num_fixed_sizes; i++)
        if (abs(strikegroesse(face->available_sizes[i]) - px) <
            abs(strikegroesse(face->available_sizes[best]) - px))
            best = i;
    return best;
}

// Sets the font to px (outlines) or to the strike nearest px (bitmaps);
// groesse, oben, unten and h follow. 0 when the font has no such size.
static int setzegroesse(zelfont &z, int px)
{
    if (FT_IS_SCALABLE(z.face)) {
        if (FT_Set_Pixel_Sizes(z.face, 0, px))
            return 0;
        z.groesse = px;
    } else {
        if (z.face->num_fixed_sizes < 1)
            return 0;
        int i = naechsterstrike(z.face, px);
        if (FT_Select_Size(z.face, i))
            return 0;
        z.groesse = strikegroesse(z.face->available_sizes[i]);
    }
    const FT_Size_Metrics &m = z.face->size->metrics;
    z.oben = (int)((m.ascender + 32) >> 6);
    z.unten = (int)((-m.descender + 32) >> 6);
    z.h = z.oben + z.unten;
    return z.h > 0;
}

// The largest pixel size whose cell is at most 16 dots high; 0 when none.
static int passendegroesse(zelfont &z)
{
    int best = 0;
    for (int px = 1; px <= PXSUCHE; px++)
        if (setzegroesse(z, px) && z.h <= ZELLEMAX && z.groesse > best)
            best = z.groesse;
    return best;
}

// The widest advance of the glyphs of the range, 0 when it has none.
static int breitester(const zelfont &z)
{
    int w = 0;
    for (int code = z.erst; code <= z.letzt; code++) {
        FT_UInt gi = glyphindex(z, code);
        if (!gi || FT_Load_Glyph(z.face, gi, FT_LOAD_TARGET_MONO))
            continue;
        int adv = (int)((z.face->glyph->advance.x + 32) >> 6);
        if (adv > w)
            w = adv;
    }
    return w;
}

static void zugross(zelfont &z)
{
    int px = z.groesse, w = z.w, h = z.h;
    if (h <= ZELLEMAX) {
        meldung("%s at %d px needs a cell of %dx%d dots, more than 16x16; "
                "--width 16 or less cuts the glyphs to fit", z.ein, px, w, h);
        return;
    }
    int passend = passendegroesse(z);
    if (passend)
        meldung("%s at %d px needs a cell of %dx%d dots, more than 16x16; "
                "the largest size that fits is %d px", z.ein, px, w, h, passend);
    else
        meldung("%s at %d px needs a cell of %dx%d dots, more than 16x16; "
                "no size of this font fits", z.ein, px, w, h);
}

int zellemessen(zelfont &z)
{
    // Without a size asked for, the largest that fits; when none does, the
    // cell of 16 px (or the strike nearest it) is the one refused below.
    int px = z.px ? z.px : passendegroesse(z);
    if (!px)
        px = ZELLEMAX;
    if (!setzegroesse(z, px)) {
        meldung("%s has no size of %d px", z.ein, px);
        return 0;
    }
    int breitest = breitester(z);
    if (!breitest) {
        meldung("%s has no glyph for the codes 0x%02X to 0x%02X", z.ein, z.erst, z.letzt);
        return 0;
    }
    z.w = z.breite ? z.breite : breitest;
    if (z.w > ZELLEMAX || z.h > ZELLEMAX) {
        zugross(z);
        return 0;
    }
    return 1;
}
