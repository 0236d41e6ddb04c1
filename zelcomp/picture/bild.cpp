// The PICTURE directive: number and file name from the line, the checks on
// the number, and the picture table entry for the stored record.
#include "picture.h"
#include "../basis/basis.h"
#include "../expr/expr.h"
#include "../macro/macro.h"

// Reads the parameter list into bef and returns the number of values; *nr
// gets the first value. bef keeps one byte per value, but the number is
// checked at full width, so the first expression is evaluated here and
// parameter reads the rest of the list.
static int bildparameter(zelctx &c, int *nr)
{
    c.aktbeflen = 0;
    nxtzeichen(c, 0);
    while (*c.zptr == ',')
        nxtzeichen(c, 1);
    const char *start = c.zptr;
    int v = ausdruck(c);
    if (c.zptr == start) {      // a string, '<', ';' or nothing: parameter's case
        int anz = parameter(c);
        *nr = c.bef[0];
        return anz;
    }
    *nr = v;
    c.bef[c.aktbeflen++] = v & 0xFF;
    return 1 + parameter(c);
}

int bild2eep(zelctx &c)
{
    nxttrennzch(c);
    if (*c.zptr)
        c.zptr++;
    int nr;
    if (bildparameter(c, &nr) == 0) {
        fehler(c, "No Picturenumber !");
        return 0;
    }
    if (!getfilename(c, c.str))
        return 0;
    if (nr < 0 || nr > 255) {
        fehler(c, "Picturenumber %d is wrong, (allowed: 0..255) !", nr);
        return 0;
    }
    unsigned char *eintrag = c.bild + 2 * nr;
    if (!tabfrei(eintrag)) {
        fehler(c, "Picturenumber %d allready exists !", nr);
        return 0;
    }
    if (!loadbild(c, c.str))
        return 0;
    eintrag2eep(c, eintrag, c.bildanz, c.bildlen, c.filelen);
    return 1;
}
