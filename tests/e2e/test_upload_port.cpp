// The serial port as the uploader leaves it: settings put back, exclusive
// use and lock given up on every way out, an interrupt included, and a
// second run kept off a port that one run is uploading on.
#include "test_upload.h"

#include "device/device.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#ifdef ZELSIM_BIN

// Settings that a run must leave as it found them.
static bool gleich(const termios &a, const termios &b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && cfgetispeed(&a) == cfgetispeed(&b) &&
           cfgetospeed(&a) == cfgetospeed(&b) && memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

static int exklusiv(int fd)
{
    int an = -1;
    ioctl(fd, TIOCGEXCL, &an);
    return an;
}

// zelcomp running in the background, its standard output collected.
struct hintergrund {
    pid_t pid = -1;
    int aus = -1;
    std::string text;

    hintergrund(const tempdir &d, const std::string &com, const std::vector<std::string> &args)
    {
        int p[2];
        if (pipe(p) != 0)
            abort();
        pid = fork();
        if (pid == 0) {
            dup2(p[1], 1);
            close(p[0]);
            close(p[1]);
            if (chdir(d.path.c_str()) != 0)
                _exit(127);
            setenv("ZEL_COM1", com.c_str(), 1);
            std::vector<std::string> a = {"zelcomp"};
            a.insert(a.end(), args.begin(), args.end());
            std::vector<char *> argv;
            for (std::string &s : a)
                argv.push_back(&s[0]);
            argv.push_back(nullptr);
            execv(ZELCOMP_BIN, argv.data());
            _exit(127);
        }
        close(p[1]);
        aus = p[0];
    }
    ~hintergrund()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        close(aus);
    }
    // Waits for the end; the signal that ended it, 0 for a normal exit.
    int ende()
    {
        int st = 0;
        char buf[4096];
        ssize_t n;
        while ((n = read(aus, buf, sizeof buf)) > 0)
            text.append(buf, n);
        waitpid(pid, &st, 0);
        pid = -1;
        return WIFSIGNALED(st) ? WTERMSIG(st) : 0;
    }
};

// A failed upload leaves a terminal's settings as they were, and neither
// exclusive use nor a lock behind.
TEST(UploadPort, SettingsPutBackAfterAFailure)
{
    tempdir d;
    writefile(d / "x.EEP", eepfile(3, std::string(4000, 'a')));
    int m = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(m, 0);
    ASSERT_EQ(grantpt(m), 0);
    ASSERT_EQ(unlockpt(m), 0);
    std::string pfad = ptsname(m);
    int s = open(pfad.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(s, 0);
    termios vorher, nachher;
    ASSERT_EQ(tcgetattr(s, &vorher), 0);
    // nobody answers on this line
    runresult r = runprog(d.path, ZELCOMP_BIN, {"-c1", "x.EEP"}, "", {"ZEL_COM1=" + pfad});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, BANNER + std::string("\nconnecting ZEL530-5 on COM1: ........ not found !"));
    ASSERT_EQ(tcgetattr(s, &nachher), 0);
    EXPECT_TRUE(gleich(vorher, nachher));
    EXPECT_EQ(exklusiv(s), 0);
    EXPECT_EQ(flock(s, LOCK_EX | LOCK_NB), 0);
    close(s);
    close(m);
}

// An upload broken off by a signal: while it ran, a second run was refused
// the port; afterwards the port is as it was and the first run ended as
// the signal ends a process, after saying so.
TEST(UploadPort, InterruptedUploadPutsThePortBack)
{
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        tempdir d;
        std::string bild(65536, 0);
        for (size_t i = 0; i < bild.size(); i++)
            bild[i] = (char)(i * 13 + i / 256);
        writefile(d / "x.EEP", eepfile(3, bild));
        zelsimproc sim(d, {"-p", "-v"});
        int s = open(sim.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(s, 0);
        termios vorher, nachher;
        ASSERT_EQ(tcgetattr(s, &vorher), 0);
        hintergrund erster(d, sim.path, {"-c1", "x.EEP"});
        ASSERT_TRUE(sim.waitlog("EEPROM write 32 at 16")) << sim.log;
        runresult zweiter = runprog(d.path, ZELCOMP_BIN, {"-c1", "x.EEP"}, "", {sim.env()});
        EXPECT_EQ(zweiter.status, 2);
        EXPECT_EQ(zweiter.out, BANNER + std::string("\nError: cannot open COM1: !\n") + sim.path +
                                   ": in use by another program");
        kill(erster.pid, sig);
        EXPECT_EQ(erster.ende(), sig);
        std::string schluss = "\nError: upload interrupted !";
        ASSERT_GE(erster.text.size(), schluss.size());
        EXPECT_EQ(erster.text.substr(erster.text.size() - schluss.size()), schluss);
        ASSERT_EQ(tcgetattr(s, &nachher), 0);
        EXPECT_TRUE(gleich(vorher, nachher)) << sig;
        EXPECT_EQ(exklusiv(s), 0) << sig;
        EXPECT_EQ(flock(s, LOCK_EX | LOCK_NB), 0) << sig;
        close(s);
    }
}

#endif
