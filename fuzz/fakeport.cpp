// The fake platform port: the module parses the commands it hears and
// answers the identify command and EEPROM reads.
#include "fakeport.h"
#include "serial/seriowin.h"
#include "device/device.h"

#include <cstring>

enum { ESC = 0x1B, CMDMAX = 16, REPLYMAX = 64 };

static fakemodul mod;
static unsigned char eep[65536];
// The virtual millisecond clock starts just short of its wrap, so every
// run of the fuzzer passes it, as a real clock does now and then.
static unsigned vt = 0xFFFF0000u;
static int offen;
static long hostrate;
static long gesendet;
static unsigned char cmd[CMDMAX];   // the command the module is hearing
static int cmdlen;
static long streampos;              // bytes of the upload file heard, -1 before its form feed
static long eepwritepos, eepwriteend; // data bytes of an EEPROM write still to come, -1 for none
static int reply[REPLYMAX];
static int replyanf, replyend;

void fakereset(const fakemodul &m)
{
    mod = m;
    memset(eep, 0xFF, sizeof eep);
    offen = 0;
    hostrate = 0;
    gesendet = 0;
    cmdlen = 0;
    streampos = -1;
    eepwritepos = eepwriteend = -1;
    replyanf = replyend = 0;
    _comtohs = 50;
}

fakemodul fakestandard(int model)
{
    fakemodul m;
    m.present = 1;
    m.ident[0] = zel[model].xdots;
    m.ident[1] = zel[model].ydots;
    m.ident[2] = zel[model].orient;
    m.rate = 9600;
    m.eepsize = 65536;
    m.writeprotected = 0;
    m.ereply = -1;
    m.ctshold = 0;
    return m;
}

int fakeportopen(void)
{
    return offen;
}

long fakesent(void)
{
    return gesendet;
}

// A full queue drops the reply, as a module talking to a host that does
// not read would lose it.
static void antwort(int b)
{
    if (replyend - replyanf < REPLYMAX)
        reply[replyend++ % REPLYMAX] = b;
}

// Length of the command in cmd, 0 while more bytes are needed to know it.
static int laenge(void)
{
    if (cmdlen < 2)
        return 0;
    switch (cmd[1]) {
    case '+': return 3;
    case 'X': return 3;
    case 'Q': return 4;
    case 'O': return 4;
    case 'R': return 8;
    case 'B': return cmdlen < 3 ? 0 : cmd[2] == 'R' ? 11 : 4;
    case '&': return 8;     // the data of a write follow as plain bytes
    default: return 2;
    }
}

static void ausfuehren(void)
{
    if (cmd[1] == '?')
        for (int v : mod.ident)
            antwort(v);
    if (cmd[1] == '+' && cmd[2] < ZELBAUDS)
        mod.rate = zelbaud[cmd[2]];
    if (cmd[1] == '&' && cmd[2] == 'E') {
        long adr = cmd[3] | cmd[4] << 8, len = cmd[5] | cmd[6] << 8;
        if (cmd[7] == 'R')
            for (long i = 0; i < len && adr + i < mod.eepsize; i++)
                antwort(eep[adr + i]);
        if (cmd[7] == 'W' && len > 0) {
            eepwritepos = adr;
            eepwriteend = adr + len;
        }
    }
}

static void hoere(int b)
{
    if (streampos < 0 && cmdlen == 0 && eepwritepos < 0 && b == 0x0C)
        streampos = 0;
    if (streampos >= 0 && ++streampos == mod.ereply)
        antwort('E');
    if (eepwritepos >= 0) {
        if (!mod.writeprotected && eepwritepos < mod.eepsize)
            eep[eepwritepos] = (unsigned char)b;
        if (++eepwritepos >= eepwriteend)
            eepwritepos = eepwriteend = -1;
        return;
    }
    if (cmdlen == 0 && b != ESC)
        return;                     // text for the display
    cmd[cmdlen++] = (unsigned char)b;
    int n = laenge();
    if ((n && cmdlen >= n) || cmdlen >= CMDMAX) {
        if (n && cmdlen >= n)
            ausfuehren();
        cmdlen = 0;
    }
}

unsigned portms(void)
{
    vt += 10;
    return vt;
}

void portpause(portpausegrund)
{
}

int portauf(int, long baud)
{
    offen = 1;
    hostrate = baud;
    return 1;
}

void portzu(int)
{
    offen = 0;
}

int portrate(long baud)
{
    hostrate = baud;
    return 1;
}

int portlesen(void)
{
    return replyanf < replyend ? reply[replyanf++ % REPLYMAX] : -1;
}

int porthalt(void)
{
    return mod.ctshold;
}

int portschreiben(int c)
{
    gesendet++;
    if (mod.present && hostrate == mod.rate)
        hoere(c);
    return 1;
}

long portrest(void)
{
    return 0;
}

const char *portgrund(void)
{
    return "";
}

void portnotaus(void)
{
    portzu(1);
}
