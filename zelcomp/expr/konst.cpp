// The table of named constants: the predefined names, reading a name,
// defining and looking up. Names are compared without regard to case.
#include "expr.h"
#include "../basis/basis.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

void predefkonst(zelctx &c)
{
    static const char *const intern[] = {"INTERN4x6", "INTERN5x6", "INTERN6x8", "INTERN8x8",
                                         "INTERN8x16"};
    c.konstanz = 0;
    for (char ch = 'A'; ch <= 'Z'; ch++) {
        char name[2] = {ch, 0};
        newkonst(c, name, ch);
    }
    for (int i = 0; i < 5; i++)
        newkonst(c, intern[i], i + 1);
}

// Reads the whole name even when it is too long, so that the rest of the
// line is scanned from behind it; a longer name is refused rather than
// cut, so that two long names can never end up as one constant.
int getkonststr(zelctx &c, char *buf)
{
    buf[0] = 0;
    nxtzeichen(c, 0);
    if (*c.zptr != '_' && !isletter(*c.zptr)) {
        spaltebei(c, c.zptr);
        fehler(c, "Constant must begin with '_' or 'A'-'Z' !");
        return 0;
    }
    int n = 0;
    for (; isnamech(*c.zptr); c.zptr++, n++)
        if (n < KONSTNAME - 1)
            buf[n] = *c.zptr;
    buf[n < KONSTNAME - 1 ? n : KONSTNAME - 1] = 0;
    if (n > KONSTNAME - 1) {
        fehler(c, "Name is to long (max. %d characters) !", KONSTNAME - 1);
        return 0;
    }
    return 1;
}

// Names are letters, digits and '_', so folding a-z is all that case
// needs. Two names that differ have different hashes but for rare
// collisions, so the search compares whole names only on equal hashes:
// with a full table every lookup passes a thousand entries.
static unsigned namehash(const char *name)
{
    unsigned h = 2166136261u;
    for (; *name; name++) {
        unsigned ch = (unsigned char)*name;
        h = (h ^ (ch >= 'a' && ch <= 'z' ? ch - 32 : ch)) * 16777619u;
    }
    return h;
}

static int konstsuche(const zelctx &c, const char *name)
{
    unsigned h = namehash(name);
    for (int i = 0; i < c.konstanz; i++)
        if (c.konst[i].hash == h && strcasecmp(c.konst[i].name, name) == 0)
            return i;
    return -1;
}

int newkonst(zelctx &c, const char *name, int wert)
{
    // Cutting a longer name could merge it with another one.
    if (strlen(name) > KONSTNAME - 1)
        return 0;
    int i = konstsuche(c, name);
    if (i < 0) {
        if (c.konstanz >= MAXKONST)
            return 0;
        i = c.konstanz++;
    }
    c.konst[i].wert = wert;
    snprintf(c.konst[i].name, sizeof c.konst[i].name, "%s", name);
    c.konst[i].hash = namehash(name);
    return 1;
}

int konstwert(zelctx &c, const char *name)
{
    int i = konstsuche(c, name);
    if (i >= 0)
        return c.konst[i].wert;
    fehler(c, "Constant \"%s\" not defined !", name);
    return 0;
}
