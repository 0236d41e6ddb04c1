// The COM port as the device link sees it: open, rate, byte read with a
// time-out, byte write under the CTS time-out, block write, close. The
// platform port does each single step; the waits and the tick counting
// are done here, the same on every system.
#include "seriowin.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

int _comtohs = 50;
// 1 while a port is open; read by COMnotaus inside a signal handler.
static volatile sig_atomic_t offen;

// 1 when the hundredths clock has moved on since *tick, which then follows
// it: every time-out of the port counts these changes, not milliseconds.
static int tickvorbei(int *tick)
{
    int jetzt = clockhs();
    if (jetzt == *tick)
        return 0;
    *tick = jetzt;
    return 1;
}

// A variable set but empty is a mistake (a simulator whose line was read
// before it was written), not a wish for the default port.
// The device named on the command line (-P), which replaces every port's.
static char _geraet[1024];

void COMgeraet(const char *name)
{
    snprintf(_geraet, sizeof _geraet, "%s", name ? name : "");
}

int comgeraet(int n, const char *standard, char *name, size_t size, char *grund, size_t grundlen)
{
    if (_geraet[0]) {
        int len = snprintf(name, size, "%s", _geraet);
        return len > 0 && (size_t)len < size;
    }
    char var[16];
    snprintf(var, sizeof var, "ZEL_COM%d", n);
    const char *p = getenv(var);
    if (p && !*p) {
        snprintf(grund, grundlen, "%s: is empty, it names no device", var);
        return 0;
    }
    int len = snprintf(name, size, "%s", p ? p : standard);
    return len > 0 && (size_t)len < size;
}

int COMopen(int n, long baud)
{
    COMclose();
    if (n < 1 || n > 9 || !portauf(n, baud))
        return 0;
    offen = 1;
    return 1;
}

// Bytes still queued go out before the port closes, but a line held back
// for good must not keep the close waiting: what has not moved for the
// CTS time-out is dropped. 1 when something is left.
static int ausgabeleeren(void)
{
    long rest, vorher = -1;
    int ticks = 0, tick = clockhs();
    while ((rest = portrest()) > 0 && ticks <= _comtohs) {
        if (rest != vorher) {
            vorher = rest;
            ticks = 0;
        }
        portpause(PAUSE_HALT);
        if (tickvorbei(&tick))
            ticks++;
    }
    return rest > 0;
}

void COMclose(void)
{
    if (!offen)
        return;
    portzu(ausgabeleeren());
    offen = 0;
}

void COMbaudrate(long baud)
{
    if (offen)
        portrate(baud);
}

int COMread(int t)
{
    if (!offen)
        return -1;
    int tick = clockhs();
    for (;;) {
        int b = portlesen();
        if (tickvorbei(&tick))
            t--;
        if (b >= 0)
            return b;
        if (t <= 0)
            return -1;
        portpause(PAUSE_LESEN);
    }
}

int CTS(void)
{
    return offen ? porthalt() : -1;
}

// Held by CTS (or its state unreadable) or by a full driver buffer, the
// write is tried again until more than _comtohs ticks have passed. A port
// that writes blocks has waited out the time-out in the write that took
// nothing.
int COMsenden(const unsigned char *p, int len)
{
    int n = portblock();
    if (len <= 0)
        return 0;
    if (n < 1 || n > len)
        n = n < 1 ? 1 : len;
    int ticks = 0;
    int tick = clockhs();
    for (;;) {
        int gehalten = CTS() != 0;
        if (!gehalten) {
            int r = portschreiben(p, n);
            if (r != 0 || portblock() > 1)
                return r > 0 ? r : 0;
        }
        if (tickvorbei(&tick))
            ticks++;
        if (ticks > _comtohs)
            return 0;
        portpause(gehalten ? PAUSE_HALT : PAUSE_SCHREIBEN);
    }
}

int COMwrite(int c)
{
    unsigned char b = (unsigned char)c;
    return COMsenden(&b, 1) == 1;
}

int COMoutq(void)
{
    if (!offen)
        return 0;
    long rest = portrest();
    return rest > 0x7FFF ? 0x7FFF : (int)rest;
}

const char *COMgrund(void)
{
    return portgrund();
}

int COMnotaus(void)
{
    int war = offen;
    offen = 0;
    if (war)
        portnotaus();
    return war;
}

int COMwrblk(const unsigned char *p, int len)
{
    while (len > 0) {
        int n = COMsenden(p, len);
        if (n <= 0)
            return 0;
        p += n;
        len -= n;
    }
    return 1;
}
