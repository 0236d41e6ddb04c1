// The FONT directive: font number and code range from the line, the font
// data from an FNT file or an internal font, and the font record with its
// table entry in the image.
#include "font.h"
#include "tables/tables.h"
#include "../basis/basis.h"
#include "../device/device.h"
#include "../expr/expr.h"
#include "../macro/macro.h"

#include <cstring>

// Font data into buffer: internal font k, or with k = 0 the named file.
static int fontladen(zelctx &c, int k)
{
    if (k) {
        long len;
        const unsigned char *tab = internfont(k, &len);
        memcpy(c.buffer, tab, len);
        c.filelen = len;
        return 1;
    }
    return getfilename(c, c.str) &&
           ladedatei(c, c.str, BUFLEN, "Cannot Open Fontfile %s !", "Fontfile to big !");
}

// The 8 header bytes of the record for codes erst..letzt.
static void fontkopf(const zelctx &c, unsigned char *kopf, int erst, int letzt)
{
    int orient = zel[c.zelnr].orient;
    int w = c.buffer[2], h = c.buffer[4];
    kopf[0] = 'F';
    kopf[1] = orient;
    kopf[2] = erst;
    kopf[3] = letzt;
    kopf[4] = w;
    kopf[5] = h;
    if (orient == 'V') {
        kopf[6] = (h + 7) / 8;
        kopf[7] = (h + 7) / 8 * w;
    } else {
        kopf[6] = (w + 7) / 8;
        kopf[7] = c.buffer[6];
    }
}

// The glyphs must fit the file and, on horizontal displays where the
// record takes the file's bytes per character, their own slots too.
static int glyphenpassen(zelctx &c, const unsigned char *kopf)
{
    int w = kopf[4], h = kopf[5], stride = c.buffer[6];
    int bpr = fntzeile(w);
    if (zel[c.zelnr].orient != 'V' && stride < h * bpr) {
        fehler(c, "Wrong bytes per Character in Fontfile !");
        return 0;
    }
    if (FNTKOPF + (long)kopf[3] * stride + h * bpr > c.filelen) {
        fehler(c, "Fontfile too short for Character-Nr %d !", kopf[3]);
        return 0;
    }
    return 1;
}

static void fontrecord(zelctx &c, const unsigned char *kopf, long groesse)
{
    unsigned char *rec = c.eeprom + c.adresse;
    memcpy(rec, kopf, FNTKOPF);
    memset(rec + FNTKOPF, 0, groesse - FNTKOPF);
    if (zel[c.zelnr].orient == 'V')
        fnt2fv(c, c.buffer, rec);
    else
        fnt2fh(c, c.buffer, rec);
}

int font2eep(zelctx &c)
{
    nxttrennzch(c);
    if (*c.zptr)
        c.zptr++;
    c.aktbeflen = 0;
    int anz = parameter(c);
    if (anz != 3 && anz != 4) {
        fehler(c, "wrong number of parameters, no Fontnumber !");
        return 0;
    }
    int nr = c.bef[0], erst = c.bef[1], letzt = c.bef[2], k = 0;
    if (anz == 4) {
        k = c.bef[3];
        if (k < 1 || k > 5) {
            fehler(c, "Internal Fontnumber is wrong !");
            return 0;
        }
    }
    if (nr == 0 || nr > 16) {
        fehler(c, "Fontnumber %d is wrong, (allowed: 1..16) !", nr);
        return 0;
    }
    unsigned char *eintrag = c.font + 2 * (nr - 1);
    if (!tabfrei(eintrag)) {
        fehler(c, "Fontnumber %d allready exists !", nr);
        return 0;
    }
    if (!fontladen(c, k))
        return 0;
    // An FNT file must hold at least its header for the fields read below.
    if (c.filelen < FNTKOPF || c.buffer[0] != 0xAA || c.buffer[1] != 0x55) {
        fehler(c, "This is not a Fontfile (*.FNT) !");
        return 0;
    }
    if (erst > letzt) {
        fehler(c, "no/wrong first/last Character-Nr !");
        return 0;
    }
    unsigned char kopf[FNTKOPF];
    fontkopf(c, kopf, erst, letzt);
    if (kopf[4] > MATRIXMAX || kopf[5] > MATRIXMAX) {
        fehler(c, "This Fontmatrix is too big ! (max.16x16)");
        return 0;
    }
    if (!glyphenpassen(c, kopf))
        return 0;
    c.filelen = (long)(letzt - erst + 1) * kopf[7] + FNTKOPF;
    if (!platz(c, c.filelen)) {
        fehler(c, "Fontfile to big, not enough EEPROM-memory !");
        return 0;
    }
    fontrecord(c, kopf, c.filelen);
    eintrag2eep(c, eintrag, c.fontanz, c.fontlen, c.filelen);
    return 1;
}
