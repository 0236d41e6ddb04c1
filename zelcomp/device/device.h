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
// The model whose name (its first 8 characters, in any case) begins text;
// the last such row, -1 when none.
int zelsuche(const char *text);
int baudindex(long rate);                  // index in zelbaud, or -1

int checkzel(zelctx &c);
int checkEEPROM(zelctx &c);
int writeprotect(zelctx &c);
int eeplesen(zelctx &c, int adr);          // one EEPROM byte, -1 without reply
void eepschreiben(zelctx &c, int adr, int wert);
// Reads n bytes (1..64, never crossing a 64-byte address boundary) at adr with one EEPROM read
// command into out. 1 when all n arrived, 0 when the module did not answer in time.
int eepblock(zelctx &c, int adr, int n, unsigned char *out);
int eepblockn(zelctx &c, int adr, int n, unsigned char *out); // bytes that arrived, 0..n

// The line as the handshake sees it: the rate, bytes the module has not
// read yet, and reply waits that allow for both.
int strsenden(zelctx &c, int n);           // the first n bytes of str; 1 when all went out
int antwortbyte(zelctx &c, int t);         // one reply byte within t ticks and the wire time, or -1
int drahtzeit(const zelctx &c, long n);    // ticks n bytes take on the wire, rounded up
void baudrate(zelctx &c, long rate);       // the port to rate, bit/s
void baudwechsel(zelctx &c, long rate);    // module and port to rate, one of zelbaud[]

// 1 when everything asked for succeeded, 0 on any failure (reported on the console).
int uploadeep(zelctx &c);

#endif
