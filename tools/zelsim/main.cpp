// zelsim: start, the module's main loop, and the end.
#include "zelsim.h"

#include <csignal>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

static volatile sig_atomic_t ende;

static void aufhoeren(int)
{
    ende = 1;
}

static void signale()
{
    struct sigaction sa = {};
    sa.sa_handler = aufhoeren;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// Hands the module the bytes whose time on the wire has come, or all of
// them. A byte sent at another rate than the module's is lost.
static void zustellen(zelsim &s, int alle)
{
    long long t = jetzt();
    while (s.rxanz > 0 && (alle || !s.pace || s.tnext <= t)) {
        rxbyte x = s.rx[s.rxkopf];
        s.rxkopf = (s.rxkopf + 1) % RXMAX;
        s.rxanz--;
        long rate = zelbaud[s.baud];
        if (x.rate == rate)
            simbyte(s, x.b);
        else
            simlog(s, "byte 0x%02X lost, sent at %ld bit/s", x.b, x.rate);
        s.tnext += 10000000000LL / (x.rate > 0 ? x.rate : rate);
    }
}

// While pacing, the module holds the line when its buffer is half full
// and lets go at a quarter once the host's bytes are all in. A host that
// got far ahead before the hold took effect is let go after a quarter of
// a second all the same, and given time to write, so that it never waits
// long enough to give up.
static void flusskontrolle(zelsim &s)
{
    if (!s.pace)
        return;
    long long seit = jetzt() - s.haltseit;
    int groesse = rxplatz(s) + s.rxanz;
    if (!s.held && s.rxanz >= groesse / 2 && (!s.zwang || seit > 50000000LL)) {
        anhalten(s, 1);
    } else if (s.held) {
        s.zwang = seit > 250000000LL;
        if (s.zwang || (s.rxanz <= groesse / 4 && leitungleer(s)))
            anhalten(s, 0);
    }
}

// After a second of silence an unfinished command is dropped, so that a
// host that gave up in the middle of one leaves the module ready.
static void ruhe(zelsim &s)
{
    if (s.still || s.rxanz > 0 || jetzt() - s.tletzt < 1000000000LL)
        return;
    s.still = 1;
    if (s.cmdlen > 0 || s.wrrest > 0)
        simlog(s, "unfinished command dropped");
    simreset(s);
    freigeben(s);
}

static int wartezeit(const zelsim &s)
{
    if (s.rxanz == 0)
        return 100;
    if (!s.pace)
        return 0;
    long long ns = s.tnext - jetzt();
    return ns <= 0 ? 0 : (int)((ns + 999999) / 1000000);
}

static void lauf(zelsim &s)
{
    while (!ende && !(s.fertig && s.exitafter)) {
        pollfd p = {s.master, (short)(rxplatz(s) > 0 ? POLLIN : 0), 0};
        int r = poll(&p, 1, wartezeit(s));
        if (r > 0 && (p.revents & POLLIN)) {
            if (empfang(s) < 0)
                usleep(10000);
        } else if (r > 0) {
            usleep(10000);     // nobody on the other side
        }
        zustellen(s, 0);
        flusskontrolle(s);
        ruhe(s);
    }
    // what the host sent before it let go of the line still counts
    anhalten(s, 0);
    long long bis = jetzt() + 2000000000LL;
    while ((empfang(s) > 0 || s.rxanz > 0) && jetzt() < bis)
        zustellen(s, 1);
}

static zelsim sim;

int main(int argc, char **argv)
{
    zelsim &s = sim;
    s.model = 3;
    s.eepsize = 65536;
    s.baud = baudindex(9600);
    s.erradr = -1;
    s.master = s.slave = -1;
    int r = simoptionen(s, argc, argv);
    if (r != 1)
        return r == 2 ? 0 : 2;
    if (!eepladen(s))
        return 1;
    signale();
    if (!leitungauf(s)) {
        leitungzu(s);
        return 1;
    }
    s.tletzt = jetzt();
    lauf(s);
    int ok = eepsichern(s);
    leitungzu(s);
    return ok ? 0 : 1;
}
