#include "fuzzutil.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sanitizer/asan_interface.h>
#include <unistd.h>

static char dir[] = "/tmp/zelfuzz.XXXXXX";
static int angelegt;

static void leeren(void)
{
    DIR *d = opendir(".");
    if (!d)
        return;
    while (struct dirent *e = readdir(d))
        if (e->d_name[0] != '.' || (e->d_name[1] && (e->d_name[1] != '.' || e->d_name[2])))
            unlink(e->d_name);
    closedir(d);
}

static void wegraeumen(void)
{
    if (chdir(dir) == 0)
        leeren();
    if (chdir("/") == 0)
        rmdir(dir);
}

void fuzzdir(void)
{
    if (!angelegt) {
        if (!mkdtemp(dir)) {
            perror("mkdtemp");
            abort();
        }
        angelegt = 1;
        atexit(wegraeumen);
    }
    if (chdir(dir) != 0) {
        perror(dir);
        abort();
    }
    leeren();
}

void putfile(const char *name, const uint8_t *p, size_t n)
{
    FILE *f = fopen(name, "wb");
    if (!f || (n && fwrite(p, 1, n, f) != n) || fclose(f) != 0) {
        perror(name);
        abort();
    }
}

zelctx &fuzzctx(void)
{
    static zelctx *c = new zelctx;
    static FILE *nul = fopen("/dev/null", "w");
    static FILE *nulin = fopen("/dev/null", "r");
    zelinit(*c);
    c->con = nul;
    c->conin = nulin;
    return *c;
}

void fuzzfence(zelctx &c, size_t n)
{
    if (n < BUFLEN)
        ASAN_POISON_MEMORY_REGION(c.buffer + n, BUFLEN - n);
}

void fuzzfree(zelctx &c)
{
    ASAN_UNPOISON_MEMORY_REGION(c.buffer, BUFLEN);
}

enum { LEER = 0xA5 };

void fuzzfill(zelctx &c, long d)
{
    memset(c.eeprom + d, LEER, DATASIZE - d);
}

// Called on tens of kilobytes per input: its loads and comparisons would
// only slow the fuzzer down, they tell it nothing about the program.
__attribute__((no_sanitize("coverage", "address"))) int fuzzfilled(const zelctx &c, long d)
{
    const unsigned char *p = c.eeprom + d, *ende = c.eeprom + DATASIZE;
    uint64_t acht = 0x0101010101010101ull * LEER;
    for (; p + 8 <= ende; p += 8) {
        uint64_t v;
        memcpy(&v, p, 8);
        if (v != acht)
            return 0;
    }
    for (; p < ende; p++)
        if (*p != LEER)
            return 0;
    return 1;
}

void fuzzfail(const char *file, int line, const char *what)
{
    fprintf(stderr, "%s:%d: invariant failed: %s\n", file, line, what);
    abort();
}

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

int fuzzquellen(const uint8_t *data, size_t size)
{
    if (!namenimordner(data, size) || includes(data, size) > INCLUDEMAX)
        return 0;
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
    return 1;
}

void fuzzrmdir(const char *name)
{
    DIR *d = opendir(name);
    char pfad[512];
    while (struct dirent *e = d ? readdir(d) : nullptr)
        if (e->d_name[0] != '.' && snprintf(pfad, sizeof pfad, "%s/%s", name, e->d_name) < (int)sizeof pfad)
            unlink(pfad);
    if (d)
        closedir(d);
    rmdir(name);
}
