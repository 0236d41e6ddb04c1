// The compile context: every piece of state of one run of zelcomp.
// Each folder's functions work on one of these; nothing else is mutable,
// so a test can run as many compiles in one process as it likes.
#ifndef ZELCOMP_ZELCOMP_H
#define ZELCOMP_ZELCOMP_H

#include <cstdio>

// EEPROM layout of the module and the fixed sizes of the context
enum {
    EEPSIZE = 65536,           // the largest EEPROM a module has
    KOPFBEREICH = 16,          // cells 0..15: the module's own header area, 0xFF in an image
    FONTANZ = 16,              // font table entries, fonts 1..16
    BILDANZ = 256,             // picture table entries, pictures 0..255
    MAKROANZ = 768,            // macro table entries: 256 macros, 256 touch, 256 port macros
    FONTTAB = FONTANZ * 2,     // 32: 2 bytes an entry
    BILDTAB = BILDANZ * 2,     // 512: 2 bytes an entry
    MAKROTAB = MAKROANZ * 4,   // 3072: 4 bytes an entry
    FONTADR = KOPFBEREICH,     // 16: the font table's first cell
    BILDADR = FONTADR + FONTTAB,   // 48: the picture table's first cell
    MAKROADR = BILDADR + BILDTAB,  // 560: the macro table's first cell
    SYSSIZE = MAKROADR + MAKROTAB, // 3632: header area + font, picture and macro tables
    DATASIZE = EEPSIZE - SYSSIZE,
    ZEILEN = 256,              // a source line with its line end and zero
    ERRLEN = 80,               // an error message with its zero
    NAMELEN = 256,             // a file name with its zero
    MAXDATEI = 10,             // files open at once: the main file and nested includes
    MAXEINGABE = 1024,         // distinct input files whose identity a run keeps
    ABHLEN = 32768,            // the names of the files read, for -MD, each with its zero
    MAXKONST = 1024,           // constants, the predefined ones included
    KONSTNAME = 30,            // 29 characters and the terminating zero
    BEFLEN = 270,              // one encoded display command
    BUFLEN = 8200,             // a picture, font or data file read whole
    MAXINC = 16,               // -I directories on one command line
    EEPDATEIMAX = 131072,      // largest upload file the upload reads
};

struct osident {                   // identity of a file, the same for every name of it
    unsigned long long geraet;     // device (POSIX) or volume serial number (Win32)
    unsigned long long knoten;     // inode (POSIX) or file index (Win32)
};

struct quelle {                // one entry of the include stack
    FILE *fp;                  // the file, open while the entry is on the stack
    int line;                  // lines read from it so far, 0 before the first
    char name[NAMELEN];        // the main source as typed, an included file where it was found
};

// One diagnostic as a caller that collects them (an editor, a language
// server) receives it through zelctx::senke instead of the printed form.
struct zeldiag {
    const char *datei;         // file the line came from; nullptr when it concerns no line
    int zeile;                 // line number in datei from 1; 0 for none
    int spalte;                // byte column in that line from 1; 0 for none
    const char *art;           // "error" or "warning"
    const char *text;          // the message on one line, without the console's line ends
    const char *quelltext;     // the line as read (control characters at its end removed); nullptr for none
};

struct konstante {             // one entry of the constant table
    int wert;                  // the value
    char name[KONSTNAME];      // as defined; compared without regard to case
    unsigned hash;             // of the name in upper case, compared before the name
};

// What an upload file writes into the EEPROM, as its blocks say; filled by
// eeppruefen (driver.h).
struct eepinhalt {
    int zelnr;                      // model named in the header, index in zel[]; -1 when none matches
    long groesse;                   // image size from the header, 3632..65536 (a size field of 0 means 65536)
    long datenbytes;                // data bytes the blocks carry
    unsigned char speicher[EEPSIZE];// what the blocks write; cells they do not write are 0xFF
};

// The progress line of a transfer on a terminal (device/fortschritt.cpp).
struct fortschritt {
    FILE *f;                   // the terminal it is drawn on (stderr); nullptr: none is drawn
    const char *was;           // what moves: "upload", "verify" or "read"
    long gesamt;               // bytes of the whole transfer, 1 or more
    int start;                 // clockhs when it began
    int gezeigt;               // clockhs of the last drawing; -1 before the first
};

// Sections follow the folder whose code owns the fields; other folders
// read them, and some fill them through the owner's functions.
struct zelctx {
    // basis/image.cpp: the EEPROM image. A table entry of 0xFF bytes is unused.
    unsigned char font[FONTTAB];   // font table at EEPROM address 16
    unsigned char bild[BILDTAB];   // picture table at 48
    unsigned char makro[MAKROTAB]; // macro table at 560: macros, touch macros, port macros
    unsigned char eeprom[DATASIZE];// data area at SYSSIZE; only the first adresse bytes are used
    int adresse;               // fill level of eeprom, 0..DATASIZE: where the next record goes

    // basis/source.cpp: source files and error reports
    quelle datei[MAXDATEI];    // the include stack, entries 0..filenr
    int filenr;                // the file lines are read from, 0..MAXDATEI-1; -1 when none is open
    char zeile[ZEILEN];        // the current line, control characters at its end removed
    int zulang;                // 1 when the line in zeile lost characters that count, else 0
    int spalte;                // column the next report points at: byte of zeile from 1;
                               // 0 = the line's first non-blank character
    char err[ERRLEN];          // the message being reported
    int errors;                // errors counted in this run
    FILE *fperr;               // ERROR.OUT; nullptr when it could not be created or is closed
    char errtmp[NAMELEN + 16]; // the temporary file fperr writes until it becomes ERROR.OUT; empty for none
    osident eingabe[MAXEINGABE];   // every file read in this run, no two alike
    int eingabeanz;                // used entries of eingabe, 0..MAXEINGABE
    char abh[ABHLEN];              // -MD: names of the files read, as opened, one after the other, each ended by a zero
    int abhlen;                    // bytes used in abh, 0..ABHLEN; -1 when a name found no room

    // driver/output.cpp: the output files
    char outfile[NAMELEN];     // the upload file: NAME.EEP or a DESTINATION line's name;
                               // in an upload-only run the file sent
    char objfile[NAMELEN];     // the object file NAME.EEO
    int eepobjfile;            // 1 = -o: the object file is written too, else 0
    int abhdatei;              // 1 = -MD: the make rule NAME.d is written too, else 0
    char depfile[NAMELEN];     // NAME.d, named as the object file is
    int wrblksize;             // data bytes one block carries at most, 64..832 in steps of 64
    int wraktblk;              // counter of the next block, from 0
    int wradr;                 // EEPROM address of the next byte written, from 16

    // expr/: the scan cursor and the constant table
    char *zptr;                // the next character to read, in zeile
    konstante konst[MAXKONST]; // entries 0..konstanz-1, the predefined ones first
    int konstanz;              // used entries of konst, 0..MAXKONST

    // macro/: the open macro block, the command buffer and the totals
    int aktmaknr;              // number of the open block in its section, 0..255; -1 for none
    int aktmakadr;             // its start as an offset in eeprom
    int aktmaklen;             // its bytes so far; a block of 0 bytes is not entered
    int maknroff;              // first entry of the section blocks go into: SEKMAKRO, SEKTOUCH or SEKPORT
    unsigned char bef[BEFLEN]; // the command being encoded, ESC first
    int aktbeflen;             // bytes in bef, 0..BEFLEN
    int makanz, tmakanz, pmakanz;  // macros, touch macros and port macros entered, 0..256 each
    long maklen, tmaklen, pmaklen; // their bytes in the data area

    // picture/: totals of the stored pictures
    int bildanz;               // pictures entered, 0..256
    long bildlen;              // their bytes in the data area

    // font/: totals of the stored fonts
    int fontanz;               // fonts entered, 0..16
    long fontlen;              // their bytes in the data area

    // device/: the model, what the upload is to do, and the module on the line
    int zelnr;                 // the selected model, row of zel[] 0..4 (3 unless a model line says)
    int com;                   // the port to upload on, 1..9 for COM1..COM9; 0 for none (no upload)
    char geraet[NAMELEN];      // -P: the device the upload opens in place of port com's; "" for none
    long newbaud;              // rate to switch the upload to, bit/s, one of zelbaud[]; 0 for none
    int softbaud;              // baud index 0..7 a model 0 or 1 starts with (EEPROM address 1); -1 for none
    int verify;                // 1: read the programmed range back after the upload (--verify)
    int orgbaud;               // baud index 0..7 the module answered at; -1 before or when none did
    int eepadrmax;             // the module's highest EEPROM address, not a size: 65535 for 64 KB;
                               // -1 when it answered no read, 0 before the probe
    unsigned char eepdatei[EEPDATEIMAX]; // the upload file as read
    long eepdateilen;          // bytes in eepdatei, 0..EEPDATEIMAX
    eepinhalt eepin;           // what eepdatei writes, checked before the port opens
    long aktbaud;              // rate the port is set to, bit/s; 0 while closed
    long offen;                // bytes sent since the module last answered or a wait ran out
    fortschritt fs;            // the progress line; fs.f is set by a program on a terminal

    // zelcomp.cpp: the console and the choices of the command line beyond the classic options
    FILE *con;                 // where console text goes (stdout)
    FILE *conin;               // where typed answers come from (stdin)
    int batch;                 // 1 = --batch: no prompt, no wait, errors also on diag
    int warnen;                // 1 = -W: warnings on diag; never counted
    const unsigned *zeichensatz; // --charset: strings are read as UTF-8 and stored in this set
                               // (cp437 or latin1, font/font.h); nullptr: their bytes as they are
    const char *satzname;      // the set's name for messages ("code page 437", "Latin-1"); nullptr for none
    char incdir[MAXINC][NAMELEN]; // -I directories, searched in this order
    int incanz;                // directories in incdir, 0..MAXINC
    FILE *diag;                // lines for editors, FILE:LINE:COLUMN: kind: text (stderr)
    // When set, every error and warning (with or without -W) goes to it and
    // nothing to diag; the console and ERROR.OUT are written as always.
    void (*senke)(void *ziel, const zeldiag &d);
    void *senkeziel;           // handed to senke as it is; nullptr when unused

    // scratch shared by several folders
    char str[NAMELEN];         // the source name, a directive's first word, file names, module commands
    unsigned char buffer[BUFLEN]; // the picture, font or data file being read
    long filelen;              // bytes in buffer; after a stored picture or font, the record's size
};

// Puts a context into the state a run starts in (tables, constants, counters).
void zelinit(zelctx &c);

// The whole run of the program for one command line.
int zelrun(zelctx &c, int argc, char **argv);

#endif
