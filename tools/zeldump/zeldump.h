// zeldump: what an image, an upload file or a module holds, as a memory
// map, a listing, a source that rebuilds it, pictures and an upload file.
#ifndef ZELDUMP_ZELDUMP_H
#define ZELDUMP_ZELDUMP_H

#include "zelcomp.h"

#include <cstdio>
#include <string>
#include <vector>

enum {
    MAXEINTRAG = FONTANZ + BILDANZ + MAKROANZ,   // every table entry of the image
    MAXZEILE = 250,                // longest source line written; the reader takes 254
};

// One record a table leads to.
struct eintrag {
    int art;            // 'F' font, 'B' picture, 'M' macro, 'T' touch macro, 'P' port macro
    int nr;             // font 1..16, picture 0..255, macro 0..255
    long adr;           // EEPROM address of its first byte
    long len;           // bytes, 0 when its size could not be read
    int orient;         // pictures: layout 'V', 'H' or 'h' they were stored in; 0 otherwise
};

// The EEPROM as read, and what its tables lead to.
struct abbild {
    unsigned char eep[EEPSIZE];    // cells never read are 0xFF
    long groesse;       // bytes read from the file or the module, 3632..65536
    int zelnr;          // model the image is read for, 0..4
    eintrag e[MAXEINTRAG];
    int anz;            // entries used in e
    long ende;          // end of the last record: the image size the tables imply
    int fehler;         // entries that point outside the image or overlap
};

// What the map counts per kind, as the compiler's overview does.
struct summen {
    int anz[5];         // fonts, pictures, macros, touch macros, port macros
    long len[5];        // their bytes
};

// How the outputs are written.
struct ausgabeart {
    const char *eingabe;   // the file read, never replaced; nullptr when a module was read
    int force;             // 1: a regular file that is there is replaced (--force, -w, -e)
    FILE *err;             // where a refusal or a failure is told
};
// 1 when ziel may be written; else says why on w.err and gives 0.
int zielfrei(const ausgabeart &w, const std::string &ziel);
// n bytes at p as the file ziel, complete or not at all; 1 written, 0
// refused or failed (told on w.err).
int schreibe(const ausgabeart &w, const std::string &ziel, const void *p, size_t n);

// input
int ladeeeo(abbild &a, const char *name, FILE *err);       // 1 ok, 0 bad file
int ladeeep(abbild &a, const char *name, FILE *err);       // 1 ok, 0 bad file
// Reads the module on port c.com, telling c.con; 1 ok, 0 when it could not be read.
int ladezel(abbild &a, zelctx &c);
int schreibeeeo(const abbild &a, const ausgabeart &w, const char *name);   // 1 ok

// memory map
void karte(abbild &a, FILE *err);                          // fills e, ende, fehler
void summiere(const abbild &a, summen &s);
void zeigekarte(const abbild &a, FILE *out);

// display commands of a macro
struct befehlsicht {
    long len;           // bytes of the command
    std::string text;   // source line, '#' first; empty when it cannot be written
    int bild;           // 1: a picture record follows the two position values
    int datei;          // 1: the values go into a data file
    unsigned zel;       // models that compile the line into these bytes
};
// Splits the macro of len bytes at EEPROM address adr into commands whose
// lines are at most grenze characters; an empty vector when its bytes are
// no such sequence of commands.
std::vector<befehlsicht> zerlege(const abbild &a, long adr, long len, int grenze);
void liste(const abbild &a, FILE *out);

// source regeneration; returns the number of things it could not express,
// ZIELFEHLER when a file was refused and nothing written, -1 when one could
// not be written
enum { ZIELFEHLER = -2 };
int quelle(const abbild &a, const ausgabeart &w, const char *dir, const char *name);

// pictures and fonts as PNG; the number of files not written, ZIELFEHLER
// when a file was refused and nothing written
int pngbilder(const abbild &a, const ausgabeart &w, const char *dir, int scale);

// the upload file of the image, its line on con; 1 written
int schreibeeep(const abbild &a, const ausgabeart &w, const char *name, FILE *con);

#endif
