// A whole compile run, from a source and up to seven further files held in
// the input: the parts are separated by the line "@FILE"; the first is the
// source m.mac, the others are f1 to f7, for INCLUDE, PICTURE, FONT and the
// data command alike. A COM directive leads to an upload to the fake port.
#include "fuzzutil.h"
#include "fakeport.h"

#include <cstdio>
#include <cstring>

static const char SEP[] = "\n@FILE\n";
enum { TEILE = 8 };

// Every name between '<' and '>' must stay inside the working directory:
// the run may write to a DESTINATION and read any file it is given.
static int namenimordner(const uint8_t *p, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        if (p[i] != '<')
            continue;
        for (size_t j = i + 1; j < n && p[j] > 32 && p[j] != '>'; j++)
            if (p[j] == '/')
                return 0;
    }
    return 1;
}

// Includes of distinct files multiply: eight files of k include lines each
// are read k^7 times, which is what such a source asks for, not a fault.
// Inputs with more than a few are left out.
enum { INCLUDEMAX = 12 };

static int includes(const uint8_t *p, size_t n)
{
    int k = 0;
    for (size_t i = 0; i + 4 <= n; i++)
        if ((p[i] | 0x20) == 'i' && (p[i + 1] | 0x20) == 'n' && (p[i + 2] | 0x20) == 'c' &&
            (p[i + 3] | 0x20) == 'l')
            k++;
    return k;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!namenimordner(data, size) || includes(data, size) > INCLUDEMAX)
        return -1;
    fuzzdir();
    const uint8_t *p = data, *ende = data + size;
    for (int i = 0; i < TEILE; i++) {
        const uint8_t *sep = i < TEILE - 1 ? (const uint8_t *)memmem(p, ende - p, SEP, sizeof SEP - 1) : nullptr;
        const uint8_t *teilende = sep ? sep : ende;
        char name[8] = "m.mac";
        if (i)
            snprintf(name, sizeof name, "f%d", i);
        putfile(name, p, teilende - p);
        if (!sep)
            break;
        p = sep + sizeof SEP - 1;
    }
    fakereset(fakestandard(3));
    zelctx &c = fuzzctx();
    char a0[] = "zelcomp", a1[] = "-o", a2[] = "m.mac";
    char *argv[] = {a0, a1, a2, nullptr};
    int r = zelrun(c, 3, argv);
    // 1 for errors in the source; else 0, or 2 when its COM line led to
    // an upload that failed (another model answers, say)
    PRUEFE(c.errors ? r == 1 : r == 0 || r == 2);
    PRUEFE(c.filenr == -1 && c.fperr == nullptr);
    PRUEFE(c.adresse >= 0 && c.adresse <= DATASIZE);
    PRUEFE(!fakeportopen());
    return 0;
}
