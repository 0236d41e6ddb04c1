// Monochrome Windows bitmaps into picture records: the little-endian field
// readers and the two converters, one per byte orientation of the display.
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

int bmppalette(const unsigned char *bmp)
{
    // The palette follows the information header, whatever its length.
    return 14 + bmpfeld(bmp, 14);
}

// Pixel row y of the picture (0 = top): rows are stored bottom-up, each
// padded to 32 bits.
static const unsigned char *bmpzeile(const unsigned char *bmp, int y)
{
    int h = bmpfeld(bmp, 22);
    return bmp + bmpfeld(bmp, 10) + bmpstride(bmpfeld(bmp, 18)) * (h - 1 - y);
}

// The colour index of a dark dot: a black first palette entry makes index
// 0 dark, any other one index 1.
static int dunkelindex(const unsigned char *bmp)
{
    return bmpfeld(bmp, bmppalette(bmp)) != 0;
}

// 1 when the pixel in column x of a pixel row is a dark dot.
static int dunkel(const unsigned char *zeile, int x, int index)
{
    return (zeile[x / 8] >> (7 - x % 8) & 1) == index;
}

void bmp2blh(const zelctx &c, unsigned char *dst, const unsigned char *bmp)
{
    int w = bmpfeld(bmp, 18), h = bmpfeld(bmp, 22);
    int bpr = (w + 7) / 8;
    int msb = zel[c.zelnr].orient == 'H';
    int index = dunkelindex(bmp);
    dst[0] = w & 0xFF;
    dst[1] = h & 0xFF;
    memset(dst + 2, 0, (size_t)bpr * h);
    for (int y = 0; y < h; y++) {
        const unsigned char *zeile = bmpzeile(bmp, y);
        for (int x = 0; x < w; x++)
            if (dunkel(zeile, x, index))
                dst[2 + x / 8 + bpr * y] |= msb ? 0x80 >> x % 8 : 0x01 << x % 8;
    }
}

void bmp2blv(const zelctx &, unsigned char *dst, const unsigned char *bmp)
{
    int w = bmpfeld(bmp, 18), h = bmpfeld(bmp, 22);
    int index = dunkelindex(bmp);
    dst[0] = w & 0xFF;
    dst[1] = h & 0xFF;
    memset(dst + 2, 0, (size_t)w * ((h + 7) / 8));
    for (int y = 0; y < h; y++) {
        const unsigned char *zeile = bmpzeile(bmp, y);
        for (int x = 0; x < w; x++)
            if (dunkel(zeile, x, index))
                dst[2 + w * (y / 8) + x] |= 0x01 << y % 8;
    }
}
