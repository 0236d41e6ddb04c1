// Reading an upload file back: the header, the write blocks and the
// trailer, checked so that a cut, padded or garbled file is refused before
// any of it reaches a module.
#include "driver.h"
#include "../device/device.h"

#include <cstring>
#include <strings.h>

enum {
    KOPF = 44,                 // header bytes
    BLOCKKOPF = 12,            // command bytes in front of a block's data
    SCHLUSS = 11,              // trailer bytes
    ERSTEADR = 16,             // the first address the blocks write
};

static const unsigned char schluss[SCHLUSS] = {0x1B, 'X', 0x02, 0x1B, '&', 'E', 0, 0, 0, 0, 'J'};
static const unsigned char blockanfang[3] = {0x1B, 'B', '1'};
static const unsigned char eepzugriff[3] = {0x1B, '&', 'E'};

static int kopfmodell(const unsigned char *kopf)
{
    char name[9];
    memcpy(name, kopf + 9, 8);
    name[8] = 0;
    int nr = -1;
    for (int i = 0; i < ZELMODELS; i++)
        if (strncasecmp(zel[i].name, name, 8) == 0)
            nr = i;
    return nr;
}

// The header as the upload reads it; 0 when it is none.
static int kopfpruefen(const unsigned char *buf, long len, eepinhalt &e)
{
    if (len < KOPF || strncasecmp((const char *)buf + 1, "program", 7) != 0)
        return 0;
    e.zelnr = kopfmodell(buf);
    long t = buf[23] | buf[24] << 8;
    e.groesse = t ? t : (long)EEPSIZE;
    return e.groesse >= SYSSIZE;
}

// The block at pos, which must write from adr on; returns its length with
// the command bytes, or 0 when it is no block or writes elsewhere.
static long block(const unsigned char *buf, long len, long pos, long adr, eepinhalt &e)
{
    if (len - pos < BLOCKKOPF)
        return 0;
    const unsigned char *b = buf + pos;
    if (memcmp(b, blockanfang, 3) != 0 || memcmp(b + 4, eepzugriff, 3) != 0 || b[11] != 'W')
        return 0;
    long a = b[7] | b[8] << 8;
    long n = b[9] | b[10] << 8;
    if (a != adr || n == 0 || n > e.groesse - adr || n > len - pos - BLOCKKOPF)
        return 0;
    memcpy(e.speicher + adr, b + BLOCKKOPF, n);
    e.datenbytes += n;
    return BLOCKKOPF + n;
}

int eeppruefen(const unsigned char *buf, long len, eepinhalt &e)
{
    memset(e.speicher, 0xFF, sizeof e.speicher);
    e.datenbytes = 0;
    e.zelnr = -1;
    e.groesse = 0;
    if (!buf || !kopfpruefen(buf, len, e))
        return 0;
    long pos = KOPF;
    for (long adr = ERSTEADR; adr < e.groesse;) {
        long n = block(buf, len, pos, adr, e);
        if (n == 0)
            return 0;
        pos += n;
        adr += n - BLOCKKOPF;
    }
    return len - pos == SCHLUSS && memcmp(buf + pos, schluss, SCHLUSS) == 0;
}
