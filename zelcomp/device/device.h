// Model and baud tables, the module handshake and the upload.
#ifndef ZELCOMP_DEVICE_H
#define ZELCOMP_DEVICE_H

#include "../zelcomp.h"

struct zelmodel {
    int xdots;
    int ydots;
    int orient;        // 'V', 'H' or 'h'
    char name[10];
    int datamax;
};

enum { ZELMODELS = 5, ZELBAUDS = 8 };
extern const zelmodel zel[ZELMODELS];
extern const int zelbaud[ZELBAUDS];

int zelstr2var(zelctx &c, const char *text);
int baudindex(long rate);                  // index in zelbaud, or -1

int checkzel(zelctx &c);
int checkEEPROM(zelctx &c);
int writeprotect(zelctx &c);
int eeplesen(zelctx &c, int adr);          // one EEPROM byte, -1 without reply
void eepschreiben(zelctx &c, int adr, int wert);
// Reads n bytes (1..64, never crossing a 64-byte address boundary) at adr with one EEPROM read
// command into out. 1 when all n arrived, 0 when the module did not answer in time.
int eepblock(zelctx &c, int adr, int n, unsigned char *out);
void uploadeep(zelctx &c);

#endif
