// Access to the internal fonts by their number.
#include "tables.h"

const unsigned char *internfont(int k, long *len)
{
    static const struct { const unsigned char *p; long n; } tab[] = {
        {font4x6, sizeof font4x6}, {font5x6, sizeof font5x6}, {font6x8, sizeof font6x8},
        {font8x8, sizeof font8x8}, {font8x16, sizeof font8x16},
    };
    if (k < 1 || k > 5)
        return nullptr;
    *len = tab[k - 1].n;
    return tab[k - 1].p;
}
