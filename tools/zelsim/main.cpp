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
        if (x.rate == s.m.baud) {
            long n = modulbyte(s.m, x.b);
            if (n > 0)
                antwort(s, s.m.antwort, n);
        } else {
            modullog(s.m, "byte 0x%02X lost, sent at %d bit/s", x.b,
                   x.rate < 0 ? -1 : zelbaud[(int)x.rate]);
        }
        s.tnext += 10000000000LL / zelbaud[x.rate < 0 ? s.m.baud : x.rate];
    }
}

// While pacing, the module holds the line as soon as about 10 ms of bytes
// (or the --hold count) wait for it, and lets go at half of that. A host that got far ahead
// before the hold took effect is let go after 0.4 s all the same, before
// it would give up waiting, and held again once it has written. With
// --stuck-at the module holds the line for good from that byte of the
// upload on, whatever it was doing.
static void flusskontrolle(zelsim &s)
{
    if (s.klemme >= 0 && s.m.streampos >= s.klemme) {
        anhalten(s, 1);
        return;
    }
    if (!s.pace)
        return;
    long hoch = s.halten > 0 ? s.halten : zelbaud[s.m.baud] / 1000;
    if (hoch < 2)
        hoch = 2;
    if (!s.held) {
        if (s.rxanz >= hoch && (!s.zwang || s.empfangen > s.zwangmark)) {
            anhalten(s, 1);
            s.zwang = 0;
        }
    } else if (s.rxanz <= hoch / 2) {
        anhalten(s, 0);
    } else if (jetzt() - s.haltseit > 400000000LL) {
        anhalten(s, 0);
        s.zwang = 1;
        s.zwangmark = s.empfangen;
    }
}

// After a second of silence an unfinished command is dropped, so that a
// host that gave up in the middle of one leaves the module ready.
static void ruhe(zelsim &s)
{
    if (s.still || s.rxanz > 0 || jetzt() - s.tletzt < 1000000000LL)
        return;
    s.still = 1;
    modulreset(s.m);
    freigeben(s);
}

static int empfangszeit(const zelsim &s)
{
    if (s.rxanz == 0)
        return 100;
    if (!s.pace)
        return 0;
    long long ns = s.tnext - jetzt();
    return ns <= 0 ? 0 : (int)((ns + 999999) / 1000000);
}

static int wartezeit(const zelsim &s)
{
    int e = empfangszeit(s), a = sendezeit(s);
    return a >= 0 && a < e ? a : e;
}

// With --exit-after-upload the module ends once the upload's trailer has
// come, every reply is out and the line has been quiet for ENDERUHE: a
// verify or a read-back that follows the upload is answered first.
enum { ENDERUHE = 2000 };      // ms

static int fertig(const zelsim &s)
{
    return s.m.fertig && s.exitafter && s.txanz == 0 && s.paketanz == 0 && s.rxanz == 0 &&
           jetzt() - s.tletzt >= ENDERUHE * 1000000LL;
}

static void lauf(zelsim &s)
{
    while (!ende && !fertig(s)) {
        pollfd p = {s.master, (short)(s.rxanz < RXMAX ? POLLIN : 0), 0};
        int r = poll(&p, 1, wartezeit(s));
        if (r > 0 && (p.revents & POLLIN)) {
            if (empfang(s) < 0)
                usleep(10000);
        } else if (r > 0) {
            usleep(10000);     // nobody on the other side
        }
        zustellen(s, 0);
        antwortaus(s);
        flusskontrolle(s);
        ruhe(s);
    }
    // what the host sent before it let go of the line still counts
    anhalten(s, 0);
    long long bis = jetzt() + 2000000000LL;
    while ((empfang(s) > 0 || s.rxanz > 0) && jetzt() < bis)
        zustellen(s, 1);
    s.txnext = 0;
    while (s.txanz > 0)
        antwortaus(s);
    paketaus(s, 1);
}

static zelsim sim;

int main(int argc, char **argv)
{
    zelsim &s = sim;
    s.model = 3;
    modulstart(s.m, s.model);
    s.master = s.slave = -1;
    s.klemme = -1;
    int r = simoptionen(s, argc, argv);
    if (r != 1)
        return r == 2 ? 0 : 64;
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
