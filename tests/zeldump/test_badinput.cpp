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

// Records that no FONT or PICTURE line can make: each is named with its
// table entry and ends the run with status 1 in every mode, before anything
// is drawn or written.
struct grenzfall {
    const char *name;
    int tabelle;            // table cell of the entry: 16 font 1, 48 + 2n picture n
    std::string record;     // at 0x0E30
    const char *meldung;    // the whole line
};

static void PrintTo(const grenzfall &f, std::ostream *os) { *os << f.name; }

static const grenzfall grenzen[] = {
    {"FontCell255", 16, bytes({'F', 'H', 65, 65, 255, 255, 0, 0}),
     "zeldump: Font 1 at 0x0E30 has a cell of 255x255 dots; a font has at most 16x16\n"},
    {"FontCell17Wide", 16, bytes({'F', 'H', 65, 65, 17, 8, 3, 24}) + std::string(24, '\0'),
     "zeldump: Font 1 at 0x0E30 has a cell of 17x8 dots; a font has at most 16x16\n"},
    {"FontGlyphOfNoBytes", 16, bytes({'F', 'H', 65, 65, 8, 8, 1, 0}),
     "zeldump: Font 1 at 0x0E30 has 0 bytes a glyph and 1 a row, which do not hold its 8x8 "
     "cell\n"},
    {"FontRowTooShort", 16, bytes({'F', 'H', 65, 65, 16, 8, 1, 16}) + std::string(16, '\0'),
     "zeldump: Font 1 at 0x0E30 has 16 bytes a glyph and 1 a row, which do not hold its 16x8 "
     "cell\n"},
    {"FontVerticalBands", 16, bytes({'F', 'V', 65, 65, 8, 16, 1, 8}) + std::string(8, '\0'),
     "zeldump: Font 1 at 0x0E30 has 8 bytes a glyph and 1 a row, which do not hold its 8x16 "
     "cell\n"},
    {"FontLayout", 16, bytes({'F', 'X', 65, 65, 8, 8, 1, 8}) + std::string(8, '\0'),
     "zeldump: Font 1 at 0x0E30 has the layout 0x58; fonts are stored as V, H or h\n"},
    {"PictureWiderThanTheModel", 48 + 2 * 7, bytes({241, 1}) + std::string(31, '\0'),
     "zeldump: Picture 7 at 0x0E30 has 241x1 dots; the ZEL530-5 shows at most 240x128\n"},
    {"PictureHigherThanTheModel", 48 + 2 * 7, bytes({8, 129}) + std::string(129, '\0'),
     "zeldump: Picture 7 at 0x0E30 has 8x129 dots; the ZEL530-5 shows at most 240x128\n"},
};

class Limits : public ::testing::TestWithParam<grenzfall> {};

TEST_P(Limits, RecordIsReportedInEveryMode)
{
    const grenzfall &f = GetParam();
    tempdir d;
    std::string bild = mit(leer(3632), f.tabelle, bytes({0x30, 0x0E})) + f.record;
    writefile(d / "x.EEO", bild);
    const std::vector<std::string> modi[] = {
        {"x.EEO"},
        {"-l", "x.EEO"},
        {"-s", "out", "x.EEO"},
        {"-p", "out", "--scale", "1", "x.EEO"},
        {"-p", "out", "--scale", "64", "x.EEO"},
        {"-e", "out.EEP", "x.EEO"},
    };
    for (const std::vector<std::string> &m : modi) {
        runresult r = runprog(d.path, ZELDUMP_BIN, m);
        EXPECT_EQ(r.status, 1) << m[0];
        EXPECT_EQ(r.err, std::string(f.meldung) +
                             "zeldump: the tables hold 1 bad entries; nothing more is done\n")
            << m[0];
        EXPECT_FALSE(fileexists(d / "out")) << m[0];
        EXPECT_FALSE(fileexists(d / "out.EEP")) << m[0];
        EXPECT_EQ(readfile(d / "x.EEO"), bild);
    }
}

INSTANTIATE_TEST_SUITE_P(Records, Limits, ::testing::ValuesIn(grenzen),
                         [](const ::testing::TestParamInfo<grenzfall> &i) {
                             return std::string(i.param.name);
                         });

// The largest records the directives make pass: a 16 x 16 font, a picture
// as large as the model.
TEST(Limits, LargestRecordsPass)
{
    tempdir d;
    std::string font = bytes({'F', 'H', 65, 65, 16, 16, 2, 32}) + std::string(32, '\x55');
    std::string bild = bytes({240, 128}) + std::string(30 * 128, '\0');
    std::string eeo = mit(mit(leer(3632), 16, bytes({0x30, 0x0E})), 48, bytes({0x58, 0x0E}));
    writefile(d / "x.EEO", eeo + font + bild);
    runresult r = runprog(d.path, ZELDUMP_BIN, {"-p", "out", "--scale", "1", "x.EEO"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(fileexists(d / "out/font1.png"));
    EXPECT_TRUE(fileexists(d / "out/picture0.png"));
}
