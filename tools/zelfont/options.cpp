// The command line of zelfont.
#include "zelfont.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

void usage(FILE *out)
{
    fputs("usage: zelfont [--size PX] [--first C] [--last C] [--charset cp437|latin1]\n"
          "               [--width W] [--preview TEXT] IN OUT.FNT\n"
          "       zelfont -h | --help | --version\n"
          "  IN: a TrueType, OpenType, BDF or PCF font; C: a code 0..255, decimal or 0x hex\n",
          out);
}

// A whole number lo..hi, decimal or with 0x in hex; -1 when it is none.
static long zahl(const char *s, long lo, long hi)
{
    int hex = s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    char *ende;
    long v = strtol(s + 2 * hex, &ende, hex ? 16 : 10);
    int ziffer = hex ? isxdigit((unsigned char)s[2]) : isdigit((unsigned char)s[0]);
    return ziffer && !*ende && v >= lo && v <= hi ? v : -1;
}

// One option with its value; 0 when the option is unknown or its value wrong.
static int option(zelfont &z, const char *name, const char *wert)
{
    long v;
    if (!strcmp(name, "--size") && (v = zahl(wert, 1, PXMAX)) > 0)
        z.px = (int)v;
    else if (!strcmp(name, "--first") && (v = zahl(wert, 0, CODES - 1)) >= 0)
        z.erst = (int)v;
    else if (!strcmp(name, "--last") && (v = zahl(wert, 0, CODES - 1)) >= 0)
        z.letzt = (int)v;
    else if (!strcmp(name, "--width") && (v = zahl(wert, 1, ZELLEMAX)) > 0)
        z.breite = (int)v;
    else if (!strcmp(name, "--charset") && zeichensatz(wert)) {
        z.satz = zeichensatz(wert);
        z.satzname = wert;
    } else if (!strcmp(name, "--preview"))
        z.vorschau = wert;
    else
        return 0;
    return 1;
}

int optionen(zelfont &z, int argc, char **argv)
{
    z.px = 0;
    z.erst = 32;
    z.letzt = 255;
    z.satz = cp437;
    z.satzname = "cp437";
    z.breite = 0;
    z.vorschau = nullptr;
    int datei = 0;
    for (int i = 1; i < argc; i++) {
        if (!strncmp(argv[i], "--", 2) && argv[i][2]) {
            if (i + 1 >= argc || !option(z, argv[i], argv[i + 1]))
                return 0;
            i++;
        } else if (datei == 0) {
            z.ein = argv[i];
            datei++;
        } else if (datei == 1) {
            z.aus = argv[i];
            datei++;
        } else
            return 0;
    }
    return datei == 2 && z.erst <= z.letzt;
}
