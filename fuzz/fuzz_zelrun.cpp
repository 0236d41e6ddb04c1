// A whole compile run, from a source and up to seven further files held in
// the input: the parts are separated by the line "@FILE"; the first is the
// source m.mac, the others are f1 to f7, for INCLUDE, PICTURE, FONT and the
// data command alike. A COM directive leads to an upload to the fake port.
#include "fuzzutil.h"
#include "fakeport.h"

#include <cstdio>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!fuzzquellen(data, size))
        return -1;
    fakereset(fakestandard(3));
    zelctx &c = fuzzctx();
    char a0[] = "zelcomp", a1[] = "-o", a2[] = "m.mac";
    char *argv[] = {a0, a1, a2, nullptr};
    int r = zelrun(c, 3, argv);
    // 1 for errors in the source; else 0, or 2 when an upload failed
    PRUEFE(c.errors ? r == 1 : r == 0 || (r == 2 && c.com));
    PRUEFE(c.filenr == -1 && c.fperr == nullptr);
    PRUEFE(c.adresse >= 0 && c.adresse <= DATASIZE);
    PRUEFE(!fakeportopen());
    return 0;
}
