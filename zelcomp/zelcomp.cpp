// zelcomp: compiles a macro source into the EEPROM image of a ZEL module,
// writes the upload file and, given a COM port, uploads it.
#include "zelcomp.h"
#include "driver/driver.h"
#include "expr/expr.h"
#include "macro/macro.h"
#include "device/device.h"
#include "font/font.h"
#include "basis/os.h"
#include "serial/seriowin.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <unistd.h>

static const char banner[] =
    "zelcomp 1.0 - macro compiler and uploader for ZEL graphic LCD modules\n"
    "usage: zelcomp [-o] [-c<port>] [-b<baudrate>] [file]\n";

static const char hilfe[] =
    "usage: zelcomp [options] [file]\n"
    "Compiles the macro source FILE into the EEPROM image of a ZEL graphic LCD\n"
    "module, writes the upload file NAME.EEP and, given a port, uploads it.\n"
    "A FILE whose extension begins with EEP is only uploaded. Without FILE\n"
    "zelcomp asks for one.\n"
    "\n"
    "Options (the letter after '-' may be upper or lower case):\n"
    "  -o            also write the object file NAME.EEO, the EEPROM from 0\n"
    "  -c<n>         upload to port COM<n> (1 or 2) after a compile without errors\n"
    "  -P <device>   upload to this device (any serial device) instead\n"
    "  -b<rate>      upload at this rate: 1200, 2400, 4800, 9600, 19200, 38400,\n"
    "                57600 or 115200\n"
    "  --verify      after the upload, read the EEPROM back and compare it\n"
    "  -I<dir>       look for files named in the source (INCLUDE, PICTURE, FONT,\n"
    "                #S, #UL) also in dir, after the current directory and the\n"
    "                directory of the file naming them; may be repeated\n"
    "  --charset=SET read strings as UTF-8 and store them in SET: cp437 (the\n"
    "                internal fonts) or latin1\n"
    "  -MD           also write NAME.d, a make rule: the outputs depend on\n"
    "                every file the run read\n"
    "  -W            warn on stderr where a value is silently changed\n"
    "  --batch       no banner, no prompt and no wait for RETURN; each error and\n"
    "                upload failure also on stderr as FILE:LINE:COLUMN: error:\n"
    "                MESSAGE, the line and a caret under the column\n"
    "  --commands [MODEL]  list the display commands, one a line: letters,\n"
    "                parameters, models; with a model only what it takes\n"
    "  -h, --help    show this help and end\n"
    "  --version     show the version and end\n"
    "\n"
    "Port COM<n> is the device in the environment variable ZEL_COM<n>,\n"
#ifdef _WIN32
    "else COM<n> itself.\n"
#else
    "else /dev/ttyS<n-1>.\n"
#endif
    "\n"
    "A rate or port that cannot be used, -b or -c with its value apart, or a\n"
    "second file name end the run before anything is read or written.\n"
    "\n"
    "Exit status: 0 success, 1 errors in the source or its files,\n"
    "2 the module or the upload failed, 64 wrong use of the command line.\n";

enum { NUTZFEHLER = 64 };   // exit status of a wrong command line

void zelinit(zelctx &c)
{
    resetimage(c);
    predefkonst(c);
    c.filenr = -1;
    c.aktmaknr = -1;
    c.aktmakadr = c.aktmaklen = c.maknroff = 0;
    c.aktbeflen = 0;
    c.eepadrmax = 0;
    c.orgbaud = -1;
    c.verify = 0;
    c.eepdateilen = 0;
    c.aktbaud = 0;
    c.offen = 0;
    c.fs = fortschritt{};
    c.zelnr = 3;
    c.com = 0;
    c.geraet[0] = 0;
    c.softbaud = -1;
    c.newbaud = 0;
    c.eepobjfile = 0;
    c.abhdatei = 0;
    c.abhlen = 0;
    c.depfile[0] = 0;
    c.str[0] = c.outfile[0] = c.objfile[0] = 0;
    c.zeile[0] = 0;
    c.zulang = 0;
    c.zptr = c.zeile;
    c.err[0] = 0;
    c.errors = 0;
    c.fperr = nullptr;
    c.errtmp[0] = 0;
    c.eingabeanz = 0;
    c.filelen = 0;
    c.con = stdout;
    c.conin = stdin;
    c.batch = c.warnen = 0;
    c.zeichensatz = nullptr;
    c.satzname = nullptr;
    c.incanz = 0;
    c.diag = stderr;
    c.senke = nullptr;
    c.senkeziel = nullptr;
    c.spalte = 0;
}

// A number after an option letter; an unreadable one keeps the old value.
static long optzahl(const char *s, long alt)
{
    char *end;
    errno = 0;
    long v = strtol(s, &end, 10);
    return end == s ? alt : v;
}

static int nutzfehler(zelctx &c, const char *text, const char *arg)
{
    fprintf(c.diag, "zelcomp: %s", text);
    einzeilig(c.diag, arg, (int)strlen(arg));
    putc('\n', c.diag);
    return 0;
}

// -I with the directory attached, as -b and -c take their values.
static int includeverz(zelctx &c, const char *dir)
{
    if (!dir[0])
        return nutzfehler(c, "-I needs a directory attached, as in -Iinclude", "");
    if (c.incanz >= MAXINC)
        return nutzfehler(c, "too many -I directories: ", dir);
    // Room is left for a separator and a name of at least one character.
    if (strlen(dir) + 2 >= NAMELEN)
        return nutzfehler(c, "-I directory name too long: ", dir);
    snprintf(c.incdir[c.incanz++], NAMELEN, "%s", dir);
    return 1;
}

// Options of two dashes; one not known is ignored like every other
// unknown option. --help and --version are answered before all else.
static int langoption(zelctx &c, const char *a)
{
    if (strcmp(a, "--batch") == 0)
        c.batch = 1;
    else if (strcmp(a, "--verify") == 0)
        c.verify = 1;
    else if (strncmp(a, "--charset=", 10) == 0) {
        c.zeichensatz = zeichensatz(a + 10);
        c.satzname = strcmp(a + 10, "cp437") == 0 ? "code page 437" : "Latin-1";
        if (!c.zeichensatz)
            return nutzfehler(c, "--charset takes cp437 or latin1, not ", a + 10);
    }
    return 1;
}

// --commands [MODEL]: the display command table, one command a line;
// with a model only what that model takes, its limits resolved.
static int befehlsliste(zelctx &c, const char *modell)
{
    int nr = -1;
    if (modell && (nr = zelsuche(modell)) < 0) {
        fprintf(c.diag, "zelcomp: unknown model ");
        einzeilig(c.diag, modell, (int)strlen(modell));
        fprintf(c.diag, "; the models are");
        for (int i = 0; i < ZELMODELS; i++)
            fprintf(c.diag, "%s %s", i ? "," : "", zel[i].name);
        fprintf(c.diag, "\n");
        return NUTZFEHLER;
    }
    char zeile[160];
    for (int i = 0; befehlzeile(i, nr, zeile, sizeof zeile); i++)
        if (zeile[0])
            fprintf(c.con, "%s\n", zeile);
    return 0;
}

// --help, -h, --version or --commands anywhere: prints the answer and
// returns the run's status; -1 when none was asked for. The first counts.
static int auskunft(zelctx &c, int argc, char **argv)
{
    for (int i = 1; i < argc; i++) {
        const char *a = argv[i];
        if (strcmp(a, "--version") == 0) {
            fprintf(c.con, "zelcomp %s\n", ZELCOMP_VERSION);
            return 0;
        }
        if (strcmp(a, "--help") == 0 || (a[0] == '-' && (a[1] | 0x20) == 'h')) {
            fputs(hilfe, c.con);
            return 0;
        }
        if (strncmp(a, "--commands=", 11) == 0)
            return befehlsliste(c, a + 11);
        if (strcmp(a, "--commands") == 0)
            return befehlsliste(c, i + 1 < argc && argv[i + 1][0] != '-' ? argv[i + 1] : nullptr);
    }
    return -1;
}

// 1 when a is a number as a rate or a port is written: digits only.
static int zahlwort(const char *a)
{
    if (!*a)
        return 0;
    for (; *a; a++)
        if (*a < '0' || *a > '9')
            return 0;
    return 1;
}

// -b and -c take their value attached. A bare one keeps its old console
// message; the number written apart is part of the slip, not a file name.
static int getrennt(zelctx &c, int argc, char **argv, int *i, const char *wie)
{
    if (*i + 1 < argc && zahlwort(argv[*i + 1]))
        (*i)++;
    return nutzfehler(c, wie, "");
}

static int rateoption(zelctx &c, int argc, char **argv, int *i)
{
    const char *a = argv[*i];
    c.newbaud = optzahl(a + 2, c.newbaud);
    if (baudindex(c.newbaud) >= 0)
        return 1;
    fprintf(c.con, "\nBaudrate %ld is not supported !", c.newbaud);
    c.newbaud = 0;
    if (!a[2])
        return getrennt(c, argc, argv, i, "-b needs the rate attached, as in -b115200");
    return nutzfehler(c, "rates are 1200, 2400, 4800, 9600, 19200, 38400, 57600 and 115200, not ", a + 2);
}

static int portoption(zelctx &c, int argc, char **argv, int *i)
{
    const char *a = argv[*i];
    long v = optzahl(a + 2, c.com);
    c.com = v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : (int)v;
    if (c.com >= 1 && c.com <= 2)
        return 1;
    fprintf(c.con, "\nComport %d is not supported !", c.com);
    c.com = 0;
    if (!a[2])
        return getrennt(c, argc, argv, i, "-c needs the port attached, as in -c1");
    return nutzfehler(c, "-c takes port 1 or 2; -P names any device, not ", a + 2);
}

// -P DEVICE or -PDEVICE: upload to that device.
static int geraetoption(zelctx &c, int argc, char **argv, int *i)
{
    const char *g = argv[*i] + 2;
    if (!*g && *i + 1 < argc)
        g = argv[++*i];
    if (!*g)
        return nutzfehler(c, "-P needs a device, as in -P /dev/ttyUSB0", "");
    if (strlen(g) >= sizeof c.geraet)
        return nutzfehler(c, "-P device name too long: ", g);
    snprintf(c.geraet, sizeof c.geraet, "%s", g);
    return 1;
}

// Reads the command line; returns 0 when a file name did not fit into str.
// *nutz becomes 0 when the command line cannot be used as it is: the
// run then ends with the usage status before it reads or writes a file.
// *gedruckt becomes 1 when a refused rate or port was printed on the console.
static int kommandozeile(zelctx &c, int argc, char **argv, int *nutz, int *gedruckt)
{
    *gedruckt = 0;
    int ok = 1, namen = 0;
    *nutz = 1;
    for (int i = 1; i < argc; i++) {
        const char *a = argv[i];
        if (a[0] != '-') {
            if (namen++) {
                *nutz = nutzfehler(c, "one file per run; a second file name: ", a);
                continue;
            }
            ok = strlen(a) < sizeof c.str;
            snprintf(c.str, sizeof c.str, "%s", ok ? a : "");
            continue;
        }
        int r = 1;
        switch (a[1] ? a[1] | 0x20 : 0) {
        case 'b':
            r = rateoption(c, argc, argv, &i);
            break;
        case 'c':
            r = portoption(c, argc, argv, &i);
            break;
        case 'p':
            r = geraetoption(c, argc, argv, &i);
            break;
        case 'o':
            c.eepobjfile = 1;
            break;
        case 'm':
            if (strcasecmp(a, "-MD") == 0)
                c.abhdatei = 1;
            break;
        case 'w':
            c.warnen = 1;
            break;
        case 'i':
            r = includeverz(c, a + 2);
            break;
        case '-':
            r = langoption(c, a);
            break;
        }
        if (!r)
            *nutz = 0;
        if (!r && ((a[1] | 0x20) == 'b' || (a[1] | 0x20) == 'c'))
            *gedruckt = 1;
    }
    // -P is the port: the upload goes there, whatever -c says.
    if (c.geraet[0] && !c.com)
        c.com = 1;
    return ok;
}

// Asks for the source name; returns 0 when the answer did not fit into str.
static int frage(zelctx &c)
{
    fprintf(c.con, "Filename: ");
    fflush(c.con);
    if (!fgets(c.str, sizeof c.str, c.conin)) {
        c.str[0] = 0;
        return 1;
    }
    size_t n = strcspn(c.str, "\r\n");
    int ok = c.str[n] != 0 || strlen(c.str) < sizeof c.str - 1 || feof(c.conin);
    if (!ok) {
        int ch;
        while ((ch = fgetc(c.conin)) != EOF && ch != '\n')
            ;
        c.str[0] = 0;
    }
    c.str[n] = 0;
    return ok;
}

// Derives NAME.EEP and NAME.EEO; returns 1 for an upload-only run.
static int ausgabenamen(zelctx &c)
{
    snprintf(c.outfile, sizeof c.outfile, "%s", c.str);
    char *punkt = strrchr(c.outfile, '.');
    if (punkt && strncasecmp(punkt + 1, "EEP", 3) == 0)
        return 1;
    if (punkt)
        *punkt = 0;
    // The caller made sure that the name leaves room for the extension.
    size_t n = strlen(c.outfile);
    memcpy(c.objfile, c.outfile, n);
    memcpy(c.objfile + n, ".EEO", 5);
    memcpy(c.depfile, c.outfile, n);
    memcpy(c.depfile + n, ".d", 3);
    memcpy(c.outfile + n, ".EEP", 5);
    return 0;
}

static void kompiliere(zelctx &c)
{
    if (!openfile(c, c.str))
        return;
    while (c.filenr >= 0) {
        if (readzeile(c)) {
            int nr = c.filenr;
            dispatch(c);
            zeilenrest(c, nr);
        } else
            closeaktfile(c);
    }
    closemakro(c);
}

// The log is ended here, so that the console can say whether it is there.
// Returns 1 when the console's last text ended its line.
static int fehlerbilanz(zelctx &c)
{
    fprintf(c.con, "\n\n---> found %d Errors !\n", c.errors);
    if (c.fperr)
        fprintf(c.fperr, "\nfound %d Errors !", c.errors);
    int log = logschliessen(c);
    switch (log) {
    case LOGDA:
        fprintf(c.con, "\n---> see File <%s>", ERRORLOG);
        break;
    case LOGEINGABE:
        fprintf(c.con, "\n---> File <%s> not written: this run reads it", ERRORLOG);
        break;
    case LOGFEHLT:
        fprintf(c.con, "\n---> Cannot write file %s !", ERRORLOG);
        break;
    }
    if (c.batch)
        return log == LOGKEINS;
    fprintf(c.con, "\n<RETURN>");
    fflush(c.con);
    if (!fgets(c.str, sizeof c.str, c.conin))
        c.str[0] = 0;
    return 0;
}

static void uebersicht(zelctx &c)
{
    fprintf(c.con, "\nSuccess !");
    fprintf(c.con, "\nEEPROM-Memory overview:");
    fprintf(c.con, "\n     System:      %5ld bytes", (long)SYSSIZE);
    fprintf(c.con, "\n %3d Fonts:       %5ld bytes", c.fontanz, c.fontlen);
    fprintf(c.con, "\n %3d Pictures:    %5ld bytes", c.bildanz, c.bildlen);
    fprintf(c.con, "\n %3d Makros:      %5ld bytes", c.makanz, c.maklen);
    fprintf(c.con, "\n %3d Touchmakros: %5ld bytes", c.tmakanz, c.tmaklen);
    fprintf(c.con, "\n %3d Portmakros:  %5ld bytes", c.pmakanz, c.pmaklen);
    fprintf(c.con, "\n ----------------------------");
    fprintf(c.con, "\n %ld bytes used\n", (long)c.adresse + SYSSIZE);
}

// The end of every run. --batch output ends with a line end, for the
// tools that read it; zu says that the last text printed ended its line.
static int schluss(zelctx &c, int status, int zu)
{
    if (c.batch && !zu)
        putc('\n', c.con);
    fflush(c.con);
    return status;
}

int zelrun(zelctx &c, int argc, char **argv)
{
    int antwort = auskunft(c, argc, argv);
    if (antwort >= 0) {
        fflush(c.con);
        return antwort;
    }
    // --batch is known before anything is printed: no banner then.
    for (int i = 1; i < argc; i++)
        if (strcmp(argv[i], "--batch") == 0)
            c.batch = 1;
    if (!c.batch)
        fprintf(c.con, "%s", banner);
    int nutz, gedruckt;
    int nameok = kommandozeile(c, argc, argv, &nutz, &gedruckt);
    if (nutz && nameok && !c.str[0] && c.batch)
        nutz = nutzfehler(c, "no file name given (--batch does not ask for one)", "");
    if (!nutz)
        return schluss(c, NUTZFEHLER, !gedruckt);
    if (nameok && !c.str[0])
        nameok = frage(c);
    // A name that fits into str may still have no room for its extension.
    if (nameok && strlen(c.str) + 4 >= sizeof c.outfile)
        nameok = 0;
    if (nameok && ausgabenamen(c))
        return schluss(c, c.com && !uploadeep(c) ? 2 : 0, !c.com);
    c.errors = 0;
    logoeffnen(c);
    if (nameok)
        kompiliere(c);
    else
        fehler(c, "Filename is to long !");
    if (c.errors == 0)
        writeausgaben(c);
    int zu = !c.com;
    if (c.errors)
        zu = fehlerbilanz(c);
    int hochgeladen = 1;
    if (!c.errors) {
        uebersicht(c);
        if (c.com)
            hochgeladen = uploadeep(c);
    }
    logschliessen(c);
    return schluss(c, c.errors ? 1 : hochgeladen ? 0 : 2, zu);
}

#ifndef ZELCOMP_NO_MAIN
// Runs inside the interrupt handler: puts the serial port back as it was
// and, when an upload was under way, says that it did not finish.
static void abgebrochen()
{
    static const char text[] = "\nError: upload interrupted !";
    if (COMnotaus() && write(1, text, sizeof text - 1) < 0)
        return;
}

int main(int argc, char **argv)
{
    oshook(abgebrochen);
    osinstall();
    zelctx c;
    zelinit(c);
    fsterminal(c, stderr);
    return zelrun(c, argc, argv);
}
#endif
