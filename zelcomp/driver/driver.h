// The top of the compiler: the line dispatcher and the output files.
// Everything below it (diagnostics, the image, file loading) is basis.h.
#ifndef ZELCOMP_DRIVER_H
#define ZELCOMP_DRIVER_H

#include "../basis/basis.h"
#include "../device/device.h"

// directive dispatcher
void dispatch(zelctx &c);

// output files
void writeobj(zelctx &c);
void writeeep(zelctx &c);
// Both outputs of a run, the object file only with -o, replaced together
// or not at all.
void writeausgaben(zelctx &c);

#endif
