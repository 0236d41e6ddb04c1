// The virtual module on its own: what it answers, what it stores, and
// which rate it takes bytes at, talked to over a plain host line.
#include "test_upload.h"

#include "device/device.h"

#include <gtest/gtest.h>

#ifdef ZELSIM_BIN

static const std::string IDENTIFY = bytes({27, '?'});

static std::string lesen(int adr)
{
    return bytes({27, '&', 'E', adr & 255, adr >> 8, 1, 0, 'R'});
}

static std::string schreiben(int adr, const std::string &daten)
{
    int n = daten.size();
    return bytes({27, '&', 'E', adr & 255, adr >> 8, n & 255, n >> 8, 'W'}) + daten;
}

static std::string kennung(int m)
{
    return bytes({zel[m].xdots, zel[m].ydots, zel[m].orient});
}

TEST(Sim, PrintsItsLineAndLinksIt)
{
    tempdir d;
    zelsimproc s(d, {"--link", d / "zel"});
    ASSERT_EQ(s.path.rfind("/dev/", 0), 0u) << s.path;
    char ziel[256] = {};
    ASSERT_GT(readlink((d / "zel").c_str(), ziel, sizeof ziel - 1), 0);
    EXPECT_EQ(std::string(ziel), s.path);
    EXPECT_EQ(s.stop(), 0);
    EXPECT_FALSE(fileexists(d / "zel"));
    EXPECT_EQ(s.eeprom(), std::string(65536, '\xFF'));
}

TEST(Sim, RejectsWrongOptions)
{
    tempdir d;
    for (const std::vector<std::string> &a :
         {std::vector<std::string>{"-m", "5"}, {"-m", "ZEL999-1"}, {"-s", "8"}, {"-b", "300"},
          {"-e", "65536"}, {"-k", "65536"}, {"--latency", "0"}, {"--latency", "256"},
          {"--hold", "1"}, {"--hold", "4097"}, {"--hold", "x"}, {"--stuck-at", "-1"},
          {"--stuck-at", "x"}, {"extra"}}) {
        runresult r = runprog(d.path, ZELSIM_BIN, a);
        EXPECT_EQ(r.status, 64) << a[0];
        EXPECT_EQ(r.out, "") << a[0];
    }
}

// Each model answers with its own geometry and byte orientation, by number
// or by name.
TEST(Sim, IdentifiesAsItsModel)
{
    for (int m = 0; m < ZELMODELS; m++)
        for (std::string wie : {std::to_string(m), std::string(zel[m].name)}) {
            tempdir d;
            zelsimproc s(d, {"-m", wie, "-b", "115200"});
            hostline h(s.path, 115200);
            h.send(IDENTIFY);
            EXPECT_EQ(h.recv(3), kennung(m)) << wie;
        }
}

// Bytes sent at another rate are lost; the module answers only the
// command that came at its own rate.
TEST(Sim, TakesBytesOnlyAtItsRate)
{
    tempdir d;
    zelsimproc s(d, {"-v"});
    hostline h(s.path, 19200);
    h.send(lesen(0));
    ASSERT_TRUE(s.waitlog("byte 0x52 lost, sent at 19200 bit/s"));
    h.rate(9600);
    h.send(IDENTIFY + IDENTIFY);
    EXPECT_EQ(h.recv(6), kennung(3) + kennung(3));
}

// The baud command moves the module to the new rate from the next byte on.
TEST(Sim, SwitchesRateOnTheBaudCommand)
{
    tempdir d;
    zelsimproc s(d, {"-v"});
    hostline h(s.path, 9600);
    h.send(bytes({27, '+', 7}));
    ASSERT_TRUE(s.waitlog("rate 115200 bit/s"));
    h.send(IDENTIFY);
    ASSERT_TRUE(s.waitlog("byte 0x3F lost, sent at 9600 bit/s"));
    h.rate(115200);
    h.send(IDENTIFY);
    EXPECT_EQ(h.recv(3), kennung(3));
}

// A read answers one byte below the EEPROM size and nothing at it; the
// identify command behind it shows that nothing came.
TEST(Sim, ReadsAnswerBelowTheEepromSizeOnly)
{
    for (int kb : {16, 32, 48, 64}) {
        tempdir d;
        zelsimproc s(d, {"-s", std::to_string(kb), "-b", "115200"});
        hostline h(s.path, 115200);
        int ende = kb * 1024;
        h.send(lesen(0) + lesen(ende - 1) + (ende < 65536 ? lesen(ende) : "") + IDENTIFY);
        EXPECT_EQ(h.recv(5), "\xFF\xFF" + kennung(3)) << kb;
        EXPECT_EQ(s.stop(), 0);
        EXPECT_EQ(s.eeprom().size(), (size_t)ende);
    }
}

struct schreibfall {
    std::vector<std::string> optionen;
    std::string antwort;       // to the write
    std::string zurueck;       // the cells 99 to 101 read back
};

TEST(Sim, StoresWrites)
{
    const schreibfall faelle[] = {
        {{}, "", "abc"},
        {{"-w"}, "", "\xFF\xFF\xFF"},
        {{"-e", "100"}, "E", "a\xFF" "c"},
        {{"-e", "0x64", "-w"}, "E", "\xFF\xFF\xFF"},
    };
    for (const schreibfall &f : faelle) {
        tempdir d;
        std::vector<std::string> o = {"-b", "115200"};
        o.insert(o.end(), f.optionen.begin(), f.optionen.end());
        zelsimproc s(d, o);
        hostline h(s.path, 115200);
        h.send(schreiben(99, "abc") + IDENTIFY);
        EXPECT_EQ(h.recv(f.antwort.size() + 3), f.antwort + kennung(3));
        h.send(lesen(99) + lesen(100) + lesen(101));
        EXPECT_EQ(h.recv(3), f.zurueck);
        EXPECT_EQ(s.stop(), 0);
        std::string e = s.eeprom();
        ASSERT_EQ(e.size(), 65536u);
        EXPECT_EQ(e.substr(99, 3), f.zurueck);
        EXPECT_EQ(e.substr(0, 99), std::string(99, '\xFF'));
    }
}

// The display commands of an upload file are taken in and do not disturb
// the EEPROM writes between them; after the trailer the module can end.
TEST(Sim, TakesAnUploadFileAndEndsAfterIt)
{
    tempdir d;
    std::string image(5000, 0);
    for (size_t i = 0; i < image.size(); i++)
        image[i] = (char)(i * 7 + i / 256);
    zelsimproc s(d, {"-b", "115200", "--exit-after-upload", "-v"});
    hostline h(s.path, 115200);
    h.send(eepfile(3, image));
    EXPECT_EQ(s.wait(), 0);
    std::string e = s.eeprom();
    ASSERT_EQ(e.size(), 65536u);
    EXPECT_EQ(e.substr(16, 4984), image.substr(16));
    EXPECT_EQ(e.substr(0, 16), std::string(16, '\xFF'));
    EXPECT_EQ(e.substr(5000), std::string(65536 - 5000, '\xFF'));
    EXPECT_NE(s.log.find("text \"program ZEL530-5\""), std::string::npos);
    EXPECT_NE(s.log.find("display ESC R O 0 18 239 31 0"), std::string::npos);
    EXPECT_NE(s.log.find("end of upload"), std::string::npos);
    EXPECT_EQ(s.log.find("unknown"), std::string::npos) << s.log;
}

// Models 0 and 1 start at the rate whose index is in cell 1.
TEST(Sim, StartsAtThePowerOnRateOfCellOne)
{
    tempdir d;
    writefile(d / "start.bin", bytes({0x5A, 4, 0x11}));
    zelsimproc s(d, {"-m", "0", "-i", d / "start.bin"});
    hostline h(s.path, 19200);
    h.send(IDENTIFY + lesen(0) + lesen(2) + lesen(3));
    EXPECT_EQ(h.recv(6), kennung(0) + "\x5A\x11\xFF");
}

// Any byte stream at all leaves the module running and able to end cleanly.
TEST(Sim, SurvivesAnyByteStream)
{
    tempdir d;
    zelsimproc s(d, {"-b", "115200", "-s", "16", "-e", "300"});
    hostline h(s.path, 115200);
    std::string lauter;
    unsigned x = 12345;
    for (int i = 0; i < 200000; i++) {
        x = x * 1103515245 + 12345;
        int b = x >> 16 & 255;
        lauter.push_back((char)(b < 40 ? 27 : b < 80 ? "?+&EWRJQCOBRX"[b % 13] : b));
    }
    EXPECT_EQ(h.send(lauter), lauter.size());
    EXPECT_EQ(s.stop(), 0);
    EXPECT_EQ(s.eeprom().size(), 16384u);
}

#endif
