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
#include <dirent.h>
#include <string>
#include <unistd.h>

static const char SEP[] = "\n@FILE\n";
enum { TEILE = 8 };

static int zulaessig(const uint8_t *p, size_t n)
{
    int k = 0;
    for (size_t i = 0; i < n; i++) {
        if (p[i] == '<')
            for (size_t j = i + 1; j < n && p[j] > 32 && p[j] != '>'; j++)
                if (p[j] == '/')
                    return 0;
        if (i + 4 <= n && (p[i] | 0x20) == 'i' && (p[i + 1] | 0x20) == 'n' &&
            (p[i + 2] | 0x20) == 'c' && (p[i + 3] | 0x20) == 'l')
            k++;
    }
    return k <= 12;
}

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

static void raeumeauf(const char *dir)
{
    DIR *d = opendir(dir);
    while (dirent *e = d ? readdir(d) : nullptr)
        if (e->d_name[0] != '.')
            unlink((std::string(dir) + "/" + e->d_name).c_str());
    if (d)
        closedir(d);
    rmdir(dir);
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
    if (!zulaessig(data, size))
        return -1;
    static int einmal = atexit(bilanz);
    (void)einmal;
    fuzzdir();
    raeumeauf("rt");
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
    if (a.fehler || quelle(a, "rt", "m", nul) != 0) {
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
    raeumeauf("rt");
    return 0;
}
