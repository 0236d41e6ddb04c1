// A scripted port for the device tests: the platform port under the
// serial layer, over a virtual clock and an in-memory module.
//
// The clock advances by one tick each time it is read, so every time-out
// runs its exact number of ticks at no cost in real time. The module
// hears a byte only when the host sends it at the module's own rate; what
// it does with it is the module model's affair.
#ifndef ZELTEST_SCRIPTPORT_H
#define ZELTEST_SCRIPTPORT_H

#include "zelsim.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

struct gesendet {
    int byte;
    long rate;                      // the host's rate when it went out
};

struct scriptmodul {
    // the module, as the test sets it up
    bool present = true;
    long rate = 9600;
    int ident[3] = {240, 128, 'H'}; // reply to the identify command; -1 bytes never come
    long eepsize = 65536;
    bool writeprotected = false;
    long readanswers = -1;          // EEPROM reads it still answers, -1 for all
    std::map<long, int> streamreply;// after byte n of the upload file it sends this byte
    std::map<long, int> ctshold;    // before byte n (from 0) goes out, CTS is held so many ticks
    int block = 1;                  // bytes one write carries; a write of more stops at a hold
    bool openfails = false;
    std::string opengrund;          // what the port says about a failed open
    int latereply = -1;             // sent this many ticks after the upload's trailer; -1 none
    int lateafter = 0;
    long outq = 0;                  // bytes the port still reports queued after the stream
    bool outqstuck = false;         // ... and they never go out
    std::map<long, int> badcell;    // EEPROM cells that store this byte whatever is written
    zelmodul m;                     // the module model: its EEPROM and the command it is hearing

    // the port and what went over it
    bool open = false;
    long hostrate = 0;
    std::vector<gesendet> sent;
    std::vector<std::string> events;   // open, rate, wait, close, module rate
    std::deque<int> replies;
    int vt = 0;
    size_t holdat = (size_t)-1;
    int trailervt = -1;             // clock when the trailer was heard
    int holdend = 0;
};

extern scriptmodul sm;

void scriptreset();
std::string sentbytes();                 // everything the host sent
std::string sentbytes(long rate);        // what it sent at one rate
std::string heardbytes();                // what the module heard

#endif
