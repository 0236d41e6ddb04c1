// FNT glyphs as text art, for reviewing fonts by eye: the internal fonts
// (tools/fontart) and converted ones (tools/zelfont).
#include "font.h"

void fntart(FILE *out, const unsigned char *fnt, long len, const unsigned char *codes, int n)
{
    if (len < 8)
        return;
    int w = fnt[2], h = fnt[4], stride = fnt[6];
    int bpr = fntzeile(w);
    for (int y = 0; y < h; y++) {
        for (int i = 0; i < n; i++) {
            const unsigned char *glyph = fnt + 8 + codes[i] * stride;
            int da = 8 + (codes[i] + 1L) * stride <= len && y * bpr + bpr <= stride;
            for (int x = 0; x < w; x++)
                putc(da && fntpunkt(glyph, bpr, x, y) ? '#' : '.', out);
        }
        putc('\n', out);
    }
}
