// Uploads to the scripted module: header checks, connection, size limit,
// rate switch, power-on rate, streaming and its failures, and the runs
// of the program that end in an upload.
#include "scriptport.h"
#include "testutil.h"
#include "device/device.h"
#include "driver/driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

static const std::string IDENT = bytes({0x1B, '?'});

static std::string lesen(int hi, int lo = 0)
{
    return bytes({0x1B, '&', 'E', lo, hi, 1, 0, 'R'});
}

static std::string schreiben(int adr, int v)
{
    return bytes({0x1B, '&', 'E', adr, 0, 1, 0, 'W', v});
}

static const std::string PROBE = lesen(0) + lesen(0x40) + lesen(0x80) + lesen(0xC0);
static const std::string WRITETEST = lesen(0) + schreiben(0, 0x00) + lesen(0);

namespace {

// A complete upload file for an image of size bytes (a size of 0 is the
// full 64 KB), model being the name field: blocks of up to 64 bytes that
// end on 64-byte boundaries, data from a pattern.
static std::string upfile(const char *model, long size)
{
    std::string m(model);
    m.resize(8, ' ');
    std::string s = "\x0cprogram " + m +
                    bytes({0x1B, 'Q', 'C', '0', 0x1B, 'O', (int)(size & 0xFF), (int)(size >> 8 & 0xFF),
                           0x1B, 'R', 'O', 0, 18, 239, 31, 0, 0x1B, 'B', 'R', '1', 1, 19, 238, 30, 0, 60, 3});
    long ende = size ? size : 65536;
    for (long a = 16, n = 0; a < ende; n++) {
        long l = std::min(64 - a % 64, ende - a);
        s += bytes({0x1B, 'B', '1', (int)(n & 0xFF), 0x1B, '&', 'E', (int)(a & 0xFF), (int)(a >> 8),
                    (int)l, 0, 'W'});
        for (long i = 0; i < l; i++)
            s.push_back((char)((a + i) * 7 + (a + i) / 251));
        a += l;
    }
    return s + bytes({0x1B, 'X', 2, 0x1B, '&', 'E', 0, 0, 0, 0, 'J'});
}

// f with the byte at i raised by d.
static std::string bump(std::string f, size_t i, int d = 1)
{
    f[i] = (char)(f[i] + d);
    return f;
}

// The length of the file most tests upload.
static const long FILELEN = (long)upfile("ZEL530-5", 3632).size();

static std::string ready(long used, long frei)
{
    return "\nReady: Zel is programed,  " + std::to_string(used) + " bytes used, " +
           std::to_string(frei) + " bytes free";
}

static const std::string CONNECT9600 =
    "\nconnecting ZEL530-5 on COM1: ....240x128 dots, 64kB EEPROM, 9600 baud"
    "\nprogram file <t.EEP> with 9600 baud";
static const std::string CONNECT115200 =
    "\nconnecting ZEL530-5 on COM1: 240x128 dots, 64kB EEPROM, 115200 baud"
    "\nprogram file <t.EEP> with 115200 baud";

// Host bytes before the file with the module at 115200 and 64 KB.
static const size_t HANDSHAKE = 2 + 32 + 25;

struct Upload : ::testing::Test {
    tempdir d;
    chdirguard g{d.path};
    testctx t;
    void SetUp() override
    {
        scriptreset();
        t->com = 1;
        strcpy(t->outfile, "t.EEP");
    }
    // what went out from the file's form feed on
    std::string streamed()
    {
        std::string s = sentbytes();
        size_t p = s.find('\x0c');
        return p == std::string::npos ? "" : s.substr(p);
    }
    bool closed() { return !sm.open && !sm.events.empty() && sm.events.back() == "close"; }
};

TEST_F(Upload, SendsTheWholeFileAfterTheHandshake)
{
    std::string f = upfile("ZEL530-5", 3632);
    writefile("t.EEP", f);
    uploadeep(t.c());
    EXPECT_EQ(t.out(), CONNECT9600 + ready(3632, 61904));
    EXPECT_EQ(sentbytes(9600), IDENT + PROBE + WRITETEST + f);
    EXPECT_EQ(t->orgbaud, 3);
    EXPECT_EQ(t->eepadrmax, 65535);
    EXPECT_EQ(sm.m.eep[0], 0x00);
    EXPECT_EQ(sm.events.front(), "open COM1 9600");
    EXPECT_TRUE(closed());
}

struct header_case {
    const char *name;
    std::string file;
    bool exists;
};

static void PrintTo(const header_case &k, std::ostream *os) { *os << k.name; }

class BadHeader : public Upload, public ::testing::WithParamInterface<header_case> {};

TEST_P(BadHeader, RefusedBeforeThePortOpens)
{
    const header_case &k = GetParam();
    if (k.exists)
        writefile("t.EEP", k.file);
    uploadeep(t.c());
    EXPECT_EQ(t.out(), k.exists ? "\n t.EEP is not a valid EEPROM-File for a ZEL !"
                                : "\n Cannot open file t.EEP !");
    EXPECT_TRUE(sm.events.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadHeader,
    ::testing::Values(header_case{"missing", "", false}, header_case{"empty", "", true},
                      header_case{"24 bytes", upfile("ZEL530-5", 3632).substr(0, 24), true},
                      header_case{"misspelt", "\x0cprogrXm " + upfile("ZEL530-5", 3632).substr(9), true},
                      header_case{"shifted", " " + upfile("ZEL530-5", 3632), true},
                      header_case{"25 bytes", upfile("ZEL530-5", 3632).substr(0, 25), true},
                      header_case{"cut at 1000", upfile("ZEL530-5", 3632).substr(0, 1000), true},
                      header_case{"trailer cut", upfile("ZEL530-5", 3632).substr(0, FILELEN - 1), true},
                      header_case{"padded", upfile("ZEL530-5", 3632) + "x", true},
                      header_case{"trailer wrong", bump(upfile("ZEL530-5", 3632), FILELEN - 1), true},
                      // the size says one byte more than the blocks write
                      header_case{"size too large", bump(upfile("ZEL530-5", 3632), 23), true},
                      header_case{"size below the tables", upfile("ZEL530-5", 3631), true},
                      // the second block starts at 65 instead of 64: a gap
                      header_case{"gap", bump(upfile("ZEL530-5", 3632), 44 + 12 + 48 + 7), true},
                      header_case{"overlap", bump(upfile("ZEL530-5", 3632), 44 + 12 + 48 + 7, -1), true},
                      header_case{"block not a write", bump(upfile("ZEL530-5", 3632), 44 + 11), true},
                      header_case{"block too long", bump(upfile("ZEL530-5", 3632), 44 + 9), true},
                      // a header naming no model is damaged: no module is right for it
                      header_case{"unknown model", upfile("ABCDEFGH", 3632), true},
                      header_case{"model one letter off", upfile("ZEL310-3", 3632), true},
                      header_case{"model cut short", upfile("ZEL530-", 3632), true}),
    [](const ::testing::TestParamInfo<header_case> &i) {
        std::string s = i.param.name;
        for (char &ch : s)
            if (ch == ' ')
                ch = '_';
        return s;
    });

TEST_F(Upload, HeaderLettersInAnyCase)
{
    for (const char *word : {"PROGRAM", "Program"}) {
        testctx u;
        scriptreset();
        u->com = 1;
        strcpy(u->outfile, "t.EEP");
        std::string f = upfile("ZEL530-5", 3632);
        f.replace(1, 7, word);
        writefile("t.EEP", f);
        uploadeep(u.c());
        EXPECT_EQ(u.out(), CONNECT9600 + ready(3632, 61904)) << word;
        EXPECT_EQ(streamed(), f);
    }
}

struct model_case {
    const char *field;
    int ident[3];
    int zelnr;
    const char *out;
};

static void PrintTo(const model_case &k, std::ostream *os) { *os << k.field; }

class HeaderModel : public Upload, public ::testing::WithParamInterface<model_case> {};

TEST_P(HeaderModel, SelectsTheModelBeforeConnecting)
{
    const model_case &k = GetParam();
    sm.rate = 115200;
    for (int i = 0; i < 3; i++)
        sm.ident[i] = k.ident[i];
    writefile("t.EEP", upfile(k.field, 3632));
    uploadeep(t.c());
    EXPECT_EQ(t->zelnr, k.zelnr);
    EXPECT_EQ(t.out(), std::string(k.out) + "\nprogram file <t.EEP> with 115200 baud" +
                           ready(3632, 61904));
}

INSTANTIATE_TEST_SUITE_P(
    Models, HeaderModel,
    ::testing::Values(
        model_case{"ZEL310-2", {120, 32, 'V'}, 0,
                   "\nconnecting ZEL310-2 on COM1: 120x32 dots, 64kB EEPROM, 115200 baud"},
        model_case{"zel420-3", {160, 80, 'h'}, 1,
                   "\nconnecting ZEL420-3 on COM1: 160x80 dots, 64kB EEPROM, 115200 baud"},
        model_case{"QO417-2R", {128, 64, 'V'}, 4,
                   "\nconnecting QO417-2R8 on COM1: 128x64 dots, 64kB EEPROM, 115200 baud"}), casenames());

TEST_F(Upload, PortThatCannotBeOpened)
{
    sm.openfails = true;
    t->com = 2;
    writefile("t.EEP", upfile("ZEL530-5", 3632));
    uploadeep(t.c());
    EXPECT_EQ(t.out(), "\nError: cannot open COM2: !");
    EXPECT_EQ(sm.events, std::vector<std::string>{"open COM2 9600"});
    EXPECT_EQ(sentbytes(), "");
}

TEST_F(Upload, NoModule)
{
    sm.present = false;
    writefile("t.EEP", upfile("ZEL530-5", 3632));
    uploadeep(t.c());
    EXPECT_EQ(t.out(), "\nconnecting ZEL530-5 on COM1: ........ not found !");
    EXPECT_EQ(sentbytes().size(), 8 * IDENT.size());
    EXPECT_EQ(t->orgbaud, -1);
    EXPECT_TRUE(closed());
}

TEST_F(Upload, WrongModel)
{
    sm.ident[1] = 64;
    writefile("t.EEP", upfile("ZEL530-5", 3632));
    uploadeep(t.c());
    EXPECT_EQ(t.out(), "\nconnecting ZEL530-5 on COM1: .... (wrong ZEL ! UZ ZEL530-4)   not found !");
    EXPECT_EQ(streamed(), "");
    EXPECT_TRUE(closed());
}

struct capacity_case {
    long eepsize;
    long field;
    std::string out;
    bool streams;
};

static void PrintTo(const capacity_case &k, std::ostream *os)
{
    *os << k.field << " on " << k.eepsize;
}

class Capacity : public Upload, public ::testing::WithParamInterface<capacity_case> {};

TEST_P(Capacity, ProgramMustFitTheEeprom)
{
    const capacity_case &k = GetParam();
    sm.rate = 115200;
    sm.eepsize = k.eepsize;
    std::string f = upfile("ZEL530-5", k.field);
    writefile("t.EEP", f);
    uploadeep(t.c());
    EXPECT_EQ(t.out(), k.out);
    EXPECT_EQ(streamed(), k.streams ? f : "");
    EXPECT_TRUE(closed());
}

static std::string found(int kb)
{
    return "\nconnecting ZEL530-5 on COM1: 240x128 dots, " + std::to_string(kb) +
           "kB EEPROM, 115200 baud";
}

static const std::string PROGRAM = "\nprogram file <t.EEP> with 115200 baud";

static std::string needed(long n)
{
    return "\nnot enough EEPROM Memory !  (" + std::to_string(n) + " bytes are needed)";
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, Capacity,
    ::testing::Values(capacity_case{32768, 32768, found(32) + PROGRAM + ready(32768, 0), true},
                      capacity_case{32768, 32769, found(32) + needed(32769), false},
                      capacity_case{16384, 16384, found(16) + PROGRAM + ready(16384, 0), true},
                      capacity_case{49152, 40000, found(48) + PROGRAM + ready(40000, 9152), true},
                      // a size field of 0 is the full 64 KB image
                      capacity_case{65536, 0, found(64) + PROGRAM + ready(65536, 0), true},
                      capacity_case{49152, 0, found(48) + needed(65536), false},
                      capacity_case{0, 3632, found(0) + needed(3632), false}), casenames());

TEST_F(Upload, WriteProtectedModuleGetsNothing)
{
    sm.writeprotected = true;
    writefile("t.EEP", upfile("ZEL530-5", 3632));
    uploadeep(t.c());
    EXPECT_EQ(t.out(), CONNECT9600 + "\nError: Zel is write protected !");
    EXPECT_EQ(streamed(), "");
    EXPECT_TRUE(closed());
}

TEST_F(Upload, RateSwitchBeforeTheWriteTest)
{
    t->newbaud = 115200;
    std::string f = upfile("ZEL530-5", 3632);
    writefile("t.EEP", f);
    uploadeep(t.c());
    EXPECT_EQ(t.out(), "\nconnecting ZEL530-5 on COM1: ....240x128 dots, 64kB EEPROM, 9600 baud"
                       "\nprogram file <t.EEP> with 115200 baud" + ready(3632, 61904));
    EXPECT_EQ(sentbytes(9600), IDENT + PROBE + bytes({0x1B, '+', 7}));
    EXPECT_EQ(sentbytes(115200), IDENT + WRITETEST + f);
    EXPECT_EQ(heardbytes(), IDENT + PROBE + bytes({0x1B, '+', 7}) + WRITETEST + f);
    EXPECT_EQ(sm.events, (std::vector<std::string>{
                             "open COM1 9600", "rate 115200 after 0", "rate 57600 after 2",
                             "rate 38400 after 4", "rate 19200 after 6", "rate 9600 after 8",
                             "module rate 115200 after 45", "wait 2 after 45",
                             "rate 115200 after 45", "wait 2 after 62", "close"}));
}

TEST_F(Upload, RateSwitchThatCannotBeSent)
{
    // the baud command's last byte times out: the module stays at 9600
    // and cannot answer the write test at the new rate
    t->newbaud = 57600;
    sm.ctshold[10 + 32 + 2] = 1000;
    writefile("t.EEP", upfile("ZEL530-5", 3632));
    uploadeep(t.c());
    EXPECT_EQ(t.out(), "\nconnecting ZEL530-5 on COM1: ....240x128 dots, 64kB EEPROM, 9600 baud"
                       "\nprogram file <t.EEP> with 57600 baud"
                       "\nError: Zel is write protected !");
    EXPECT_EQ(sentbytes(9600), IDENT + PROBE + bytes({0x1B, '+'}));
    EXPECT_EQ(sm.rate, 9600);
    EXPECT_TRUE(closed());
}

struct softbaud_case {
    const char *field;
    int ident[3];
    const char *out;
    bool stored;
};

static void PrintTo(const softbaud_case &k, std::ostream *os) { *os << k.field; }

class PowerOnRate : public Upload, public ::testing::WithParamInterface<softbaud_case> {};

TEST_P(PowerOnRate, StoredOnModelsZeroAndOneOnly)
{
    const softbaud_case &k = GetParam();
    sm.rate = 115200;
    for (int i = 0; i < 3; i++)
        sm.ident[i] = k.ident[i];
    t->softbaud = 4;
    std::string f = upfile(k.field, 3632);
    writefile("t.EEP", f);
    uploadeep(t.c());
    EXPECT_EQ(t.out(), std::string(k.out) + PROGRAM +
                           (k.stored ? "\nprogram baudrate 19200: Ok !" : "") + ready(3632, 61904));
    std::string cell1 = k.stored ? schreiben(1, 4) + lesen(0, 1) : "";
    EXPECT_EQ(sentbytes(), IDENT + PROBE + WRITETEST + cell1 + f);
    EXPECT_EQ(sm.m.eep[1], k.stored ? 4 : 0xFF);
}

INSTANTIATE_TEST_SUITE_P(
    Models, PowerOnRate,
    ::testing::Values(
        softbaud_case{"ZEL310-2", {120, 32, 'V'},
                      "\nconnecting ZEL310-2 on COM1: 120x32 dots, 64kB EEPROM, 115200 baud", true},
        softbaud_case{"ZEL420-3", {160, 80, 'h'},
                      "\nconnecting ZEL420-3 on COM1: 160x80 dots, 64kB EEPROM, 115200 baud", true},
        softbaud_case{"ZEL530-4", {240, 64, 'H'},
                      "\nconnecting ZEL530-4 on COM1: 240x64 dots, 64kB EEPROM, 115200 baud", false},
        softbaud_case{"ZEL530-5", {240, 128, 'H'},
                      "\nconnecting ZEL530-5 on COM1: 240x128 dots, 64kB EEPROM, 115200 baud", false},
        softbaud_case{"QO417-2R", {128, 64, 'V'},
                      "\nconnecting QO417-2R8 on COM1: 128x64 dots, 64kB EEPROM, 115200 baud", false}), casenames());

TEST_F(Upload, PowerOnRateNotReadBackStillUploads)
{
    sm.rate = 115200;
    sm.ident[0] = 120;
    sm.ident[1] = 32;
    sm.ident[2] = 'V';
    sm.readanswers = 4 + 2;         // the probe and the write test
    t->softbaud = 0;
    std::string f = upfile("ZEL310-2", 3632);
    writefile("t.EEP", f);
    uploadeep(t.c());
    EXPECT_EQ(t.out(), "\nconnecting ZEL310-2 on COM1: 120x32 dots, 64kB EEPROM, 115200 baud" +
                           PROGRAM + "\nprogram baudrate 1200: error !" + ready(3632, 61904));
    EXPECT_EQ(streamed(), f);
}

struct stream_case {
    const char *name;
    std::map<long, int> hold;       // by file position, from 0
    std::map<long, int> reply;      // after file byte n, from 1
    std::string tail;
    long sent;
    int block = 1;                  // bytes one write of the port carries
};

static void PrintTo(const stream_case &k, std::ostream *os) { *os << k.name; }

class Streaming : public Upload, public ::testing::WithParamInterface<stream_case> {};

TEST_P(Streaming, StopsOnTimeOutOrErrorReply)
{
    const stream_case &k = GetParam();
    sm.rate = 115200;
    sm.block = k.block;
    for (const auto &h : k.hold)
        sm.ctshold[HANDSHAKE + h.first] = h.second;
    sm.streamreply = k.reply;
    std::string f = upfile("ZEL530-5", 3632);
    writefile("t.EEP", f);
    uploadeep(t.c());
    EXPECT_EQ(t.out(), CONNECT115200 + k.tail);
    EXPECT_EQ(streamed(), f.substr(0, k.sent));
    EXPECT_EQ(sentbytes().size(), HANDSHAKE + k.sent);
    EXPECT_TRUE(closed());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Streaming,
    ::testing::Values(
        stream_case{"CtsHeldPastTimeOut", {{100, 1000}}, {}, "\nError: Timeout (CTS) !", 100},
        stream_case{"CtsHeldOnFirstByte", {{0, 51}}, {}, "\nError: Timeout (CTS) !", 0},
        stream_case{"CtsClearsInTime", {{100, 50}, {101, 50}}, {}, ready(3632, 61904), FILELEN},
        stream_case{"ErrorReplyAfter1000", {}, {{1000, 'E'}},
                    "\nError: Cannot program EEPROM at filepos 1000 !", 1000},
        stream_case{"ErrorReplyAfterFirst", {}, {{1, 'E'}},
                    "\nError: Cannot program EEPROM at filepos 1 !", 1},
        stream_case{"ErrorReplyAfterLast", {}, {{FILELEN, 'E'}},
                    "\nError: Cannot program EEPROM at filepos " + std::to_string(FILELEN) + " !", FILELEN},
        stream_case{"OtherReplyIgnored", {}, {{500, 'x'}, {501, 0x65}}, ready(3632, 61904), FILELEN},
        // a port that writes blocks of 64 bytes: a block goes out up to the
        // byte CTS holds, and the error reply is seen after the block it
        // came in, the file position then the end of that block
        stream_case{"BlocksCtsHeldPastTimeOut", {{100, 1000}}, {}, "\nError: Timeout (CTS) !", 100, 64},
        stream_case{"BlocksCtsClearsInTime", {{100, 50}, {101, 50}}, {}, ready(3632, 61904), FILELEN,
                    64},
        stream_case{"BlocksErrorReplyAfter1000", {}, {{1000, 'E'}},
                    "\nError: Cannot program EEPROM at filepos 1024 !", 1024, 64},
        stream_case{"BlocksErrorReplyAfterFirst", {}, {{1, 'E'}},
                    "\nError: Cannot program EEPROM at filepos 64 !", 64, 64},
        stream_case{"BlocksErrorReplyAfterLast", {}, {{FILELEN, 'E'}},
                    "\nError: Cannot program EEPROM at filepos " + std::to_string(FILELEN) + " !", FILELEN,
                    64}),
    [](const ::testing::TestParamInfo<stream_case> &i) { return std::string(i.param.name); });

// An image from the compiler's own writer, uploaded: the module's EEPROM
// then equals the object file from address 16 on.
class RealImage : public Upload, public ::testing::WithParamInterface<int> {};

TEST_P(RealImage, EepromEqualsTheObjectFile)
{
    int n = GetParam();
    testctx b;
    std::vector<unsigned char> data(n);
    for (int i = 0; i < n; i++)
        data[i] = (unsigned char)"\x1b\x0c" "E&W\x00\xff?"[i % 8] ^ (i / 8 & 0x0F);
    if (n)
        append(b.c(), data.data(), n);
    strcpy(b->outfile, "t.EEP");
    strcpy(b->objfile, "t.EEO");
    writeobj(b.c());
    writeeep(b.c());
    ASSERT_EQ(b->errors, 0);
    std::string obj = readfile("t.EEO");
    long groesse = SYSSIZE + n;
    uploadeep(t.c());
    EXPECT_EQ(t.out(), CONNECT9600 + ready(groesse, 65536 - groesse));
    EXPECT_EQ(streamed(), readfile("t.EEP"));
    ASSERT_EQ((long)obj.size(), groesse);
    EXPECT_EQ(std::string(sm.m.eep + 16, sm.m.eep + groesse), obj.substr(16));
    EXPECT_EQ(std::string(sm.m.eep + groesse, sm.m.eep + MODEEP),
              std::string(65536 - groesse, '\xFF'));
    EXPECT_EQ(sm.m.cmdlen + sm.m.wrrest, 0);    // the trailer left no command half-read
}

INSTANTIATE_TEST_SUITE_P(Sizes, RealImage, ::testing::Values(0, 1000, (int)DATASIZE),
                         [](const ::testing::TestParamInfo<int> &i) {
                             return std::to_string(i.param) + "_bytes";
                         });

// main's two ways into the upload
static int run(testctx &u, std::vector<std::string> args)
{
    std::vector<char *> argv;
    static char prog[] = "zelcomp";
    argv.push_back(prog);
    for (std::string &a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    return zelrun(u.c(), (int)args.size() + 1, argv.data());
}

TEST_F(Upload, UploadOnlyRun)
{
    writefile("t.EEP", upfile("ZEL530-5", 3632));
    EXPECT_EQ(run(t, {"-c1", "t.EEP"}), 0);
    EXPECT_EQ(t.out(), BANNER + CONNECT9600 + ready(3632, 61904));
    EXPECT_FALSE(fileexists("ERROR.OUT"));
}

TEST_F(Upload, UploadOnlyRunWithoutPortDoesNothing)
{
    t->com = 0;
    writefile("t.EEP", upfile("ZEL530-5", 3632));
    EXPECT_EQ(run(t, {"t.EEP"}), 0);
    EXPECT_EQ(t.out(), BANNER);
    EXPECT_TRUE(sm.events.empty());
}

TEST_F(Upload, CompileRunUploadsAfterTheOverview)
{
    writefile("e.mac", "");
    EXPECT_EQ(run(t, {"-c1", "-b19200", "e.mac"}), 0);
    std::string out = t.out();
    std::string tail = "\n 3632 bytes used\n"
                       "\nconnecting ZEL530-5 on COM1: ....240x128 dots, 64kB EEPROM, 9600 baud"
                       "\nprogram file <e.EEP> with 19200 baud" + ready(3632, 61904);
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_EQ(streamed(), readfile("e.EEP"));
}

TEST_F(Upload, CompileRunWithErrorsDoesNotUpload)
{
    EXPECT_EQ(run(t, {"-c1", "missing.mac"}), 1);
    EXPECT_TRUE(sm.events.empty());
}

// The exit status of a run that uploads: 0 only when everything asked
// for succeeded, 2 for every way an upload can fail.
struct status_case {
    const char *name;
    std::function<void()> setup;    // the module, before the run
    std::vector<std::string> args;  // the file named last
    std::string file;               // t.EEP, none when empty
    int status;
    std::string tail;               // the end of the console text
};

static void PrintTo(const status_case &k, std::ostream *os) { *os << k.name; }

class ExitStatus : public Upload, public ::testing::WithParamInterface<status_case> {};

TEST_P(ExitStatus, TwoForEveryUploadFailure)
{
    const status_case &k = GetParam();
    k.setup();
    if (!k.file.empty())
        writefile("t.EEP", k.file);
    EXPECT_EQ(run(t, k.args), k.status);
    std::string out = t.out();
    ASSERT_GE(out.size(), k.tail.size()) << out;
    EXPECT_EQ(out.substr(out.size() - k.tail.size()), k.tail);
}

static std::string verifyfehler(long adr, int gelesen)
{
    char b[80];
    // the byte upfile puts at adr
    int geschrieben = (int)((adr * 7 + adr / 251) & 0xFF);
    snprintf(b, sizeof b, "\nError: verify failed at address %ld (wrote 0x%02X, read 0x%02X) !", adr,
             geschrieben, gelesen);
    return b;
}

static const std::string GOOD = upfile("ZEL530-5", 3632);
static const std::string VERIFIED = "\nVerified: 3616 bytes" + ready(3632, 61904);

INSTANTIATE_TEST_SUITE_P(
    Cases, ExitStatus,
    ::testing::Values(
        status_case{"Success", [] {}, {"-c1", "t.EEP"}, GOOD, 0, CONNECT9600 + ready(3632, 61904)},
        status_case{"VerifySuccess", [] {}, {"-c1", "--verify", "t.EEP"}, GOOD, 0, CONNECT9600 + VERIFIED},
        status_case{"FileMissing", [] {}, {"-c1", "t.EEP"}, "", 2, "\n Cannot open file t.EEP !"},
        status_case{"FileCut", [] {}, {"-c1", "t.EEP"}, GOOD.substr(0, 1000), 2,
                    "\n t.EEP is not a valid EEPROM-File for a ZEL !"},
        status_case{"PortNotOpened", [] { sm.openfails = true; }, {"-c1", "t.EEP"}, GOOD, 2,
                    "\nError: cannot open COM1: !"},
        status_case{"PortNotOpenedWithReason",
                    [] {
                        sm.openfails = true;
                        sm.opengrund = "/dev/zel1: in use by another program";
                    },
                    {"-c1", "t.EEP"}, GOOD, 2,
                    "\nError: cannot open COM1: !\n/dev/zel1: in use by another program"},
        status_case{"NoModule", [] { sm.present = false; }, {"-c1", "t.EEP"}, GOOD, 2, " not found !"},
        status_case{"WrongModel", [] { sm.ident[1] = 64; }, {"-c1", "t.EEP"}, GOOD, 2,
                    " (wrong ZEL ! UZ ZEL530-4)   not found !"},
        status_case{"NotEnoughEeprom", [] { sm.eepsize = 16384; }, {"-c1", "t.EEP"},
                    upfile("ZEL530-5", 20000), 2, needed(20000)},
        status_case{"WriteProtected", [] { sm.writeprotected = true; }, {"-c1", "t.EEP"}, GOOD, 2,
                    "\nError: Zel is write protected !"},
        status_case{"CtsTimeOut", [] { sm.ctshold[10 + 32 + 25 + 500] = 1000; }, {"-c1", "t.EEP"}, GOOD, 2,
                    "\nError: Timeout (CTS) !"},
        status_case{"ErrorReply", [] { sm.streamreply[700] = 'E'; }, {"-c1", "t.EEP"}, GOOD, 2,
                    "\nError: Cannot program EEPROM at filepos 700 !"},
        // the upload goes on and ends with the ready line, but the cell is wrong
        status_case{"PowerOnRateNotReadBack",
                    [] {
                        sm.ident[0] = 120, sm.ident[1] = 32, sm.ident[2] = 'V';
                        sm.readanswers = 4 + 2;
                        writefile("s.mac", "ZEL310-2\nBAUD 1200\n");
                    },
                    {"-c1", "-b115200", "s.mac"}, "", 2,
                    "\nprogram baudrate 1200: error !" + ready(3632, 61904)},
        status_case{"VerifyMismatch", [] { sm.badcell[1000] = 0; }, {"-c1", "--verify", "t.EEP"}, GOOD, 2,
                    CONNECT9600 + verifyfehler(1000, 0)},
        status_case{"VerifyNoReply", [] { sm.readanswers = 4 + 2 + 48 + 10; }, {"-c1", "--verify", "t.EEP"},
                    GOOD, 2, CONNECT9600 + "\nError: verify failed at address 74 (no reply) !"}),
    [](const ::testing::TestParamInfo<status_case> &i) { return std::string(i.param.name); });

// The read-back asks for at most 64 bytes at a time and never across a
// 64-byte boundary, from address 16 to the end of the image.
TEST_F(Upload, VerifyReadsPageByPage)
{
    t->verify = 1;
    std::string f = upfile("ZEL530-5", 5000);
    writefile("t.EEP", f);
    EXPECT_EQ(uploadeep(t.c()), 1);
    std::string soll;
    for (long a = 16; a < 5000; a += 64 - a % 64) {
        long n = std::min(64 - a % 64, 5000 - a);
        soll += bytes({0x1B, '&', 'E', (int)(a & 0xFF), (int)(a >> 8), (int)n, 0, 'R'});
    }
    EXPECT_EQ(streamed(), f + soll);
    EXPECT_EQ(t.out(), CONNECT9600 + "\nVerified: 4984 bytes" + ready(5000, 60536));
}

// The end of the stream: the port's queue drains, then the module has a
// window to answer for the last block before the ready line. At 115200
// bit/s the window of this file is 7 ticks and the wire time of its last
// block of 48 bytes with the trailer (71 bytes, 1 tick): 8 looks at the
// input, which the scripted clock, moving on at every reading, counts as
// 16 ticks.
struct ende_case {
    const char *name;
    int lateafter;                  // ticks after the trailer the 'E' comes, -1 none
    long outq;
    bool stuck;
    std::string tail;
};

static void PrintTo(const ende_case &k, std::ostream *os) { *os << k.name; }

class StreamEnd : public Upload, public ::testing::WithParamInterface<ende_case> {};

TEST_P(StreamEnd, WaitsForTheLastBlock)
{
    const ende_case &k = GetParam();
    sm.rate = 115200;
    if (k.lateafter >= 0) {
        sm.latereply = 'E';
        sm.lateafter = k.lateafter;
    }
    sm.outq = k.outq;
    sm.outqstuck = k.stuck;
    writefile("t.EEP", GOOD);
    EXPECT_EQ(uploadeep(t.c()), k.tail == ready(3632, 61904) ? 1 : 0);
    EXPECT_EQ(t.out(), CONNECT115200 + k.tail);
    EXPECT_TRUE(closed());
}

static const std::string AMENDE =
    "\nError: Cannot program EEPROM at filepos " + std::to_string(FILELEN) + " !";

INSTANTIATE_TEST_SUITE_P(
    Cases, StreamEnd,
    ::testing::Values(ende_case{"NoReply", -1, 0, false, ready(3632, 61904)},
                      ende_case{"ReplyAtOnce", 1, 0, false, AMENDE},
                      ende_case{"ReplyLateInTheWindow", 15, 0, false, AMENDE},
                      ende_case{"ReplyAfterTheWindow", 30, 0, false, ready(3632, 61904)},
                      // the window starts only once the queue is empty
                      ende_case{"ReplyWhileTheQueueDrains", 40, 100, false, AMENDE},
                      ende_case{"QueueThatNeverDrains", -1, 100, true, "\nError: Timeout (CTS) !"}),
    [](const ::testing::TestParamInfo<ende_case> &i) { return std::string(i.param.name); });

} // namespace
