// The model table, the module handshake and the upload.
#ifndef ZELCOMP_DEVICE_H
#define ZELCOMP_DEVICE_H

#include "../serial/seriowin.h"
#include "../zelcomp.h"

struct zelmodel {
    int xdots;
    int ydots;
    int orient;        // 'V', 'H' or 'h'
    char name[10];
    int datamax;
};

enum { ZELMODELS = 5 };
extern const zelmodel zel[ZELMODELS];

// Selects the model zelsuche finds for text; 0 when it found one, 1 when
// the model stays as it was.
int zelstr2var(zelctx &c, const char *text);
// The model whose name (its first 8 characters, in any case) begins text;
// the last such row, -1 when none. The one lookup by name: the compiler,
// the upload file's header, zeldump and zelsim all ask it.
int zelsuche(const char *text);

// Opens port c.com at 9600 bit/s and finds the module on it: the connect
// line, the scan and the size line, or why not. 1 with the port open; 0
// with it closed again (or never opened) after saying why.
int zelverbinden(zelctx &c);
// Prints an upload failure on the console exactly as formatted and hands
// it, without its line ends and "Error: ", to diagnose.
void geraetfehler(zelctx &c, const char *fmt, ...) __attribute__((format(printf, 2, 3)));
void zeltrennen(zelctx &c);                // closes the port
void leitungleeren(void);                  // drops every byte waiting on the line

int checkzel(zelctx &c);
int checkEEPROM(zelctx &c);
int writeprotect(zelctx &c);
int eeplesen(zelctx &c, int adr);          // one EEPROM byte, -1 without reply
void eepschreiben(zelctx &c, int adr, int wert);

// Reads n bytes of EEPROM from adr into out, several read commands in
// flight, and with soll compares them on the way. Returns how many bytes
// from adr on came (and equal soll); *grund says why it stopped short:
// LESESTUMM no reply, LESEANDERS a byte differs (out holds it).
enum { LESEOK, LESESTUMM, LESEANDERS };
enum { ADAPTERHS = 4 };                    // ticks a USB serial adapter may hold replies back
long eeplies(zelctx &c, long adr, long n, unsigned char *out, const unsigned char *soll,
             int *grund);

// The progress line (fortschritt.cpp): drawn on f only when f is a terminal.
void fsterminal(zelctx &c, FILE *f);
void fsstart(zelctx &c, const char *was, long gesamt);
void fsstand(zelctx &c, long n);           // n bytes of the whole have gone
void fsende(zelctx &c, long n);

// The line as the handshake sees it: the rate, bytes the module has not
// read yet, and reply waits that allow for both.
int strsenden(zelctx &c, int n);           // the first n bytes of str; 1 when all went out
int antwortbyte(zelctx &c, int t);         // one reply byte within t ticks and the wire time, or -1
int drahtzeit(const zelctx &c, long n);    // ticks n bytes take on the wire, rounded up
void baudrate(zelctx &c, long rate);       // the port to rate, bit/s
void baudwechsel(zelctx &c, long rate);    // module and port to rate, one of zelbaud[]

// 1 when everything asked for succeeded, 0 on any failure (reported on the console).
int uploadeep(zelctx &c);

// upload file: a header, blocks of a command and their data, a trailer
enum {
    EEPKOPF = 44,              // header bytes
    BLOCKKOPF = 12,            // command bytes in front of a block's data
    SCHLUSSLEN = 11,           // trailer bytes
    ERSTEADR = 16,             // the first EEPROM address the blocks write
    // offsets in the header
    KOPFWORT = 1,              // "program " (8 bytes) after a form feed
    KOPFNAME = 9,              // the model's name, 8 bytes, zero-padded
    KOPFREST = 17,             // the module commands that prepare the upload
    KOPFGROESSE = 23,          // the image size, low byte first; 0 means 65536
};
extern const unsigned char eepschluss[SCHLUSSLEN]; // the trailer, the same in every file
// 1 when buf holds a complete, well-formed upload file (header, blocks covering 16..groesse-1
// in order without gap or overlap, trailer ending the file), e filled; 0 otherwise.
int eeppruefen(const unsigned char *buf, long len, eepinhalt &e);

#endif
