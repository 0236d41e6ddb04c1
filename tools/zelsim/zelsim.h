// zelsim: a ZEL module on a pseudo-terminal, for uploads without hardware.
//
// The host opens the terminal side of the pair; the module sits on the
// master side, reads the rate the host has set on the line with every byte
// and behaves like a module at the far end of a serial cable: it answers
// the identify and EEPROM read commands, stores EEPROM writes, follows the
// baud command and holds the line while its receive buffer is full.
#ifndef ZELSIM_ZELSIM_H
#define ZELSIM_ZELSIM_H

#include "device/device.h"

enum {
    SIMEEP = 65536,            // the largest EEPROM
    RXMAX = 32768,             // bytes taken off the line, not yet at the module
    TXMAX = SIMEEP + 16,       // reply bytes not yet on the line (pacing); the longest read fits
    CMDMAX = 16,               // longest command header (ESC B R n + 7 is 11)
    TEXTMAX = 64,              // display text collected for the log
};

// A byte as it came off the line, with the index of the rate the host sent
// it at (-1 when that is none of the module rates, or changed while the
// byte was read).
struct rxbyte {
    unsigned char b;
    signed char rate;
};

struct zelsim {
    // settings
    int model;                 // row of zel[]
    long eepsize;              // bytes
    int baud;                  // index into zelbaud[]: the rate the module listens at
    int baudset;               // 1 when the rate was given on the command line
    int wp;                    // write protected: writes are not stored
    long erradr;               // a write here is answered with 'E'; -1 for none
    long badadr;               // a write here stores the complement of its byte, silently; -1 for none
    const char *dumpfile;
    const char *loadfile;
    const char *link;
    int exitafter;             // end after the upload trailer
    int pace;                  // take bytes in and send replies at the wire speed
    int replypace;             // send replies at the wire speed (set by pace too)
    int verbose;               // log commands to stderr

    // the line
    int master;
    int slave;                 // kept open so the module can hold the line
    char path[256];
    int held;
    long long haltseit;        // when the hold began, ns
    int zwang;                 // let go although the host is still far ahead
    long long empfangen;       // bytes taken off the line so far
    long long zwangmark;       // ... when the host was let go that way

    // the bytes on their way to the module, oldest at rxkopf
    rxbyte rx[RXMAX];
    int rxkopf, rxanz;
    long long tnext;           // wire time of the next byte, ns (pacing)
    long long tletzt;          // when the last byte arrived, ns
    int still;                 // the line has been idle since the last check

    // replies on their way to the host while pacing, oldest at txkopf
    unsigned char tx[TXMAX];
    int txkopf, txanz;
    long long txnext;          // wire time of the next reply byte, ns

    // command parser
    unsigned char cmd[CMDMAX];
    int cmdlen;
    long wradr, wrrest;        // data phase of an EEPROM write
    char text[TEXTMAX];
    int textlen;
    int fertig;                // upload trailer seen

    unsigned char eep[SIMEEP];
};

// options.cpp
int simoptionen(zelsim &s, int argc, char **argv);

// line.cpp
long long jetzt();
int leitungauf(zelsim &s);
void leitungzu(zelsim &s);
int leitungsrate(zelsim &s, int hostempfang);
int empfang(zelsim &s);
void antwort(zelsim &s, const unsigned char *p, long n);
void antwortaus(zelsim &s);    // the reply bytes whose wire time has come
int sendezeit(const zelsim &s); // ms until the next reply byte is due, -1 for none
void anhalten(zelsim &s, int halt);
void freigeben(zelsim &s);

// module.cpp
void simbyte(zelsim &s, int b);
void simreset(zelsim &s);
void simlog(const zelsim &s, const char *fmt, ...);

// eeprom.cpp
int eepladen(zelsim &s);
int eepsichern(const zelsim &s);

#endif
