// The PICTURE directive, picture files and bitmap conversion.
#ifndef ZELCOMP_PICTURE_H
#define ZELCOMP_PICTURE_H

#include "../zelcomp.h"

int bild2eep(zelctx &c);
int loadbild(zelctx &c, const char *name);

int iw(unsigned char b0, unsigned char b1);
int lw(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3);
void bmp2blh(const zelctx &c, unsigned char *dst, const unsigned char *bmp);
void bmp2blv(const zelctx &c, unsigned char *dst, const unsigned char *bmp);

// Bitmap header helpers shared by the loader and the converters.
int bmpfeld(const unsigned char *bmp, int off);    // 32-bit field at off
long long bmpstride(long long w);                  // bytes per pixel row
int bmppalette(const unsigned char *bmp);          // offset of the first palette entry

#endif
