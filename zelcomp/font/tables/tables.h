// The five internal fonts, complete FNT images of 256 glyphs each.
#ifndef ZELCOMP_FONT_TABLES_H
#define ZELCOMP_FONT_TABLES_H

extern const unsigned char font4x6[1544];
extern const unsigned char font5x6[1544];
extern const unsigned char font6x8[2056];
extern const unsigned char font8x8[2056];
extern const unsigned char font8x16[4104];

// Internal font k (1 to 5), or nullptr; *len receives its size.
const unsigned char *internfont(int k, long *len);

#endif
