// The memory map: what the three tables lead to, checked against the
// image before anything follows an entry.
#include "zeldump.h"
#include "device/device.h"
#include "picture/picture.h"
#include "font/font.h"

#include <algorithm>
#include <cstring>

static long adr16(const unsigned char *p)
{
    return p[0] | p[1] << 8;
}

static const char *artname(int art)
{
    switch (art) {
    case 'F': return "Font";
    case 'B': return "Picture";
    case 'M': return "Makro";
    case 'T': return "Touchmakro";
    default: return "Portmakro";
    }
}

// Size of the record at adr, 0 when its header lies outside the image or
// makes no sense.
static long recordlaenge(const abbild &a, int art, long adr)
{
    const unsigned char *p = a.eep + adr;
    if (art == 'F') {
        if (adr + FNTKOPF > a.groesse || p[0] != 'F' || p[2] > p[3])
            return 0;
        return (long)(p[3] - p[2] + 1) * p[7] + FNTKOPF;
    }
    if (adr + 2 > a.groesse)
        return 0;
    return bildgroesse(zel[a.zelnr].orient, p[0], p[1]);
}

// What a font record's header says against what the FONT directive
// makes: a cell of at most MATRIXMAX x MATRIXMAX dots, and glyphs whose
// rows and bytes hold that cell in the record's layout. The reason it
// fails, empty when it holds.
static std::string fontfehler(const unsigned char *p)
{
    int o = p[1], w = p[4], h = p[5], zeile = p[6], glyph = p[7];
    char t[160];
    if (o != 'V' && o != 'H' && o != 'h')
        snprintf(t, sizeof t, "has the layout 0x%02X; fonts are stored as V, H or h", o);
    else if (w > MATRIXMAX || h > MATRIXMAX)
        snprintf(t, sizeof t, "has a cell of %dx%d dots; a font has at most %dx%d", w, h,
                 MATRIXMAX, MATRIXMAX);
    else if (o == 'V' ? zeile != (h + 7) / 8 || glyph != (h + 7) / 8 * w
                      : zeile != (w + 7) / 8 || glyph < h * fntzeile(w))
        snprintf(t, sizeof t, "has %d bytes a glyph and %d a row, which do not hold its %dx%d cell",
                 glyph, zeile, w, h);
    else
        return "";
    return t;
}

// A picture record against what the PICTURE directive stores for the
// model: no more dots than it shows, no more bytes than a picture file.
static std::string bildfehler(const abbild &a, const unsigned char *p, long len)
{
    const zelmodel &m = zel[a.zelnr];
    char t[160];
    if (p[0] > m.xdots || p[1] > m.ydots)
        snprintf(t, sizeof t, "has %dx%d dots; the %s shows at most %dx%d", p[0], p[1], m.name,
                 m.xdots, m.ydots);
    else if (len > BILDMAX)
        snprintf(t, sizeof t, "takes %ld bytes; a picture file holds at most %d", len,
                 (int)BILDMAX);
    else
        return "";
    return t;
}

static void neu(abbild &a, int art, int nr, long adr, long len)
{
    a.e[a.anz++] = {art, nr, adr, len, art == 'B' ? zel[a.zelnr].orient : 0};
}

static void sammle(abbild &a)
{
    a.anz = 0;
    for (int n = 0; n < FONTANZ; n++) {
        const unsigned char *t = a.eep + FONTADR + 2 * n;
        if (t[0] != 0xFF || t[1] != 0xFF)
            neu(a, 'F', n + 1, adr16(t), 0);
    }
    for (int n = 0; n < BILDANZ; n++) {
        const unsigned char *t = a.eep + BILDADR + 2 * n;
        if (t[0] != 0xFF || t[1] != 0xFF)
            neu(a, 'B', n, adr16(t), 0);
    }
    static const char arten[3] = {'M', 'T', 'P'};
    for (int i = 0; i < MAKROANZ; i++) {
        const unsigned char *t = a.eep + MAKROADR + 4 * i;
        if (t[2] != 0xFF || t[3] != 0xFF)
            neu(a, arten[i / 256], i % 256, adr16(t), adr16(t + 2));
    }
}

static void melde(abbild &a, FILE *err, const eintrag &e, const char *was)
{
    fprintf(err, "zeldump: %s %d at 0x%04lX %s\n", artname(e.art), e.nr, e.adr, was);
    a.fehler++;
}

// A source may switch between models of vertical and horizontal layout:
// a picture stored in the other layout is the one whose size closes the
// gap to the next record exactly where its own would not.
static void andereslayout(abbild &a, int i)
{
    eintrag &e = a.e[i];
    long naechste = -1;
    for (int j = i + 1; j < a.anz && naechste < 0; j++)
        if (a.e[j].adr > e.adr && a.e[j].len)
            naechste = a.e[j].adr;
    if (naechste < 0)
        naechste = a.groesse;
    int anders = e.orient == 'V' ? 'H' : 'V';
    long l = bildgroesse(anders, a.eep[e.adr], a.eep[e.adr + 1]);
    if (e.adr + e.len != naechste && e.adr + l == naechste && naechste <= a.groesse) {
        e.len = l;
        e.orient = anders;
    }
}

void karte(abbild &a, FILE *err)
{
    sammle(a);
    a.fehler = 0;
    a.ende = SYSSIZE;
    for (int i = 0; i < a.anz; i++) {
        eintrag &e = a.e[i];
        if (e.adr < SYSSIZE || e.adr >= a.groesse) {
            melde(a, err, e, "points outside the image");
            e.len = 0;
            continue;
        }
        if (e.art == 'F' || e.art == 'B') {
            e.len = recordlaenge(a, e.art, e.adr);
            if (!e.len) {
                melde(a, err, e, e.art == 'F' ? "holds no font record" : "holds no picture record");
                continue;
            }
            const unsigned char *p = a.eep + e.adr;
            std::string f = e.art == 'F' ? fontfehler(p) : bildfehler(a, p, e.len);
            if (!f.empty()) {
                melde(a, err, e, f.c_str());
                e.len = 0;
                continue;
            }
        } else if (e.len == 0) {
            melde(a, err, e, "is empty");
            continue;
        }
        if (e.adr + e.len > a.groesse) {
            melde(a, err, e, "reaches past the end of the image");
            e.len = 0;
        }
    }
    std::sort(a.e, a.e + a.anz, [](const eintrag &x, const eintrag &y) {
        return x.adr != y.adr ? x.adr < y.adr : x.art < y.art;
    });
    for (int i = 0; i < a.anz; i++)
        if (a.e[i].art == 'B' && a.e[i].len)
            andereslayout(a, i);
    for (int i = 0; i < a.anz; i++)
        if (a.e[i].len)
            a.ende = std::max(a.ende, a.e[i].adr + a.e[i].len);
    const eintrag *vor = nullptr;
    for (int i = 0; i < a.anz; i++) {
        const eintrag &e = a.e[i];
        if (!e.len)
            continue;
        if (vor && vor->adr + vor->len > e.adr) {
            fprintf(err, "zeldump: %s %d at 0x%04lX overlaps %s %d at 0x%04lX\n", artname(e.art),
                    e.nr, e.adr, artname(vor->art), vor->nr, vor->adr);
            a.fehler++;
        }
        if (!vor || e.adr + e.len > vor->adr + vor->len)
            vor = &e;
    }
}

static int artindex(int art)
{
    return art == 'F' ? 0 : art == 'B' ? 1 : art == 'M' ? 2 : art == 'T' ? 3 : 4;
}

void summiere(const abbild &a, summen &s)
{
    memset(&s, 0, sizeof s);
    for (int i = 0; i < a.anz; i++) {
        s.anz[artindex(a.e[i].art)]++;
        s.len[artindex(a.e[i].art)] += a.e[i].len;
    }
}

static void zeile(const abbild &a, const eintrag &e, FILE *out)
{
    fprintf(out, "%-10s %3d  0x%04lX %5ld bytes", artname(e.art), e.nr, e.adr, e.len);
    const unsigned char *p = a.eep + e.adr;
    if (e.art == 'F' && e.len)
        fprintf(out, "  codes %d..%d, %dx%d dots", p[2], p[3], p[4], p[5]);
    else if (e.art == 'B' && e.len)
        fprintf(out, "  %dx%d dots", p[0], p[1]);
    fprintf(out, "\n");
}

void zeigekarte(const abbild &a, FILE *out)
{
    fprintf(out, "Model %s, image %ld bytes (0x0000..0x%04lX)\n", zel[a.zelnr].name, a.ende,
            a.ende - 1);
    static const char folge[5] = {'F', 'B', 'M', 'T', 'P'};
    for (int k : folge)
        for (int i = 0; i < a.anz; i++)
            if (a.e[i].art == k)
                zeile(a, a.e[i], out);
    summen s;
    summiere(a, s);
    fprintf(out, "EEPROM-Memory overview:");
    fprintf(out, "\n     System:      %5ld bytes", (long)SYSSIZE);
    static const char *namen[5] = {"Fonts:      ", "Pictures:   ", "Makros:     ",
                                   "Touchmakros:", "Portmakros: "};
    for (int k = 0; k < 5; k++)
        fprintf(out, "\n %3d %s %5ld bytes", s.anz[k], namen[k], s.len[k]);
    fprintf(out, "\n ----------------------------");
    fprintf(out, "\n %ld bytes used", a.ende);
    fprintf(out, "\n %ld bytes free\n", (long)EEPSIZE - a.ende);
}
