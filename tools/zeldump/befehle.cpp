// Display commands read back out of a macro: every way the bytes at a
// place can be one command of the compiler's table, then one way through
// the whole macro so that each line compiles to exactly its bytes.
#include "zeldump.h"
#include "macro/macro.h"
#include "expr/expr.h"
#include "device/device.h"
#include "device/wire.h"
#include "picture/picture.h"

#include <cstring>

namespace {

struct kandidat {
    long len = 0;          // bytes of the command
    std::string text;      // its source line
    int bild = 0;          // a picture record follows the position
    int datei = 0;         // its values go into a data file
    unsigned zel = 0;      // models that accept it
};

// Characters a string may carry: readable ones, or in the compact form
// everything but what ends a line.
int instring(int b, int kompakt)
{
    return kompakt ? b != 0 && b != '\n' && b != '\r' : b >= 32 && b < 127;
}

// Values as source text: numbers, with runs of characters as strings.
std::string werte(const unsigned char *b, long n, int kompakt, int zahlenzuerst)
{
    std::string s;
    long i = 0;
    bool zahl = false;       // the last thing written was a number
    while (i < n) {
        bool text = i >= zahlenzuerst && instring(b[i], kompakt);
        if (!text) {
            if (!s.empty() && (zahl || !kompakt))
                s += ',';
            s += std::to_string(b[i++]);
            zahl = true;
            continue;
        }
        long j = i;
        bool apo = false, anf = false;
        while (j < n && instring(b[j], kompakt)) {
            apo |= b[j] == '\'';
            anf |= b[j] == '"';
            j++;
        }
        char q = !apo ? '\'' : !anf ? '"' : b[i] == '\'' ? '"' : '\'';
        if (apo && anf)
            for (j = i; j < n && instring(b[j], kompakt) && b[j] != q; j++)
                ;
        if (!s.empty() && !kompakt)
            s += ',';
        s += q;
        s.append((const char *)b + i, j - i);
        s += q;
        i = j;
        zahl = false;
    }
    return s;
}

std::string kopf(int b1, int b2)
{
    std::string s = "#";
    s += (char)b1;
    if (b2)
        s += (char)b2;
    return s;
}

// The line for letters and values within grenze characters, readable if it
// can be; empty when it cannot.
std::string zeile(const std::string &k, const unsigned char *b, long n, int fest, int grenze)
{
    for (int kompakt = 0; kompakt < 2; kompakt++) {
        std::string s = k + (n ? " " + werte(b, n, kompakt, fest) : "");
        if ((int)s.size() <= grenze)
            return s;
    }
    return "";
}

// Models on which row i takes n values.
unsigned modelle(int i, long n)
{
    unsigned m = 0;
    for (int z = 0; z < ZELMODELS; z++) {
        befinfo d;
        befehlinfo(i, z, d);
        if ((d.zel >> z & 1) && n >= d.min && n <= d.max)
            m |= 1u << z;
    }
    return m;
}

unsigned orientiert(bool v)
{
    unsigned m = 0;
    for (int z = 0; z < ZELMODELS; z++)
        if ((zel[z].orient == 'V') == v)
            m |= 1u << z;
    return m;
}

// How many leading values stay numbers: the position values before a
// text; all of them in commands without text.
int lesbar(const befinfo &d, long n)
{
    if (!strcmp(d.name, "ZT"))
        return 0;
    if (!d.text)
        return (int)n;
    return d.name[0] == 'Z' ? 2 : d.name[0] == 'T' ? 4 : 3;
}

struct leser {
    const unsigned char *m;    // the macro's bytes
    long len;
    long adr;                  // EEPROM address of m[0]
    int grenze;                // longest line
    std::vector<kandidat> k;   // the ways found at the current place

    // A command ends at the end of the macro or where the next one begins.
    bool passt(long ende) const { return ende == len || (ende < len && m[ende] == ESC); }

    void neu(long l, std::string t, unsigned z, int bild = 0, int datei = 0)
    {
        if (z && !t.empty()) {
            kandidat c;
            c.len = l;
            c.text = std::move(t);
            c.zel = z;
            c.bild = bild;
            c.datei = datei;
            k.push_back(std::move(c));
        }
    }

    char name[16];             // the last side file name made
    const char *dateiname(long p, const char *ext)
    {
        snprintf(name, sizeof name, "%s%04lx.%s", ext[0] == 'b' && ext[1] == 'i' ? "d" : "u",
                 adr + p, ext);
        return name;
    }

    void daten(const befinfo &d, long p, const std::string &k0)
    {
        int cnt = m[p + 2];
        long n = cnt ? cnt : 256;
        if (!passt(p + 3 + n))
            return;
        if (cnt)
            neu(3 + n, zeile(k0, m + p + 3, n, 0, grenze), d.zel);
        neu(3 + n, k0 + " <" + dateiname(p, "bin") + ">", d.zel, 0, 1);
    }

    void iw(int i, long p, const std::string &k0)
    {
        if (p + 5 > len)
            return;
        long n = m[p + 4] + 1L;
        if (!passt(p + 4 + n))
            return;
        std::vector<unsigned char> v(m + p + 5, m + p + 4 + n);
        v.insert(v.begin(), m[p + 3]);
        neu(4 + n, zeile(k0, v.data(), n, 1, grenze), modelle(i, n));
    }

    void ul(const befinfo &d, long p, const std::string &k0)
    {
        if (p + 7 > len)
            return;
        int w = m[p + 5], h = m[p + 6];
        long dn = (w + 7) / 8 * (long)h;
        if (dn >= 1 && passt(p + 7 + dn))
            neu(7 + dn, zeile(k0, m + p + 3, 4 + dn, 4 + dn, grenze), d.zel);
        std::string pos = k0 + " " + std::to_string(m[p + 3]) + "," + std::to_string(m[p + 4]);
        for (int v = 0; v < 2; v++) {
            long l = 5 + bildgroesse(v ? 'V' : 'H', w, h);
            if (passt(p + l) && l - 5 <= BILDMAX)
                neu(l, pos + " <" + dateiname(p, v ? "blv" : "blh") + ">",
                    d.zel & orientiert(v), 1);
        }
    }

    void einfach(int i, const befinfo &d, long p, long h, const std::string &k0)
    {
        long grenzen = 0;
        for (int z = 0; z < ZELMODELS; z++) {
            befinfo e;
            befehlinfo(i, z, e);
            if (e.max > grenzen)
                grenzen = e.max;
        }
        if (grenzen > 256)
            grenzen = 256;
        for (long n = d.min; n <= grenzen && p + h + n + d.text <= len; n++) {
            if ((d.text && m[p + h + n] != 0) || !passt(p + h + n + d.text))
                continue;
            unsigned z = modelle(i, n);
            if (z)
                neu(h + n + d.text, zeile(k0, m + p + h, n, lesbar(d, n), grenze),
                    z);
        }
    }

    void an(long p)
    {
        k.clear();
        if (m[p] != ESC || p + 2 > len)
            return;
        int b1 = m[p + 1];
        befinfo d;
        for (int i = 0; befehlinfo(i, 3, d); i++) {
            if (d.name[0] != b1)
                continue;
            long h = 2;
            int b2 = 0;
            if (d.name[1]) {
                if (p + 3 > len || gross(m[p + 2]) != d.name[1])
                    continue;
                b2 = m[p + 2];
                h = 3;
            }
            std::string k0 = kopf(b1, b2);
            if (d.art == 'S')
                daten(d, p, k0);
            else if (d.art == 'I')
                iw(i, p, k0);
            else if (d.art == 'U')
                ul(d, p, k0);
            else
                einfach(i, d, p, h, k0);
        }
    }
};

} // namespace

std::vector<befehlsicht> zerlege(const abbild &a, long adr, long len, int grenze)
{
    std::vector<befehlsicht> r;
    if (adr < 0 || len <= 0 || adr + len > EEPSIZE)
        return r;
    leser l{a.eep + adr, len, adr, grenze, {}, {}};
    // From the end: wahl[p] is a command at p after which the rest can be read.
    std::vector<kandidat> wahl(len + 1);
    std::vector<char> geht(len + 1, 0);
    geht[len] = 1;
    for (long p = len - 1; p >= 0; p--) {
        l.an(p);
        kandidat *best = nullptr;
        for (kandidat &c : l.k)
            if (geht[p + c.len] && (!best || ((c.zel >> a.zelnr & 1) && !(best->zel >> a.zelnr & 1))))
                best = &c;
        if (best) {
            wahl[p] = std::move(*best);
            geht[p] = 1;
        }
    }
    if (!geht[0])
        return r;
    for (long p = 0; p < len; p += wahl[p].len) {
        const kandidat &c = wahl[p];
        r.push_back({c.len, c.text, c.bild, c.datei, c.zel});
    }
    return r;
}

static const char *macroart(int art)
{
    return art == 'M' ? "Makro" : art == 'T' ? "Touchmakro" : "Portmakro";
}

void liste(const abbild &a, FILE *out)
{
    for (int i = 0; i < a.anz; i++) {
        const eintrag &e = a.e[i];
        if (e.art == 'F' || e.art == 'B' || !e.len)
            continue;
        fprintf(out, "%s %d at 0x%04lX, %ld bytes\n", macroart(e.art), e.nr, e.adr, e.len);
        std::vector<befehlsicht> v = zerlege(a, e.adr, e.len, 1 << 20);
        if (v.empty()) {
            fprintf(out, "  0x%04lX  ; no sequence of commands:", e.adr);
            for (long j = 0; j < e.len; j++)
                fprintf(out, " %02X", a.eep[e.adr + j]);
            fprintf(out, "\n");
            continue;
        }
        long adr = e.adr;
        for (const befehlsicht &b : v) {
            std::string t = b.text;
            if (b.datei || b.bild) {
                // the listing shows the bytes a data or picture file carries
                long von = b.bild ? 5 : 3;
                t = t.substr(0, t.find(" <"));
                t += b.bild ? " ; picture" : " ; data";
                for (long j = von; j < b.len; j++)
                    t += " " + std::to_string(a.eep[adr + j]);
            }
            fprintf(out, "  0x%04lX  %s\n", adr, t.c_str());
            adr += b.len;
        }
    }
}
