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
