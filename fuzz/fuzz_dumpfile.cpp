// Any bytes as an object file and as an upload file: zeldump reads them,
// maps them and, when the tables hold up, lists, writes source, pictures
// and the upload file, without reading past anything it was given.
#include "fuzzutil.h"
#include "zeldump.h"

#include <cstdio>
#include <string>
#include <unistd.h>

// Drawing is the same code for every record and slow under the
// sanitizers; one input in eight, chosen by its size, draws its pictures.
static void alles(abbild &a, FILE *nul, int zeichnen)
{
    karte(a, nul);
    PRUEFE(a.ende >= SYSSIZE && a.ende <= a.groesse);
    summen s;
    summiere(a, s);
    zeigekarte(a, nul);
    if (a.fehler)
        return;
    liste(a, nul);
    const ausgabeart w = {"x.EEO", 1, nul};
    quelle(a, w, "q", "x");
    if (zeichnen)
        pngbilder(a, w, "q", 1);
    PRUEFE(schreibeeep(a, w, "q/x.EEP", nul));
    fuzzrmdir("q");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzdir();
    static abbild a;
    static FILE *nul = fopen("/dev/null", "w");
    putfile("x.EEO", data, size);
    putfile("x.EEP", data, size);
    // the first byte picks the model of the object file
    a.zelnr = size ? data[0] % 5 : 3;
    if (ladeeeo(a, "x.EEO", nul))
        alles(a, nul, size % 8 == 0);
    if (ladeeep(a, "x.EEP", nul))
        alles(a, nul, size % 8 == 0);
    return 0;
}
