// zeldump: the command line.
#include "zeldump.h"
#include "device/device.h"
#include "basis/os.h"
#include "serial/seriowin.h"

#include <cstdlib>
#include <cstring>
#include <getopt.h>
#include <memory>
#include <strings.h>
#include <unistd.h>

static const char hilfe[] =
    "usage: zeldump [options] FILE.EEO|FILE.EEP\n"
    "       zeldump [options] -cN [-bRATE] [-w BACKUP.EEO]\n"
    "  -m NAME      model of an object file or of the module (default ZEL530-5)\n"
    "  -l           list every macro, one display command a line\n"
    "  -s DIR       write DIR/NAME.mac and its files, a source that rebuilds the image\n"
    "  -p DIR       write every picture and font as a PNG into DIR\n"
    "  --scale N    pixels a dot in the PNG files, 1..64 (default 4)\n"
    "  -e OUT.EEP   write the upload file of the image\n"
    "  -cN          read the module on COMN (port 1 or 2)\n"
    "  -bRATE       read at this rate after connecting\n"
    "  -w FILE.EEO  save what was read from the module\n"
    "  --force      replace files of -s and -p that are there\n"
    "  -h, --help   show this help and end\n"
    "  --version    show the version and end\n"
    "Exit status: 0 done, 1 a bad file, 2 a device failure, 64 a usage error.\n";

struct optionen {
    int zelnr = 3;
    int liste = 0;
    const char *quelle = nullptr;
    const char *png = nullptr;
    int scale = 4;
    const char *eep = nullptr;
    int com = 0;
    long rate = 0;
    const char *backup = nullptr;
    const char *datei = nullptr;
    int force = 0;
};

static long zahl(const char *s)
{
    char *end;
    long v = strtol(s, &end, 10);
    return end == s || *end ? -1 : v;
}

static int falsch(const char *text, const char *wert)
{
    fprintf(stderr, "zeldump: %s %s\n%s", text, wert, hilfe);
    return 0;
}

// How the outputs are written; the files -w and -e name are replaced, as
// the compiler replaces its outputs.
static ausgabeart art(const optionen &o, int genannt)
{
    return {o.datei, genannt || o.force, stderr};
}

// The targets the command line names, checked before anything is read:
// a file that is no regular file or that is the input is never replaced,
// and a directory for -s or -p must be one. 1 when all can be written.
static int zielepruefen(const optionen &o)
{
    const char *dateien[] = {o.backup, o.eep};
    for (const char *z : dateien)
        if (z && !zielfrei(art(o, 1), z))
            return 0;
    const char *verz[] = {o.quelle, o.png};
    osident id;
    for (const char *v : verz)
        if (v) {
            osart k = osidname(v, id);
            if (k != OSKEINE && k != OSVERZ) {
                fprintf(stderr, "zeldump: %s is no directory\n", v);
                return 0;
            }
        }
    return 1;
}

// 1 to go on, 0 on a usage error, 2 after the help or the version.
static int lese(optionen &o, int argc, char **argv)
{
    static const option lang[] = {{"scale", required_argument, nullptr, 'S'},
                                  {"help", no_argument, nullptr, 'h'},
                                  {"force", no_argument, nullptr, 'f'},
                                  {"version", no_argument, nullptr, 'V'},
                                  {nullptr, 0, nullptr, 0}};
    int k;
    while ((k = getopt_long(argc, argv, "m:ls:p:e:c:b:w:h", lang, nullptr)) != -1) {
        switch (k) {
        case 'm':
            if ((o.zelnr = zelsuche(optarg)) < 0)
                return falsch("unknown model", optarg);
            break;
        case 'l': o.liste = 1; break;
        case 'f': o.force = 1; break;
        case 's': o.quelle = optarg; break;
        case 'p': o.png = optarg; break;
        case 'e': o.eep = optarg; break;
        case 'w': o.backup = optarg; break;
        case 'S':
            o.scale = (int)zahl(optarg);
            if (o.scale < 1 || o.scale > 64)
                return falsch("scale must be 1 to 64, not", optarg);
            break;
        case 'c':
            o.com = (int)zahl(optarg);
            if (o.com < 1 || o.com > 2)
                return falsch("Comport is not supported:", optarg);
            break;
        case 'b':
            o.rate = zahl(optarg);
            if (baudindex(o.rate) < 0)
                return falsch("Baudrate is not supported:", optarg);
            break;
        case 'h':
            fputs(hilfe, stdout);
            return 2;
        case 'V':
            printf("zeldump %s\n", ZELCOMP_VERSION);
            return 2;
        default:
            fputs(hilfe, stderr);
            return 0;
        }
    }
    if (optind < argc)
        o.datei = argv[optind++];
    if (optind < argc || !o.datei == !o.com)
        return falsch("give one file or one port", "");
    if ((o.backup || o.rate) && !o.com)
        return falsch("-w and -b read a module: give -cN", "");
    return zielepruefen(o);
}

static int endung(const char *name, const char *ext)
{
    const char *p = strrchr(name, '.');
    return p && strcasecmp(p + 1, ext) == 0;
}

// The file's name without folder and extension, for the source's name.
static std::string stamm(const char *datei)
{
    if (!datei)
        return "zel";
    const char *b = strrchr(datei, '/');
    std::string s = b ? b + 1 : datei;
    size_t p = s.rfind('.');
    if (p != std::string::npos && p > 0)
        s.erase(p);
    return s.empty() ? "zel" : s;
}

static int laden(abbild &a, const optionen &o)
{
    if (o.com) {
        std::unique_ptr<zelctx> c(new zelctx);
        zelinit(*c);
        c->zelnr = o.zelnr;
        c->com = o.com;
        c->newbaud = o.rate;
        fsterminal(*c, stderr);
        if (!ladezel(a, *c))
            return 2;
        if (o.backup && !schreibeeeo(a, art(o, 1), o.backup))
            return 1;
        return 0;
    }
    a.zelnr = o.zelnr;
    int ok = endung(o.datei, "EEP") ? ladeeep(a, o.datei, stderr) : ladeeeo(a, o.datei, stderr);
    return ok ? 0 : 1;
}

// 0 done, 1 when an output is not what it should be, 64 when a file of
// -s or -p that is there was not replaced.
static int ausgaben(const abbild &a, const optionen &o)
{
    int status = 0;
    if (o.liste)
        liste(a, stdout);
    if (o.quelle) {
        int n = quelle(a, art(o, 0), o.quelle, stamm(o.datei).c_str());
        status = n == ZIELFEHLER ? 64 : n ? 1 : 0;
        if (n > 0)
            fprintf(stderr, "zeldump: %d part(s) of the image cannot be written as source; "
                            "the source in %s does not rebuild the image byte for byte\n",
                    n, o.quelle);
    }
    if (o.png) {
        int n = pngbilder(a, art(o, 0), o.png, o.scale);
        if (n)
            status = n == ZIELFEHLER ? 64 : status ? status : 1;
    }
    if (o.eep && !schreibeeep(a, art(o, 1), o.eep, stdout) && !status)
        status = 1;
    return status;
}

// Runs inside the interrupt handler: puts the serial port back as it was
// and, when a read-back was under way, says that it did not finish.
static void abgebrochen()
{
    static const char text[] = "\nError: read-back interrupted !\n";
    if (COMnotaus() && write(1, text, sizeof text - 1) < 0)
        return;
}

int main(int argc, char **argv)
{
    oshook(abgebrochen);
    osinstall();
    optionen o;
    int r = lese(o, argc, argv);
    if (r != 1)
        return r == 2 ? 0 : 64;
    std::unique_ptr<abbild> a(new abbild);
    int status = laden(*a, o);
    if (status == 2)
        return 2;
    if (status)
        return 1;
    karte(*a, stderr);
    zeigekarte(*a, stdout);
    if (a->fehler) {
        fprintf(stderr, "zeldump: the tables hold %d bad entries; nothing more is done\n",
                a->fehler);
        return 1;
    }
    status = ausgaben(*a, o);
    fflush(stdout);
    return status;
}
