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

#include <cstdio>

enum {
    MODEEP = 65536,            // the largest EEPROM
    MODCMD = 16,               // longest command header (ESC B R n + 7 is 11)
    MODTEXT = 64,              // display text collected for the log
    RXMAX = 32768,             // bytes taken off the line, not yet at the module
    TXMAX = MODEEP + 16,       // reply bytes not yet on the line (pacing); the longest read fits
    PAKET = 62,                // data bytes of one USB packet of a serial adapter
};

// The module model: what a module does with the bytes it hears. zelsim
// puts it on a line; the device tests and the fuzz targets put it behind
// their fake ports.
struct zelmodul {
    // what the module is
    int ident[3];              // reply to the identify command; a byte of -1 never comes
    long eepsize;              // bytes of EEPROM, 0..MODEEP
    int baud;                  // index into zelbaud[]: the rate it listens at
    int wp;                    // 1: EEPROM writes are not stored
    long erradr;               // a write here is answered with 'E'; -1 for none
    long badadr;               // a write here stores the complement of its byte, silently; -1 for none
    long leseantworten;        // EEPROM bytes it still answers reads with; -1 for all
    FILE *log;                 // commands are logged here, one a line; null for none

    // what it is doing
    unsigned char cmd[MODCMD]; // the command being heard, ESC first
    int cmdlen;                // bytes of it so far, 0 for none
    long wradr, wrrest;        // data phase of an EEPROM write: next address, bytes to come
    long streampos;            // bytes heard since the upload file's form feed; -1 before it
    int fertig;                // 1 once the upload trailer has come
    char text[MODTEXT];        // display text collected for the log
    int textlen;

    // the reply to the byte just heard
    const unsigned char *antwort;
    unsigned char kurz[3];     // short replies are built here

    unsigned char eep[MODEEP];
};

// module.cpp
void modulstart(zelmodul &m, int model);   // model 0..4, erased 64 KB at 9600 bit/s
void modulmodell(zelmodul &m, int model);  // answers the identify command as model 0..4
long modulbyte(zelmodul &m, int b);         // one byte heard; bytes of reply at m.antwort
void modulreset(zelmodul &m);               // drops a command cut short
void modullog(const zelmodul &m, const char *fmt, ...);

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
    int baudset;               // 1 when the rate was given on the command line
    const char *dumpfile;
    const char *loadfile;
    const char *link;
    int exitafter;             // end after the upload trailer
    int pace;                  // take bytes in and send replies at the wire speed
    int replypace;             // send replies at the wire speed (set by pace too)
    int latenz;                // ms an adapter holds a packet that is not full; 0 for no adapter
    int halten;                // unread bytes at which the module holds CTS; 0: about 10 ms of them
    long klemme;               // upload-file bytes after which CTS stays held for good; -1 never

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

    // the adapter's packet: reply bytes off the wire, not yet passed to the host
    unsigned char paket[PAKET];
    int paketanz;              // bytes in paket, 0..PAKET
    long long paketfrist;      // when the packet leaves although not full, ns

    zelmodul m;                // the module itself
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
int sendezeit(const zelsim &s); // ms until the next reply byte or packet is due, -1 for none
void paketaus(zelsim &s, int alle); // the adapter's packet when its time has come, or at once
void anhalten(zelsim &s, int halt);
void freigeben(zelsim &s);

// eeprom.cpp
int eepladen(zelsim &s);
int eepsichern(const zelsim &s);

#endif
