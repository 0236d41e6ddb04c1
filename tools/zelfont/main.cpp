// zelfont: a TrueType, OpenType, BDF or PCF font into an FNT file.
// Exit status: 0 written, 1 the font cannot be converted, 64 a usage error.
#include "zelfont.h"

#include <cstring>

int main(int argc, char **argv)
{
    if (argc == 2 && !strcmp(argv[1], "--help")) {
        usage(stdout);
        return 0;
    }
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
