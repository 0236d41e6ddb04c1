// The fake platform port, with the module model behind it.
#include "fakeport.h"
#include "serial/seriowin.h"
#include "device/device.h"
#include "zelsim.h"

enum { REPLYMAX = 64 };

static fakemodul mod;
static zelmodul modul;
// The virtual millisecond clock starts just short of its wrap, so every
// run of the fuzzer passes it, as a real clock does now and then.
static unsigned vt = 0xFFFF0000u;
static int offen;
static long hostrate;
static long gesendet;
static int reply[REPLYMAX];
static int replyanf, replyend;

void fakereset(const fakemodul &m)
{
    mod = m;
    modulstart(modul, 0);
    for (int i = 0; i < 3; i++)
        modul.ident[i] = m.ident[i];
    modul.baud = baudindex(m.rate);
    modul.eepsize = m.eepsize;
    modul.wp = m.writeprotected;
    offen = 0;
    hostrate = 0;
    gesendet = 0;
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

static void hoere(int b)
{
    long n = modulbyte(modul, b);
    for (long i = 0; i < n; i++)
        antwort(modul.antwort[i]);
    if (modul.streampos > 0 && modul.streampos == mod.ereply)
        antwort('E');
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

int portblock(void)
{
    return 1;
}

int portschreiben(const unsigned char *p, int)
{
    gesendet++;
    if (mod.present && hostrate == zelbaud[modul.baud])
        hoere(*p);
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
