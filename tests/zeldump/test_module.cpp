// Reading a module back through the virtual module: the backup is the
// module's EEPROM, and holds the object file that was uploaded; a module
// that stops answering ends the read with status 2 and no backup.
#include "dumputil.h"
#include "test_upload.h"

#include <csignal>
#include <gtest/gtest.h>
#include <thread>

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
