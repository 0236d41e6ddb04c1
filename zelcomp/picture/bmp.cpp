// Monochrome bitmaps into picture records: the little-endian field readers,
// the header reader for Windows and OS/2 headers, and the two converters,
// one per byte orientation of the display.
#include "picture.h"
#include "../device/device.h"

#include <cstring>

int iw(unsigned char b0, unsigned char b1)
{
    return b0 + 256 * b1;
}

int lw(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3)
{
    unsigned v = b0 | b1 << 8 | b2 << 16 | (unsigned)b3 << 24;
    return (int)v;
}

int bmpfeld(const unsigned char *bmp, int off)
{
    return lw(bmp[off], bmp[off + 1], bmp[off + 2], bmp[off + 3]);
}

long long bmpstride(long long w)
{
    return (w + 31) / 32 * 4;
}

void bmpkopf(const unsigned char *bmp, bmpform &f)
{
    long long kopf = bmpfeld(bmp, 14);
    f.daten = bmpfeld(bmp, 10);
    f.palette = 14 + kopf;      // the palette follows the information header
    if (kopf == BMPCORE) {
        // OS/2: 16-bit width and height, rows always bottom-up, 3-byte palette entries
        f.w = iw(bmp[18], bmp[19]);
        f.h = iw(bmp[20], bmp[21]);
        f.bits = iw(bmp[24], bmp[25]);
        f.farbe = 3;
        f.vonoben = 0;
        return;
    }
    f.w = bmpfeld(bmp, 18);
    f.h = bmpfeld(bmp, 22);
    f.bits = iw(bmp[28], bmp[29]);
    f.farbe = 4;
    f.vonoben = f.h < 0;
    if (f.vonoben)
        f.h = -f.h;
}

// Pixel row y of the picture (0 = top), each row padded to 32 bits.
static const unsigned char *bmpzeile(const unsigned char *bmp, const bmpform &f, int y)
{
    long long zeile = f.vonoben ? y : f.h - 1 - y;
    return bmp + f.daten + bmpstride(f.w) * zeile;
}

// The colour index of a dark dot: a black first palette entry makes index
// 0 dark, any other one index 1 (a reserved byte counts too).
static int dunkelindex(const unsigned char *bmp, const bmpform &f)
{
    const unsigned char *p = bmp + f.palette;
    return (p[0] | p[1] | p[2] | (f.farbe == 4 ? p[3] : 0)) != 0;
}

// 1 when the pixel in column x of a pixel row is a dark dot.
static int dunkel(const unsigned char *zeile, int x, int index)
{
    return (zeile[x / 8] >> (7 - x % 8) & 1) == index;
}

void bmp2blh(const zelctx &c, unsigned char *dst, const unsigned char *bmp)
{
    bmpform f;
    bmpkopf(bmp, f);
    int w = (int)f.w, h = (int)f.h;
    int bpr = (w + 7) / 8;
    int msb = zel[c.zelnr].orient == 'H';
    int index = dunkelindex(bmp, f);
    dst[0] = w & 0xFF;
    dst[1] = h & 0xFF;
    memset(dst + 2, 0, (size_t)bpr * h);
    for (int y = 0; y < h; y++) {
        const unsigned char *zeile = bmpzeile(bmp, f, y);
        for (int x = 0; x < w; x++)
            if (dunkel(zeile, x, index))
                dst[2 + x / 8 + bpr * y] |= msb ? 0x80 >> x % 8 : 0x01 << x % 8;
    }
}

void bmp2blv(const zelctx &, unsigned char *dst, const unsigned char *bmp)
{
    bmpform f;
    bmpkopf(bmp, f);
    int w = (int)f.w, h = (int)f.h;
    int index = dunkelindex(bmp, f);
    dst[0] = w & 0xFF;
    dst[1] = h & 0xFF;
    memset(dst + 2, 0, (size_t)w * ((h + 7) / 8));
    for (int y = 0; y < h; y++) {
        const unsigned char *zeile = bmpzeile(bmp, f, y);
        for (int x = 0; x < w; x++)
            if (dunkel(zeile, x, index))
                dst[2 + w * (y / 8) + x] |= 0x01 << y % 8;
    }
}
