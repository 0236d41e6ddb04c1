// Where a file named in the source is found: the current directory as
// always, then beside the file that names it, then in the -I directories.
#include "basis.h"
#include "os.h"

#include <cstring>

static int istrenner(char ch)
{
#ifdef _WIN32
    return ch == '/' || ch == '\\';
#else
    return ch == '/';
#endif
}

static int absolut(const char *name)
{
#ifdef _WIN32
    if (name[0] && name[1] == ':')
        return 1;
#endif
    return istrenner(name[0]);
}

// Whatever stands under the name ends the search, as in the current
// directory it always did; it is not opened here, since opening a pipe
// would wait for its writer.
static int gibtes(const char *pfad)
{
    osident id;
    return osidname(pfad, id);
}

// dir and name joined into pfad when it fits and something is there.
static int versuche(const char *dir, int dirlen, const char *name, char *pfad)
{
    int n = snprintf(pfad, NAMELEN, "%.*s/%s", dirlen, dir, name);
    return n > 0 && n < NAMELEN && gibtes(pfad);
}

// Length of the directory part of the file being read, 0 when it has none
// (it is in the current directory, already tried).
static int quellverz(const zelctx &c, const char **dir)
{
    if (c.filenr < 0)
        return 0;
    *dir = c.datei[c.filenr].name;
    int n = (int)strlen(*dir);
    while (n > 0 && !istrenner((*dir)[n - 1]))
        n--;
    return n > 1 ? n - 1 : n;   // "/x" keeps its root
}

const char *suchdatei(zelctx &c, const char *name, char *pfad)
{
    if (!name[0] || absolut(name) || gibtes(name))
        return name;
    const char *dir;
    int n = quellverz(c, &dir);
    if (n > 0 && versuche(dir, n, name, pfad))
        return pfad;
    for (int i = 0; i < c.incanz; i++)
        if (versuche(c.incdir[i], (int)strlen(c.incdir[i]), name, pfad))
            return pfad;
    return name;
}
