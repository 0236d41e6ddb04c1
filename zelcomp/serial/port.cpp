// The COM port on a POSIX terminal: open, rate, byte read and byte write
// under RTS/CTS handshake.
//
// The descriptor is non-blocking, so a write that the line holds back
// (CTS inactive, or the driver's buffer full) shows as EAGAIN and is
// retried until the time-out, and a read never waits. Waits sleep in
// poll() a millisecond at a time; their length is still counted in
// changes of clockhs.
#include "seriowin.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

struct comtimeouts {
    cc_t vmin;                  // bytes a read waits for
    cc_t vtime;                 // tenths of a second a read waits
};

int _comh = -1;                 // descriptor of the open port; -1 while none (0 is a valid one)
struct termios _dcb;            // settings of the open port, re-applied on a rate change
comtimeouts _cto;
int _comtohs = 50;

static int rate2speed(long baud, speed_t *sp)
{
    static const struct {
        long rate;
        speed_t code;
    } tab[] = {
        {1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},
        {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
    };
    for (const auto &e : tab)
        if (e.rate == baud) {
            *sp = e.code;
            return 1;
        }
    return 0;
}

// COMn is the device in ZEL_COMn when that is set, else /dev/ttyS<n-1>.
static int portname(int n, char *name, size_t size)
{
    char var[16];
    snprintf(var, sizeof var, "ZEL_COM%d", n);
    const char *p = getenv(var);
    int len = p && *p ? snprintf(name, size, "%s", p) : snprintf(name, size, "/dev/ttyS%d", n - 1);
    return len > 0 && (size_t)len < size;
}

// Raw 8N1 with RTS/CTS and no XON/XOFF. Every flag the link relies on is
// set here, since a device may come up in any mode.
static void rohmodus(struct termios &t, speed_t sp)
{
    t.c_iflag = 0;              // no CR/LF translation, no XON/XOFF, no parity check
    t.c_oflag = 0;              // no output processing
    t.c_lflag = 0;              // no canonical mode, echo or signal characters
    t.c_cflag &= ~(tcflag_t)(CSIZE | PARENB | PARODD | CSTOPB);
#ifdef CMSPAR
    t.c_cflag &= ~(tcflag_t)CMSPAR;
#endif
    t.c_cflag |= CS8 | CREAD | CLOCAL | CRTSCTS;
    cfsetispeed(&t, sp);
    cfsetospeed(&t, sp);
}

static int openfehler(void)
{
    close(_comh);
    _comh = -1;
    return 0;
}

int COMopen(int n, long baud)
{
    char name[PATH_MAX];
    speed_t sp;
    COMclose();
    if (n < 1 || n > 9 || !portname(n, name, sizeof name) || !rate2speed(baud, &sp))
        return 0;
    _comh = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (_comh < 0) {
        _comh = -1;
        return 0;
    }
    if (ioctl(_comh, TIOCEXCL) != 0 || tcgetattr(_comh, &_dcb) != 0)
        return openfehler();
    rohmodus(_dcb, sp);
    _cto.vmin = 0;              // reads return at once with what is there
    _cto.vtime = 0;
    _dcb.c_cc[VMIN] = _cto.vmin;
    _dcb.c_cc[VTIME] = _cto.vtime;
    if (tcsetattr(_comh, TCSANOW, &_dcb) != 0)
        return openfehler();
    int dtr = TIOCM_DTR;
    ioctl(_comh, TIOCMBIC, &dtr);   // fails on a device without modem lines
    return 1;
}

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

// Bytes still queued go out before the port closes, but a line held back
// for good must not keep close() waiting for the driver's long default:
// what has not moved for the CTS time-out is dropped. Only then: on a
// pseudo-terminal the queue always reads empty, and a flush would throw
// away what the other side has not read yet.
static void ausgabeleeren(void)
{
    int rest = 0, vorher = -1, ticks = 0, tick = clockhs();
    while (ioctl(_comh, TIOCOUTQ, &rest) == 0 && rest > 0 && ticks <= _comtohs) {
        if (rest != vorher) {
            vorher = rest;
            ticks = 0;
        }
        poll(nullptr, 0, 1);
        if (tickvorbei(&tick))
            ticks++;
    }
    if (rest > 0)
        tcflush(_comh, TCOFLUSH);
}

void COMclose(void)
{
    if (_comh < 0)
        return;
    ausgabeleeren();
    ioctl(_comh, TIOCNXCL);
    close(_comh);
    _comh = -1;
}

void COMbaudrate(long baud)
{
    speed_t sp;
    if (_comh < 0 || !rate2speed(baud, &sp))
        return;
    cfsetispeed(&_dcb, sp);
    cfsetospeed(&_dcb, sp);
    tcsetattr(_comh, TCSANOW, &_dcb);
}

// Sleeps until the port is ready for events, or a millisecond at most.
// A port in error is ready at once, so it gets the plain sleep instead.
static void warteauf(short events)
{
    struct pollfd p = {_comh, events, 0};
    if (poll(&p, 1, 1) > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
        poll(nullptr, 0, 1);
}

int COMread(int t)
{
    if (_comh < 0)
        return -1;
    int tick = clockhs();
    for (;;) {
        unsigned char b;
        ssize_t r = read(_comh, &b, 1);
        if (tickvorbei(&tick))
            t--;
        if (r == 1)
            return b;
        if (t <= 0)
            return -1;
        warteauf(POLLIN);
    }
}

// A device without modem-status lines (a pseudo-terminal) never holds.
int CTS(void)
{
    int bits;
    if (_comh < 0)
        return -1;
    if (ioctl(_comh, TIOCMGET, &bits) == 0)
        return (bits & TIOCM_CTS) ? 0 : 1;
    return errno == ENOTTY || errno == EINVAL ? 0 : -1;
}

// Held by CTS or by a full driver buffer, the byte is tried again until
// more than _comtohs ticks have passed.
int COMwrite(int c)
{
    unsigned char b = (unsigned char)c;
    int ticks = 0;
    int tick = clockhs();
    for (;;) {
        int gehalten = CTS() != 0;
        if (!gehalten) {
            ssize_t r = write(_comh, &b, 1);
            if (r == 1)
                return 1;
            if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
                return 0;
        }
        if (tickvorbei(&tick))
            ticks++;
        if (ticks > _comtohs)
            return 0;
        if (gehalten)
            poll(nullptr, 0, 1);
        else
            warteauf(POLLOUT);
    }
}

// A pseudo-terminal reports no queue at all: its bytes are with the other
// side as soon as they are written.
int COMoutq(void)
{
    int rest = 0;
    if (_comh < 0 || ioctl(_comh, TIOCOUTQ, &rest) != 0 || rest < 0)
        return 0;
    return rest;
}

int COMwrblk(const unsigned char *p, int len)
{
    for (int i = 0; i < len; i++)
        if (!COMwrite(p[i]))
            return 0;
    return 1;
}
