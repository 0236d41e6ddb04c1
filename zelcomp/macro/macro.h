// Macro blocks, the display command encoder and parameter lists.
#ifndef ZELCOMP_MACRO_H
#define ZELCOMP_MACRO_H

#include "../zelcomp.h"

// The three sections of the macro table, as the number of their first
// entry: a block number counts from there (maknroff).
enum { SEKMAKRO = 0, SEKTOUCH = 256, SEKPORT = 512 };

int openmakro(zelctx &c);
int closemakro(zelctx &c);
int zelbefehl(zelctx &c);
int parameter(zelctx &c);
int bef2eep(zelctx &c);
int loadsendfile(zelctx &c, const char *name);

// One row of the display command table, for programs that read commands
// back out of an image.
struct befinfo {
    const char *name;   // the letters, upper case
    int min, max;       // accepted parameter counts on the model asked for
    unsigned zel;       // bit i: accepted on model i
    int text;           // 1: a zero byte follows the parameters
    int art;            // 'S' count byte or data file, 'I' IW count, 'U' picture, 0 plain
};
// Row i of the table with the limits of model zelnr; 0 past the last row.
int befehlinfo(int i, int zelnr, befinfo &b);

#endif
