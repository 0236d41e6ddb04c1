// Identification, EEPROM probe and write test against the scripted module.
#include "scriptport.h"
#include "testutil.h"
#include "device/device.h"
#include "serial/seriowin.h"

#include <gtest/gtest.h>

static const std::string IDENT = bytes({0x1B, '?'});

static std::string lesen(int hi, int lo = 0)
{
    return bytes({0x1B, '&', 'E', lo, hi, 1, 0, 'R'});
}

struct Handshake : ::testing::Test {
    testctx t;
    void SetUp() override
    {
        scriptreset();
        COMopen(1, 9600);
    }
};

// The port layer of the scripted module holds bytes back the way the
// real one does; the handshake relies on these results.
TEST_F(Handshake, CtsHeldUpToTheTimeOutStillSends)
{
    sm.ctshold[0] = 50;
    EXPECT_EQ(COMwrite(0x141), 1);
    EXPECT_EQ(sentbytes(), "A");
}

TEST_F(Handshake, CtsHeldPastTheTimeOutSendsNothing)
{
    sm.ctshold[0] = 51;
    EXPECT_EQ(COMwrite('A'), 0);
    EXPECT_EQ(sentbytes(), "");
}

TEST_F(Handshake, BlockStopsAtTheByteThatTimesOut)
{
    const unsigned char blk[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    sm.ctshold[2] = 1000;
    EXPECT_EQ(COMwrblk(blk, 9), 0);
    EXPECT_EQ(sentbytes(), bytes({1, 2}));
}

// A port that writes blocks: one write of the layer carries as many bytes
// as the port takes, up to the byte CTS holds; that byte waits for CTS as
// a single byte does.
TEST_F(Handshake, BlocksGoOutWholeUpToTheHeldByte)
{
    const unsigned char blk[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    sm.block = 4;
    EXPECT_EQ(COMsenden(blk, 9), 4);
    EXPECT_EQ(COMsenden(blk, 3), 3);
    EXPECT_EQ(COMsenden(blk, 0), 0);
    EXPECT_EQ(sentbytes(), bytes({1, 2, 3, 4, 1, 2, 3}));
}

TEST_F(Handshake, BlocksWaitForCtsAtTheHeldByte)
{
    const unsigned char blk[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    sm.block = 4;
    sm.ctshold[2] = 50;
    EXPECT_EQ(COMsenden(blk, 9), 2);
    EXPECT_EQ(COMwrblk(blk + 2, 7), 1);
    EXPECT_EQ(sentbytes(), bytes({1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(Handshake, BlocksStopAtTheByteThatTimesOut)
{
    const unsigned char blk[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    sm.block = 4;
    sm.ctshold[2] = 1000;
    EXPECT_EQ(COMwrblk(blk, 9), 0);
    EXPECT_EQ(sentbytes(), bytes({1, 2}));
}

namespace {

struct rate_case {
    long rate;
    const char *out;
    int result;
};

static void PrintTo(const rate_case &k, std::ostream *os) { *os << k.rate; }

class ScanRate : public Handshake, public ::testing::WithParamInterface<rate_case> {};

TEST_P(ScanRate, OneDotPerSilentRate)
{
    const rate_case &k = GetParam();
    sm.rate = k.rate;
    EXPECT_EQ(checkzel(t.c()), k.result);
    EXPECT_EQ(t.out(), k.out);
    EXPECT_EQ(sm.hostrate, k.rate);
    EXPECT_EQ(t->eepadrmax, 65535);
    // one identify command at each rate tried, the probe at the rate found
    for (int i = ZELBAUDS - 1; i > k.result; i--)
        EXPECT_EQ(sentbytes(zelbaud[i]), IDENT) << zelbaud[i];
    EXPECT_EQ(sentbytes(k.rate), IDENT + lesen(0) + lesen(0x40) + lesen(0x80) + lesen(0xC0));
}

INSTANTIATE_TEST_SUITE_P(
    Rates, ScanRate,
    ::testing::Values(rate_case{115200, "240x128 dots, 64kB EEPROM, 115200 baud", 7},
                      rate_case{57600, ".240x128 dots, 64kB EEPROM, 57600 baud", 6},
                      rate_case{9600, "....240x128 dots, 64kB EEPROM, 9600 baud", 3},
                      rate_case{1200, ".......240x128 dots, 64kB EEPROM, 1200 baud", 0}), casenames());

TEST_F(Handshake, NoModuleGivesEightDots)
{
    sm.present = false;
    EXPECT_EQ(checkzel(t.c()), -1);
    EXPECT_EQ(t.out(), "........");
    EXPECT_EQ(sentbytes(), IDENT + IDENT + IDENT + IDENT + IDENT + IDENT + IDENT + IDENT);
    EXPECT_EQ(sm.hostrate, 1200);
}

TEST_F(Handshake, IdentifyReplyCutShortCountsAsSilent)
{
    sm.rate = 115200;
    sm.ident[2] = -1;               // the module gets out two bytes only
    EXPECT_EQ(checkzel(t.c()), -1);
    EXPECT_EQ(t.out(), "........");
}

struct wrong_case {
    int zelnr;
    int ident[3];
    const char *out;
};

static void PrintTo(const wrong_case &k, std::ostream *os)
{
    *os << k.ident[0] << "x" << k.ident[1] << (char)k.ident[2] << " for " << k.zelnr;
}

class WrongModel : public Handshake, public ::testing::WithParamInterface<wrong_case> {};

TEST_P(WrongModel, NamesTheModelFoundAndProbesNothing)
{
    const wrong_case &k = GetParam();
    t->zelnr = k.zelnr;
    sm.rate = 115200;
    for (int i = 0; i < 3; i++)
        sm.ident[i] = k.ident[i];
    EXPECT_EQ(checkzel(t.c()), -1);
    EXPECT_EQ(t.out(), k.out);
    EXPECT_EQ(sentbytes(), IDENT);
    EXPECT_EQ(t->eepadrmax, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Models, WrongModel,
    ::testing::Values(wrong_case{3, {240, 64, 'H'}, " (wrong ZEL ! UZ ZEL530-4)  "},
                      wrong_case{0, {128, 64, 'V'}, " (wrong ZEL ! UZ QO417-2R8)  "},
                      wrong_case{4, {160, 80, 'h'}, " (wrong ZEL ! UZ ZEL420-3)  "},
                      wrong_case{1, {160, 80, 'H'}, ""},
                      wrong_case{3, {1, 2, 3}, ""}), casenames());

TEST_F(Handshake, IdentifyThatCannotBeSentEndsSilently)
{
    for (long n : {0L, 1L}) {
        testctx u;
        scriptreset();
        COMopen(1, 9600);
        sm.ctshold[n] = 1000;
        EXPECT_EQ(checkzel(u.c()), -1);
        EXPECT_EQ(u.out(), "");
        EXPECT_EQ(sentbytes().size(), (size_t)n);
    }
}

TEST_F(Handshake, InputIsDrainedFirst)
{
    sm.rate = 115200;
    sm.replies = {1, 2, 3, 4};
    EXPECT_EQ(checkzel(t.c()), 7);
    EXPECT_EQ(t.out(), "240x128 dots, 64kB EEPROM, 115200 baud");
}

struct probe_case {
    long eepsize;
    int readanswers;
    int eepadrmax;
    const char *out;
    int reads;
};

static void PrintTo(const probe_case &k, std::ostream *os)
{
    *os << k.eepsize << " bytes, " << k.readanswers << " answers";
}

class EepromSize : public Handshake, public ::testing::WithParamInterface<probe_case> {};

TEST_P(EepromSize, FirstSilentAddressEndsIt)
{
    const probe_case &k = GetParam();
    sm.rate = 115200;
    sm.eepsize = k.eepsize;
    sm.readanswers = k.readanswers;
    EXPECT_EQ(checkzel(t.c()), 7);
    EXPECT_EQ(t->eepadrmax, k.eepadrmax);
    EXPECT_EQ(t.out(), k.out);
    std::string probe;
    for (int i = 0; i < k.reads; i++)
        probe += lesen(i * 0x40);
    EXPECT_EQ(sentbytes(), IDENT + probe);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, EepromSize,
    ::testing::Values(probe_case{65536, -1, 65535, "240x128 dots, 64kB EEPROM, 115200 baud", 4},
                      probe_case{49152, -1, 49151, "240x128 dots, 48kB EEPROM, 115200 baud", 4},
                      probe_case{32768, -1, 32767, "240x128 dots, 32kB EEPROM, 115200 baud", 3},
                      probe_case{16384, -1, 16383, "240x128 dots, 16kB EEPROM, 115200 baud", 2},
                      probe_case{0, -1, -1, "240x128 dots, 0kB EEPROM, 115200 baud", 1},
                      // stops answering during the probe
                      probe_case{65536, 2, 32767, "240x128 dots, 32kB EEPROM, 115200 baud", 3}), casenames());

TEST_F(Handshake, ProbeReturnsTheLastReply)
{
    sm.m.eep[0xC000] = 0x42;
    EXPECT_EQ(checkEEPROM(t.c()), 0x42);
    EXPECT_EQ(t->eepadrmax, 65535);
    sm.eepsize = 16384;
    EXPECT_EQ(checkEEPROM(t.c()), -1);
    EXPECT_EQ(t->eepadrmax, 16383);
}

static std::string schreiben0(int v)
{
    return bytes({0x1B, '&', 'E', 0, 0, 1, 0, 'W', v});
}

TEST_F(Handshake, WriteTestComplementsCellZero)
{
    sm.m.eep[0] = 0x5A;
    sm.replies = {7, 7};
    EXPECT_EQ(writeprotect(t.c()), 0);
    EXPECT_EQ(sm.m.eep[0], 0xA5);
    EXPECT_EQ(sentbytes(), lesen(0) + schreiben0(0xA5) + lesen(0));
    EXPECT_EQ(sm.events.back(), "wait 2 after 17");
    EXPECT_EQ(t.out(), "");
}

struct protect_case {
    bool writeprotected;
    int readanswers;
    std::string sent;
    int cell;
};

static void PrintTo(const protect_case &k, std::ostream *os)
{
    *os << (k.writeprotected ? "protected" : "writable") << ", " << k.readanswers << " answers";
}

class WriteTest : public Handshake, public ::testing::WithParamInterface<protect_case> {};

TEST_P(WriteTest, CountsAsProtected)
{
    const protect_case &k = GetParam();
    sm.m.eep[0] = 0x5A;
    sm.writeprotected = k.writeprotected;
    sm.readanswers = k.readanswers;
    EXPECT_EQ(writeprotect(t.c()), 1);
    EXPECT_EQ(sentbytes(), k.sent);
    EXPECT_EQ(sm.m.eep[0], k.cell);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, WriteTest,
    ::testing::Values(protect_case{true, -1, lesen(0) + schreiben0(0xA5) + lesen(0), 0x5A},
                      // no reply to the first read: nothing is written
                      protect_case{false, 0, lesen(0), 0x5A},
                      // no reply to the read-back
                      protect_case{false, 1, lesen(0) + schreiben0(0xA5) + lesen(0), 0xA5}), casenames());

} // namespace
