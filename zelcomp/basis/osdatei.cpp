// The whole-file writer of the operating-system seam: every output of every
// program is made complete beside its target and only then put in its place.
#include "os.h"

oswr osschreibe(const char *ziel, const void *p, size_t n, int modus)
{
    osident id;
    osart art = osidname(ziel, id);
    if (art != OSKEINE && art != OSDATEI)
        return OSKEINEDATEI;
    if (art != OSKEINE && modus == OSNEU)
        return OSVORHANDEN;
    char tmp[NAMELEN + 16];
    FILE *f = ostemp(ziel, tmp, (int)sizeof tmp);
    if (!f)
        return OSSCHREIBFEHLER;
    // A size limit makes the write fail (the seam ignores SIGXFSZ), and a
    // full disk may show only at the flush or the close.
    int ok = !n || fwrite(p, 1, n, f) == n;
    ok = fflush(f) == 0 && !ferror(f) && ok;
    ok = fclose(f) == 0 && ok;
    if (ok) {
        if (modus == OSNEU) {
            if (osneu(tmp, ziel))
                return OSGESCHRIEBEN;
            ok = osidname(ziel, id) == OSKEINE;
            osverwirf(tmp);
            return ok ? OSSCHREIBFEHLER : OSVORHANDEN;
        }
        const char *const t[1] = {tmp}, *const z[1] = {ziel};
        if (osersetze(t, z, 1) == 1)
            return OSGESCHRIEBEN;
    }
    osverwirf(tmp);
    return OSSCHREIBFEHLER;
}
