// Shared by the fuzz targets: a private working directory, files in it,
// and a compile context whose console goes nowhere.
#ifndef ZELFUZZ_FUZZUTIL_H
#define ZELFUZZ_FUZZUTIL_H

#include "zelcomp.h"

#include <cstddef>
#include <cstdint>

// Enters a private directory (created on the first call, removed at exit)
// and empties it, so every input starts without the files of the last.
void fuzzdir(void);
void putfile(const char *name, const uint8_t *p, size_t n);
// Enters the directory and writes the parts of an input, separated by the
// line "@FILE", as the source m.mac and the files f1 to f7. 0, writing
// nothing, when a file name would leave the directory or the includes are
// too many to read in reasonable time.
int fuzzquellen(const uint8_t *data, size_t size);
// Removes a subdirectory of files, if there is one.
void fuzzrmdir(const char *name);

// The one context of the process in its start state; console and typed
// answers are /dev/null.
zelctx &fuzzctx(void);

// Marks the file buffer behind the first n bytes as unreadable, so that a
// read past the end of a loaded file is reported; fuzzfree lifts it.
void fuzzfence(zelctx &c, size_t n);
void fuzzfree(zelctx &c);

// Fills the data area from offset d on with a marker byte; fuzzfilled
// tells whether it still holds only that from d on.
void fuzzfill(zelctx &c, long d);
int fuzzfilled(const zelctx &c, long d);

// Stops the run with a message when an invariant of the program fails.
#define PRUEFE(cond)                                                        \
    do {                                                                    \
        if (!(cond))                                                        \
            fuzzfail(__FILE__, __LINE__, #cond);                            \
    } while (0)
[[noreturn]] void fuzzfail(const char *file, int line, const char *what);

#endif
