// The module's EEPROM: its content at start and the image written at exit.
#include "zelsim.h"

#include <cstdio>

// An erased EEPROM, or the start of a file. Models 0 and 1 come up at the
// rate whose index is in cell 1, unless a rate was given.
int eepladen(zelsim &s)
{
    if (!s.loadfile)
        return 1;
    FILE *f = fopen(s.loadfile, "rb");
    if (!f) {
        perror(s.loadfile);
        return 0;
    }
    size_t n = fread(s.m.eep, 1, s.m.eepsize, f);
    int ok = !ferror(f);
    fclose(f);
    if (!ok) {
        perror(s.loadfile);
        return 0;
    }
    if (n > 1 && s.model <= 1 && !s.baudset && s.m.eep[1] < ZELBAUDS)
        s.m.baud = s.m.eep[1];
    return 1;
}

int eepsichern(const zelsim &s)
{
    if (!s.dumpfile)
        return 1;
    FILE *f = fopen(s.dumpfile, "wb");
    int ok = f && fwrite(s.m.eep, 1, s.m.eepsize, f) == (size_t)s.m.eepsize;
    if (f && fclose(f) != 0)
        ok = 0;
    if (!ok)
        perror(s.dumpfile);
    return ok;
}
