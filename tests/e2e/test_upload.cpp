// Uploads by the built zelcomp to the virtual module on a pseudo-terminal:
// the console text, and the module's EEPROM afterwards.
#include "test_upload.h"

#include "device/device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#ifdef ZELSIM_BIN


// Bytes that differ from cell to cell and from an erased EEPROM.
static std::string muster(size_t n, unsigned x)
{
    std::string s(n, 0);
    for (size_t i = 0; i < n; i++) {
        x = x * 1103515245 + 12345;
        s[i] = (char)(x >> 16);
    }
    return s;
}

// One upload: zelcomp run in d against a fresh virtual module.
struct lauf {
    runresult r;
    int simstatus;             // the module's exit status
    std::string eeprom;        // the module's EEPROM afterwards
    std::string log;
};

static lauf einmal(const tempdir &d, const std::vector<std::string> &sim,
                   const std::vector<std::string> &args)
{
    zelsimproc s(d, sim);
    lauf l;
    l.r = runprog(d.path, ZELCOMP_BIN, args, "\n", {s.env()});
    l.simstatus = s.stop();
    l.eeprom = s.eeprom();
    l.log = s.log;
    return l;
}

// The host waits only 40 to 50 ms for each reply of the module. On a busy
// machine the pseudo-terminal now and then takes longer to carry a command
// and its reply, and the host then rightly reports a missing module. So a
// run whose console text is not the one expected is repeated, up to three
// runs in all; a fault fails every one of them.
static lauf hochladen(const tempdir &d, const std::vector<std::string> &sim,
                      const std::vector<std::string> &args,
                      const std::function<bool(const std::string &)> &gut)
{
    lauf l;
    for (int i = 0; i < 3; i++) {
        l = einmal(d, sim, args);
        if (gut(l.r.out))
            break;
    }
    return l;
}

static lauf hochladen(const tempdir &d, const std::vector<std::string> &sim,
                      const std::vector<std::string> &args, const std::string &soll)
{
    return hochladen(d, sim, args, [&](const std::string &out) { return out == soll; });
}

static std::string verbunden(const char *modell, const std::string &punkte, int x, int y,
                             int kb, long rate)
{
    return std::string("\nconnecting ") + modell + " on COM1: " + punkte + std::to_string(x) +
           "x" + std::to_string(y) + " dots, " + std::to_string(kb) + "kB EEPROM, " +
           std::to_string(rate) + " baud";
}

static std::string programm(const std::string &datei, long rate)
{
    return "\nprogram file <" + datei + "> with " + std::to_string(rate) + " baud";
}

static std::string fertig(long groesse, long frei)
{
    return "\nReady: Zel is programed,  " + std::to_string(groesse) + " bytes used, " +
           std::to_string(frei) + " bytes free";
}

// A compiled source goes up in full: the module's EEPROM then holds the
// object file from address 16 on, whatever was there before; above the
// image nothing changed, and cell 0 holds the complement the write test
// left in it.
TEST(Upload, CompiledImageEqualsTheObjectFile)
{
    tempdir d;
    std::string vorher = muster(65536, 7);
    writefile(d / "vorher.bin", vorher);
    writefile(d / "src.mac", "ZEL530-5\nWIDTH = 240\n");
    std::string soll = BANNER + std::string("\nOpen File <src.mac>"
                                            "\nWrite EEPROM Object-File src.EEO"
                                            "\nWrite EEPROM Upload File src.EEP") +
                       OVERVIEW_EMPTY + verbunden("ZEL530-5", "", 240, 128, 64, 115200) +
                       programm("src.EEP", 115200) + fertig(3632, 61904);
    lauf l = hochladen(d, {"-b", "115200", "-i", d / "vorher.bin"}, {"-o", "-c1", "src.mac"}, soll);
    EXPECT_EQ(l.r.status, 0);
    EXPECT_EQ(l.r.out, soll);
    ASSERT_EQ(l.simstatus, 0);
    std::string e = l.eeprom, obj = readfile(d / "src.EEO");
    ASSERT_EQ(e.size(), 65536u);
    ASSERT_EQ(obj.size(), 3632u);
    EXPECT_TRUE(e.substr(16, 3616) == obj.substr(16));
    EXPECT_EQ(e[0], (char)~vorher[0]);
    EXPECT_TRUE(e.substr(1, 15) == vorher.substr(1, 15));
    EXPECT_TRUE(e.substr(3632) == vorher.substr(3632));
}

// The bundled example, compiled and uploaded in one run, as the README
// shows it: the console text is that of the compile followed by the upload.
TEST(Upload, ExampleCompilesAndUploads)
{
    tempdir d, nur;
    for (const char *f : {"demo.mac", "demo.inc", "logo.bmp", "arrow.blh"}) {
        std::string b = readfile(std::string(ZEL_TESTDATA) + "/../../examples/" + f);
        ASSERT_FALSE(b.empty()) << f;
        writefile(d / f, b);
        writefile(nur / f, b);
    }
    runresult c = runzel(nur.path, {"-o", "demo.mac"});
    ASSERT_EQ(c.status, 0) << c.out;
    long t = readfile(nur / "demo.EEO").size();
    std::string soll = c.out + verbunden("ZEL530-5", "....", 240, 128, 64, 9600) +
                       programm("demo.EEP", 115200) + fertig(t, 65536 - t);
    lauf l = hochladen(d, {}, {"-o", "-c1", "-b115200", "demo.mac"}, soll);
    EXPECT_EQ(l.r.status, 0);
    EXPECT_EQ(l.r.out, soll);
    ASSERT_EQ(l.simstatus, 0);
    EXPECT_EQ(readfile(d / "demo.EEO"), readfile(nur / "demo.EEO"));
    ASSERT_EQ(l.eeprom.size(), 65536u);
    EXPECT_TRUE(l.eeprom.substr(16, t - 16) == readfile(d / "demo.EEO").substr(16));
}

// A module found at its power-on rate of 9600 is switched to 115200 for
// the write test and the upload.
TEST(Upload, SwitchesToTheRateOfOptionB)
{
    tempdir d;
    std::string bild = muster(9000, 3);
    writefile(d / "x.EEP", eepfile(3, bild));
    std::string soll = BANNER + verbunden("ZEL530-5", "....", 240, 128, 64, 9600) +
                       programm("x.EEP", 115200) + fertig(9000, 56536);
    lauf l = hochladen(d, {}, {"-c1", "-b115200", "x.EEP"}, soll);
    EXPECT_EQ(l.r.status, 0);
    EXPECT_EQ(l.r.out, soll);
    ASSERT_EQ(l.simstatus, 0);
    std::string e = l.eeprom;
    ASSERT_EQ(e.size(), 65536u);
    EXPECT_TRUE(e.substr(16, 9000 - 16) == bild.substr(16));
}

struct baudfall {
    int modell;
    const char *ok;            // the power-on rate line, empty when none
};

// BAUD stores the power-on rate in cell 1 of models 0 and 1, and the
// module then starts at it; the other models are left alone.
TEST(Upload, PowerOnRateCellOnlyOnModelsZeroAndOne)
{
    const baudfall faelle[] = {
        {0, "\nprogram baudrate 19200: Ok !"},
        {1, "\nprogram baudrate 19200: Ok !"},
        {2, ""},
        {3, ""},
        {4, ""},
    };
    for (const baudfall &f : faelle) {
        const zelmodel &m = zel[f.modell];
        tempdir d;
        std::string vorher = muster(65536, 11);
        vorher[1] = 2;
        writefile(d / "vorher.bin", vorher);
        writefile(d / "src.mac", std::string(m.name) + "\nBAUD 19200\n");
        std::string modell = std::to_string(f.modell);
        std::string soll = BANNER + std::string("\nOpen File <src.mac>"
                                                "\nWrite EEPROM Upload File src.EEP") +
                           OVERVIEW_EMPTY + verbunden(m.name, "", m.xdots, m.ydots, 64, 115200) +
                           programm("src.EEP", 115200) + f.ok + fertig(3632, 61904);
        lauf l = hochladen(d, {"-m", modell, "-b", "115200", "-i", d / "vorher.bin"},
                           {"-c1", "src.mac"}, soll);
        EXPECT_EQ(l.r.status, 0);
        EXPECT_EQ(l.r.out, soll) << m.name;
        ASSERT_EQ(l.simstatus, 0);
        ASSERT_EQ(l.eeprom.size(), 65536u);
        EXPECT_EQ(l.eeprom[1], *f.ok ? 4 : 2) << m.name;
        if (!*f.ok)
            continue;
        // after a power cycle the module listens at 19200
        writefile(d / "nachher.bin", l.eeprom);
        soll = BANNER + verbunden(m.name, "...", m.xdots, m.ydots, 64, 19200) +
               programm("src.EEP", 19200) + fertig(3632, 61904);
        l = hochladen(d, {"-m", modell, "-i", d / "nachher.bin"}, {"-c1", "src.EEP"}, soll);
        EXPECT_EQ(l.r.out, soll) << m.name;
    }
}

// An image of exactly the module's 32 KB fits and leaves nothing free;
// one byte more is refused before anything is written.
TEST(Upload, ThirtyTwoKilobyteLimit)
{
    for (long groesse : {32768L, 32769L}) {
        tempdir d;
        std::string bild = muster(groesse, 5);
        writefile(d / "x.EEP", eepfile(3, bild));
        std::string soll = BANNER + verbunden("ZEL530-5", "", 240, 128, 32, 115200);
        if (groesse == 32768)
            soll += programm("x.EEP", 115200) + fertig(32768, 0);
        else
            soll += "\nnot enough EEPROM Memory !  (32769 bytes are needed)";
        lauf l = hochladen(d, {"-s", "32", "-b", "115200"}, {"-c1", "x.EEP"}, soll);
        EXPECT_EQ(l.r.status, groesse == 32768 ? 0 : 2);
        EXPECT_EQ(l.r.out, soll);
        ASSERT_EQ(l.simstatus, 0);
        std::string e = l.eeprom;
        ASSERT_EQ(e.size(), 32768u);
        if (groesse == 32768)
            EXPECT_TRUE(e.substr(16) == bild.substr(16, 32768 - 16));
        else
            EXPECT_TRUE(e == std::string(32768, '\xFF'));
    }
}

// A write-protected module fails the write test; nothing is streamed.
TEST(Upload, WriteProtectedModule)
{
    tempdir d;
    writefile(d / "x.EEP", eepfile(3, muster(5000, 9)));
    std::string soll = BANNER + verbunden("ZEL530-5", "", 240, 128, 64, 115200) +
                       programm("x.EEP", 115200) + "\nError: Zel is write protected !";
    lauf l = hochladen(d, {"-w", "-b", "115200", "-v"}, {"-c1", "x.EEP"}, soll);
    EXPECT_EQ(l.r.status, 2);
    EXPECT_EQ(l.r.out, soll);
    ASSERT_EQ(l.simstatus, 0);
    EXPECT_TRUE(l.eeprom == std::string(65536, '\xFF'));
    EXPECT_NE(l.log.find("EEPROM write 1 at 0"), std::string::npos) << l.log;
    EXPECT_EQ(l.log.find("EEPROM write 32 at 16"), std::string::npos) << l.log;
}

// A module that hangs in the middle of the upload holds CTS for good: the
// stream ends with the CTS time-out, status 2 and no ready line, and the
// module keeps what came before the hang.
TEST(Upload, ModuleThatHangsEndsWithTheCtsTimeOut)
{
    tempdir d;
    std::string bild = muster(8192, 7);
    writefile(d / "x.EEP", eepfile(3, bild));
    std::string soll = BANNER + verbunden("ZEL530-5", "", 240, 128, 64, 115200) +
                       programm("x.EEP", 115200) + "\nError: Timeout (CTS) !";
    lauf l = hochladen(d, {"-b", "115200", "--stuck-at", "2000"}, {"-c1", "x.EEP"}, soll);
    EXPECT_EQ(l.r.status, 2);
    EXPECT_EQ(l.r.out, soll);
    ASSERT_EQ(l.simstatus, 0);
    ASSERT_EQ(l.eeprom.size(), 65536u);
    EXPECT_TRUE(l.eeprom.substr(16, 1024) == bild.substr(16, 1024));
}

// The module's error reply stops the stream. How many bytes follow the
// failing one before the reply is seen depends on the two processes'
// timing; the message names a file position behind that byte.
TEST(Upload, ErrorReplyStopsTheStream)
{
    tempdir d;
    std::string bild = muster(32768, 13);
    std::string datei = eepfile(3, bild);
    writefile(d / "x.EEP", datei);
    // the failing byte: address 1000 lies in the block that starts at 960
    size_t block = datei.find(bytes({27, '&', 'E', 960 & 255, 960 >> 8}));
    ASSERT_NE(block, std::string::npos);
    long pos = block + 8 + 40 + 1;
    std::string vorne = BANNER + verbunden("ZEL530-5", "", 240, 128, 64, 115200) +
                        programm("x.EEP", 115200) + "\nError: Cannot program EEPROM at filepos ";
    lauf l = hochladen(d, {"-e", "1000", "-b", "115200"}, {"-c1", "x.EEP"},
                       [&](const std::string &out) { return out.rfind(vorne, 0) == 0; });
    EXPECT_EQ(l.r.status, 2);
    ASSERT_EQ(l.r.out.substr(0, vorne.size()), vorne);
    long n = atol(l.r.out.c_str() + vorne.size());
    EXPECT_GE(n, pos);
    EXPECT_LT(n, (long)datei.size());
    EXPECT_EQ(l.r.out, vorne + std::to_string(n) + " !");
    ASSERT_EQ(l.simstatus, 0);
    std::string e = l.eeprom;
    ASSERT_EQ(e.size(), 65536u);
    EXPECT_TRUE(e.substr(16, 1000 - 16) == bild.substr(16, 1000 - 16));
    EXPECT_EQ(e[1000], '\xFF');
}

// A module of another model is named and refused.
TEST(Upload, WrongModel)
{
    tempdir d;
    writefile(d / "x.EEP", eepfile(3, muster(4000, 1)));
    std::string soll = std::string(BANNER) +
                       "\nconnecting ZEL530-5 on COM1:  (wrong ZEL ! UZ ZEL530-4)   not found !";
    lauf l = hochladen(d, {"-m", "ZEL530-4", "-b", "115200"}, {"-c1", "x.EEP"}, soll);
    EXPECT_EQ(l.r.status, 2);
    EXPECT_EQ(l.r.out, soll);
    ASSERT_EQ(l.simstatus, 0);
    EXPECT_TRUE(l.eeprom == std::string(65536, '\xFF'));
}

struct kopffall {
    const char *name;
    std::string inhalt;
    std::string meldung;       // empty: the file is uploaded
};

// The header is checked before the line is touched: the module hears
// nothing of a file that is refused.
TEST(Upload, UploadFileHeader)
{
    std::string gut = eepfile(3, muster(3700, 2));
    std::string gross = gut, kurz = gut.substr(0, 24), falsch = gut, fremd = gut, fast = gut;
    for (int i = 1; i <= 7; i++)
        gross[i] = (char)toupper(gross[i]);
    falsch[7] = 'n';
    fremd.replace(9, 8, "ABCDEFGH");
    fast.replace(9, 8, "ZEL310-3");
    const kopffall faelle[] = {
        {"PROGRAM in capitals", gross, ""},
        {"24 bytes", kurz, "\n x.EEP is not a valid EEPROM-File for a ZEL !"},
        {"programn", falsch, "\n x.EEP is not a valid EEPROM-File for a ZEL !"},
        {"empty", "", "\n x.EEP is not a valid EEPROM-File for a ZEL !"},
        // a header that names no model is damaged: no module is right for it
        {"no model", fremd, "\n x.EEP is not a valid EEPROM-File for a ZEL !"},
        {"ZEL310-3", fast, "\n x.EEP is not a valid EEPROM-File for a ZEL !"},
    };
    for (const kopffall &f : faelle) {
        tempdir d;
        writefile(d / "x.EEP", f.inhalt);
        std::string soll = BANNER + (f.meldung.empty()
                                         ? verbunden("ZEL530-5", "", 240, 128, 64, 115200) +
                                               programm("x.EEP", 115200) + fertig(3700, 61836)
                                         : f.meldung);
        lauf l = hochladen(d, {"-b", "115200", "-v"}, {"-c1", "x.EEP"}, soll);
        EXPECT_EQ(l.r.status, f.meldung.empty() ? 0 : 2);
        EXPECT_EQ(l.r.out, soll) << f.name;
        ASSERT_EQ(l.simstatus, 0);
        if (!f.meldung.empty()) {
            EXPECT_EQ(l.log, "") << f.name;
        }
    }
}

struct vertrauensfall {
    const char *name;
    std::vector<std::string> sim;
    std::vector<std::string> args;     // x.EEP is named last
    std::string datei;                 // the upload file
    std::string soll;                  // the console text after the banner
    int status;
    bool gehoert;                      // the module heard the host at all
};

// Uploads the user can trust: a slow module found with its real size, the
// read-back catching a cell that stores a wrong byte, damaged files
// refused before the line is touched, and the exit status of each.
TEST(Upload, TrustworthyOutcomes)
{
    std::string bild = muster(5000, 4);
    std::string gut = eepfile(3, bild);
    char falsch[80];
    snprintf(falsch, sizeof falsch, "\nError: verify failed at address 1000 (wrote 0x%02X, read 0x%02X) !",
             (unsigned char)bild[1000], (unsigned char)~bild[1000]);
    const std::string ungueltig = "\n x.EEP is not a valid EEPROM-File for a ZEL !";
    const vertrauensfall faelle[] = {
        // 8 bytes of a read take 67 ms at 1200 bit/s, longer than the bare
        // reply wait; the module's replies come at the wire speed too
        {"1200", {"-p", "-b", "1200"}, {"-c1", "-b115200"}, gut,
         verbunden("ZEL530-5", ".......", 240, 128, 64, 1200) + programm("x.EEP", 115200) +
             fertig(5000, 60536),
         0, true},
        {"verified", {"-b", "115200"}, {"-c1", "--verify"}, gut,
         verbunden("ZEL530-5", "", 240, 128, 64, 115200) + programm("x.EEP", 115200) +
             "\nVerified: 4984 bytes" + fertig(5000, 60536),
         0, true},
        {"bad cell", {"-b", "115200", "-k", "1000"}, {"-c1", "--verify"}, gut,
         verbunden("ZEL530-5", "", 240, 128, 64, 115200) + programm("x.EEP", 115200) + falsch, 2,
         true},
        // the module answers for the image's last byte 4 ms after it came, at
        // 2400 bit/s, when the host has long written the trailer
        {"late error", {"-r", "-b", "2400", "-e", "4999"}, {"-c1"}, gut,
         verbunden("ZEL530-5", "......", 240, 128, 64, 2400) + programm("x.EEP", 2400) +
             "\nError: Cannot program EEPROM at filepos " + std::to_string(gut.size()) + " !",
         2, true},
        {"truncated", {"-b", "115200"}, {"-c1"}, gut.substr(0, 1000), ungueltig, 2, false},
        {"padded", {"-b", "115200"}, {"-c1"}, gut + "\x0c", ungueltig, 2, false},
    };
    for (const vertrauensfall &f : faelle) {
        tempdir d;
        writefile(d / "x.EEP", f.datei);
        std::vector<std::string> sim = f.sim, args = f.args;
        sim.push_back("-v");
        args.push_back("x.EEP");
        std::string soll = BANNER + f.soll;
        lauf l = hochladen(d, sim, args, soll);
        EXPECT_EQ(l.r.out, soll) << f.name;
        EXPECT_EQ(l.r.status, f.status) << f.name;
        EXPECT_EQ(!l.log.empty(), f.gehoert) << f.name << l.log;
    }
}

// A port that cannot be opened is an upload failure too, and the line
// after the message says which device and why; an empty variable is no
// device at all, not the default port.
TEST(Upload, PortThatCannotBeOpened)
{
    tempdir d;
    writefile(d / "x.EEP", eepfile(3, muster(4000, 1)));
    const std::pair<std::string, std::string> faelle[] = {
        {d / "none", d / "none" + ": No such file or directory"},
        {"", "ZEL_COM1: is empty, it names no device"},
    };
    for (const auto &f : faelle) {
        runresult r = runprog(d.path, ZELCOMP_BIN, {"-c1", "x.EEP"}, "", {"ZEL_COM1=" + f.first});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, BANNER + std::string("\nError: cannot open COM1: !\n") + f.second);
    }
}

#endif
