// A source that rebuilds the image byte for byte: the model line, then
// every record in address order, each with the side file it needs.
#include "zeldump.h"
#include "device/device.h"
#include "font/font.h"
#include "picture/picture.h"
#include "basis/os.h"

#include <cstring>
#include <memory>

namespace {

// A file of the source, kept until every one is known.
struct seitendatei {
    std::string name;          // in the source's directory
    std::string bytes;
};

struct schreiber {
    const abbild &a;
    std::string dir;
    FILE *err;
    std::string text;          // the source so far
    int modell;                // model selected at this point of the source
    int fehlt = 0;             // what could not be expressed
    std::vector<seitendatei> dateien;  // the side files, the source last

    void nicht(const char *fmt, long adr, long bis, const char *was)
    {
        fprintf(err, fmt, adr, bis, was);
        fehlt++;
    }

    void datei(const std::string &name, const unsigned char *p, long n)
    {
        dateien.push_back({name, std::string((const char *)p, (size_t)n)});
    }

    // Every file checked before the first is written, so that a refused
    // one leaves the directory as it was.
    int schreibealle(const ausgabeart &w)
    {
        int frei = 1;
        for (const seitendatei &d : dateien)
            frei &= zielfrei(w, dir + "/" + d.name);
        if (!frei)
            return ZIELFEHLER;
        if (!osverz(dir.c_str())) {
            fprintf(err, "zeldump: cannot make the directory %s\n", dir.c_str());
            return -1;
        }
        for (const seitendatei &d : dateien)
            if (!schreibe(w, dir + "/" + d.name, d.bytes.data(), d.bytes.size()))
                return -1;
        return 0;
    }

    void waehle(int z)
    {
        if (z != modell) {
            text += std::string(zel[z].name) + "\n";
            modell = z;
        }
    }

    // The dump's own model when it has the orientation, else the first that has.
    int mitorient(int o)
    {
        if (zel[a.zelnr].orient == o)
            return a.zelnr;
        for (int z = 0; z < ZELMODELS; z++)
            if (zel[z].orient == o)
                return z;
        return -1;
    }

    void bild(const eintrag &e)
    {
        if (e.len > BILDMAX) {
            nicht("zeldump: picture at 0x%04lX..0x%04lX: %s\n", e.adr, e.adr + e.len - 1,
                  "larger than any picture file");
            return;
        }
        int v = e.orient == 'V';
        std::string name = "p" + std::to_string(e.nr) + (v ? ".blv" : ".blh");
        datei(name, a.eep + e.adr, e.len);
        // the layout a raw file is taken in follows the model, V or not
        int z = (zel[modell].orient == 'V') == v ? modell : mitorient(e.orient);
        waehle(z);
        text += "PICTURE " + std::to_string(e.nr) + " <" + name + ">\n";
    }

    // The FNT file whose conversion gives the record; empty when none does.
    std::vector<unsigned char> fnt(const unsigned char *rec, int z)
    {
        int o = rec[1], erst = rec[2], letzt = rec[3], w = rec[4], h = rec[5];
        int bpr = fntzeile(w);
        long stride = o == 'V' ? (long)h * bpr : rec[7];
        long n = 8 + letzt * stride + (long)h * bpr;
        std::vector<unsigned char> f;
        if (w > MATRIXMAX || h > MATRIXMAX || stride > 255 || stride < (long)h * bpr || n > BUFLEN)
            return f;
        f.assign(n, 0);
        unsigned char k[8] = {0xAA, 0x55, (unsigned char)w, 0, (unsigned char)h, 0,
                              (unsigned char)stride, 0};
        memcpy(f.data(), k, 8);
        for (int c = erst; c <= letzt; c++) {
            const unsigned char *g = rec + 8 + (long)(c - erst) * rec[7];
            unsigned char *q = f.data() + 8 + c * stride;
            for (int y = 0; y < h; y++)
                for (int x = 0; x < w; x++) {
                    int an = o == 'V'   ? g[x + w * (y / 8)] >> (y % 8) & 1
                             : o == 'H' ? g[x / 8 + y * rec[6]] >> (7 - x % 8) & 1
                                        : g[x / 8 + y * rec[6]] >> (x % 8) & 1;
                    if (an)
                        q[y * bpr + bpr - 1 - x / 8] |= 0x80 >> (x % 8);
                }
        }
        // the compiler's own conversion must give the record back
        std::unique_ptr<zelctx> c(new zelctx);
        c->zelnr = z;
        long len = (long)(letzt - erst + 1) * rec[7] + 8;
        std::vector<unsigned char> neu(len, 0);
        memcpy(neu.data(), rec, 8);
        if (o == 'V')
            fnt2fv(*c, f.data(), neu.data());
        else
            fnt2fh(*c, f.data(), neu.data());
        int kopf6 = o == 'V' ? (h + 7) / 8 : (w + 7) / 8;
        int kopf7 = o == 'V' ? (h + 7) / 8 * w : rec[7];
        if (memcmp(neu.data(), rec, len) != 0 || rec[6] != kopf6 || rec[7] != kopf7)
            f.clear();
        return f;
    }

    void font(const eintrag &e)
    {
        const unsigned char *rec = a.eep + e.adr;
        int z = mitorient(rec[1]);
        std::vector<unsigned char> f;
        if (z >= 0)
            f = fnt(rec, z);
        if (f.empty()) {
            nicht("zeldump: font at 0x%04lX..0x%04lX: %s\n", e.adr, e.adr + e.len - 1,
                  "no font file converts into this record");
            return;
        }
        std::string name = "f" + std::to_string(e.nr) + ".fnt";
        datei(name, f.data(), (long)f.size());
        waehle(z);
        text += "FONT " + std::to_string(e.nr) + "," + std::to_string(rec[2]) + "," +
                std::to_string(rec[3]) + " <" + name + ">\n";
    }

    void makro(const eintrag &e)
    {
        std::vector<befehlsicht> v = zerlege(a, e.adr, e.len, MAXZEILE);
        if (v.empty()) {
            nicht("zeldump: macro at 0x%04lX..0x%04lX: %s\n", e.adr, e.adr + e.len - 1,
                  "its bytes are no sequence of commands that fit on source lines");
            return;
        }
        const char *kw = e.art == 'M' ? "MAKRO " : e.art == 'T' ? "TOUCHMAKRO " : "PORTMAKRO ";
        text += kw + std::to_string(e.nr) + "\n";
        long adr = e.adr;
        for (const befehlsicht &b : v) {
            int z = b.zel >> modell & 1 ? modell : b.zel >> a.zelnr & 1 ? a.zelnr : -1;
            for (int i = 0; z < 0; i++)
                if (b.zel >> i & 1)
                    z = i;
            waehle(z);
            if (b.datei || b.bild) {
                size_t l = b.text.find('<'), r = b.text.find('>');
                long von = b.bild ? 5 : 3;
                datei(b.text.substr(l + 1, r - l - 1), a.eep + adr + von, b.len - von);
            }
            text += b.text + "\n";
            adr += b.len;
        }
    }

    void tabellen()
    {
        for (int i = 0; i < KOPFBEREICH; i++)
            if (a.eep[i] != 0xFF) {
                fprintf(err, "zeldump: note: cells 0..15 are not 0xFF; a rebuilt object file "
                             "carries 0xFF there\n");
                break;
            }
        for (int i = 0; i < MAKROANZ; i++) {
            const unsigned char *t = a.eep + MAKROADR + 4 * i;
            if (t[2] == 0xFF && t[3] == 0xFF && (t[0] != 0xFF || t[1] != 0xFF))
                nicht("zeldump: macro table entry at 0x%04lX..0x%04lX: %s\n", (long)MAKROADR + 4 * i,
                      (long)MAKROADR + 3 + 4 * i, "free but holds an address");
        }
    }
};

} // namespace

int quelle(const abbild &a, const ausgabeart &w, const char *dir, const char *name)
{
    schreiber s{a, dir, w.err, "", a.zelnr, 0, {}};
    s.text = "; rebuilds the image byte for byte: zelcomp -o " + std::string(name) + ".mac\n";
    s.text += std::string(zel[a.zelnr].name) + "\n";
    s.tabellen();
    long pos = SYSSIZE;
    for (int i = 0; i < a.anz; i++) {
        const eintrag &e = a.e[i];
        if (!e.len)
            continue;
        if (e.adr < pos) {
            s.nicht("zeldump: record at 0x%04lX..0x%04lX: %s\n", e.adr, e.adr + e.len - 1,
                    "overlaps the one before");
            continue;
        }
        if (e.adr > pos)
            s.nicht("zeldump: bytes 0x%04lX..0x%04lX: %s\n", pos, e.adr - 1,
                    "belong to no table entry");
        if (e.art == 'F')
            s.font(e);
        else if (e.art == 'B')
            s.bild(e);
        else
            s.makro(e);
        pos = e.adr + e.len;
    }
    // No source makes an image longer than its last record.
    if (a.groesse > pos)
        s.nicht("zeldump: bytes 0x%04lX..0x%04lX: %s\n", pos, a.groesse - 1,
                "after the last record; the source does not give them back");
    s.waehle(a.zelnr);
    s.datei(std::string(name) + ".mac", (const unsigned char *)s.text.data(), (long)s.text.size());
    int r = s.schreibealle(w);
    if (r == -1)
        fprintf(w.err, "zeldump: cannot write the source into %s\n", dir);
    return r ? r : s.fehlt;
}
