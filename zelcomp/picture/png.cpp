// PNG pictures: decoded and thresholded into a monochrome bitmap in the
// file buffer, which the loader then takes like any bitmap file.
#include "picture.h"

#include <cstring>

enum {
    PNGSIG = 8,
    IHDR = PNGSIG + 8,         // the header chunk's data: width, height, 4 bytes each
    BMPDATEN = 14 + 40 + 8,    // file header, information header, two palette entries
};

int istpng(const unsigned char *p, long len)
{
    return len >= PNGSIG && memcmp(p, "\x89PNG\r\n\x1a\n", PNGSIG) == 0;
}

static long long bigendian(const unsigned char *p)
{
    return (long long)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// 1 when every chunk up to the end chunk lies within the file. The decoder
// would reserve the room a data chunk's length field claims before it finds
// the bytes missing.
static int pngchunks(const unsigned char *p, long len)
{
    long off = PNGSIG;
    while (off + 12 <= len) {
        long long n = bigendian(p + off);
        if (n > len - off - 12)
            return 0;
        if (memcmp(p + off + 4, "IEND", 4) == 0)
            return 1;
        off += 12 + (long)n;
    }
    return 0;
}

// Width and height from the header chunk, which must come first; 1 when
// they are there and the chunks fit the file. Taken here rather than from
// the decoder, which refuses pictures above its own limit before it tells
// their size.
static int pngmasse(const unsigned char *p, long len, long long *w, long long *h)
{
    if (len < IHDR + 8 || memcmp(p + PNGSIG + 4, "IHDR", 4) != 0 || !pngchunks(p, len))
        return 0;
    *w = bigendian(p + IHDR);
    *h = bigendian(p + IHDR + 4);
    return *w > 0 && *h > 0;
}

// A dot is dark when its luminance (weights 0.299, 0.587, 0.114), with its
// alpha laid over white, is below half of full brightness.
static int dunkel(const unsigned char *rgba)
{
    int a = rgba[3];
    long y = 0;
    static const int gewicht[3] = {299, 587, 114};
    for (int i = 0; i < 3; i++)
        y += gewicht[i] * (long)(rgba[i] * a + 255 * (255 - a));
    return 2 * y < 255L * 255 * 1000;
}

static void setzlw(unsigned char *p, long v)
{
    for (int i = 0; i < 4; i++)
        p[i] = (unsigned char)(v >> 8 * i);
}

// The headers of a bottom-up 1-bit bitmap of w x h dots whose first palette
// entry is black, so colour index 0 is a dark dot.
static void bmpkoepfe(unsigned char *b, long groesse, int w, int h)
{
    memset(b, 0, BMPDATEN);
    b[0] = 'B';
    b[1] = 'M';
    setzlw(b + 2, groesse);
    setzlw(b + 10, BMPDATEN);
    setzlw(b + 14, 40);
    setzlw(b + 18, w);
    setzlw(b + 22, h);
    b[26] = 1;                 // planes
    b[28] = 1;                 // bits per pixel
    setzlw(b + 34, groesse - BMPDATEN);
    setzlw(b + 46, 2);         // colours in the palette
    setzlw(b + 58, 0x00FFFFFF);
}

// The pixel rows, bottom row first; light dots get colour index 1.
static void bmpzeilen(unsigned char *b, const unsigned char *rgba, int w, int h)
{
    long long stride = bmpstride(w);
    memset(b + BMPDATEN, 0, stride * h);
    for (int y = 0; y < h; y++) {
        unsigned char *zeile = b + BMPDATEN + stride * (h - 1 - y);
        for (int x = 0; x < w; x++)
            if (!dunkel(rgba + 4 * ((long)y * w + x)))
                zeile[x / 8] |= 0x80 >> x % 8;
    }
}

int png2bmp(zelctx &c, int wmax, int hmax)
{
    long long w, h;
    if (!pngmasse(c.buffer, c.filelen, &w, &h))
        return 0;
    long long groesse = BMPDATEN + bmpstride(w) * h;
    if (w > wmax || h > hmax || groesse > BUFLEN)
        return -1;
    int dw, dh;
    unsigned char *rgba = pngrgba(c.buffer, c.filelen, &dw, &dh);
    if (!rgba || dw != w || dh != h) {
        pngfrei(rgba);
        return 0;
    }
    bmpkoepfe(c.buffer, (long)groesse, dw, dh);
    bmpzeilen(c.buffer, rgba, dw, dh);
    pngfrei(rgba);
    c.filelen = (long)groesse;
    return 1;
}
