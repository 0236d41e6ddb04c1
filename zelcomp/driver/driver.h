// The top of the compiler: the line dispatcher and the output files.
// Everything below it (diagnostics, the image, file loading) is basis.h.
#ifndef ZELCOMP_DRIVER_H
#define ZELCOMP_DRIVER_H

#include "../basis/basis.h"
#include "../device/device.h"

#include <string>

// directive dispatcher
void dispatch(zelctx &c);

// output files
void writeobj(zelctx &c);
void writeeep(zelctx &c);
// The bytes writeeep would write for the image in c, for a program that
// writes them itself.
void eepbytes(zelctx &c, std::string &bytes);
// Both outputs of a run, the object file only with -o, replaced together
// or not at all.
void writeausgaben(zelctx &c);

#endif
