// The object file NAME.EEO and the upload file NAME.EEP.
//
// Both are written to temporary files beside their targets and renamed over
// them only when both are complete, so a full disk, a failing target or an
// interrupt never leaves a truncated upload file, or an object file that
// belongs to another image than the upload file beside it.
#include "driver.h"
#include "../basis/os.h"
#include "../device/device.h"
#include "../device/wire.h"

#include <cstring>

struct ausgabe {
    const char *name;          // the target's name
    FILE *f;                   // the temporary file while it is written; nullptr when closed
    char tmp[NAMELEN + 16];    // the temporary file's name; empty when there is none
    int ok;                    // 1 while every step has succeeded
    std::string *puffer;       // collects the bytes instead of f; nullptr when writing a file
};

// Checks the target and opens its temporary file; a failure is reported
// at once, under the output's line.
static int oeffne(zelctx &c, ausgabe &a, const char *name)
{
    a.name = name;
    a.f = nullptr;
    a.tmp[0] = 0;
    a.ok = 0;
    a.puffer = nullptr;
    osident id;
    if (isteingabe(c, name)) {
        fehler(c, "Output file <%s> would overwrite an input file !", name);
        return 0;
    }
    // The upload file may be named anything by DESTINATION; it must not be
    // another output of the run, or one would replace the other.
    if (name == c.outfile && c.eepobjfile && osgleicheziele(name, c.objfile)) {
        fehler(c, "Output file <%s> would overwrite the object file !", name);
        return 0;
    }
    if (osgleicheziele(name, ERRORLOG)) {
        fehler(c, "Output file <%s> would overwrite the error log !", name);
        return 0;
    }
    // Only a file can be replaced; renaming over a directory would fail
    // after the other output was already in place.
    osart art = osidname(name, id);
    if (name[0] && (art == OSKEINE || art == OSDATEI))
        a.f = ostemp(name, a.tmp, (int)sizeof a.tmp);
    if (!a.f) {
        a.tmp[0] = 0;
        fehler(c, "\n Cannot write file %s !", name);
        return 0;
    }
    a.ok = 1;
    return 1;
}

static void schreibe(ausgabe &a, const void *p, size_t n)
{
    if (a.puffer)
        a.puffer->append((const char *)p, n);
    else if (n && fwrite(p, 1, n, a.f) != n)
        a.ok = 0;
}

static void schliesse(zelctx &c, ausgabe &a)
{
    if (!a.f)
        return;
    if (fflush(a.f) != 0 || ferror(a.f))
        a.ok = 0;
    if (fclose(a.f) != 0)
        a.ok = 0;
    a.f = nullptr;
    if (!a.ok) {
        osverwirf(a.tmp);
        a.tmp[0] = 0;
        fehler(c, "\n Cannot write file %s !", a.name);
    }
}

// Puts the outputs in place when every one of them is complete; otherwise
// removes what was written and leaves every target as it was.
static void einsetzen(zelctx &c, ausgabe *a, int n)
{
    int alle = 1;
    const char *tmp[3], *ziel[3];
    for (int i = 0; i < n; i++) {
        alle &= a[i].ok;
        tmp[i] = a[i].tmp;
        ziel[i] = a[i].name;
    }
    int fertig = alle ? osersetze(tmp, ziel, n) : 0;
    if (alle && fertig < n)
        fehler(c, "\n Cannot write file %s !", a[fertig].name);
    for (int i = fertig; i < n; i++)
        if (a[i].tmp[0])
            osverwirf(a[i].tmp);
}

static void objdatei(zelctx &c, ausgabe &a)
{
    fprintf(c.con, "\nWrite EEPROM Object-File %s", c.objfile);
    if (oeffne(c, a, c.objfile)) {
        unsigned char kopf[16];
        memset(kopf, 0xFF, sizeof kopf);
        schreibe(a, kopf, sizeof kopf);
        schreibe(a, c.font, sizeof c.font);
        schreibe(a, c.bild, sizeof c.bild);
        schreibe(a, c.makro, sizeof c.makro);
        schreibe(a, c.eeprom, c.adresse);
    }
    schliesse(c, a);
}

// Appends bytes as EEPROM write blocks that never cross a 64-byte boundary
// of the EEPROM, as the module programs its pages.
static void fwr(zelctx &c, ausgabe &a, const unsigned char *p, int n)
{
    while (n > 0) {
        int l = c.wrblksize - c.wradr % 64;
        if (l > n)
            l = n;
        unsigned char blk[BLOCKKOPF] = {ESC, BALKENBEF, '1', (unsigned char)(c.wraktblk & 0xFF)};
        eepbefehl(blk + 4, c.wradr, l, SCHREIBOP);
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
    unsigned char k[EEPKOPF];
    k[0] = FORMFEED;
    memcpy(k + KOPFWORT, "program ", 8);
    memset(k + KOPFNAME, 0, 8);
    memcpy(k + KOPFNAME, m.name, strnlen(m.name, 8));
    const unsigned char rest[] = {
        ESC, 'Q', 'C', '0',
        ESC, 'O', (unsigned char)(t & 0xFF), (unsigned char)((t >> 8) & 0xFF),
        ESC, 'R', 'O', 0, 18, (unsigned char)(m.xdots - 1), 31, 0,
        ESC, BALKENBEF, 'R', '1', 1, 19, (unsigned char)(m.xdots - 2), 30, 0,
        (unsigned char)(t / c.wrblksize + 2), 3};
    static_assert(KOPFREST + sizeof rest == EEPKOPF, "the header is EEPKOPF bytes");
    static_assert(KOPFREST + 6 == KOPFGROESSE, "the size follows ESC 'O'");
    memcpy(k + KOPFREST, rest, sizeof rest);
    schreibe(a, k, sizeof k);
}

static void eepinhalt(zelctx &c, ausgabe &a)
{
    int t = SYSSIZE + c.adresse;
    c.wrblksize = 64;
    while (t / c.wrblksize > 80)
        c.wrblksize += 64;
    eepkopf(c, a, t);
    c.wradr = ERSTEADR;
    c.wraktblk = 0;
    fwr(c, a, c.font, sizeof c.font);
    fwr(c, a, c.bild, sizeof c.bild);
    fwr(c, a, c.makro, sizeof c.makro);
    fwr(c, a, c.eeprom, c.adresse);
    schreibe(a, eepschluss, sizeof eepschluss);
}

static void eepdatei(zelctx &c, ausgabe &a)
{
    fprintf(c.con, "\nWrite EEPROM Upload File %s", c.outfile);
    if (oeffne(c, a, c.outfile))
        eepinhalt(c, a);
    schliesse(c, a);
}

void eepbytes(zelctx &c, std::string &bytes)
{
    ausgabe a;
    a.name = "";
    a.f = nullptr;
    a.tmp[0] = 0;
    a.ok = 1;
    a.puffer = &bytes;
    eepinhalt(c, a);
}

void writeobj(zelctx &c)
{
    ausgabe a;
    objdatei(c, a);
    einsetzen(c, &a, 1);
}

void writeeep(zelctx &c)
{
    ausgabe a;
    eepdatei(c, a);
    einsetzen(c, &a, 1);
}

// A name in a make rule: a blank, '#' and '\\' before them escaped by a
// backslash, '$' doubled, as make reads them back.
static void makename(ausgabe &a, const char *name)
{
    for (const char *p = name; *p; p++) {
        if (*p == ' ' || *p == '#' || *p == '\t')
            schreibe(a, "\\", 1);
        else if (*p == '$')
            schreibe(a, "$", 1);
        schreibe(a, p, 1);
    }
}

// -MD: NAME.d, the rule that the outputs depend on every file the run
// read (source, includes, pictures, fonts, data files), as compilers write
// it for make.
static void abhdatei(zelctx &c, ausgabe &a)
{
    if (c.abhlen < 0) {
        fehler(c, "Too many files read for %s !", c.depfile);
        a.name = c.depfile;
        a.puffer = nullptr;
        a.f = nullptr;
        a.tmp[0] = 0;
        a.ok = 0;
        return;
    }
    if (oeffne(c, a, c.depfile)) {
        makename(a, c.outfile);
        if (c.eepobjfile) {
            schreibe(a, " ", 1);
            makename(a, c.objfile);
        }
        schreibe(a, ":", 1);
        for (int i = 0; i < c.abhlen; i += (int)strlen(c.abh + i) + 1) {
            schreibe(a, " \\\n ", i ? 4 : 1);
            makename(a, c.abh + i);
        }
        schreibe(a, "\n", 1);
    }
    schliesse(c, a);
}

void writeausgaben(zelctx &c)
{
    ausgabe a[3];
    int n = 0;
    if (c.eepobjfile)
        objdatei(c, a[n++]);
    eepdatei(c, a[n++]);
    if (c.abhdatei)
        abhdatei(c, a[n++]);
    einsetzen(c, a, n);
}
