// A platform port for the fuzz targets: the port functions of
// serial/seriowin.h over a virtual clock and a module in memory, so that
// an upload runs to its end in microseconds whatever the module answers.
//
// The clock advances by one tick each time it is read, so every time-out
// and wait is passed by counting, never by waiting.
#ifndef ZELFUZZ_FAKEPORT_H
#define ZELFUZZ_FAKEPORT_H

struct fakemodul {
    int present;            // 0: nothing answers on the line
    int ident[3];           // reply to the identify command
    long rate;              // the module hears only bytes sent at this rate
    long eepsize;           // bytes of EEPROM that answer a read
    int writeprotected;
    long ereply;            // after this many bytes of the upload file it answers 'E'; -1 never
    int ctshold;            // 1: CTS is held for ever, every write times out
};

// Puts the module into the given state and closes the port.
void fakereset(const fakemodul &m);
// The module of one model (0 to 4) at 9600 bit/s with 64 KB of EEPROM.
fakemodul fakestandard(int model);
int fakeportopen(void);     // 1 while the port is open
long fakesent(void);        // bytes the host wrote since the reset

#endif
