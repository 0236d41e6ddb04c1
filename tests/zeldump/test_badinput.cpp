// Bad files and bad command lines: a clear message and the exit status,
// never a crash or a table entry followed past the image.
#include "dumputil.h"

#include <gtest/gtest.h>

// An object file of n bytes: empty tables, data bytes 0.
static std::string leer(size_t n)
{
    std::string s(3632, '\xFF');
    s.resize(n, '\0');
    return s;
}

static std::string mit(std::string s, size_t at, const std::string &b)
{
    s.replace(at, b.size(), b);
    return s;
}

struct schlecht {
    const char *name;
    const char *datei;      // written into the directory; "" for none
    std::string inhalt;
    std::vector<std::string> args;
    int status;
    const char *meldung;    // part of the output
};

static const std::string FONT1 = bytes({0x30, 0x0E});        // font 1 at 0x0E30

static void PrintTo(const schlecht &f, std::ostream *os) { *os << f.name; }

static const schlecht faelle[] = {
    {"NoFile", "", "", {"x.EEO"}, 1, "cannot open x.EEO"},
    {"Directory", "", "", {"."}, 1, "cannot open ."},
    {"EmptyObjectFile", "x.EEO", "", {"x.EEO"}, 1, "x.EEO is no object file"},
    {"ShortObjectFile", "x.EEO", leer(3631), {"x.EEO"}, 1, "x.EEO is no object file"},
    {"LongObjectFile", "x.EEO", leer(65537), {"x.EEO"}, 1, "x.EEO is no object file"},
    {"FontOutside", "x.EEO", mit(leer(4000), 16, bytes({0x00, 0xF0})), {"x.EEO"}, 1,
     "Font 1 at 0xF000 points outside the image"},
    {"PictureInTables", "x.EEO", mit(leer(4000), 48 + 2 * 9, bytes({0x00, 0x01})), {"x.EEO"}, 1,
     "Picture 9 at 0x0100 points outside the image"},
    {"MacroPastEnd", "x.EEO", mit(leer(4000), 560 + 4 * 3, bytes({0x30, 0x0E, 0x00, 0x20})),
     {"x.EEO"}, 1, "Makro 3 at 0x0E30 reaches past the end of the image"},
    {"EmptyMacro", "x.EEO", mit(leer(4000), 560 + 4 * 256, bytes({0x30, 0x0E, 0, 0})), {"x.EEO"},
     1, "Touchmakro 0 at 0x0E30 is empty"},
    {"Overlap", "x.EEO",
     mit(mit(leer(4000), 560, bytes({0x30, 0x0E, 10, 0})), 560 + 4 * 512,
         bytes({0x38, 0x0E, 10, 0})),
     {"x.EEO"}, 1, "Portmakro 0 at 0x0E38 overlaps Makro 0 at 0x0E30"},
    {"NoFontRecord", "x.EEO", mit(leer(4000), 16, FONT1), {"x.EEO"}, 1,
     "Font 1 at 0x0E30 holds no font record"},
    {"FontCodesBackwards", "x.EEO",
     mit(mit(leer(4000), 16, FONT1), 3632, bytes({'F', 'H', 66, 65, 8, 8, 1, 8})), {"x.EEO"}, 1,
     "Font 1 at 0x0E30 holds no font record"},
    {"FontRecordTooLong", "x.EEO",
     mit(mit(leer(4000), 16, FONT1), 3632, bytes({'F', 'H', 0, 255, 16, 16, 2, 32})), {"x.EEO"},
     1, "Font 1 at 0x0E30 reaches past the end of the image"},
    {"RandomUploadFile", "x.EEP", "\x0cprogram ZEL530-5 garbage", {"x.EEP"}, 1,
     "x.EEP is not a valid EEPROM-File for a ZEL"},
    {"NoArguments", "", "", {}, 64, "give one file or one port"},
    {"FileAndPort", "", "", {"-c1", "x.EEO"}, 64, "give one file or one port"},
    {"UnknownModel", "", "", {"-m", "ZEL999-9", "x.EEO"}, 64, "unknown model ZEL999-9"},
    {"ScaleZero", "", "", {"--scale", "0", "x.EEO"}, 64, "scale must be 1 to 64"},
    {"BackupWithoutPort", "", "", {"-w", "b.EEO", "x.EEO"}, 64, "-w and -b read a module"},
    {"WrongPort", "", "", {"-c7"}, 64, "Comport is not supported: 7"},
};

class BadInput : public ::testing::TestWithParam<schlecht> {};

TEST_P(BadInput, IsReportedWithItsStatus)
{
    const schlecht &f = GetParam();
    tempdir d;
    if (*f.datei)
        writefile(d / f.datei, f.inhalt);
    runresult r = rundump(d.path, f.args);
    EXPECT_EQ(r.status, f.status) << r.out;
    EXPECT_NE(r.out.find(f.meldung), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Files, BadInput, ::testing::ValuesIn(faelle),
                         [](const ::testing::TestParamInfo<schlecht> &i) {
                             return std::string(i.param.name);
                         });

// The upload file of a compile, cut or with a model no table row has.
TEST(BadInput, DamagedUploadFiles)
{
    tempdir d;
    writefile(d / "x.mac", "MAKRO 1\n#DL\n");
    ASSERT_EQ(runzel(d.path, {"x.mac"}).status, 0);
    std::string eep = readfile(d / "x.EEP");
    for (size_t n : {eep.size() - 1, eep.size() - 11, (size_t)44, (size_t)60}) {
        writefile(d / "y.EEP", eep.substr(0, n));
        runresult r = rundump(d.path, {"y.EEP"});
        EXPECT_EQ(r.status, 1) << n;
        EXPECT_NE(r.out.find("y.EEP is not a valid EEPROM-File for a ZEL"), std::string::npos) << n;
    }
    writefile(d / "y.EEP", mit(eep, 9, "ZEL999-9"));
    runresult r = rundump(d.path, {"y.EEP"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("y.EEP names no known model"), std::string::npos) << r.out;
    writefile(d / "y.EEP", eep + "x");
    EXPECT_EQ(rundump(d.path, {"y.EEP"}).status, 1);
}

// What no source can say is named with its addresses; the rest is written.
TEST(BadInput, SourceOfWhatNoCompilerMakes)
{
    tempdir d;
    std::string bild = mit(leer(3632 + 12), 3632 + 3, bytes({27, 'D', 'L', 8, 1, 0xAA}));
    bild = mit(bild, 560, bytes({0x30, 0x0E, 3, 0}));               // macro 0: three bytes, no ESC
    bild = mit(bild, 560 + 4, bytes({0x33, 0x0E, 3, 0}));           // macro 1: #DL
    bild = mit(bild, 48 + 2 * 5, bytes({0x36, 0x0E}));               // picture 5: 8x1
    bild = mit(bild, 560 + 4 * 300, bytes({0x00, 0x10, 0xFF, 0xFF})); // free, but an address
    writefile(d / "x.EEO", bild);
    runresult r = rundump(d.path, {"-s", "out", "x.EEO"});
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("macro at 0x0E30..0x0E32: its bytes are no sequence of commands"),
              std::string::npos) << r.out;
    EXPECT_NE(r.out.find("macro table entry at 0x06E0..0x06E3: free but holds an address"),
              std::string::npos) << r.out;
    EXPECT_NE(r.out.find("bytes 0x0E39..0x0E3B: after the last record; the source does not give them back"), std::string::npos)
        << r.out;
    EXPECT_EQ(readfile(d / "out/x.mac"),
              "; rebuilds the image byte for byte: zelcomp -o x.mac\nZEL530-5\n"
              "MAKRO 1\n#DL\nPICTURE 5 <p5.blh>\n");
    EXPECT_EQ(readfile(d / "out/p5.blh"), bytes({8, 1, 0xAA}));
}
