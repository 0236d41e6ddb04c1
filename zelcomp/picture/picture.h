// The PICTURE directive, picture files and bitmap conversion.
#ifndef ZELCOMP_PICTURE_H
#define ZELCOMP_PICTURE_H

#include "../zelcomp.h"

int bild2eep(zelctx &c);

enum { BILDMAX = 4200 };       // largest picture file the PICTURE directive reads, bytes
int loadbild(zelctx &c, const char *name);
// Bytes of the record of a w x h picture in the layout orient ('V', 'H' or 'h').
long long bildgroesse(int orient, long long w, long long h);

int iw(unsigned char b0, unsigned char b1);
int lw(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3);
void bmp2blh(const zelctx &c, unsigned char *dst, const unsigned char *bmp);
void bmp2blv(const zelctx &c, unsigned char *dst, const unsigned char *bmp);

// Bitmap header helpers shared by the loader and the converters.
int bmpfeld(const unsigned char *bmp, int off);    // 32-bit field at off
long long bmpstride(long long w);                  // bytes per pixel row

enum { BMPCORE = 12 };     // length of the OS/2 core header; the Windows ones are 40 or more

// What the converters need of a bitmap's headers, whichever header it has.
struct bmpform {
    long long w, h;        // width and height in dots; h counts rows whichever way they run
    long long daten;       // file offset of the pixel rows
    long long palette;     // file offset of the first palette entry
    int farbe;             // bytes of one palette entry: 3 behind a core header, else 4
    int bits;              // bits per pixel
    int vonoben;           // 1 when the rows are stored top row first (negative height)
};
// Reads the header fields; the caller has made sure the information header
// (at least 12 or 40 bytes as its length field says) lies within the file.
void bmpkopf(const unsigned char *bmp, bmpform &f);

// The PNG decoder: the dots as 8-bit RGBA, rows top first, nullptr when
// they cannot be decoded, to be handed back to pngfrei.
unsigned char *pngrgba(const unsigned char *png, long len, int *w, int *h);
void pngfrei(unsigned char *rgba);

// PNG pictures become monochrome bitmaps, so the bitmap path takes over.
int istpng(const unsigned char *p, long len);      // 1 when p begins with the PNG signature
// Turns the PNG in buffer into a bitmap in buffer, filelen its size:
// 1 done, 0 not a PNG that can be read, -1 more than wmax x hmax dots.
int png2bmp(zelctx &c, int wmax, int hmax);

#endif
