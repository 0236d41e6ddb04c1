// Glyphs of an FNT font into a font record whose header is already written
// and whose glyph area is cleared: the converters only set bits.
#include "font.h"
#include "../device/device.h"

int fntzeile(int breite)
{
    return breite > 8 ? 2 : 1;
}

// Two-byte FNT rows are little-endian words with column 0 in bit 15, so the
// second byte holds the left half.
static int fntbyte(int bpr, int x, int y)
{
    return y * bpr + bpr - 1 - x / 8;
}

int fntpunkt(const unsigned char *glyph, int bpr, int x, int y)
{
    return glyph[fntbyte(bpr, x, y)] >> (7 - x % 8) & 1;
}

void fntsetze(unsigned char *glyph, int bpr, int x, int y)
{
    glyph[fntbyte(bpr, x, y)] |= 0x80 >> x % 8;
}

// Sets the dot at column x, row y of a record glyph in the layout of
// orientation o: 'V' columns of 8-row bands, top row in bit 0; 'H' rows with
// the leftmost column in bit 7; 'h' rows with it in bit 0.
static void setzepunkt(unsigned char *ziel, int o, int w, int bpr, int x, int y)
{
    if (o == 'V')
        ziel[x + w * (y / 8)] |= 0x01 << y % 8;
    else if (o == 'H')
        ziel[x / 8 + y * bpr] |= 0x80 >> x % 8;
    else
        ziel[x / 8 + y * bpr] |= 0x01 << x % 8;
}

// Draws the glyphs of the record's codes from the FNT into the record; the
// geometry comes from the record's header.
static void glyphen(const unsigned char *fnt, unsigned char *rec, int o)
{
    int erst = rec[2], letzt = rec[3], w = rec[4], h = rec[5], bpc = rec[7];
    int bpr = fntzeile(w);
    for (int z = erst; z <= letzt; z++) {
        const unsigned char *quelle = fnt + 8 + z * fnt[6];
        unsigned char *ziel = rec + 8 + (z - erst) * bpc;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                if (fntpunkt(quelle, bpr, x, y))
                    setzepunkt(ziel, o, w, bpr, x, y);
    }
}

void fnt2fv(const zelctx &, const unsigned char *fnt, unsigned char *rec)
{
    glyphen(fnt, rec, 'V');
}

// Any orientation but 'H' takes the leftmost column in the low bit.
void fnt2fh(const zelctx &c, const unsigned char *fnt, unsigned char *rec)
{
    glyphen(fnt, rec, zel[c.zelnr].orient == 'H' ? 'H' : 'h');
}
