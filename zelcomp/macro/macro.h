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
int befbyte(zelctx &c, int b);             // appends b to bef; 0 when bef is full and b is dropped
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
// Row i of the table as one line of text for people (zelcomp --commands,
// an editor's hover): the letters, the parameters in words, the models.
// With zelnr 0..4 the limits are those of that model, and a command it
// does not take gives an empty line; with -1 every command, limits that
// follow the model written with datamax. 0 past the last row.
int befehlzeile(int i, int zelnr, char *buf, size_t n);
// Row of the command with these letters (any case), -1 for none.
int befehlsuche(const char *buchstaben);

#endif
