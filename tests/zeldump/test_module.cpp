// Reading a module back through the virtual module: the backup is the
// module's EEPROM, and holds the object file that was uploaded; a module
// that stops answering ends the read with status 2 and no backup.
#include "dumputil.h"
#include "test_upload.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

class ReadBack : public ::testing::TestWithParam<int> {};

// The host waits only 40 to 50 ms for each reply; on a busy machine the
// pseudo-terminal now and then carries one later, and the read rightly
// fails. So a read that fails is tried again with a fresh module, up to
// three runs in all; a fault fails every one of them.
TEST_P(ReadBack, BackupEqualsTheModuleAndTheUpload)
{
    int kb = GetParam();
    // the 32 KB module listens at 9600 and is read at 115200 after the switch
    std::string rate = kb == 32 ? "9600" : "115200";
    for (int versuch = 1;; versuch++) {
        tempdir d;
        std::string n = macrosource(d.path, 3);
        zelsimproc s(d, {"-s", std::to_string(kb), "-b", rate, "-v"});
        runresult up = runprog(d.path, ZELCOMP_BIN, {"-o", "-c1", n + ".mac"}, "", {s.env()});
        // Opening the port drops what the line still holds: the module must
        // have taken the whole upload first.
        bool fertig = up.status == 0 && s.waitlog("end of upload");
        std::vector<std::string> args = {"-c1", "-w", "back.EEO"};
        if (kb == 32)
            args.push_back("-b115200");
        runresult r;
        if (fertig)
            r = rundump(d.path, args, {s.env()});
        if ((!fertig || r.status != 0) && versuch < 3)
            continue;
        ASSERT_EQ(up.status, 0) << up.out;
        ASSERT_TRUE(fertig) << s.log;
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find(" Ok !"), std::string::npos) << r.out;
        EXPECT_EQ(s.stop(), 0);
        std::string back = readfile(d / "back.EEO"), eeo = readfile(d / n + ".EEO");
        ASSERT_EQ(back.size(), (size_t)kb * 1024);
        EXPECT_TRUE(back == s.eeprom());
        EXPECT_TRUE(back.substr(16, eeo.size() - 16) == eeo.substr(16));
        EXPECT_EQ(overview(r.out), overview(rundump(d.path, {n + ".EEO"}).out));
        return;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ReadBack, ::testing::Values(16, 32, 48, 64),
                         [](const ::testing::TestParamInfo<int> &i) {
                             return std::to_string(i.param) + "KB";
                         });

TEST(ReadBack, ModuleThatStopsAnswering)
{
    // The module is stopped once the read has reached 8 KB; a read that the
    // busy machine ended before that is tried again, up to three runs.
    for (int versuch = 1;; versuch++) {
        tempdir d;
        zelsimproc s(d, {"-b", "115200", "-v"});
        runresult r;
        std::thread t([&] { r = rundump(d.path, {"-c1", "-w", "back.EEO"}, {s.env()}); });
        bool gesehen = s.waitlog("EEPROM read 64 at 8192");
        kill(s.pid, SIGSTOP);
        t.join();
        kill(s.pid, SIGCONT);
        if (!gesehen && versuch < 3)
            continue;
        ASSERT_TRUE(gesehen) << s.log;
        EXPECT_EQ(r.status, 2) << r.out;
        EXPECT_NE(r.out.find("\nError: no answer at address 0x"), std::string::npos) << r.out;
        EXPECT_FALSE(fileexists(d / "back.EEO"));
        return;
    }
}

TEST(ReadBack, NoModule)
{
    tempdir d;
    zelsimproc s(d, {"-m", "0"});
    runresult r = rundump(d.path, {"-c1", "-w", "back.EEO"}, {s.env()});
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find(" (wrong ZEL ! UZ ZEL310-2)   not found !"), std::string::npos) << r.out;
    EXPECT_FALSE(fileexists(d / "back.EEO"));
}

// A module that pauses in the middle of the read-back (its replies stall
// for half a second, then come again): the block the stall hit is read
// again on its own and the read goes on to the end.
TEST(ReadBack, ModuleThatPausesIsReadAgain)
{
    for (int versuch = 1;; versuch++) {
        tempdir d;
        zelsimproc s(d, {"-b", "115200", "-s", "32", "-v"});
        runresult r;
        std::thread t([&] { r = rundump(d.path, {"-c1", "-w", "back.EEO"}, {s.env()}); });
        bool gesehen = s.waitlog("EEPROM read 64 at 8192");
        kill(s.pid, SIGSTOP);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        kill(s.pid, SIGCONT);
        t.join();
        if ((!gesehen || r.status != 0) && versuch < 3)
            continue;
        ASSERT_TRUE(gesehen) << s.log;
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find("\nreading 32768 bytes Ok !\n"), std::string::npos) << r.out;
        EXPECT_EQ(s.stop(), 0);
        EXPECT_TRUE(readfile(d / "back.EEO") == s.eeprom());
        return;
    }
}

// Settings that a run must leave as it found them.
static bool gleich(const termios &a, const termios &b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && cfgetispeed(&a) == cfgetispeed(&b) &&
           cfgetospeed(&a) == cfgetospeed(&b) && memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// A read-back broken off by a signal, as an upload is: the port is put
// back as it was and given up, the run says so and ends as the signal
// ends a process; no backup is left.
TEST(ReadBack, InterruptedReadBackPutsThePortBack)
{
    for (int sig : {SIGINT, SIGTERM}) {
        tempdir d;
        zelsimproc sim(d, {"-p", "-v"});
        int s = open(sim.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(s, 0);
        termios vorher, nachher;
        ASSERT_EQ(tcgetattr(s, &vorher), 0);
        int p[2];
        ASSERT_EQ(pipe(p), 0);
        pid_t pid = fork();
        if (pid == 0) {
            dup2(p[1], 1);
            close(p[0]);
            close(p[1]);
            if (chdir(d.path.c_str()) != 0)
                _exit(127);
            setenv("ZEL_COM1", sim.path.c_str(), 1);
            execl(ZELDUMP_BIN, "zeldump", "-c1", "-b115200", "-w", "back.EEO", (char *)nullptr);
            _exit(127);
        }
        close(p[1]);
        ASSERT_TRUE(sim.waitlog("EEPROM read 64 at 1024")) << sim.log;
        kill(pid, sig);
        std::string text;
        char buf[4096];
        ssize_t n;
        while ((n = read(p[0], buf, sizeof buf)) > 0)
            text.append(buf, n);
        close(p[0]);
        int st = 0;
        waitpid(pid, &st, 0);
        ASSERT_TRUE(WIFSIGNALED(st)) << text;
        EXPECT_EQ(WTERMSIG(st), sig);
        std::string schluss = "\nreading 65536 bytes\nError: read-back interrupted !\n";
        ASSERT_GE(text.size(), schluss.size()) << text;
        EXPECT_EQ(text.substr(text.size() - schluss.size()), schluss);
        ASSERT_EQ(tcgetattr(s, &nachher), 0);
        EXPECT_TRUE(gleich(vorher, nachher)) << sig;
        int an = -1;
        ioctl(s, TIOCGEXCL, &an);
        EXPECT_EQ(an, 0) << sig;
        EXPECT_EQ(flock(s, LOCK_EX | LOCK_NB), 0) << sig;
        EXPECT_FALSE(fileexists(d / "back.EEO"));
        close(s);
    }
}
