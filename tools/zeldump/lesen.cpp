// Where an image comes from: an object file, an upload file or the EEPROM
// of a module; and the backup of what a module holds.
#include "zeldump.h"
#include "driver/driver.h"
#include "driver/os.h"
#include "device/device.h"
#include "serial/seriowin.h"

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

// The module goes on at the faster rate, as the upload switches it.
static void neuerate(zelctx &c)
{
    c.str[0] = 27;
    c.str[1] = '+';
    c.str[2] = (char)baudindex(c.newbaud);
    senden(c, 3);
    wartehs(2);
    baudrate(c, c.newbaud);
}

// Every cell of the module, 64 bytes a command, a dot every 1024 bytes.
static int allezellen(abbild &a, zelctx &c, FILE *con)
{
    long n = c.eepadrmax + 1L;
    fprintf(con, "\nreading %ld bytes ", n);
    for (long adr = 0; adr < n; adr += 64) {
        if (!eepblock(c, (int)adr, 64, a.eep + adr)) {
            fprintf(con, "\nError: no answer at address 0x%04lX !", adr);
            return 0;
        }
        if ((adr + 64) % 1024 == 0) {
            fprintf(con, ".");
            fflush(con);
        }
    }
    fprintf(con, " Ok !");
    a.groesse = n;
    return 1;
}

int ladezel(abbild &a, zelctx &c, FILE *con)
{
    leer(a);
    a.zelnr = c.zelnr;
    if (!COMopen(c.com, 9600)) {
        fprintf(con, "\nError: cannot open COM%d: !", c.com);
        if (*COMgrund())
            fprintf(con, "\n%s", COMgrund());
        fprintf(con, "\n");
        return 0;
    }
    c.aktbaud = 9600;
    c.offen = 0;
    fprintf(con, "\nconnecting %s on COM%d: ", zel[c.zelnr].name, c.com);
    fflush(con);
    int ok = 0;
    c.orgbaud = checkzel(c);
    if (c.orgbaud < 0)
        fprintf(con, " not found !");
    else if (c.eepadrmax < SYSSIZE - 1)
        fprintf(con, "\nError: the module has no EEPROM to read !");
    else {
        if (baudindex(c.newbaud) >= 0)
            neuerate(c);
        ok = allezellen(a, c, con);
    }
    COMclose();
    c.aktbaud = 0;
    fprintf(con, "\n");
    fflush(con);
    return ok;
}

int schreibeeeo(const abbild &a, const char *name)
{
    char tmp[NAMELEN + 16];
    FILE *f = ostemp(name, tmp, sizeof tmp);
    if (!f)
        return 0;
    int ok = fwrite(a.eep, 1, a.groesse, f) == (size_t)a.groesse;
    ok = fflush(f) == 0 && ok;
    ok = fclose(f) == 0 && ok;
    const char *const t[1] = {tmp}, *const z[1] = {name};
    if (ok && osersetze(t, z, 1) == 1)
        return 1;
    osverwirf(tmp);
    return 0;
}
