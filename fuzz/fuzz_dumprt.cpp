// The round trip: whatever source compiles (the input as for fuzz_zelrun:
// the source and its files separated by "@FILE" lines) is written back as
// source by zeldump, and that source compiles into the same object and
// upload files, byte for byte. Images zeldump reports as beyond the source
// language (and says so) are left out.
#include "fuzzutil.h"
#include "fakeport.h"
#include "zeldump.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

static std::string inhalt(const char *name)
{
    std::string s;
    FILE *f = fopen(name, "rb");
    char buf[4096];
    size_t n;
    while (f && (n = fread(buf, 1, sizeof buf, f)) > 0)
        s.append(buf, n);
    if (f)
        fclose(f);
    return s;
}

// Compiles name in the current directory; the upload file's name, or ""
// when the source did not compile.
static std::string kompiliere(const char *name)
{
    fakereset(fakestandard(3));
    zelctx &c = fuzzctx();
    char a0[] = "zelcomp", a1[] = "-o", a2[64];
    snprintf(a2, sizeof a2, "%s", name);
    char *argv[] = {a0, a1, a2, nullptr};
    return zelrun(c, 3, argv) == 0 ? c.outfile : "";
}

// What the inputs came to, printed when the run ends.
static long kompiliert, rund, jenseits;

static void bilanz(void)
{
    fprintf(stderr, "dumprt: %ld sources compiled, %ld round trips byte for byte, "
                    "%ld reported as not expressible\n", kompiliert, rund, jenseits);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int einmal = atexit(bilanz);
    (void)einmal;
    if (!fuzzquellen(data, size))
        return -1;
    fuzzrmdir("rt");
    std::string eepname = kompiliere("m.mac");
    if (eepname.empty())
        return 0;
    kompiliert++;
    std::string eep = inhalt(eepname.c_str()), eeo = inhalt("m.EEO");
    static abbild a;
    static FILE *nul = fopen("/dev/null", "w");
    if (!ladeeep(a, eepname.c_str(), nul))
        return 0;                      // DESTINATION wrote over one of the files
    karte(a, nul);
    if (a.fehler || quelle(a, ausgabeart{eepname.c_str(), 1, nul}, "rt", "m") != 0) {
        jenseits++;
        return 0;
    }
    PRUEFE(chdir("rt") == 0);
    std::string neu = kompiliere("m.mac");
    PRUEFE(neu == "m.EEP");
    PRUEFE(inhalt("m.EEP") == eep);
    PRUEFE(inhalt("m.EEO") == eeo);
    PRUEFE(chdir("..") == 0);
    rund++;
    fuzzrmdir("rt");
    return 0;
}
