// The five module models.
#include "device.h"

#include <strings.h>

const zelmodel zel[ZELMODELS] = {
    {120, 32, 'V', "ZEL310-2", 95},
    {160, 80, 'h', "ZEL420-3", 129},
    {240, 64, 'H', "ZEL530-4", 187},
    {240, 128, 'H', "ZEL530-5", 191},
    {128, 64, 'V', "QO417-2R8", 31},
};

// Names count in their first 8 characters only, which is all the upload
// file header has room for.
int zelsuche(const char *text)
{
    int nr = -1;
    for (int i = 0; i < ZELMODELS; i++)
        if (strncasecmp(zel[i].name, text, 8) == 0)
            nr = i;
    return nr;
}

int zelstr2var(zelctx &c, const char *text)
{
    int nr = zelsuche(text);
    if (nr >= 0)
        c.zelnr = nr;
    return nr < 0;
}
