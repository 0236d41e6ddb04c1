// The serial port and the hundredths clock. One port at a time.
//
// Port n is the device named in the environment variable ZEL_COMn when
// that is set, else the system's n-th serial port. Every time-out counts
// changes of clockhs, whatever the port does meanwhile.
#ifndef ZELCOMP_SERIOWIN_H
#define ZELCOMP_SERIOWIN_H

#include <cstddef>
#ifndef _WIN32
#include <termios.h>
#endif

// The rates the modules know, bit/s, slowest first. A rate's index is what
// the module is told on the wire and what its memory keeps.
enum { ZELBAUDS = 8 };
extern const int zelbaud[ZELBAUDS];
int baudindex(long rate);           // index in zelbaud, or -1 when it is none of them
#ifndef _WIN32
int ratecode(long rate, speed_t *sp); // the terminal speed code of a module rate; 0 when none
int codeindex(speed_t sp);          // index in zelbaud of a terminal speed code, or -1
#endif

extern int _comtohs;                // ticks COMwrite waits for the line at most

int clockhs(void);
void wartehs(int n);
int COMopen(int n, long baud);
// The device every later COMopen opens whatever its port number; "" or
// nullptr for the device of the port number again.
void COMgeraet(const char *name);
void COMclose(void);
void COMbaudrate(long baud);
int COMread(int t);
int CTS(void);
int COMwrite(int c);
int COMwrblk(const unsigned char *p, int len);
// Writes the first bytes of p, as many as one write of the port carries
// (len at most); the count written, 0 on the CTS time-out or a failed write.
int COMsenden(const unsigned char *p, int len);
int COMoutq(void);                  // bytes written but not yet on the wire; 0 when unknown
const char *COMgrund(void);         // why the last COMopen failed: "device: reason"; "" when unknown
// Puts the port back as it was before COMopen (settings, exclusive use,
// lock) and closes it, dropping unsent output; 1 when a port was open.
// Safe inside a signal handler: an interrupted upload ends through it.
int COMnotaus(void);

// The platform port under the layer: what differs between systems, one
// step each, never waiting. clock.cpp and com.cpp build every time-out
// and retry on it; port_posix.cpp and port_win32.cpp implement it, and
// the test fakes replace it alone.
enum portpausegrund {
    PAUSE_ZEIT,                     // wartehs: the clock has not moved on yet
    PAUSE_HALT,                     // output waits: CTS holds it, or it drains before the close
    PAUSE_LESEN,                    // no byte has come yet
    PAUSE_SCHREIBEN,                // the line did not take the byte yet
};

unsigned portms(void);              // milliseconds, wrapping at 2^32
int portauf(int n, long baud);      // open COMn raw 8N1, RTS/CTS, DTR off; 1 or 0
void portzu(int verwerfen);         // close; verwerfen 1 drops unsent output first
int portrate(long baud);            // 1 when the rate is set, every other setting kept
int portlesen(void);                // a byte already received, or -1 at once
int porthalt(void);                 // 1 while CTS holds output, 0 not, -1 unreadable
// Bytes one write carries: 1 where the layer checks CTS before every byte;
// more where the driver's own CTS flow control holds a block back, and a
// write waits for CTS itself, for the CTS time-out at most.
int portblock(void);
// Of the n bytes at p (1 <= n <= portblock()) the count the driver took:
// 0 not now (driver full; with blocks: CTS held for the whole time-out),
// -1 failed.
int portschreiben(const unsigned char *p, int n);
long portrest(void);                // bytes queued for output, 0 when unknown
const char *portgrund(void);        // device and reason the last portauf failed, "" when unknown
void portnotaus(void);              // portzu(1) that is safe in a signal handler
void portpause(portpausegrund g);   // gives the machine up for a millisecond at most

// For the ports: the device of COMn into name, the one in ZEL_COMn or else
// standard; 0 when it names none (the reason in grund) or does not fit.
int comgeraet(int n, const char *standard, char *name, size_t size, char *grund, size_t grundlen);

#endif
