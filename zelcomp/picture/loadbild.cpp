// Picture files: reads one file, tells a raw picture from a monochrome
// bitmap or a PNG, checks it against the model and the free data area, and
// writes the picture record at the end of the data area. The caller enters it.
#include "picture.h"
#include "../basis/basis.h"
#include "../device/device.h"

#include <cstring>

long long bildgroesse(int orient, long long w, long long h)
{
    if (orient == 'V')
        return w * ((h + 7) / 8) + 2;
    return (w + 7) / 8 * h + 2;
}

static int keinplatz(zelctx &c, long long n)
{
    if (platz(c, n))
        return 0;
    fehler(c, "Picturefile to big, not enough EEPROM-memory !");
    return 1;
}

// A raw picture file is already a record: it is known by its size alone.
static int rohbild(const zelctx &c)
{
    return c.filelen >= 2 && c.filelen == bildgroesse(zel[c.zelnr].orient, c.buffer[0], c.buffer[1]);
}

// A monochrome bitmap whose headers, palette entry and pixel rows all lie
// within the file's bytes. The Windows headers may run top-down; the OS/2
// core header has no such order and no other depth than one bit.
static int monobmp(const zelctx &c)
{
    const unsigned char *b = c.buffer;
    long long n = c.filelen;
    if (n < 18 || bmpfeld(b, 2) != n)
        return 0;
    long long kopf = bmpfeld(b, 14);
    int farbe = kopf == BMPCORE ? 3 : 4;
    if ((kopf < 40 && kopf != BMPCORE) || 14 + kopf + farbe > n)
        return 0;
    bmpform f;
    bmpkopf(b, f);
    if (f.bits > 1 || (kopf == BMPCORE && f.bits != 1))
        return 0;
    if (f.w < 0 || f.daten < 0)
        return 0;
    return f.daten + bmpstride(f.w) * f.h <= n;
}

static void zugross(zelctx &c)
{
    const zelmodel &m = zel[c.zelnr];
    fehler(c, "The Picture is to big (max. %dx%d dots) !", m.xdots, m.ydots);
}

static int bmpbild(zelctx &c)
{
    if (!monobmp(c)) {
        fehler(c, "This is not a monochrome Windows Bitmap file !");
        return 0;
    }
    bmpform f;
    bmpkopf(c.buffer, f);
    if (f.w > zel[c.zelnr].xdots || f.h > zel[c.zelnr].ydots) {
        zugross(c);
        return 0;
    }
    c.filelen = (long)bildgroesse(zel[c.zelnr].orient, f.w, f.h);
    if (keinplatz(c, c.filelen))
        return 0;
    if (zel[c.zelnr].orient == 'V')
        bmp2blv(c, c.eeprom + c.adresse, c.buffer);
    else
        bmp2blh(c, c.eeprom + c.adresse, c.buffer);
    return 1;
}

static void keinbild(zelctx &c)
{
    if (zel[c.zelnr].orient == 'V')
        fehler(c, "This is not a Picturefile (*.BMP, *.BLV) !");
    else
        fehler(c, "This is not a Picturefile (*.BMP, *.BLH) !");
}

// A PNG is decoded into a bitmap; from there on it is one.
static int pngbild(zelctx &c)
{
    const zelmodel &m = zel[c.zelnr];
    int r = png2bmp(c, m.xdots, m.ydots);
    if (r < 0)
        zugross(c);
    else if (r == 0)
        keinbild(c);
    return r > 0 && bmpbild(c);
}

int loadbild(zelctx &c, const char *name)
{
    if (!ladedatei(c, name, BILDMAX, "Cannot Open Picturefile <%s> !", "Picturefile is to big !"))
        return 0;
    if (rohbild(c)) {
        if (keinplatz(c, c.filelen))
            return 0;
        memcpy(c.eeprom + c.adresse, c.buffer, c.filelen);
        return 1;
    }
    if (c.filelen >= 2 && c.buffer[0] == 'B' && c.buffer[1] == 'M')
        return bmpbild(c);
    if (istpng(c.buffer, c.filelen))
        return pngbild(c);
    keinbild(c);
    return 0;
}
