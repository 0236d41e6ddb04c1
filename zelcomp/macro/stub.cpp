// Placeholder until macro blocks and the command encoder exist.
#include "macro.h"

int openmakro(zelctx &) { return 0; }
int closemakro(zelctx &) { return 0; }
int zelbefehl(zelctx &) { return 0; }
