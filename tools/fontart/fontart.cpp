// fontart: prints the glyphs of an internal font as text art, for review by eye.
//   fontart N [FIRST [LAST]]   N = 1..5, codes 0..255 (decimal or 0x hex)
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "font/font.h"
#include "font/tables/tables.h"

// A code from the command line, or -1 when it is not a whole number 0..255.
static int code(const char *s)
{
    char *end;
    long v = strtol(s, &end, s[0] == '0' && (s[1] == 'x' || s[1] == 'X') ? 16 : 10);
    return *s && !*end && v >= 0 && v <= 255 ? (int)v : -1;
}

static const char hilfe[] =
    "usage: fontart N [FIRST [LAST]]   (N = 1..5, codes 0..255)\n"
    "       fontart -h | --help | --version\n"
    "Prints the glyphs of internal font N (1 = 4x6, 2 = 5x6, 3 = 6x8, 4 = 8x8,\n"
    "5 = 8x16) from code FIRST to LAST as text art, # for a dot.\n";

int main(int argc, char **argv)
{
    if (argc == 2 && (!strcmp(argv[1], "-h") || !strcmp(argv[1], "--help"))) {
        fputs(hilfe, stdout);
        return 0;
    }
    if (argc == 2 && !strcmp(argv[1], "--version")) {
        printf("fontart %s\n", ZELCOMP_VERSION);
        return 0;
    }
    long len = 0;
    const unsigned char *f = argc >= 2 && argc <= 4 ? internfont(code(argv[1]), &len) : nullptr;
    int first = argc > 2 ? code(argv[2]) : 0;
    int last = argc > 3 ? code(argv[3]) : 255;
    if (!f || first < 0 || last < first) {
        fputs(hilfe, stderr);
        return 64;
    }
    int stride = f[6];
    for (int ch = first; ch <= last && 8 + (ch + 1) * stride <= len; ch++) {
        unsigned char c = (unsigned char)ch;
        printf("0x%02X\n", ch);
        fntart(stdout, f, len, &c, 1);
    }
    return 0;
}
