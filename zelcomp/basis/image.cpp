// The EEPROM image: tables, data area, address encoding and the room check
// that every writer makes before it stores a byte.
#include "basis.h"

#include <cstring>

void resetimage(zelctx &c)
{
    memset(c.font, 0xFF, sizeof c.font);
    memset(c.bild, 0xFF, sizeof c.bild);
    memset(c.makro, 0xFF, sizeof c.makro);
    c.adresse = 0;
    c.makanz = c.tmakanz = c.pmakanz = c.bildanz = c.fontanz = 0;
    c.maklen = c.tmaklen = c.pmaklen = c.bildlen = c.fontlen = 0;
}

int platz(const zelctx &c, long n)
{
    return n >= 0 && n <= (long)DATASIZE - c.adresse;
}

void eepadr(unsigned char *entry, int d)
{
    int a = d + SYSSIZE;
    entry[0] = a & 0xFF;
    entry[1] = (a >> 8) & 0xFF;
}

int tabfrei(const unsigned char *entry)
{
    return entry[0] == 0xFF && entry[1] == 0xFF;
}

void eintrag2eep(zelctx &c, unsigned char *entry, int &anz, long &len, long n)
{
    anz++;
    len += n;
    eepadr(entry, c.adresse);
    c.adresse += n;
}

void append(zelctx &c, const unsigned char *p, int n)
{
    if (n <= 0)
        return;
    memcpy(c.eeprom + c.adresse, p, n);
    c.adresse += n;
}
