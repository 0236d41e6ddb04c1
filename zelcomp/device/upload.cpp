// Sends an upload file to the module: header check, connection, the
// optional rate switch and power-on rate, then the file byte by byte.
#include "device.h"
#include "../serial/seriowin.h"

#include <cstring>
#include <strings.h>

enum { KOPFLEN = 25 };

// Reads the header into str; returns the image size in bytes, or 0 when
// the file is missing or no upload file. A size field of 0 is the full
// 64 KB image, whose size does not fit in 16 bits.
static long kopf(zelctx &c)
{
    FILE *fp = fopen(c.outfile, "rb");
    if (!fp) {
        fprintf(c.con, "\n Cannot open file %s !", c.outfile);
        return 0;
    }
    size_t n = fread(c.str, 1, KOPFLEN, fp);
    fclose(fp);
    if (n < KOPFLEN || strncasecmp(c.str + 1, "program", 7) != 0) {
        fprintf(c.con, "\n %s is not a valid EEPROM-File for a ZEL !", c.outfile);
        return 0;
    }
    zelstr2var(c, c.str + 9);              // compares 8 characters at most
    const unsigned char *u = (const unsigned char *)c.str;
    long groesse = u[23] | u[24] << 8;
    return groesse ? groesse : 65536;
}

static void neuebaud(zelctx &c)
{
    int k = baudindex(c.newbaud);
    fprintf(c.con, "\nprogram file <%s> with %ld baud", c.outfile, c.newbaud);
    c.str[0] = 0x1B;
    c.str[1] = '+';
    c.str[2] = (char)k;
    COMwrblk((const unsigned char *)c.str, 3);
    wartehs(2);
    COMbaudrate(c.newbaud);
}

// The rate models 0 and 1 start with, kept in EEPROM address 1.
static void softbaud(zelctx &c)
{
    fprintf(c.con, "\nprogram baudrate %ld: ", (long)zelbaud[c.softbaud]);
    eepschreiben(c, 1, c.softbaud);
    wartehs(2);
    fprintf(c.con, "%s", eeplesen(c, 1) == c.softbaud ? "Ok !" : "error !");
}

// Streams the whole file, polling for the module's error reply after
// every byte. Returns 1 when all of it went out without one.
static int senden(zelctx &c, FILE *fp)
{
    long pos = 0;
    int ch;
    fflush(c.con);
    while ((ch = fgetc(fp)) != EOF) {
        if (!COMwrite(ch)) {
            fprintf(c.con, "\nError: Timeout (CTS) !");
            return 0;
        }
        pos++;
        if (COMread(0) == 'E') {
            fprintf(c.con, "\nError: Cannot program EEPROM at filepos %ld !", pos);
            return 0;
        }
    }
    return 1;
}

// Everything after the port is open; the caller closes it.
static void verbunden(zelctx &c, long groesse)
{
    fprintf(c.con, "\nconnecting %s on COM%d: ", zel[c.zelnr].name, c.com);
    fflush(c.con);
    c.orgbaud = checkzel(c);
    if (c.orgbaud < 0) {
        fprintf(c.con, " not found !");
        return;
    }
    if (groesse > c.eepadrmax + 1L) {
        fprintf(c.con, "\nnot enough EEPROM Memory !  (%ld bytes are needed)", groesse);
        return;
    }
    if (baudindex(c.newbaud) >= 0)
        neuebaud(c);
    else
        fprintf(c.con, "\nprogram file <%s> with %ld baud", c.outfile, (long)zelbaud[c.orgbaud]);
    if (writeprotect(c)) {
        fprintf(c.con, "\nError: Zel is write protected !");
        return;
    }
    FILE *fp = fopen(c.outfile, "rb");
    if (!fp) {
        fprintf(c.con, "\n Cannot open file %s !", c.outfile);
        return;
    }
    if (c.softbaud >= 0 && c.softbaud < ZELBAUDS && c.zelnr <= 1)
        softbaud(c);
    int ok = senden(c, fp);
    fclose(fp);
    if (ok)
        fprintf(c.con, "\nReady: Zel is programed,  %ld bytes used, %ld bytes free", groesse,
                c.eepadrmax - groesse + 1);
}

void uploadeep(zelctx &c)
{
    long groesse = kopf(c);
    if (groesse == 0)
        return;
    if (!COMopen(c.com, 9600)) {
        fprintf(c.con, "\nError: cannot open COM%d: !", c.com);
        return;
    }
    verbunden(c, groesse);
    COMclose();
    fflush(c.con);
}
