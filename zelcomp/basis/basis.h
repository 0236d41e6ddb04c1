// The foundation every other folder stands on: source files and the
// diagnostics, file loading and the search path, the EEPROM image and its
// room check. The operating-system seam beside it is os.h.
#ifndef ZELCOMP_BASIS_H
#define ZELCOMP_BASIS_H

#include "../zelcomp.h"

// source files and error reporting
int openfile(zelctx &c, const char *name);
int closeaktfile(zelctx &c);
int readzeile(zelctx &c);                  // 1 = a line is in zeile, 0 = end of this file
// Reports a line that was too long for zeile, once its kept part has been
// handled; nr is the entry of the include stack it was read from.
void zeilenrest(zelctx &c, int nr);
// 1 when name leads to a file read in this run.
int isteingabe(const zelctx &c, const char *name);
int getfilename(zelctx &c, char *buf);
// Reports a counted error: console, ERROR.OUT and diagnose.
void showerror(zelctx &c, const char *msg);
// The one way out of every diagnostic: the file and line being read, the
// column of spalte and the message go to the context's senke when one is
// set, else (errors only with --batch) to diag as
// FILE:LINE:COLUMN: art: text, the source line and a caret under the
// column; with no file being read as zelcomp: art: text. Counts nothing.
void diagnose(zelctx &c, const char *art, const char *text);
// Writes one diagnostic in that printed form.
void diagdrucken(FILE *f, const zeldiag &d);
// Makes the next report point at p, a place in zeile.
void spaltebei(zelctx &c, const char *p);
// Writes n bytes of text to f on one line: a line end in it becomes a blank.
void einzeilig(FILE *f, const char *text, int n);

// The error log ERROR.OUT in the current directory. logoeffnen starts it,
// fperr then open unless it cannot be made (errors go to the console
// only); logschliessen ends it and puts it in place unless the run read a
// file of its name.
extern const char ERRORLOG[];
void logoeffnen(zelctx &c);
enum {
    LOGKEINS,                  // there was no log to end
    LOGDA,                     // ERROR.OUT holds this run's log
    LOGEINGABE,                // not written: ERROR.OUT is a file this run reads
    LOGFEHLT,                  // not written: the log could not be completed
};
int logschliessen(zelctx &c);
// Opens a file to read, *size receiving its size, or GROESSEOFFEN for a
// pipe, whose size shows only when it ends; a directory or a device is no
// such file. nullptr on failure. The file counts as an input of the run.
FILE *bytedatei(zelctx &c, const char *name, long *size);
const long GROESSEOFFEN = 0x7FFFFFFFL;
// Reads a whole file of at most max bytes into buffer, filelen receiving
// the bytes actually read; 1 when it is there. A file that cannot be
// opened is reported with nichtda (its %s the name), a larger one with zugross.
int ladedatei(zelctx &c, const char *name, long max, const char *nichtda, const char *zugross);
// Reports msg as fehler does, but gives diagnose the formatted text, which
// says more than the console's fixed message (what was expected).
void fehlerlang(zelctx &c, const char *msg, const char *fmt, ...) __attribute__((format(printf, 3, 4)));
// Formats a message into err (cut to fit) and reports it.
void fehler(zelctx &c, const char *fmt, ...) __attribute__((format(printf, 2, 3)));
// With -W, writes FILE:LINE: warning: and the formatted text to diag;
// warnings are not counted and change nothing else.
void warnung(zelctx &c, const char *fmt, ...) __attribute__((format(printf, 2, 3)));

// The file a name from the source means: the name itself when there is
// such a file in the current directory (or it is absolute or empty), else
// the first place that has one of the directory of the file being read
// and the -I directories in order, written into pfad (NAMELEN bytes).
// When none has it, the name as it was written.
const char *suchdatei(zelctx &c, const char *name, char *pfad);

// EEPROM image
void resetimage(zelctx &c);
int platz(const zelctx &c, long n);        // 1 when n more bytes fit into the data area
void eepadr(unsigned char *entry, int d);  // address of data offset d, low byte first
int tabfrei(const unsigned char *entry);   // 1 when a 2-byte entry is unused
// Takes the record of n bytes already written at adresse into the image:
// counts it in anz and len, enters its address and moves adresse past it.
void eintrag2eep(zelctx &c, unsigned char *entry, int &anz, long &len, long n);
void append(zelctx &c, const unsigned char *p, int n);

#endif
