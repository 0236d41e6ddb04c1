// Reading an upload file back: its header, its write blocks and its
// trailer, each checked byte for byte against what the writer produces.
#include "driver.h"
#include "../device/device.h"

#include <cstring>
#include <strings.h>

enum { KOPF = 44, BLOCKKOPF = 12, ENDE = 11 };

static int modellvon(const unsigned char *name)
{
    char text[9];
    memcpy(text, name, 8);
    text[8] = 0;
    int nr = -1;
    for (int i = 0; i < ZELMODELS; i++)
        if (strncasecmp(zel[i].name, text, 8) == 0)
            nr = i;
    return nr;
}

// The fixed bytes of the header; the geometry of frame and bar is display
// text and is not checked.
static int kopfpasst(const unsigned char *b)
{
    static const unsigned char qc[] = {27, 'Q', 'C', '0', 27, 'O'};
    static const unsigned char ro[] = {27, 'R', 'O'};
    static const unsigned char br[] = {27, 'B', 'R', '1'};
    return b[0] == 0x0C && strncasecmp((const char *)b + 1, "program", 7) == 0 &&
           memcmp(b + 17, qc, sizeof qc) == 0 && memcmp(b + 25, ro, sizeof ro) == 0 &&
           memcmp(b + 33, br, sizeof br) == 0;
}

// One block at pos writing at adr; its data length, or 0 when it is none.
static long block(const unsigned char *b, long len, long pos, long adr, long groesse)
{
    if (len - pos < BLOCKKOPF)
        return 0;
    const unsigned char *k = b + pos;
    if (k[0] != 27 || k[1] != 'B' || k[2] != '1' || k[4] != 27 || k[5] != '&' || k[6] != 'E' ||
        k[11] != 'W')
        return 0;
    long a = k[7] | k[8] << 8, n = k[9] | k[10] << 8;
    if (a != adr || n < 1 || adr + n > groesse || n > len - pos - BLOCKKOPF)
        return 0;
    return n;
}

int eeppruefen(const unsigned char *buf, long len, eepinhalt &e)
{
    static const unsigned char ende[ENDE] = {27, 'X', 2, 27, '&', 'E', 0, 0, 0, 0, 'J'};
    if (!buf || len < KOPF + ENDE || !kopfpasst(buf))
        return 0;
    e.zelnr = modellvon(buf + 9);
    e.groesse = buf[23] | buf[24] << 8;
    if (e.groesse == 0)
        e.groesse = EEPSIZE;
    if (e.groesse < SYSSIZE)
        return 0;
    memset(e.speicher, 0xFF, sizeof e.speicher);
    e.datenbytes = 0;
    long pos = KOPF, adr = 16;
    while (adr < e.groesse) {
        long n = block(buf, len, pos, adr, e.groesse);
        if (!n)
            return 0;
        memcpy(e.speicher + adr, buf + pos + BLOCKKOPF, n);
        pos += BLOCKKOPF + n;
        adr += n;
        e.datenbytes += n;
    }
    return len - pos == ENDE && memcmp(buf + pos, ende, ENDE) == 0;
}
