// The line dispatcher: decides what a source line is and calls its handler.
#include "driver.h"
#include "../expr/expr.h"
#include "../macro/macro.h"
#include "../picture/picture.h"
#include "../font/font.h"
#include "../device/device.h"

#include <cstring>
#include <strings.h>

// Directive words count in their first four letters; a shorter word is none.
static int wort4(const char *wort, const char *keyword)
{
    return strlen(wort) >= 4 && strncasecmp(wort, keyword, 4) == 0;
}

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
    newkonst(c, c.str, wert);
}

static void ziel(zelctx &c)
{
    getfilename(c, c.outfile);
}

static void include(zelctx &c)
{
    if (getfilename(c, c.str))
        openfile(c, c.str);
}

static void makroblock(zelctx &c, int offset)
{
    closemakro(c);
    c.maknroff = offset;
    openmakro(c);
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

static void direktive(zelctx &c, char *start)
{
    const char *w = c.str;
    if (wort4(w, "PICTURE")) {
        closemakro(c);
        bild2eep(c);
    } else if (wort4(w, "DESTINATION")) {
        closemakro(c);
        ziel(c);
    } else if (wort4(w, "FONT")) {
        closemakro(c);
        font2eep(c);
    } else if (wort4(w, "INCLUDE")) {
        closemakro(c);
        include(c);
    } else if (wort4(w, "MAKRO")) {
        makroblock(c, 0);
    } else if (wort4(w, "TOUCHMAKRO")) {
        makroblock(c, 256);
    } else if (wort4(w, "PORTMAKRO")) {
        makroblock(c, 512);
    } else if (strncasecmp(start, "ZEL", 3) == 0 || strncasecmp(start, "QO", 2) == 0) {
        zelstr2var(c, start);
    } else if (wort4(w, "BAUD")) {
        baud(c);
    } else if (strncasecmp(w, "COM", 3) == 0) {
        comport(c);
    } else {
        fehler(c, "Unknown Command !");
    }
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
