// zelfont: a TrueType, OpenType, BDF or PCF font into an FNT file.
// Exit status: 0 written, 1 the font cannot be converted, 64 a usage error.
#include "zelfont.h"

#include <cstring>

// -h, --help or --version anywhere: prints the answer and returns 1; the
// first of them counts.
static int auskunft(int argc, char **argv)
{
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--version")) {
            printf("zelfont %s\n", ZELCOMP_VERSION);
            return 1;
        }
        if (!strcmp(argv[i], "-h") || !strcmp(argv[i], "--help")) {
            usage(stdout);
            return 1;
        }
    }
    return 0;
}

int main(int argc, char **argv)
{
    if (auskunft(argc, argv))
        return 0;
    zelfont z{};
    if (!optionen(z, argc, argv)) {
        usage(stderr);
        return 64;
    }
    int ok = fontoeffnen(z) && zellemessen(z) && glyphenzeichnen(z) && fntschreiben(z);
    if (ok) {
        bericht(z);
        vorschau(z);
    }
    fontschliessen(z);
    return ok ? 0 : 1;
}
