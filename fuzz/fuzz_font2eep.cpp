// The FONT directive on arbitrary FNT bytes: the first two input bytes are
// the first and last character code of the line, the rest is the file.
// Every model; at the start of the data area and where the record just
// fits. Reads past the file's bytes are reported.
#include "fuzzutil.h"
#include "font/font.h"
#include "device/device.h"

#include <cstdio>
#include <cstring>

static long lade(int model, long d, int erst, int letzt, size_t size)
{
    zelctx &c = fuzzctx();
    c.zelnr = model;
    c.adresse = (int)d;
    fuzzfill(c, d);
    snprintf(c.zeile, sizeof c.zeile, "FONT 1, %d, %d <f.fnt>", erst, letzt);
    c.zptr = c.zeile + 4;
    fuzzfence(c, size);
    int ok = font2eep(c);
    fuzzfree(c);
    if (!ok) {
        PRUEFE(c.errors == 1 && c.adresse == d && c.fontanz == 0);
        PRUEFE(fuzzfilled(c, d));
        return -1;
    }
    const unsigned char *rec = c.eeprom + d;
    PRUEFE(c.errors == 0 && c.fontanz == 1);
    PRUEFE(c.adresse == d + c.filelen && c.filelen == c.fontlen);
    PRUEFE(c.filelen == (long)(letzt - erst + 1) * rec[7] + 8);
    PRUEFE(rec[0] == 'F' && rec[1] == zel[model].orient && rec[2] == erst && rec[3] == letzt);
    PRUEFE(fuzzfilled(c, c.adresse));
    return c.filelen;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return -1;
    fuzzdir();
    putfile("f.fnt", data + 2, size - 2);
    for (int m = 0; m < ZELMODELS; m++) {
        long n = lade(m, 0, data[0], data[1], size - 2);
        if (n < 0)
            continue;
        PRUEFE(lade(m, DATASIZE - n, data[0], data[1], size - 2) == n);
        PRUEFE(lade(m, DATASIZE - n + 1, data[0], data[1], size - 2) == -1);
    }
    return 0;
}
