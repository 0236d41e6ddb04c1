// Writes full.EEP and full.EEO into the current directory: the upload and
// object files of an image whose data area is full, made by the compiler's
// own writers. The data are pseudo-random, so that every byte counts.
#include "zelcomp.h"
#include "driver/driver.h"

#include <cstdio>

static zelctx c;

int main()
{
    zelinit(c);
    c.con = fopen("/dev/null", "w");
    if (!c.con)
        return 1;
    unsigned x = 1;
    for (int i = 0; i < DATASIZE; i++) {
        x = x * 1103515245 + 12345;
        c.eeprom[i] = (unsigned char)(x >> 16);
    }
    c.adresse = DATASIZE;
    snprintf(c.outfile, sizeof c.outfile, "full.EEP");
    snprintf(c.objfile, sizeof c.objfile, "full.EEO");
    writeobj(c);
    writeeep(c);
    fclose(c.con);
    return c.errors != 0;
}
