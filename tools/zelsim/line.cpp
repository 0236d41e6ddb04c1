// The line: the pseudo-terminal pair, the rate the host has set on it, the
// bytes in and out, and the hold that stands in for the module's CTS.
#include "zelsim.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

long long jetzt()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

int leitungauf(zelsim &s)
{
    s.master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (s.master < 0 || grantpt(s.master) != 0 || unlockpt(s.master) != 0) {
        perror("zelsim: pseudo-terminal");
        return 0;
    }
    const char *name = ptsname(s.master);
    if (!name || strlen(name) >= sizeof s.path) {
        fprintf(stderr, "zelsim: no name for the pseudo-terminal\n");
        return 0;
    }
    snprintf(s.path, sizeof s.path, "%s", name);
    // Our own descriptor on the host's side keeps the pair alive between
    // hosts and lets the module stop the host's output.
    s.slave = open(s.path, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (s.slave < 0) {
        perror(s.path);
        return 0;
    }
    if (s.link) {
        struct stat st;
        if (lstat(s.link, &st) == 0 && S_ISLNK(st.st_mode))
            unlink(s.link);
        if (symlink(s.path, s.link) != 0) {
            perror(s.link);
            return 0;
        }
    }
    printf("%s\n", s.path);
    fflush(stdout);
    return 1;
}

void leitungzu(zelsim &s)
{
    if (s.link) {
        char ziel[sizeof s.path];
        ssize_t n = readlink(s.link, ziel, sizeof ziel - 1);
        if (n > 0 && (ziel[n] = 0, strcmp(ziel, s.path) == 0))
            unlink(s.link);
    }
    if (s.slave >= 0)
        close(s.slave);
    if (s.master >= 0)
        close(s.master);
    s.slave = s.master = -1;
}

// Index of the rate the host sends at, or with hostempfang of the rate it
// listens at; -1 when it is none of the module rates. On the master side
// tcgetattr reports the settings the host made on its side of the pair.
int leitungsrate(zelsim &s, int hostempfang)
{
    termios t;
    if (tcgetattr(s.master, &t) != 0)
        return -1;
    speed_t sp = hostempfang ? cfgetispeed(&t) : cfgetospeed(&t);
    if (hostempfang && sp == B0)
        sp = cfgetospeed(&t);
    return codeindex(sp);
}

// Takes what the host has written off the line at once, so that the rate
// it was sent at is still the one on the line. A byte counts as sent at the
// rate the line had both before and after the read; when the host changed
// the rate in between, its rate is unknown and the module will not take it.
// Returns the number of bytes read, 0 for none, -1 when the line failed.
int empfang(zelsim &s)
{
    unsigned char buf[4096];
    int platz = RXMAX - s.rxanz;
    if (platz > (int)sizeof buf)
        platz = sizeof buf;
    if (platz <= 0)
        return 0;
    int vorher = leitungsrate(s, 0);
    ssize_t n = read(s.master, buf, platz);
    int nachher = leitungsrate(s, 0);
    if (n <= 0)
        return (n < 0 && errno != EAGAIN && errno != EINTR) ? -1 : 0;
    signed char rate = vorher == nachher ? (signed char)vorher : -1;
    long long t = jetzt();
    if (s.rxanz == 0 && s.tnext < t)
        s.tnext = t;
    for (ssize_t i = 0; i < n; i++) {
        s.rx[(s.rxkopf + s.rxanz) % RXMAX] = {buf[i], rate};
        s.rxanz++;
    }
    s.empfangen += n;
    s.tletzt = t;
    s.still = 0;
    return (int)n;
}

static void hinaus(zelsim &s, const unsigned char *p, long n)
{
    while (n > 0) {
        ssize_t w = write(s.master, p, n > INT_MAX ? INT_MAX : n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0) {
            modullog(s.m, "reply cut, %ld bytes not taken by the host", n);
            return;
        }
        p += w;
        n -= w;
    }
}

// Reply bytes off the wire reach the host through the adapter, when one
// is set: it passes them on in packets, each when it is full or when the
// latency timer has run out since its first byte came.
static void adapter(zelsim &s, const unsigned char *p, long n)
{
    if (s.latenz <= 0) {
        hinaus(s, p, n);
        return;
    }
    for (long i = 0; i < n; i++) {
        if (s.paketanz == 0)
            s.paketfrist = jetzt() + s.latenz * 1000000LL;
        s.paket[s.paketanz++] = p[i];
        if (s.paketanz == PAKET)
            paketaus(s, 1);
    }
}

void paketaus(zelsim &s, int alle)
{
    if (s.paketanz > 0 && (alle || jetzt() >= s.paketfrist)) {
        hinaus(s, s.paket, s.paketanz);
        s.paketanz = 0;
    }
}

static long long bytezeit(const zelsim &s)
{
    return 10000000000LL / zelbaud[s.m.baud];
}

// Sends a reply; the host only hears it while it listens at the module's
// rate, and bytes it does not read in time are lost. While pacing, the
// bytes wait for their time on the wire at the module's rate.
void antwort(zelsim &s, const unsigned char *p, long n)
{
    int rate = leitungsrate(s, 1);
    if (rate != s.m.baud) {
        modullog(s.m, "reply of %ld bytes lost, host listens at %d bit/s", n,
               rate < 0 ? -1 : zelbaud[rate]);
        return;
    }
    if (!s.replypace) {
        adapter(s, p, n);
        return;
    }
    long long t = jetzt();
    if (s.txanz == 0 && s.txnext < t + bytezeit(s))
        s.txnext = t + bytezeit(s);
    for (long i = 0; i < n && s.txanz < TXMAX; i++, s.txanz++)
        s.tx[(s.txkopf + s.txanz) % TXMAX] = p[i];
}

void antwortaus(zelsim &s)
{
    long long t = jetzt();
    unsigned char buf[256];
    int n = 0;
    while (s.txanz > 0 && s.txnext <= t && n < (int)sizeof buf) {
        buf[n++] = s.tx[s.txkopf];
        s.txkopf = (s.txkopf + 1) % TXMAX;
        s.txanz--;
        s.txnext += bytezeit(s);
    }
    adapter(s, buf, n);
    paketaus(s, 0);
}

static int msbis(long long t)
{
    long long ns = t - jetzt();
    return ns <= 0 ? 0 : (int)((ns + 999999) / 1000000);
}

int sendezeit(const zelsim &s)
{
    int ms = s.txanz > 0 ? msbis(s.txnext) : -1;
    if (s.paketanz > 0 && (ms < 0 || msbis(s.paketfrist) < ms))
        ms = msbis(s.paketfrist);
    return ms;
}

// Holds or releases the host's output, as the module's CTS line does.
void anhalten(zelsim &s, int halt)
{
    if (halt == s.held)
        return;
    if (tcflow(s.slave, halt ? TCOOFF : TCOON) == 0) {
        s.held = halt;
        s.haltseit = jetzt();
        modullog(s.m, "CTS %s, %d bytes unread", halt ? "held" : "released", s.rxanz);
    }
}

// A pseudo-terminal keeps the exclusive use a host claimed when that host
// ended without giving it up (an upload broken off by a signal), and no
// other host could open it again; the module gives it up once the line
// has gone quiet.
void freigeben(zelsim &s)
{
    ioctl(s.slave, TIOCNXCL);
}
