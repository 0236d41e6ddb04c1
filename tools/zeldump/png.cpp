// Pictures and fonts as PNG files, drawn the way the module shows them:
// each dot a square of scale pixels, dark on light.
#include "zeldump.h"
#include "device/device.h"
#include "font/tables/tables.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBIW_STATIC
#include "stb_image_write.h"
#pragma GCC diagnostic pop

#include "basis/os.h"

namespace {

enum { HELL = 255, DUNKEL = 0, GITTER = 160 };

struct leinwand {
    int w, h;
    std::vector<unsigned char> px;
    leinwand(int b, int hh) : w(b), h(hh), px((size_t)b * hh, HELL) {}
    void block(int x, int y, int n, int m, unsigned char v)
    {
        for (int j = y; j < y + m && j < h; j++)
            for (int i = x; i < x + n && i < w; i++)
                px[(size_t)j * w + i] = v;
    }
    // The PNG file's bytes; empty when it could not be made.
    std::string png() const
    {
        std::string bytes;
        auto anhaengen = [](void *z, void *p, int n) {
            ((std::string *)z)->append((const char *)p, (size_t)n);
        };
        if (w <= 0 || h <= 0 || !stbi_write_png_to_func(anhaengen, &bytes, w, h, 1, px.data(), w))
            bytes.clear();
        return bytes;
    }
};

// The dot at column x, row y of glyph or picture data g in layout o with
// bpr bytes a row (horizontal) or w bytes a band (vertical).
int punkt(const unsigned char *g, int o, int w, int bpr, int x, int y)
{
    if (o == 'V')
        return g[x + w * (y / 8)] >> (y % 8) & 1;
    if (o == 'H')
        return g[x / 8 + y * bpr] >> (7 - x % 8) & 1;
    return g[x / 8 + y * bpr] >> (x % 8) & 1;
}

void zeichne(leinwand &l, const unsigned char *g, int o, int w, int h, int bpr, int x0, int y0,
             int s)
{
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            if (punkt(g, o, w, bpr, x, y))
                l.block(x0 + x * s, y0 + y * s, s, s, DUNKEL);
}

// A hex digit from the small internal font, for the labels of a sheet.
void ziffer(leinwand &l, int d, int x0, int y0, int s)
{
    const unsigned char *f = font4x6;
    const unsigned char *g = f + 8 + ("0123456789ABCDEF"[d & 15]) * f[6];
    for (int y = 0; y < f[4]; y++)
        for (int x = 0; x < f[2]; x++)
            if (g[y] >> (7 - x) & 1)
                l.block(x0 + x * s, y0 + y * s, s, s, DUNKEL);
}

std::string pfad(const char *dir, const eintrag &e)
{
    return std::string(dir) + (e.art == 'F' ? "/font" : "/picture") + std::to_string(e.nr) + ".png";
}

std::string bildpng(const abbild &a, const eintrag &e, int s)
{
    const unsigned char *p = a.eep + e.adr;
    int w = p[0], h = p[1], o = e.orient;
    leinwand l(w * s, h * s);
    zeichne(l, p + 2, o, w, h, (w + 7) / 8, 0, 0, s);
    return l.png();
}

std::string fontpng(const abbild &a, const eintrag &e, int s)
{
    const unsigned char *p = a.eep + e.adr;
    int o = p[1], erst = p[2], letzt = p[3], w = p[4], h = p[5];
    int ls = s > 1 ? s / 2 : 1;                 // label dots
    int links = 6 * ls, oben = 8 * ls;          // room for the labels
    int cw = w * s + 1, ch = h * s + 1;         // a cell and its grid line
    int zeilen = letzt / 16 - erst / 16 + 1;
    leinwand l(links + 16 * cw + 1, oben + zeilen * ch + 1);
    for (int i = 0; i <= 16; i++)
        l.block(links + i * cw, oben, 1, zeilen * ch + 1, GITTER);
    for (int j = 0; j <= zeilen; j++)
        l.block(links, oben + j * ch, 16 * cw + 1, 1, GITTER);
    for (int i = 0; i < 16; i++)
        ziffer(l, i, links + i * cw + 1, ls, ls);
    for (int j = 0; j < zeilen; j++)
        ziffer(l, erst / 16 + j, 0, oben + j * ch + 1, ls);
    for (int c = erst; c <= letzt; c++) {
        int zeile = c / 16 - erst / 16, spalte = c % 16;
        zeichne(l, p + 8 + (long)(c - erst) * p[7], o, w, h, p[6], links + spalte * cw + 1,
                oben + zeile * ch + 1, s);
    }
    return l.png();
}

// Entries that have dots to draw; the others are told on err.
std::vector<const eintrag *> zuzeichnen(const abbild &a, FILE *err)
{
    std::vector<const eintrag *> v;
    for (int i = 0; i < a.anz; i++) {
        const eintrag &e = a.e[i];
        if (!e.len || (e.art != 'F' && e.art != 'B'))
            continue;
        const unsigned char *p = a.eep + e.adr;
        if ((e.art == 'B' && (!p[0] || !p[1])) || (e.art == 'F' && (!p[4] || !p[5])))
            fprintf(err, "zeldump: %s %d has no dots to draw\n", e.art == 'F' ? "font" : "picture",
                    e.nr);
        else
            v.push_back(&e);
    }
    return v;
}

} // namespace

int pngbilder(const abbild &a, const ausgabeart &w, const char *dir, int scale)
{
    std::vector<const eintrag *> v = zuzeichnen(a, w.err);
    // Every file checked before the first is written.
    int frei = 1;
    for (const eintrag *e : v)
        frei &= zielfrei(w, pfad(dir, *e));
    if (!frei)
        return ZIELFEHLER;
    if (!osverz(dir)) {
        fprintf(w.err, "zeldump: cannot make the directory %s\n", dir);
        return 1;
    }
    int fehler = 0;
    for (const eintrag *e : v) {
        std::string png = e->art == 'F' ? fontpng(a, *e, scale) : bildpng(a, *e, scale);
        if (png.empty() || !schreibe(w, pfad(dir, *e), png.data(), png.size())) {
            fprintf(w.err, "zeldump: cannot write the PNG of %s %d into %s\n",
                    e->art == 'F' ? "font" : "picture", e->nr, dir);
            fehler++;
        }
    }
    return fehler;
}
