// The object file NAME.EEO and the upload file NAME.EEP.
//
// Each file is written to a temporary file beside the target and renamed
// over it only when every write and the close succeeded, so a full disk
// never leaves a truncated upload file behind a "Success !".
#include "driver.h"
#include "os.h"
#include "../device/device.h"

#include <cstring>

struct ausgabe {
    FILE *f;
    char tmp[NAMELEN + 16];
    int ok;
};

static int oeffne(ausgabe &a, const char *name)
{
    a.f = ostemp(name, a.tmp, (int)sizeof a.tmp);
    a.ok = a.f != nullptr;
    return a.ok;
}

static void schreibe(ausgabe &a, const void *p, size_t n)
{
    if (n && fwrite(p, 1, n, a.f) != n)
        a.ok = 0;
}

static void schliesse(zelctx &c, ausgabe &a, const char *name)
{
    if (a.f) {
        if (fflush(a.f) != 0 || ferror(a.f))
            a.ok = 0;
        if (fclose(a.f) != 0)
            a.ok = 0;
        const char *tmp[] = {a.tmp};
        if (a.ok && osersetze(tmp, &name, 1) != 1)
            a.ok = 0;
        if (!a.ok)
            osverwirf(a.tmp);
    }
    if (!a.ok)
        fehler(c, "\n Cannot write file %s !", name);
}

void writeobj(zelctx &c)
{
    fprintf(c.con, "\nWrite EEPROM Object-File %s", c.objfile);
    ausgabe a;
    if (oeffne(a, c.objfile)) {
        unsigned char kopf[16];
        memset(kopf, 0xFF, sizeof kopf);
        schreibe(a, kopf, sizeof kopf);
        schreibe(a, c.font, sizeof c.font);
        schreibe(a, c.bild, sizeof c.bild);
        schreibe(a, c.makro, sizeof c.makro);
        schreibe(a, c.eeprom, c.adresse);
    }
    schliesse(c, a, c.objfile);
}

// Appends bytes as EEPROM write blocks that never cross a 64-byte boundary
// of the EEPROM, as the module programs its pages.
static void fwr(zelctx &c, ausgabe &a, const unsigned char *p, int n)
{
    while (n > 0) {
        int l = c.wrblksize - c.wradr % 64;
        if (l > n)
            l = n;
        unsigned char blk[12] = {27, 'B', '1', (unsigned char)(c.wraktblk & 0xFF),
                                 27, '&', 'E',
                                 (unsigned char)(c.wradr & 0xFF), (unsigned char)(c.wradr >> 8),
                                 (unsigned char)(l & 0xFF), (unsigned char)(l >> 8), 'W'};
        c.wraktblk++;
        schreibe(a, blk, sizeof blk);
        schreibe(a, p, l);
        c.wradr += l;
        p += l;
        n -= l;
    }
}

static void eepkopf(zelctx &c, ausgabe &a, int t)
{
    const zelmodel &m = zel[c.zelnr];
    unsigned char k[44];
    k[0] = 0x0C;
    memcpy(k + 1, "program ", 8);
    memset(k + 9, 0, 8);
    memcpy(k + 9, m.name, strnlen(m.name, 8));
    const unsigned char rest[] = {
        27, 'Q', 'C', '0',
        27, 'O', (unsigned char)(t & 0xFF), (unsigned char)((t >> 8) & 0xFF),
        27, 'R', 'O', 0, 18, (unsigned char)(m.xdots - 1), 31, 0,
        27, 'B', 'R', '1', 1, 19, (unsigned char)(m.xdots - 2), 30, 0,
        (unsigned char)(t / c.wrblksize + 2), 3};
    memcpy(k + 17, rest, sizeof rest);
    schreibe(a, k, sizeof k);
}

void writeeep(zelctx &c)
{
    fprintf(c.con, "\nWrite EEPROM Upload File %s", c.outfile);
    ausgabe a;
    if (oeffne(a, c.outfile)) {
        int t = SYSSIZE + c.adresse;
        c.wrblksize = 64;
        while (t / c.wrblksize > 80)
            c.wrblksize += 64;
        eepkopf(c, a, t);
        c.wradr = 16;
        c.wraktblk = 0;
        fwr(c, a, c.font, sizeof c.font);
        fwr(c, a, c.bild, sizeof c.bild);
        fwr(c, a, c.makro, sizeof c.makro);
        fwr(c, a, c.eeprom, c.adresse);
        const unsigned char ende[11] = {27, 'X', 2, 27, '&', 'E', 0, 0, 0, 0, 'J'};
        schreibe(a, ende, sizeof ende);
    }
    schliesse(c, a, c.outfile);
}
