// Reading an upload file back: the header, the write blocks and the
// trailer, checked so that a cut, padded or garbled file is refused before
// any of it reaches a module.
#include "../basis/basis.h"
#include "device.h"
#include "wire.h"

#include <cstring>
#include <strings.h>

const unsigned char eepschluss[SCHLUSSLEN] = {ESC, SCHLUSSBEF, 2,
                                              ESC, EEPBEF, EEPBEF2, 0, 0, 0, 0, ENDEOP};

// The fixed bytes of a block's command: bar graph 1 to the block's counter,
// then the EEPROM access
static const unsigned char balken[3] = {ESC, BALKENBEF, '1'};
static const unsigned char zugriff[3] = {ESC, EEPBEF, EEPBEF2};

static int kopfmodell(const unsigned char *kopf)
{
    char name[9];
    memcpy(name, kopf + KOPFNAME, 8);
    name[8] = 0;
    return zelsuche(name);
}

// The header as the upload reads it; 0 when it is none.
static int kopfpruefen(const unsigned char *buf, long len, eepinhalt &e)
{
    if (len < EEPKOPF || strncasecmp((const char *)buf + KOPFWORT, "program", 7) != 0)
        return 0;
    e.zelnr = kopfmodell(buf);
    long t = buf[KOPFGROESSE] | buf[KOPFGROESSE + 1] << 8;
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
    if (memcmp(b, balken, 3) != 0 || memcmp(b + 4, zugriff, 3) != 0 || b[11] != SCHREIBOP)
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
    long pos = EEPKOPF;
    for (long adr = ERSTEADR; adr < e.groesse;) {
        long n = block(buf, len, pos, adr, e);
        if (n == 0)
            return 0;
        pos += n;
        adr += n - BLOCKKOPF;
    }
    return len - pos == SCHLUSSLEN && memcmp(buf + pos, eepschluss, SCHLUSSLEN) == 0;
}
