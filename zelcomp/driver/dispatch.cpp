// The line dispatcher: decides what a source line is and calls its handler.
#include "driver.h"
#include "../expr/expr.h"
#include "../macro/macro.h"
#include "../picture/picture.h"
#include "../font/font.h"
#include "../device/device.h"

#include <cstring>
#include <strings.h>

static void befehlszeile(zelctx &c)
{
    if (c.aktmaknr < 0) {
        fehler(c, "No Macronumber defined !");
        return;
    }
    c.zptr++;
    zelbefehl(c);
}

static void definition(zelctx &c, char *gleich)
{
    c.zptr = gleich + 1;
    int wert = ausdruck(c);
    // A name the full table has no room for would be missing at its uses.
    if (!newkonst(c, c.str, wert))
        fehler(c, "Too many constants (max. %d) !", MAXKONST);
}

// "<>" names no file either.
static void ziel(zelctx &c)
{
    if (getfilename(c, c.outfile) && !c.outfile[0])
        fehler(c, "Cannot found a Filename !");
}

// -W: a line that begins like a model name but names none selects
// nothing, and one that runs on behind a name is read as that name. A
// name is compared on 8 characters, so those alone are a name too.
static void modell(zelctx &c, const char *start)
{
    int n = 0;
    while (isnamech(start[n]) || start[n] == '-')
        n++;
    int nr = zelsuche(start);
    if (nr < 0)
        warnung(c, "unknown model \"%.*s\", %s stays selected", n, start, zel[c.zelnr].name);
    else if (n != 8 && (n != (int)strlen(zel[nr].name) || strncasecmp(start, zel[nr].name, n) != 0))
        warnung(c, "model \"%.*s\" read as %s", n, start, zel[nr].name);
    zelstr2var(c, start);
}

static void include(zelctx &c)
{
    if (getfilename(c, c.str))
        openfile(c, c.str);
}

// The rate after the separator behind the word; 0 when there is none.
static int rate(zelctx &c)
{
    if (!*c.zptr)
        return 0;
    c.zptr++;
    return ausdruck(c);
}

// Index of a rate in the baud table, -1 for none; 0 or less is no rate
// and passes without a message.
static int baudtest(zelctx &c, int wert)
{
    if (wert <= 0)
        return -1;
    int i = baudindex(wert);
    if (i < 0)
        fehler(c, "baudrate %ld is not supported !", (long)wert);
    return i;
}

static void baud(zelctx &c)
{
    nxttrennzch(c);
    int i = baudtest(c, rate(c));
    if (i >= 0)
        c.softbaud = i;
}

// A port or rate once set, by the command line or an earlier line, stays.
static void comport(zelctx &c)
{
    if (c.com == 0 && isdigit10(c.str[3]))
        c.com = c.str[3] - '0';
    nxttrennzch(c);
    if (c.newbaud != 0)
        return;
    int i = baudtest(c, rate(c));
    if (i >= 0)
        c.newbaud = zelbaud[i];
}

// What a directive line does once its keyword has matched.
enum direktivart {
    BILDDIR,     // PICTURE: a picture under its number
    ZIELDIR,     // DESTINATION: the name of the upload file
    FONTDIR,     // FONT: a font under its number
    INCLUDEDIR,  // INCLUDE: the next lines come from the named file
    BLOCKDIR,    // MAKRO, TOUCHMAKRO, PORTMAKRO: opens a block in its section
    MODELLDIR,   // ZEL..., QO...: selects the model named by the line
    BAUDDIR,     // BAUD: the rate the module is switched to
    COMDIR,      // COM: upload port and rate
};

enum { WORT, ZEILE };                 // what a keyword is compared with
enum { LAESSTOFFEN, SCHLIESST };       // what becomes of an open macro block

struct direktivdef {
    const char *keyword;       // upper case, compared without regard to case
    int zeichen;               // letters compared: a shorter word matches none
    int aufzeile;              // ZEILE: the line from its start, WORT: its first word
    int schliesst;             // SCHLIESST: an open macro block is closed first
    direktivart art;
    int sektion;               // BLOCKDIR only: first entry of its section of the macro table
};

// Tested in this order; the first match wins. A directive that stores bytes
// of its own, reads another file or opens a block ends the open block first;
// model, rate and port lines leave it open.
static const direktivdef direktiven[] = {
    {"PICTURE",     4, WORT,  SCHLIESST,   BILDDIR,    0},
    {"DESTINATION", 4, WORT,  SCHLIESST,   ZIELDIR,    0},
    {"FONT",        4, WORT,  SCHLIESST,   FONTDIR,    0},
    {"INCLUDE",     4, WORT,  SCHLIESST,   INCLUDEDIR, 0},
    {"MAKRO",       4, WORT,  SCHLIESST,   BLOCKDIR,   SEKMAKRO},
    {"TOUCHMAKRO",  4, WORT,  SCHLIESST,   BLOCKDIR,   SEKTOUCH},
    {"PORTMAKRO",   4, WORT,  SCHLIESST,   BLOCKDIR,   SEKPORT},
    {"ZEL",         3, ZEILE, LAESSTOFFEN, MODELLDIR,  0},
    {"QO",          2, ZEILE, LAESSTOFFEN, MODELLDIR,  0},
    {"BAUD",        4, WORT,  LAESSTOFFEN, BAUDDIR,    0},
    {"COM",         3, WORT,  LAESSTOFFEN, COMDIR,     0},
};

// Every keyword is at least as long as the letters compared, so a shorter
// text differs from it at its terminating zero.
static const direktivdef *suchedirektive(const char *wort, const char *start)
{
    for (const direktivdef &d : direktiven)
        if (strncasecmp(d.aufzeile == ZEILE ? start : wort, d.keyword, d.zeichen) == 0)
            return &d;
    return nullptr;
}

static void ausfuehren(zelctx &c, const direktivdef &d, char *start)
{
    switch (d.art) {
    case BILDDIR:
        bild2eep(c);
        break;
    case ZIELDIR:
        ziel(c);
        break;
    case FONTDIR:
        font2eep(c);
        break;
    case INCLUDEDIR:
        include(c);
        break;
    case BLOCKDIR:
        c.maknroff = d.sektion;
        openmakro(c);
        break;
    case MODELLDIR:
        modell(c, start);
        break;
    case BAUDDIR:
        baud(c);
        break;
    case COMDIR:
        comport(c);
        break;
    }
}

// -W: a keyword is known by its first letters, so MAKROBLAH, PICTUR and
// TOUCHMACRO pass for MAKRO, PICTURE and TOUCHMAKRO. Only the keyword
// itself, and COM followed by the port's digits, pass without a word.
static void schreibweise(zelctx &c, const direktivdef &d)
{
    if (d.aufzeile != WORT || strcasecmp(c.str, d.keyword) == 0)
        return;
    if (d.art == COMDIR) {
        const char *p = c.str + 3;
        while (isdigit10(*p))
            p++;
        if (!*p)
            return;
    }
    warnung(c, "\"%s\" read as %s: a keyword is known by its first %d letters", c.str, d.keyword,
            d.zeichen);
}

static void direktive(zelctx &c, char *start)
{
    const direktivdef *d = suchedirektive(c.str, start);
    if (!d) {
        fehler(c, "Unknown Command !");
        return;
    }
    schreibweise(c, *d);
    if (d->schliesst == SCHLIESST)
        closemakro(c);
    ausfuehren(c, *d, start);
}

// A line that begins with a name: a constant definition when it holds a
// '=', else a directive. Names beginning with '_' can only be defined.
static void namenszeile(zelctx &c)
{
    char *start = c.zptr;
    char *semikolon = strchr(start, ';');
    if (semikolon)
        *semikolon = 0;
    char *gleich = strchr(start, '=');
    if (*start == '_' && !gleich)
        return;
    if (!getkonststr(c, c.str))
        return;
    if (gleich)
        definition(c, gleich);
    else
        direktive(c, start);
}

void dispatch(zelctx &c)
{
    nxtzeichen(c, 0);
    if (*c.zptr == '#')
        befehlszeile(c);
    else if (isletter(*c.zptr) || *c.zptr == '_')
        namenszeile(c);
}
