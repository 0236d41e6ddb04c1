// The platform port on a POSIX terminal.
//
// The descriptor is non-blocking, so a write that the driver cannot take
// shows as EAGAIN, and a read never waits. Pauses sleep in poll() a
// millisecond at most.
#include "seriowin.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/file.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

int _comh = -1;                 // descriptor of the open port; -1 while none (0 is a valid one)
struct termios _dcb;            // settings of the open port, re-applied on a rate change
static struct termios _alt;     // the port's settings before it was opened, put back at the close
static int _altda;              // 1 when _alt holds them
static char _grund[PATH_MAX + 64]; // device and reason the last open failed; "" when none

unsigned portms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint32_t)ts.tv_sec * 1000u + (uint32_t)(ts.tv_nsec / 1000000);
}

// COMn is the device in ZEL_COMn when that is set, else /dev/ttyS<n-1>.
static int portname(int n, char *name, size_t size)
{
    char standard[32];
    snprintf(standard, sizeof standard, "/dev/ttyS%d", n - 1);
    return comgeraet(n, standard, name, size, _grund, sizeof _grund);
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

// Records why the device could not be opened, in the words a user knows.
static void grund(const char *name, int fehler)
{
    const char *warum = fehler == EBUSY || fehler == EWOULDBLOCK ? "in use by another program"
                                                                 : strerror(fehler);
    snprintf(_grund, sizeof _grund, "%s: %s", name, warum);
}

// Claims the open device for this process alone: exclusive use keeps out
// other users, and the lock keeps out a second upload by root, whom
// exclusive use does not stop. 0 with errno set when another has it.
static int besetzen(void)
{
    if (flock(_comh, LOCK_EX | LOCK_NB) != 0)
        return 0;
    return ioctl(_comh, TIOCEXCL) == 0;
}

static int einstellen(speed_t sp)
{
    if (tcgetattr(_comh, &_dcb) != 0)
        return 0;
    _alt = _dcb;
    _altda = 1;
    rohmodus(_dcb, sp);
    _dcb.c_cc[VMIN] = 0;       // a read waits for no byte
    _dcb.c_cc[VTIME] = 0;      // and no time: it returns at once
    if (tcsetattr(_comh, TCSANOW, &_dcb) != 0)
        return 0;
    int dtr = TIOCM_DTR;
    ioctl(_comh, TIOCMBIC, &dtr);   // fails on a device without modem lines
    return 1;
}

// Puts back the settings the port had, gives up what besetzen claimed and
// closes the descriptor, which also releases the lock. Only calls that are
// safe in a signal handler.
static void freigeben(void)
{
    if (_altda)
        tcsetattr(_comh, TCSANOW, &_alt);
    _altda = 0;
    ioctl(_comh, TIOCNXCL);
    close(_comh);
    _comh = -1;
}

int portauf(int n, long baud)
{
    char name[PATH_MAX];
    speed_t sp;
    _grund[0] = 0;
    if (!portname(n, name, sizeof name) || !ratecode(baud, &sp))
        return 0;
    _comh = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (_comh < 0) {
        grund(name, errno);
        _comh = -1;
        return 0;
    }
    // a port another run holds is left exactly as that run has it
    if (!besetzen()) {
        grund(name, errno);
        close(_comh);
        _comh = -1;
        return 0;
    }
    if (!einstellen(sp)) {
        grund(name, errno);
        freigeben();
        return 0;
    }
    return 1;
}

// On a pseudo-terminal the queue always reads empty, so nothing the other
// side has not read yet is ever dropped here.
void portzu(int verwerfen)
{
    if (_comh < 0)
        return;
    if (verwerfen)
        tcflush(_comh, TCOFLUSH);
    freigeben();
}

const char *portgrund(void)
{
    return _grund;
}

void portnotaus(void)
{
    portzu(1);
}

int portrate(long baud)
{
    speed_t sp;
    if (_comh < 0 || !ratecode(baud, &sp))
        return 0;
    cfsetispeed(&_dcb, sp);
    cfsetospeed(&_dcb, sp);
    return tcsetattr(_comh, TCSANOW, &_dcb) == 0;
}

int portlesen(void)
{
    unsigned char b;
    return read(_comh, &b, 1) == 1 ? b : -1;
}

// A device without modem-status lines (a pseudo-terminal) never holds.
int porthalt(void)
{
    int bits;
    if (ioctl(_comh, TIOCMGET, &bits) == 0)
        return (bits & TIOCM_CTS) ? 0 : 1;
    return errno == ENOTTY || errno == EINVAL ? 0 : -1;
}

// One byte a write: the layer looks at CTS before each, and a write into
// a pseudo-terminal whose other side holds the line takes nothing.
int portblock(void)
{
    return 1;
}

int portschreiben(const unsigned char *p, int)
{
    ssize_t r = write(_comh, p, 1);
    if (r == 1)
        return 1;
    return r < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR ? -1 : 0;
}

long portrest(void)
{
    int rest = 0;
    return ioctl(_comh, TIOCOUTQ, &rest) == 0 && rest > 0 ? rest : 0;
}

// Sleeps until a byte has come or the driver has room, or a millisecond
// at most; the clock and held output get the plain sleep, and so does a
// port in error, which is ready at once.
void portpause(portpausegrund g)
{
    struct pollfd p = {_comh, (short)(g == PAUSE_LESEN ? POLLIN : POLLOUT), 0};
    int bereit = (g == PAUSE_LESEN || g == PAUSE_SCHREIBEN) && _comh >= 0;
    if (!bereit || (poll(&p, 1, 1) > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL))))
        poll(nullptr, 0, 1);
}
