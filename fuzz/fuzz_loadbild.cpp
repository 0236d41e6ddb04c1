// The picture loader on arbitrary file bytes, for every model: at the
// start of the data area, and again where the record just fits and where
// it misses by one byte. Reads past the file's bytes are reported; a PNG
// is decoded into a bitmap in the file buffer behind its own bytes, so
// there the fence stands at the buffer's end.
#include "fuzzutil.h"
#include "picture/picture.h"
#include "device/device.h"

#include <cstring>

// Loads the file at data offset d, the buffer fenced after zaun bytes;
// returns the record size, or -1.
static long lade(int model, long d, size_t zaun)
{
    zelctx &c = fuzzctx();
    c.zelnr = model;
    c.adresse = (int)d;
    fuzzfill(c, d);
    fuzzfence(c, zaun);
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
    size_t zaun = istpng(data, (long)size) ? BUFLEN : size;
    for (int m = 0; m < ZELMODELS; m++) {
        long n = lade(m, 0, zaun);
        if (n < 0)
            continue;
        PRUEFE(lade(m, DATASIZE - n, zaun) == n);
        PRUEFE(lade(m, DATASIZE - n + 1, zaun) == -1);
    }
    return 0;
}
