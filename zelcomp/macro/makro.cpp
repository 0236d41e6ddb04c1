// Macro blocks: opening a numbered block in one of the three sections of
// the macro table and entering it there once it holds bytes.
#include "macro.h"
#include "../basis/basis.h"
#include "../expr/expr.h"

static unsigned char *makroentry(zelctx &c, int nr)
{
    return c.makro + 4 * (c.maknroff + nr);
}

// A macro entry is in use as soon as it has a length.
static int makrofrei(const unsigned char *e)
{
    return e[2] == 0xFF && e[3] == 0xFF;
}

int openmakro(zelctx &c)
{
    c.aktmaklen = 0;
    c.aktmakadr = c.adresse;
    nxttrennzch(c);
    if (!*c.zptr) {
        fehler(c, "there is no Macronumber !");
        // An empty block stays open, but the directive may have switched the
        // section: it must not go on into an entry that is already used there.
        if (c.aktmaknr >= 0 && !makrofrei(makroentry(c, c.aktmaknr)))
            c.aktmaknr = -1;
        return 0;
    }
    c.zptr++;
    c.aktmaknr = ausdruck(c);
    if (c.aktmaknr < 0 || c.aktmaknr > 255) {
        fehler(c, "Macronumber %d is wrong, (allowed: 0..255) !", c.aktmaknr);
        c.aktmaknr = -1;
        return 0;
    }
    if (!makrofrei(makroentry(c, c.aktmaknr))) {
        fehler(c, "Macronumber %d allready exists !", c.aktmaknr);
        c.aktmaknr = -1;
        return 0;
    }
    return 1;
}

static void zaehle(zelctx &c)
{
    if (c.maknroff == SEKTOUCH) {
        c.tmakanz++;
        c.tmaklen += c.aktmaklen;
    } else if (c.maknroff == SEKPORT) {
        c.pmakanz++;
        c.pmaklen += c.aktmaklen;
    } else {
        c.makanz++;
        c.maklen += c.aktmaklen;
    }
}

int closemakro(zelctx &c)
{
    // An empty block stays open, so that commands from an include that
    // follows its opening line still go into it.
    if (c.aktmaknr < 0 || c.aktmaklen == 0)
        return 0;
    zaehle(c);
    unsigned char *e = makroentry(c, c.aktmaknr);
    eepadr(e, c.aktmakadr);
    e[2] = c.aktmaklen & 0xFF;
    e[3] = (c.aktmaklen >> 8) & 0xFF;
    c.aktmaknr = -1;
    return 1;
}
