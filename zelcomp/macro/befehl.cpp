// The display command encoder: one '#' line becomes one escape sequence of
// the module, checked against the command table and the selected model.
#include "macro.h"
#include "../basis/basis.h"
#include "../expr/expr.h"
#include "../picture/picture.h"
#include "../device/device.h"
#include "../device/wire.h"

#include <cstdio>
#include <strings.h>

// How a command deviates from "ESC, letters, one byte per value".
enum befart {
    EINFACH,     // nothing special
    TEXT,        // a zero byte ends the text
    DATEN,       // count byte behind the letter, or a file as data chunks
    IWORT,       // p1, then the count of the values that follow
    BILD,        // inline picture with a size rule, or a picture file
    NURANZ,      // on a model without it, the count is reported as wrong
};

// How the upper limit of a command's parameter count is meant: as it
// stands, or added to datamax of the selected model (text commands carry
// up to datamax characters behind their leading values).
enum grenze { FEST, PLUSDM };

// An upper limit that no source line can reach.
enum { OFFEN = 9999 };

// The models that accept a command, written as their numbers.
static constexpr unsigned modelle(const char *s)
{
    return *s ? (1u << (*s - '0')) | modelle(s + 1) : 0;
}

struct befdef {
    const char *name;          // the letters, upper case
    int min, max;              // accepted parameter counts
    grenze bis;                // PLUSDM: max is added to the model's datamax
    unsigned zel;              // bit i: accepted on model i
    befart art;
};

static const befdef befehle[] = {
    {"O",  2, 2,     FEST,   modelle("01234"), EINFACH},
    {"F",  3, 3,     FEST,   modelle("01234"), EINFACH},
    {"FT", 1, 1,     FEST,   modelle("01234"), EINFACH},
    {"L",  2, 2,     FEST,   modelle("01234"), EINFACH},
    {"E",  1, 32,    FEST,   modelle("0123"),  NURANZ},
    {"V",  1, 1,     FEST,   modelle("01234"), EINFACH},
    {"P",  2, 2,     FEST,   modelle("01234"), EINFACH},
    {"G",  4, 4,     FEST,   modelle("01234"), EINFACH},
    {"W",  2, 2,     FEST,   modelle("01234"), EINFACH},
    {"H",  4, 4,     FEST,   modelle("01234"), EINFACH},
    {"X",  1, 1,     FEST,   modelle("01234"), EINFACH},
    {"J",  1, 1,     FEST,   modelle("0123"),  EINFACH},
    {"B",  2, 2,     FEST,   modelle("01234"), EINFACH},
    {"BL", 8, 8,     FEST,   modelle("01234"), EINFACH},
    {"BO", 8, 8,     FEST,   modelle("01234"), EINFACH},
    {"BR", 8, 8,     FEST,   modelle("01234"), EINFACH},
    {"BU", 8, 8,     FEST,   modelle("01234"), EINFACH},
    {"ZL", 2, 2,     PLUSDM, modelle("01234"), TEXT},
    {"ZM", 2, 2,     PLUSDM, modelle("01234"), TEXT},
    {"ZO", 2, 2,     PLUSDM, modelle("01234"), TEXT},
    {"ZR", 2, 2,     PLUSDM, modelle("01234"), TEXT},
    {"ZU", 2, 2,     PLUSDM, modelle("01234"), TEXT},
    {"ZZ", 2, 2,     PLUSDM, modelle("01234"), TEXT},
    {"ZT", 1, OFFEN, FEST,   modelle("01234"), EINFACH},
    {"RI", 4, 4,     FEST,   modelle("01234"), EINFACH},
    {"RL", 4, 4,     FEST,   modelle("01234"), EINFACH},
    {"RN", 4, 4,     FEST,   modelle("01234"), EINFACH},
    {"RR", 4, 4,     FEST,   modelle("01234"), EINFACH},
    {"RS", 4, 4,     FEST,   modelle("01234"), EINFACH},
    {"RJ", 5, 5,     FEST,   modelle("01234"), EINFACH},
    {"RM", 5, 5,     FEST,   modelle("01234"), EINFACH},
    {"RO", 5, 5,     FEST,   modelle("01234"), EINFACH},
    {"UE", 3, 3,     FEST,   modelle("01234"), EINFACH},
    {"UL", 2, OFFEN, FEST,   modelle("01234"), BILD},
    {"DA", 0, 0,     FEST,   modelle("01234"), EINFACH},
    {"DE", 0, 0,     FEST,   modelle("01234"), EINFACH},
    {"DI", 0, 0,     FEST,   modelle("01234"), EINFACH},
    {"DL", 0, 0,     FEST,   modelle("01234"), EINFACH},
    {"DS", 0, 0,     FEST,   modelle("01234"), EINFACH},
    {"DC", 0, 0,     FEST,   modelle("1234"),  EINFACH},
    {"DN", 0, 0,     FEST,   modelle("1234"),  EINFACH},
    {"DR", 0, 0,     FEST,   modelle("1234"),  EINFACH},
    {"DK", 1, 1,     FEST,   modelle("4"),     EINFACH},
    {"DX", 1, 1,     FEST,   modelle("4"),     EINFACH},
    {"MA", 3, 3,     FEST,   modelle("01234"), EINFACH},
    {"MJ", 3, 3,     FEST,   modelle("01234"), EINFACH},
    {"MN", 1, 1,     FEST,   modelle("01234"), EINFACH},
    {"MP", 1, 1,     FEST,   modelle("01234"), EINFACH},
    {"MT", 1, 1,     FEST,   modelle("01234"), EINFACH},
    {"CB", 0, 0,     FEST,   modelle("123"),   EINFACH},
    {"CR", 0, 0,     FEST,   modelle("123"),   EINFACH},
    {"CK", 2, 2,     FEST,   modelle("123"),   EINFACH},
    {"CS", 4, 4,     FEST,   modelle("123"),   EINFACH},
    {"TA", 1, 1,     FEST,   modelle("0123"),  EINFACH},
    {"TI", 1, 1,     FEST,   modelle("0123"),  EINFACH},
    {"TM", 1, 1,     FEST,   modelle("0123"),  EINFACH},
    {"TS", 1, 1,     FEST,   modelle("0123"),  EINFACH},
    {"TP", 0, 0,     FEST,   modelle("0123"),  EINFACH},
    {"TR", 0, 0,     FEST,   modelle("0123"),  EINFACH},
    {"TW", 0, 0,     FEST,   modelle("0123"),  EINFACH},
    {"TH", 4, 4,     PLUSDM, modelle("0123"),  TEXT},
    {"TV", 4, 4,     PLUSDM, modelle("0123"),  TEXT},
    {"NA", 0, 0,     FEST,   modelle("123"),   EINFACH},
    {"NI", 0, 0,     FEST,   modelle("123"),   EINFACH},
    {"NN", 0, 0,     FEST,   modelle("123"),   EINFACH},
    {"NP", 0, 0,     FEST,   modelle("123"),   EINFACH},
    {"NS", 0, 0,     FEST,   modelle("123"),   EINFACH},
    {"NM", 1, 1,     FEST,   modelle("123"),   EINFACH},
    {"NH", 3, 3,     PLUSDM, modelle("123"),   TEXT},
    {"NV", 3, 3,     PLUSDM, modelle("123"),   TEXT},
    {"YA", 1, 1,     FEST,   modelle("01234"), EINFACH},
    {"YI", 1, 1,     FEST,   modelle("01234"), EINFACH},
    {"YR", 1, 1,     FEST,   modelle("01234"), EINFACH},
    {"YW", 2, 2,     FEST,   modelle("01234"), EINFACH},
    {"YL", 1, 1,     FEST,   modelle("0134"),  EINFACH},
    {"QC", 1, 1,     FEST,   modelle("01234"), EINFACH},
    {"QZ", 1, 1,     FEST,   modelle("01234"), EINFACH},
    {"QD", 4, 4,     FEST,   modelle("01234"), EINFACH},
    {"QM", 1, 1,     FEST,   modelle("1234"),  EINFACH},
    {"KA", 1, 1,     FEST,   modelle("01234"), EINFACH},
    {"KD", 1, 1,     FEST,   modelle("01234"), EINFACH},
    {"KS", 1, 1,     FEST,   modelle("01234"), EINFACH},
    {"IR", 2, 2,     FEST,   modelle("23"),    EINFACH},
    {"IW", 2, 0,     PLUSDM, modelle("23"),    IWORT},
    {"S",  1, 255,   FEST,   modelle("01234"), DATEN},
    {"?",  0, 0,     FEST,   modelle("01234"), EINFACH},
    {"!",  1, 1,     FEST,   modelle("01234"), EINFACH},
    {"+",  1, 1,     FEST,   modelle("01234"), EINFACH},
    {"&E", 5, 5,     FEST,   modelle("01234"), EINFACH},
};

static const befdef *befsuche(int b1, int b2)
{
    for (const befdef &d : befehle)
        if (d.name[0] == b1 && d.name[1] == b2)
            return &d;
    return nullptr;
}

static int obergrenze(const zelctx &c, const befdef &d)
{
    return d.bis == PLUSDM ? zel[c.zelnr].datamax + d.max : d.max;
}

// The names of the models in the bit set zel, ", " between them.
static void modellnamen(unsigned zelbits, char *buf, size_t n)
{
    size_t len = 0;
    buf[0] = 0;
    for (int i = 0; i < ZELMODELS; i++)
        if (zelbits & (1u << i))
            len += snprintf(buf + len, len < n ? n - len : 0, "%s%s", len ? ", " : "", zel[i].name);
}

// How many parameters a command takes on the selected model, in words.
static void nimmt(const zelctx &c, const befdef &d, char *buf, size_t n)
{
    int max = obergrenze(c, d);
    if (d.art == DATEN)
        snprintf(buf, n, "1 to %d values or a file in <>", max);
    else if (d.art == BILD)
        snprintf(buf, n, "2 values and a file in <>, or 4 values and the picture's bytes");
    else if (d.min == max)
        snprintf(buf, n, d.min ? "%d" : "none", d.min);
    else if (max >= OFFEN)
        snprintf(buf, n, "%d or more", d.min);
    else
        snprintf(buf, n, "%d to %d", d.min, max);
}

// The commands nearest to letters that name none: those of the same first
// letter before those of the same second one, only what the model takes.
static void naechste(const zelctx &c, int b1, int b2, char *buf, size_t n)
{
    size_t len = 0;
    buf[0] = 0;
    for (int abstand = 1; abstand <= 2 && !len; abstand++)
        for (const befdef &d : befehle) {
            int a = 2 * (d.name[0] != b1) + (d.name[1] != b2);
            if (a == abstand && (d.zel & (1u << c.zelnr)) && len + 4 < n)
                len += snprintf(buf + len, n - len, "%s%s", len ? ", " : "", d.name);
        }
}

static int ungueltig(zelctx &c, int b1, int b2)
{
    char near[3 * ERRLEN];
    naechste(c, b1, b2, near, sizeof near);
    if (!b1)
        fehlerlang(c, "not a valid command !", "not a valid command: letters expected after #");
    else if (!near[0])
        fehlerlang(c, "not a valid command !", "not a valid command (no command on %s begins with %c)",
                   zel[c.zelnr].name, b1);
    else
        fehlerlang(c, "not a valid command !", "not a valid command (nearest: %s)", near);
    return 0;
}

// A command the selected model lacks.
static int nichtauf(zelctx &c, const befdef &d, const char *msg)
{
    char namen[3 * ERRLEN];
    modellnamen(d.zel, namen, sizeof namen);
    fehlerlang(c, msg, "%s on %s (%s: %s only)", d.art == NURANZ ? "wrong number of parameters" :
               "not a valid command", zel[c.zelnr].name, d.name, namen);
    return 0;
}

static int falschanz(zelctx &c, const befdef &d, int n, const char *liste)
{
    char was[2 * ERRLEN];
    nimmt(c, d, was, sizeof was);
    spaltebei(c, liste);
    fehlerlang(c, "wrong number of parameters", "wrong number of parameters (%s takes %s, got %d)",
               d.name, was, n);
    return 0;
}

// Reads the one or two letters into bef; the command, or none.
static const befdef *buchstaben(zelctx &c)
{
    c.aktbeflen = 0;
    befbyte(c, ESC);
    nxtzeichen(c, 0);
    int b1 = gross((unsigned char)*c.zptr);
    if (!b1)
        return nullptr;
    c.zptr++;
    befbyte(c, b1);
    nxtzeichen(c, 0);
    int b2 = (unsigned char)*c.zptr;
    const befdef *d = b2 ? befsuche(b1, gross(b2)) : nullptr;
    if (d) {
        // the second letter goes out as it was written
        befbyte(c, b2);
        c.zptr++;
        return d;
    }
    return befsuche(b1, 0);
}

// The list ended regularly unless parameter stopped on a character it
// could not read, which it has already reported.
static int listende(const zelctx &c)
{
    return *c.zptr == 0 || *c.zptr == ';' || *c.zptr == '<';
}

// S: 1 to 255 values behind a count byte, or a file as data chunks.
static int datenbefehl(zelctx &c, const befdef &d, int n, const char *liste)
{
    if (n > 255)
        return falschanz(c, d, n, liste);
    if (n > 0) {
        c.bef[2] = (unsigned char)n;
        return bef2eep(c);
    }
    if (!getfilename(c, c.str))
        return falschanz(c, d, n, liste);
    loadsendfile(c, c.str);
    return 1;
}

// IW: p1 goes into the reserved byte, the count of the rest behind it.
static int iwbefehl(zelctx &c, const befdef &d, int n, const char *liste)
{
    if (n < d.min || n > obergrenze(c, d))
        return falschanz(c, d, n, liste);
    c.bef[3] = c.bef[4];
    c.bef[4] = (unsigned char)(n - 1);
    return bef2eep(c);
}

// UL: two values and a picture file, or an inline picture of p3 x p4 dots.
static int bildbefehl(zelctx &c, const befdef &d, int n, const char *liste)
{
    if (n == 2) {
        // The picture goes right behind the command, so the command must
        // be in place first; the loader checks the room that is left.
        if (!bef2eep(c))
            return 0;
        if (getfilename(c, c.str) && loadbild(c, c.str)) {
            c.aktmaklen += c.filelen;
            c.adresse += c.filelen;
        }
        return 1;
    }
    int breite = c.bef[5], hoehe = c.bef[6];
    int soll = (breite + 7) / 8 * hoehe;
    if (n > 4 && n - 4 == soll)
        return bef2eep(c);
    if (n <= 4)
        return falschanz(c, d, n, liste);
    spaltebei(c, liste);
    fehlerlang(c, "wrong number of parameters",
               "wrong number of parameters (UL with a picture of %dx%d dots takes 4 values and %d "
               "data bytes, got %d data bytes)", breite, hoehe, soll, n - 4);
    return 0;
}

int zelbefehl(zelctx &c)
{
    nxtzeichen(c, 0);
    const char *wort = c.zptr;
    const befdef *d = buchstaben(c);
    if (!d) {
        spaltebei(c, wort);
        int b2 = gross((unsigned char)*c.zptr);
        return ungueltig(c, c.aktbeflen > 1 ? c.bef[1] : 0, isletter(b2) ? b2 : 0);
    }
    if (!(d->zel & (1u << c.zelnr))) {
        spaltebei(c, wort);
        return nichtauf(c, *d, d->art == NURANZ ? "wrong number of parameters" : "not a valid command !");
    }
    if (d->art == DATEN || d->art == IWORT)
        befbyte(c, 0);                  // the count byte, filled in below
    nxtzeichen(c, 0);
    const char *liste = c.zptr;
    int n = parameter(c);
    if (!listende(c))
        return 0;
    switch (d->art) {
    case DATEN:
        return datenbefehl(c, *d, n, liste);
    case IWORT:
        return iwbefehl(c, *d, n, liste);
    case BILD:
        return bildbefehl(c, *d, n, liste);
    default:
        break;
    }
    if (n < d->min || n > obergrenze(c, *d))
        return falschanz(c, *d, n, liste);
    if (d->art == TEXT)
        befbyte(c, 0);
    return bef2eep(c);
}

// The table as other programs see it, the limits resolved for one model.
int befehlinfo(int i, int zelnr, befinfo &b)
{
    if (i < 0 || i >= (int)(sizeof befehle / sizeof befehle[0]))
        return 0;
    const befdef &d = befehle[i];
    b.name = d.name;
    b.min = d.min;
    b.max = d.bis == PLUSDM ? d.max + zel[zelnr].datamax : d.max;
    b.zel = d.zel;
    b.text = d.art == TEXT;
    b.art = d.art == DATEN ? 'S' : d.art == IWORT ? 'I' : d.art == BILD ? 'U' : 0;
    return 1;
}

// The parameters of a command in words; zelnr -1 leaves a limit that
// depends on the model as datamax.
static void parametertext(const befdef &d, int zelnr, char *buf, size_t n)
{
    char max[24];
    if (d.bis == PLUSDM && zelnr < 0)
        snprintf(max, sizeof max, d.max ? "datamax+%d" : "datamax", d.max);
    else
        snprintf(max, sizeof max, "%d", d.bis == PLUSDM ? d.max + zel[zelnr].datamax : d.max);
    switch (d.art) {
    case DATEN:
        snprintf(buf, n, "1 to %s after a count byte, or a file <name>", max);
        return;
    case IWORT:
        snprintf(buf, n, "2 to %s, the count of p2.. stored behind p1", max);
        return;
    case BILD:
        snprintf(buf, n, "2 and a picture file <name>, or 4 and (p3+7)/8*p4 bytes");
        return;
    default:
        break;
    }
    const char *text = d.art == TEXT ? ", text, a zero byte appended" : "";
    if (d.min == d.max && d.bis == FEST && !d.min)
        snprintf(buf, n, "none%s", text);
    else if (d.min == d.max && d.bis == FEST)
        snprintf(buf, n, "%d%s", d.min, text);
    else if (d.max >= OFFEN)
        snprintf(buf, n, "%d or more%s", d.min, text);
    else
        snprintf(buf, n, "%d to %s%s", d.min, max, text);
}

int befehlzeile(int i, int zelnr, char *buf, size_t n)
{
    if (i < 0 || i >= (int)(sizeof befehle / sizeof befehle[0]) || zelnr >= ZELMODELS)
        return 0;
    const befdef &d = befehle[i];
    if (zelnr >= 0 && !(d.zel & (1u << zelnr))) {
        buf[0] = 0;
        return 1;
    }
    char par[96], mod[64];
    parametertext(d, zelnr, par, sizeof par);
    if (zelnr >= 0 || d.zel == (1u << ZELMODELS) - 1)
        snprintf(mod, sizeof mod, zelnr >= 0 ? "%s" : "all", zel[zelnr < 0 ? 0 : zelnr].name);
    else
        modellnamen(d.zel, mod, sizeof mod);
    snprintf(buf, n, "%-3s %-55s %s", d.name, par, mod);
    return 1;
}

int befehlsuche(const char *buchstaben)
{
    for (int i = 0; i < (int)(sizeof befehle / sizeof befehle[0]); i++)
        if (strcasecmp(befehle[i].name, buchstaben) == 0)
            return i;
    return -1;
}
