// The compile context: every piece of state of one run of zelcomp.
// Each folder's functions work on one of these; nothing else is mutable,
// so a test can run as many compiles in one process as it likes.
#ifndef ZELCOMP_ZELCOMP_H
#define ZELCOMP_ZELCOMP_H

#include <cstdio>

// EEPROM layout of the module
enum {
    EEPSIZE = 65536,
    SYSSIZE = 3632,            // header area + font, picture and macro tables
    DATASIZE = EEPSIZE - SYSSIZE,
    FONTTAB = 32,              // 16 entries x 2 bytes
    BILDTAB = 512,             // 256 entries x 2 bytes
    MAKROTAB = 3072,           // 768 entries x 4 bytes
    ZEILEN = 256,
    ERRLEN = 80,
    NAMELEN = 256,
    MAXDATEI = 10,
    MAXEINGABE = 1024,         // distinct input files whose identity a run keeps
    MAXKONST = 1024,
    KONSTNAME = 30,            // 29 characters and the terminating zero
    BEFLEN = 270,
    BUFLEN = 8200,
    MAXINC = 16,               // -I directories on one command line
    EEPDATEIMAX = 131072,      // largest upload file the upload reads
};

struct osident {                   // identity of a file, the same for every name of it
    unsigned long long geraet;     // device (POSIX) or volume serial number (Win32)
    unsigned long long knoten;     // inode (POSIX) or file index (Win32)
};

struct quelle {                // one entry of the include stack
    FILE *fp;
    int line;
    char name[NAMELEN];
};

struct konstante {
    int wert;
    char name[KONSTNAME];
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

struct zelctx {
    // EEPROM image
    unsigned char font[FONTTAB];
    unsigned char bild[BILDTAB];
    unsigned char makro[MAKROTAB];
    unsigned char eeprom[DATASIZE];
    int adresse;
    int makanz, tmakanz, pmakanz, bildanz, fontanz;
    long maklen, tmaklen, pmaklen, bildlen, fontlen;

    // constants
    konstante konst[MAXKONST];
    int konstanz;

    // source files and errors
    quelle datei[MAXDATEI];
    int filenr;
    FILE *fp;
    char zeile[ZEILEN];
    int zulang;                // 1 when the line in zeile lost characters that count, else 0
    char *zptr;
    char err[ERRLEN];
    int errors;
    FILE *fperr;
    osident eingabe[MAXEINGABE];   // every file read in this run, no two alike
    int eingabeanz;                // used entries of eingabe, 0..MAXEINGABE

    // names and settings
    char str[NAMELEN];
    char outfile[NAMELEN];
    char objfile[NAMELEN];
    int eepobjfile;
    int zelnr;
    int com;
    int softbaud;
    long newbaud;
    int eepadrmax;
    int orgbaud;
    int verify;                // 1: read the programmed range back after the upload (--verify)

    // upload: the file as read, what it writes, and the state of the line
    unsigned char eepdatei[EEPDATEIMAX];
    long eepdateilen;          // bytes in eepdatei
    eepinhalt eepin;
    long aktbaud;              // rate the port is set to, bit/s; 0 while closed
    long offen;                // bytes sent since the module last answered or a wait ran out

    // open macro block and the command buffer
    int aktmaknr, aktmakadr, aktmaklen, maknroff;
    unsigned char bef[BEFLEN];
    int aktbeflen;

    // file buffer shared by the picture, font and data loaders
    unsigned char buffer[BUFLEN];
    long filelen;

    // upload file writer
    int wrblksize, wraktblk, wradr;

    // where console text goes and where typed answers come from
    FILE *con;
    FILE *conin;

    // choices of the command line beyond the classic options
    int batch;                 // 1 = --batch: no prompt, no wait, errors also on diag
    int warnen;                // 1 = -W: warnings on diag; never counted
    char incdir[MAXINC][NAMELEN]; // -I directories, searched in this order
    int incanz;                // directories in incdir, 0..MAXINC
    FILE *diag;                // lines for editors, FILE:LINE: kind: text (stderr)
};

// Puts a context into the state a run starts in (tables, constants, counters).
void zelinit(zelctx &c);

// The whole run of the program for one command line.
int zelrun(zelctx &c, int argc, char **argv);

#endif
