// Where zeldump writes: every file through the seam's whole-file writer,
// never over the file read, never over a node that is no regular file, and
// over a file that is there only when the user said --force.
#include "zeldump.h"
#include "basis/os.h"

int zielfrei(const ausgabeart &w, const std::string &ziel)
{
    osident id;
    osart art = osidname(ziel.c_str(), id);
    const char *grund = nullptr;
    if (art != OSKEINE && art != OSDATEI)
        grund = "is no regular file; it is not replaced";
    else if (w.eingabe && osgleicheziele(ziel.c_str(), w.eingabe))
        grund = "is the file read; it is not replaced";
    else if (art == OSDATEI && !w.force)
        grund = "is there; give --force to replace it";
    if (grund)
        fprintf(w.err, "zeldump: %s %s\n", ziel.c_str(), grund);
    return !grund;
}

int schreibe(const ausgabeart &w, const std::string &ziel, const void *p, size_t n)
{
    if (!zielfrei(w, ziel))
        return 0;
    oswr r = osschreibe(ziel.c_str(), p, n, w.force ? OSERSETZEN : OSNEU);
    if (r == OSGESCHRIEBEN)
        return 1;
    // Made or changed by another program since the check.
    if (r != OSSCHREIBFEHLER)
        return zielfrei(w, ziel);
    fprintf(w.err, "zeldump: cannot write %s\n", ziel.c_str());
    return 0;
}
