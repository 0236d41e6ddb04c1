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

#endif
