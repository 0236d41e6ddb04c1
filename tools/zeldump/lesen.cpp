// Where an image comes from: an object file, an upload file or the EEPROM
// of a module; and the backup of what a module holds.
#include "zeldump.h"
#include "driver/driver.h"
#include "basis/os.h"
#include "device/device.h"

#include <cstring>
#include <memory>

enum { EEPMAX = 1 << 20 };     // far more than the largest upload file

// The whole file, at most max bytes; -1 when it cannot be read, -2 when
// larger. A pipe is read to its end.
static long lies(const char *name, std::vector<unsigned char> &buf, long max)
{
    FILE *f = fopen(name, "rb");
    if (!f)
        return -1;
    long n;
    osart art = osartvon(f, &n);
    if (art != OSDATEI && art != OSFIFO) {
        fclose(f);
        return -1;
    }
    buf.clear();
    unsigned char stueck[4096];
    size_t k;
    while ((long)buf.size() <= max && (k = fread(stueck, 1, sizeof stueck, f)) > 0)
        buf.insert(buf.end(), stueck, stueck + k);
    fclose(f);
    n = (long)buf.size();
    buf.push_back(0);                  // a valid pointer for an empty file
    return n > max ? -2 : n;
}

static void leer(abbild &a)
{
    memset(a.eep, 0xFF, sizeof a.eep);
    a.anz = 0;
    a.fehler = 0;
}

int ladeeeo(abbild &a, const char *name, FILE *err)
{
    std::vector<unsigned char> buf;
    long n = lies(name, buf, EEPSIZE);
    if (n == -1) {
        fprintf(err, "zeldump: cannot open %s\n", name);
        return 0;
    }
    if (n < SYSSIZE) {
        fprintf(err, "zeldump: %s is no object file (%s 3632 to 65536 bytes)\n", name,
                n < 0 ? "larger than" : "shorter than");
        return 0;
    }
    leer(a);
    memcpy(a.eep, buf.data(), n);
    a.groesse = n;
    return 1;
}

int ladeeep(abbild &a, const char *name, FILE *err)
{
    std::vector<unsigned char> buf;
    long n = lies(name, buf, EEPMAX);
    if (n == -1) {
        fprintf(err, "zeldump: cannot open %s\n", name);
        return 0;
    }
    std::unique_ptr<eepinhalt> e(new eepinhalt);
    if (n < 0 || !eeppruefen(buf.data(), n, *e)) {
        fprintf(err, "zeldump: %s is not a valid EEPROM-File for a ZEL\n", name);
        return 0;
    }
    if (e->zelnr < 0) {
        fprintf(err, "zeldump: %s names no known model\n", name);
        return 0;
    }
    leer(a);
    memcpy(a.eep, e->speicher, sizeof a.eep);
    a.groesse = e->groesse;
    a.zelnr = e->zelnr;
    return 1;
}

// Every cell of the module, with the progress line on a terminal.
static int allezellen(abbild &a, zelctx &c)
{
    long n = c.eepadrmax + 1L;
    fprintf(c.con, "\nreading %ld bytes", n);
    fflush(c.con);
    int grund;
    fsstart(c, "read", n);
    long da = eeplies(c, 0, n, a.eep, nullptr, &grund);
    fsende(c, da);
    if (da < n) {
        fprintf(c.con, "\nError: no answer at address 0x%04lX !", da - da % 64);
        return 0;
    }
    fprintf(c.con, " Ok !");
    a.groesse = n;
    return 1;
}

int ladezel(abbild &a, zelctx &c)
{
    leer(a);
    a.zelnr = c.zelnr;
    int ok = 0;
    if (!zelverbinden(c)) {
        fprintf(c.con, "\n");
        return 0;
    }
    if (c.eepadrmax < SYSSIZE - 1)
        fprintf(c.con, "\nError: the module has no EEPROM to read !");
    else {
        // the module goes on at the faster rate, as the upload switches it
        if (baudindex(c.newbaud) >= 0)
            baudwechsel(c, c.newbaud);
        ok = allezellen(a, c);
    }
    zeltrennen(c);
    fprintf(c.con, "\n");
    fflush(c.con);
    return ok;
}

int schreibeeeo(const abbild &a, const ausgabeart &w, const char *name)
{
    return schreibe(w, name, a.eep, (size_t)a.groesse);
}
