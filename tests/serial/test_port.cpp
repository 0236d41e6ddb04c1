// The serial layer on a pseudo-terminal standing in for the COM port.
#include "testutil.h"
#include "serial/seriowin.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

TEST(Port, NothingOpen)
{
    EXPECT_EQ(COMread(0), -1);
    EXPECT_EQ(COMread(20), -1);
    EXPECT_EQ(CTS(), -1);
    COMbaudrate(9600);
    COMclose();
}

TEST(Port, ShortWaitsReturn)
{
    wartehs(-1);
    int t = clockhs();
    wartehs(0);
    EXPECT_NE(clockhs(), t);        // at least one tick went by
}

struct open_case {
    const char *name;
    const char *device;             // ZEL_COM1, or null to leave it as the test set it
    int port;
    long rate;
};

static void PrintTo(const open_case &k, std::ostream *os) { *os << k.name; }

class NoOpen : public ::testing::TestWithParam<open_case> {};

TEST_P(NoOpen, ReturnsZeroAndLeavesNoPort)
{
    const open_case &k = GetParam();
    tempdir d;
    writefile(d / "plain", "not a terminal");
    int m, s;
    char pty[256];
    ASSERT_EQ(openpty(&m, &s, pty, nullptr, nullptr), 0);
    std::string dev = !k.device ? pty : k.device[0] == '/' ? k.device : d / k.device;
    setenv("ZEL_COM1", dev.c_str(), 1);
    EXPECT_EQ(COMopen(k.port, k.rate), 0);
    EXPECT_EQ(COMread(0), -1);
    EXPECT_EQ(CTS(), -1);
    unsetenv("ZEL_COM1");
    close(m);
    close(s);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NoOpen,
    ::testing::Values(open_case{"missing", "/nonexistent/ttyZ", 1, 9600},
                      open_case{"plain_file", "plain", 1, 9600},
                      open_case{"rate_not_known", nullptr, 1, 14400},
                      open_case{"port_0", nullptr, 0, 9600},
                      open_case{"port_10", nullptr, 10, 9600}),
    [](const ::testing::TestParamInfo<open_case> &i) { return std::string(i.param.name); });

struct Pty : ::testing::Test {
    int master = -1, slave = -1;
    char name[256];
    void SetUp() override
    {
        ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        struct termios t;
        tcgetattr(master, &t);
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
        setenv("ZEL_COM1", name, 1);
    }
    void TearDown() override
    {
        COMclose();
        _comtohs = 50;
        unsetenv("ZEL_COM1");
        unsetenv("ZEL_COM2");
        close(master);
        close(slave);
    }
    void tomodule(const std::string &b)
    {
        ASSERT_EQ(write(master, b.data(), b.size()), (ssize_t)b.size());
    }
    // n bytes the host sent, or fewer when they do not come within seconds
    std::string fromhost(size_t n)
    {
        std::string s;
        struct pollfd p = {master, POLLIN, 0};
        while (s.size() < n && poll(&p, 1, 5000) > 0) {
            char buf[256];
            ssize_t r = read(master, buf, std::min(sizeof buf, n - s.size()));
            if (r <= 0)
                break;
            s.append(buf, r);
        }
        return s;
    }
    struct termios slavemode()
    {
        struct termios t;
        tcgetattr(slave, &t);
        return t;
    }
};

TEST_F(Pty, OpenSetsRawEightNOneWithHandshake)
{
    // a device may come up in any mode
    struct termios t = slavemode();
    t.c_iflag = ICRNL | IXON | IXOFF | INLCR | ISTRIP | INPCK;
    t.c_oflag = OPOST | ONLCR;
    t.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 5;
    cfsetspeed(&t, B1200);
    ASSERT_EQ(tcsetattr(slave, TCSANOW, &t), 0);

    ASSERT_EQ(COMopen(1, 9600), 1);
    t = slavemode();
    EXPECT_EQ(t.c_iflag, 0u);
    EXPECT_EQ(t.c_oflag, 0u);
    EXPECT_EQ(t.c_lflag, 0u);
    EXPECT_EQ(t.c_cflag & CSIZE, (tcflag_t)CS8);
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL | CRTSCTS), (tcflag_t)(CREAD | CLOCAL | CRTSCTS));
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetospeed(&t), (speed_t)B9600);
    EXPECT_EQ(cfgetispeed(&t), (speed_t)B9600);
#ifdef TIOCGEXCL
    int excl = 0;
    ASSERT_EQ(ioctl(slave, TIOCGEXCL, &excl), 0);
    EXPECT_EQ(excl, 1);
#endif

    COMbaudrate(115200);
    struct termios u = slavemode();
    EXPECT_EQ(cfgetospeed(&u), (speed_t)B115200);
    cfsetspeed(&u, B9600);
    EXPECT_EQ(u.c_cflag, t.c_cflag);     // everything else stays
    EXPECT_EQ(u.c_iflag, t.c_iflag);

    COMclose();
    EXPECT_EQ(COMread(0), -1);
#ifdef TIOCGEXCL
    ASSERT_EQ(ioctl(slave, TIOCGEXCL, &excl), 0);
    EXPECT_EQ(excl, 0);
#endif
}

TEST_F(Pty, PortTwoUsesItsOwnVariable)
{
    unsetenv("ZEL_COM1");
    setenv("ZEL_COM2", name, 1);
    ASSERT_EQ(COMopen(2, 19200), 1);
    struct termios t = slavemode();
    EXPECT_EQ(cfgetospeed(&t), (speed_t)B19200);
}

TEST_F(Pty, ReadGivesEachByteOnce)
{
    ASSERT_EQ(COMopen(1, 9600), 1);
    EXPECT_EQ(COMread(0), -1);
    EXPECT_EQ(COMread(3), -1);
    tomodule(bytes({0xFF, 0x00, 0x80}));
    EXPECT_EQ(COMread(500), 0xFF);
    EXPECT_EQ(COMread(500), 0x00);
    EXPECT_EQ(COMread(500), 0x80);
    EXPECT_EQ(COMread(0), -1);
}

TEST_F(Pty, BytesPassUnchangedBothWays)
{
    const std::string raw = bytes({0x03, 0x0D, 0x11, 0x13, 0x0A, 0x1A, 0x04, 0x7F, 0x1C, 0x00,
                                   0x1B, 0xFF, 0x15, 0x17, 0x12, 0x16, 0x0F});
    ASSERT_EQ(COMopen(1, 9600), 1);
    tomodule(raw);
    std::string in;
    int b;
    while (in.size() < raw.size() && (b = COMread(500)) >= 0)
        in.push_back((char)b);
    EXPECT_EQ(in, raw);

    EXPECT_EQ(COMwrblk((const unsigned char *)raw.data(), (int)raw.size()), 1);
    EXPECT_EQ(COMwrite(0x141), 1);
    EXPECT_EQ(fromhost(raw.size() + 1), raw + "A");
}

TEST_F(Pty, NoModemLinesMeansNeverHeld)
{
    ASSERT_EQ(COMopen(1, 9600), 1);
    EXPECT_EQ(CTS(), 0);
}

// A module that never takes its bytes: the write gives up after the
// time-out instead of blocking, and works again once the line drains.
TEST_F(Pty, WriteToAStuckLineTimesOut)
{
    ASSERT_EQ(COMopen(1, 9600), 1);
    long n = 0;
    while (n < (1L << 22) && COMwrite(0x55) == 1)
        n++;
    EXPECT_LT(n, 1L << 22);
    EXPECT_GT(n, 0);
    const unsigned char blk[3] = {1, 2, 3};
    EXPECT_EQ(COMwrblk(blk, 3), 0);

    EXPECT_EQ(fromhost(n), std::string(n, 0x55));
    EXPECT_EQ(COMwrite('Z'), 1);
    EXPECT_EQ(fromhost(1), "Z");
}
