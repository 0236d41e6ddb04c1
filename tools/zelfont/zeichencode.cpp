// The code of a character in the set the font is drawn for.
#include "zelfont.h"

int zeichencode(const zelfont &z, unsigned u)
{
    for (int code = 0; code < CODES; code++)
        if (u && z.satz[code] == u)
            return code;
    return -1;
}
