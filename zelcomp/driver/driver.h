// Compiler driver: source files and error reports, the EEPROM image,
// the line dispatcher and the output files.
#ifndef ZELCOMP_DRIVER_H
#define ZELCOMP_DRIVER_H

#include "../zelcomp.h"

// source files and error reporting
int openfile(zelctx &c, const char *name);
int closeaktfile(zelctx &c);
int readzeile(zelctx &c);                  // 1 = a line is in zeile, 0 = end of this file
int getfilename(zelctx &c, char *buf);
void showerror(zelctx &c, const char *msg);
// Opens a file of bytes whose size is known, *size receiving it; a
// directory or a device is no such file. nullptr on failure.
FILE *bytedatei(const char *name, long *size);
// Reads a whole file of at most max bytes into buffer, filelen receiving
// the bytes actually read: 1 read, 0 cannot be opened, -1 larger than max.
int ladedatei(zelctx &c, const char *name, long max);
// Formats a message into err (cut to fit) and reports it.
void fehler(zelctx &c, const char *fmt, ...) __attribute__((format(printf, 2, 3)));

// EEPROM image
void resetimage(zelctx &c);
int platz(const zelctx &c, long n);        // 1 when n more bytes fit into the data area
void eepadr(unsigned char *entry, int d);  // address of data offset d, low byte first
int tabfrei(const unsigned char *entry);   // 1 when a 2-byte entry is unused
void append(zelctx &c, const unsigned char *p, int n);

// directive dispatcher
void dispatch(zelctx &c);

// output files
void writeobj(zelctx &c);
void writeeep(zelctx &c);

// What an upload file holds.
struct eepinhalt {
    int zelnr;                      // model named in the header, index in zel[]; -1 when none matches
    long groesse;                   // image size from the header, 3632..65536 (a size field of 0 means 65536)
    long datenbytes;                // data bytes the blocks carry
    unsigned char speicher[EEPSIZE];// what the blocks write; cells they do not write are 0xFF
};
// 1 when buf holds a complete, well-formed upload file (header, blocks covering 16..groesse-1
// in order without gap or overlap, trailer ending the file), e filled; 0 otherwise.
int eeppruefen(const unsigned char *buf, long len, eepinhalt &e);

#endif
