// Uploads by the built zelcomp to the virtual module on a pseudo-terminal:
// the console text, and the module's EEPROM afterwards.
#include "test_upload.h"

#include "device/device.h"

#include <gtest/gtest.h>

#ifdef ZELSIM_BIN

static const char UEBERSICHT[] =
    "\nSuccess !"
    "\nEEPROM-Memory overview:"
    "\n     System:       3632 bytes"
    "\n   0 Fonts:           0 bytes"
    "\n   0 Pictures:        0 bytes"
    "\n   0 Makros:          0 bytes"
    "\n   0 Touchmakros:     0 bytes"
    "\n   0 Portmakros:      0 bytes"
    "\n ----------------------------"
    "\n 3632 bytes used\n";

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

static runresult zelcomp(const tempdir &d, const zelsimproc &s, const std::vector<std::string> &args)
{
    return runprog(d.path, ZELCOMP_BIN, args, "\n", {s.env()});
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
    zelsimproc s(d, {"-b", "115200", "-i", d / "vorher.bin"});
    runresult r = zelcomp(d, s, {"-o", "-c1", "src.mac"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, BANNER + std::string("\nOpen File <src.mac>"
                                          "\nWrite EEPROM Object-File src.EEO"
                                          "\nWrite EEPROM Upload File src.EEP") +
                         UEBERSICHT + verbunden("ZEL530-5", "", 240, 128, 64, 115200) +
                         programm("src.EEP", 115200) + fertig(3632, 61904));
    ASSERT_EQ(s.stop(), 0);
    std::string e = s.eeprom(), obj = readfile(d / "src.EEO");
    ASSERT_EQ(e.size(), 65536u);
    ASSERT_EQ(obj.size(), 3632u);
    EXPECT_TRUE(e.substr(16, 3616) == obj.substr(16));
    EXPECT_EQ(e[0], (char)~vorher[0]);
    EXPECT_TRUE(e.substr(1, 15) == vorher.substr(1, 15));
    EXPECT_TRUE(e.substr(3632) == vorher.substr(3632));
}

// A module found at its power-on rate of 9600 is switched to 115200 for
// the write test and the upload.
TEST(Upload, SwitchesToTheRateOfOptionB)
{
    tempdir d;
    std::string bild = muster(9000, 3);
    writefile(d / "x.EEP", eepfile(3, bild));
    zelsimproc s(d, {});
    runresult r = zelcomp(d, s, {"-c1", "-b115200", "x.EEP"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, BANNER + verbunden("ZEL530-5", "....", 240, 128, 64, 9600) +
                         programm("x.EEP", 115200) + fertig(9000, 56536));
    ASSERT_EQ(s.stop(), 0);
    std::string e = s.eeprom();
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
        zelsimproc s(d, {"-m", std::to_string(f.modell), "-b", "115200", "-i", d / "vorher.bin"});
        runresult r = zelcomp(d, s, {"-c1", "src.mac"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, BANNER + std::string("\nOpen File <src.mac>"
                                              "\nWrite EEPROM Upload File src.EEP") +
                             UEBERSICHT + verbunden(m.name, "", m.xdots, m.ydots, 64, 115200) +
                             programm("src.EEP", 115200) + f.ok + fertig(3632, 61904))
            << m.name;
        ASSERT_EQ(s.stop(), 0);
        std::string e = s.eeprom();
        ASSERT_EQ(e.size(), 65536u);
        EXPECT_EQ(e[1], *f.ok ? 4 : 2) << m.name;
        if (!*f.ok)
            continue;
        // after a power cycle the module listens at 19200
        zelsimproc neu(d, {"-m", std::to_string(f.modell), "-i", d / "eeprom.bin"});
        r = zelcomp(d, neu, {"-c1", "src.EEP"});
        EXPECT_EQ(r.out, BANNER + verbunden(m.name, "...", m.xdots, m.ydots, 64, 19200) +
                             programm("src.EEP", 19200) + fertig(3632, 61904));
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
        zelsimproc s(d, {"-s", "32", "-b", "115200"});
        runresult r = zelcomp(d, s, {"-c1", "x.EEP"});
        EXPECT_EQ(r.status, 0);
        std::string soll = BANNER + verbunden("ZEL530-5", "", 240, 128, 32, 115200);
        if (groesse == 32768)
            soll += programm("x.EEP", 115200) + fertig(32768, 0);
        else
            soll += "\nnot enough EEPROM Memory !  (32769 bytes are needed)";
        EXPECT_EQ(r.out, soll);
        ASSERT_EQ(s.stop(), 0);
        std::string e = s.eeprom();
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
    zelsimproc s(d, {"-w", "-b", "115200", "-v"});
    runresult r = zelcomp(d, s, {"-c1", "x.EEP"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, BANNER + verbunden("ZEL530-5", "", 240, 128, 64, 115200) +
                         programm("x.EEP", 115200) + "\nError: Zel is write protected !");
    ASSERT_EQ(s.stop(), 0);
    EXPECT_TRUE(s.eeprom() == std::string(65536, '\xFF'));
    EXPECT_EQ(s.log.find("EEPROM write 32 at 16"), std::string::npos) << s.log;
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
    zelsimproc s(d, {"-e", "1000", "-b", "115200"});
    runresult r = zelcomp(d, s, {"-c1", "x.EEP"});
    EXPECT_EQ(r.status, 0);
    std::string vorne = BANNER + verbunden("ZEL530-5", "", 240, 128, 64, 115200) +
                        programm("x.EEP", 115200) + "\nError: Cannot program EEPROM at filepos ";
    ASSERT_EQ(r.out.substr(0, vorne.size()), vorne);
    long n = atol(r.out.c_str() + vorne.size());
    EXPECT_GE(n, pos);
    EXPECT_LT(n, (long)datei.size());
    EXPECT_EQ(r.out, vorne + std::to_string(n) + " !");
    ASSERT_EQ(s.stop(), 0);
    std::string e = s.eeprom();
    ASSERT_EQ(e.size(), 65536u);
    EXPECT_TRUE(e.substr(16, 1000 - 16) == bild.substr(16, 1000 - 16));
    EXPECT_EQ(e[1000], '\xFF');
}

// A module of another model is named and refused.
TEST(Upload, WrongModel)
{
    tempdir d;
    writefile(d / "x.EEP", eepfile(3, muster(4000, 1)));
    zelsimproc s(d, {"-m", "ZEL530-4", "-b", "115200"});
    runresult r = zelcomp(d, s, {"-c1", "x.EEP"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(BANNER) +
                         "\nconnecting ZEL530-5 on COM1:  (wrong ZEL ! UZ ZEL530-4)   not found !");
    ASSERT_EQ(s.stop(), 0);
    EXPECT_TRUE(s.eeprom() == std::string(65536, '\xFF'));
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
    std::string gross = gut, kurz = gut.substr(0, 24), falsch = gut;
    for (int i = 1; i <= 7; i++)
        gross[i] = (char)toupper(gross[i]);
    falsch[7] = 'n';
    const kopffall faelle[] = {
        {"PROGRAM in capitals", gross, ""},
        {"24 bytes", kurz, "\n x.EEP is not a valid EEPROM-File for a ZEL !"},
        {"programn", falsch, "\n x.EEP is not a valid EEPROM-File for a ZEL !"},
        {"empty", "", "\n x.EEP is not a valid EEPROM-File for a ZEL !"},
    };
    for (const kopffall &f : faelle) {
        tempdir d;
        writefile(d / "x.EEP", f.inhalt);
        zelsimproc s(d, {"-b", "115200", "-v"});
        runresult r = zelcomp(d, s, {"-c1", "x.EEP"});
        EXPECT_EQ(r.status, 0);
        if (f.meldung.empty()) {
            EXPECT_EQ(r.out, BANNER + verbunden("ZEL530-5", "", 240, 128, 64, 115200) +
                                 programm("x.EEP", 115200) + fertig(3700, 61836))
                << f.name;
        } else {
            EXPECT_EQ(r.out, BANNER + f.meldung) << f.name;
            ASSERT_EQ(s.stop(), 0);
            EXPECT_EQ(s.log, "") << f.name;
        }
    }
}

#endif
