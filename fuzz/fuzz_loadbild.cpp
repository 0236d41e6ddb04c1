// The picture loader on arbitrary file bytes, for every model: at the
// start of the data area, and again where the record just fits and where
// it misses by one byte. Reads past the file's bytes are reported.
#include "fuzzutil.h"
#include "picture/picture.h"
#include "device/device.h"

#include <cstring>

// Loads the file at data offset d; returns the record size, or -1.
static long lade(int model, long d, size_t size)
{
    zelctx &c = fuzzctx();
    c.zelnr = model;
    c.adresse = (int)d;
    fuzzfill(c, d);
    fuzzfence(c, size);
    int ok = loadbild(c, "p");
    fuzzfree(c);
    PRUEFE(c.adresse == d);
    if (!ok) {
        PRUEFE(c.errors == 1);
        PRUEFE(fuzzfilled(c, d));
        return -1;
    }
    PRUEFE(c.errors == 0);
    PRUEFE(c.filelen >= 2 && c.filelen <= DATASIZE - d);
    PRUEFE(fuzzfilled(c, d + c.filelen));
    return c.filelen;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzdir();
    putfile("p", data, size);
    for (int m = 0; m < ZELMODELS; m++) {
        long n = lade(m, 0, size);
        if (n < 0)
            continue;
        PRUEFE(lade(m, DATASIZE - n, size) == n);
        PRUEFE(lade(m, DATASIZE - n + 1, size) == -1);
    }
    return 0;
}
