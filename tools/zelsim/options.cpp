// The command line of zelsim.
#include "zelsim.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <strings.h>

static const char hilfe[] =
    "usage: zelsim [options]\n"
    "  -m, --model N|NAME    model 0..4 or its name (default 3, ZEL530-5)\n"
    "  -s, --size KB         EEPROM size: 16, 32, 48 or 64 (default 64)\n"
    "  -b, --baud RATE       rate the module listens at (default 9600)\n"
    "  -w, --write-protect   EEPROM writes are not stored\n"
    "  -e, --error-at ADDR   answer a write at this address with 'E'\n"
    "  -k, --bad-cell ADDR   store the complement of what is written at this address\n"
    "  -i, --load FILE       EEPROM content at start (default all 0xFF)\n"
    "  -o, --dump FILE       write the EEPROM to FILE at exit\n"
    "  -l, --link PATH       make PATH a symbolic link to the line\n"
    "  -x, --exit-after-upload  end when the line has been quiet for 2 s after the\n"
    "                        trailer of an upload (a verify or read-back is answered first)\n"
    "  -p, --pace            take bytes in and send replies at the wire speed (10 bits a byte)\n"
    "  -r, --pace-replies    send replies at the wire speed, take bytes in at once\n"
    "  -t, --latency MS      replies reach the host in packets of up to 62 bytes, each when\n"
    "                        full or MS (1..255) after its first byte, as through a USB\n"
    "                        serial adapter with that latency timer\n"
    "  -H, --hold N          hold CTS while N (2..4096) bytes wait unread, release it at N/2;\n"
    "                        takes bytes in at the wire speed (default with -p: 10 ms of bytes)\n"
    "  -S, --stuck-at N      hold CTS for good once N bytes of an upload file have come in,\n"
    "                        as a module that hangs\n"
    "  -v, --verbose         log the commands on stderr\n"
    "  -h, --help            show this help and end\n"
    "      --version         show the version and end\n"
    "Prints the path of the line; give it to zelcomp as ZEL_COM1.\n";

// A whole number in decimal or 0x hex, or -1.
static long zahl(const char *s)
{
    char *end;
    errno = 0;
    long v = strtol(s, &end, 0);
    return (end == s || *end || errno || v < 0) ? -1 : v;
}

static int modell(const char *s)
{
    long n = zahl(s);
    if (n >= 0)
        return n < ZELMODELS ? (int)n : -1;
    return zelsuche(s);
}

static int falsch(const char *was, const char *wert)
{
    fprintf(stderr, "zelsim: %s %s is not supported\n", was, wert);
    return 0;
}

// 1 to run, 2 when the help or the version was asked for, 0 on a wrong option.
int simoptionen(zelsim &s, int argc, char **argv)
{
    static const option lang[] = {
        {"model", required_argument, nullptr, 'm'},
        {"size", required_argument, nullptr, 's'},
        {"baud", required_argument, nullptr, 'b'},
        {"write-protect", no_argument, nullptr, 'w'},
        {"error-at", required_argument, nullptr, 'e'},
        {"bad-cell", required_argument, nullptr, 'k'},
        {"load", required_argument, nullptr, 'i'},
        {"dump", required_argument, nullptr, 'o'},
        {"link", required_argument, nullptr, 'l'},
        {"exit-after-upload", no_argument, nullptr, 'x'},
        {"pace", no_argument, nullptr, 'p'},
        {"pace-replies", no_argument, nullptr, 'r'},
        {"latency", required_argument, nullptr, 't'},
        {"hold", required_argument, nullptr, 'H'},
        {"stuck-at", required_argument, nullptr, 'S'},
        {"verbose", no_argument, nullptr, 'v'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    int o;
    while ((o = getopt_long(argc, argv, "m:s:b:we:k:i:o:l:xprt:H:S:vh", lang, nullptr)) != -1) {
        long n;
        switch (o) {
        case 'm':
            if ((s.model = modell(optarg)) < 0)
                return falsch("model", optarg);
            modulmodell(s.m, s.model);
            break;
        case 's':
            n = zahl(optarg);
            if (n != 16 && n != 32 && n != 48 && n != 64)
                return falsch("EEPROM size", optarg);
            s.m.eepsize = n * 1024;
            break;
        case 'b':
            if ((s.m.baud = baudindex(zahl(optarg))) < 0)
                return falsch("rate", optarg);
            s.baudset = 1;
            break;
        case 'w':
            s.m.wp = 1;
            break;
        case 'e':
            if ((s.m.erradr = zahl(optarg)) < 0 || s.m.erradr >= MODEEP)
                return falsch("address", optarg);
            break;
        case 'k':
            if ((s.m.badadr = zahl(optarg)) < 0 || s.m.badadr >= MODEEP)
                return falsch("address", optarg);
            break;
        case 'i':
            s.loadfile = optarg;
            break;
        case 'o':
            s.dumpfile = optarg;
            break;
        case 'l':
            s.link = optarg;
            break;
        case 'x':
            s.exitafter = 1;
            break;
        case 'p':
            s.pace = 1;
            s.replypace = 1;
            break;
        case 'r':
            s.replypace = 1;
            break;
        case 't':
            n = zahl(optarg);
            if (n < 1 || n > 255)
                return falsch("latency", optarg);
            s.latenz = (int)n;
            break;
        case 'H':
            n = zahl(optarg);
            if (n < 2 || n > 4096)
                return falsch("hold", optarg);
            s.halten = (int)n;
            s.pace = 1;
            s.replypace = 1;
            break;
        case 'S':
            if ((s.klemme = zahl(optarg)) < 0 || s.klemme > 2 * MODEEP)
                return falsch("stuck-at", optarg);
            break;
        case 'v':
            s.m.log = stderr;
            break;
        case 'h':
            fputs(hilfe, stdout);
            return 2;
        case 'V':
            printf("zelsim %s\n", ZELCOMP_VERSION);
            return 2;
        default:
            fputs(hilfe, stderr);
            return 0;
        }
    }
    if (optind < argc) {
        fputs(hilfe, stderr);
        return 0;
    }
    return 1;
}
