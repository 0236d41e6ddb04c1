// Macro blocks, the display command encoder and parameter lists.
#ifndef ZELCOMP_MACRO_H
#define ZELCOMP_MACRO_H

#include "../zelcomp.h"

int openmakro(zelctx &c);
int closemakro(zelctx &c);
int zelbefehl(zelctx &c);
int parameter(zelctx &c);
int bef2eep(zelctx &c);
int loadsendfile(zelctx &c, const char *name);

#endif
