// zelfont run as a program: a BDF font written here converts to the exact
// FNT expected, DejaVu Sans Mono from Debian gives cells of its sizes and
// the glyphs of code page 437, and bad input gets a message, no file.
#include "testutil.h"
#include "font/fntbau.h"
#include "font/font.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Runs zelfont in dir; out holds what it wrote on both streams.
runresult zelfont(const std::string &dir, std::vector<std::string> args)
{
    args.insert(args.begin(), {"-c", "exec \"$0\" \"$@\" 2>&1", ZELFONT_BIN});
    return runprog(dir, "/bin/sh", args);
}

// An FNT of 256 glyphs of a w x h cell; glyphen draws some, '#' for a dot.
std::string fnt(int w, int h, const std::map<int, std::vector<std::string>> &glyphen)
{
    int bpr = fntzeile(w), stride = h * bpr;
    std::string s = fntdatei(w, h, stride);
    for (const auto &g : glyphen)
        for (int y = 0; y < (int)g.second.size(); y++)
            for (int x = 0; x < (int)g.second[y].size(); x++)
                if (g.second[y][x] == '#')
                    fntsetze((unsigned char *)&s[8 + g.first * stride], bpr, x, y);
    return s;
}

// A BDF font of ascent 7 and descent 2 with Unicode codes; each glyph is
// code point, advance, bounding box (w h x y) and its rows in hex.
std::string bdf(const std::vector<std::string> &glyphen, int oben = 7, int unten = 2)
{
    std::string s = "STARTFONT 2.1\n"
                    "FONT -zel-test-medium-r-normal--9-90-75-75-c-50-iso10646-1\n"
                    "SIZE 9 75 75\n"
                    "FONTBOUNDINGBOX 8 12 0 -3\n"
                    "STARTPROPERTIES 5\n"
                    "PIXEL_SIZE 9\n"
                    "FONT_ASCENT " + std::to_string(oben) + "\n"
                    "FONT_DESCENT " + std::to_string(unten) + "\n"
                    "CHARSET_REGISTRY \"ISO10646\"\n"
                    "CHARSET_ENCODING \"1\"\n"
                    "ENDPROPERTIES\n"
                    "CHARS " + std::to_string(glyphen.size()) + "\n";
    for (const std::string &g : glyphen)
        s += g;
    return s + "ENDFONT\n";
}

std::string glyph(int u, int adv, const char *bbx, const std::string &zeilen)
{
    return "STARTCHAR u" + std::to_string(u) + "\nENCODING " + std::to_string(u) +
           "\nSWIDTH 500 0\nDWIDTH " + std::to_string(adv) + " 0\nBBX " + bbx +
           "\nBITMAP\n" + zeilen + "ENDCHAR\n";
}

const std::vector<std::string> TESTGLYPHEN = {
    glyph(' ', 5, "1 1 0 0", "00\n"),
    glyph('A', 5, "5 7 0 0", "20\n50\n88\nF8\n88\n88\n88\n"),
    // below the baseline
    glyph('g', 5, "4 6 0 -2", "70\n90\n90\n70\n10\nE0\n"),
    // seven dots wide on an advance of five: two columns cut
    glyph('W', 5, "7 3 0 0", "FE\n92\n6C\n"),
    // one dot above the ascent: the top row cut
    glyph('|', 5, "1 10 2 -2", "80\n80\n80\n80\n80\n80\n80\n80\n80\n80\n"),
    // u with diaeresis, at a bearing of one dot: code 0x81 in code page 437
    glyph(0xFC, 5, "4 5 1 0", "90\n00\n90\n90\n70\n"),
};

const std::map<int, std::vector<std::string>> TESTFNT = {
    {'A', {"..#..", ".#.#.", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'g', {"", "", "", ".###", "#..#", "#..#", ".###", "...#", "###."}},
    {'W', {"", "", "", "", "#####", "#..#.", ".##.#"}},
    {'|', {"..#", "..#", "..#", "..#", "..#", "..#", "..#", "..#", "..#"}},
    {0x81, {"", "", ".#..#", "", ".#..#", ".#..#", "..###"}},
};

} // namespace

TEST(Bdf, ExactFntAndReport)
{
    tempdir d;
    writefile(d / "test.bdf", bdf(TESTGLYPHEN));
    runresult r = zelfont(d.path, {"--first", "0x20", "--last", "129", "test.bdf", "T.FNT"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1),
              "test.bdf at 9 px: cell 5x9 dots, codes 0x20 to 0x81 (cp437) into T.FNT\n");
    EXPECT_NE(r.out.find("\n0x57 (U+0057): dots outside the 5x9 cell cut\n"
                         "0x7C (U+007C): dots outside the 5x9 cell cut\n"
                         "no glyph for: 0x21 (U+0021), 0x22 (U+0022), 0x23 (U+0023), "),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(", 0x7F (U+2302), 0x80 (U+00C7)\n"), std::string::npos) << r.out;
    EXPECT_EQ(readfile(d / "T.FNT"), fnt(5, 9, TESTFNT));
}

TEST(Bdf, PreviewInTheConvertedFont)
{
    tempdir d;
    writefile(d / "test.bdf", bdf(TESTGLYPHEN));
    runresult r = zelfont(d.path, {"--last", "0x81", "--preview", "Ag|\xC3\xBC", "test.bdf",
                                   "T.FNT"});
    EXPECT_EQ(r.status, 0);
    // A, g, | and u with diaeresis (code 0x81 by its UTF-8 spelling)
    std::string art = "..#.........#.......\n"
                      ".#.#........#.......\n"
                      "#...#.......#...#..#\n"
                      "#####.###...#.......\n"
                      "#...##..#...#...#..#\n"
                      "#...##..#...#...#..#\n"
                      "#...#.###...#....###\n"
                      "........#...#.......\n"
                      ".....###....#.......\n";
    ASSERT_GE(r.out.size(), art.size());
    EXPECT_EQ(r.out.substr(r.out.size() - art.size()), art) << r.out;
}

TEST(Pcf, SameFntAsTheBdf)
{
    if (!fileexists("/usr/bin/bdftopcf"))
        GTEST_SKIP() << "/usr/bin/bdftopcf is missing: apt-get install xfonts-utils";
    tempdir d;
    writefile(d / "test.bdf", bdf(TESTGLYPHEN));
    ASSERT_EQ(runprog(d.path, "/usr/bin/bdftopcf", {"-o", "test.pcf", "test.bdf"}).status, 0);
    runresult r = zelfont(d.path, {"--first", "0x20", "--last", "129", "test.pcf", "T.FNT"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(readfile(d / "T.FNT"), fnt(5, 9, TESTFNT));
}

namespace {

const char *const DEJAVU = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

// The glyph of a code in an FNT image.
std::string glyphbytes(const std::string &f, int code)
{
    int stride = (unsigned char)f[6];
    return f.substr(8 + code * stride, stride);
}

struct groesse {
    int px, w, h;
};

void PrintTo(const groesse &g, std::ostream *os)
{
    *os << g.px << " px";
}

class Dejavu : public ::testing::TestWithParam<groesse> {
  protected:
    void SetUp() override
    {
        if (!fileexists(DEJAVU))
            GTEST_SKIP() << DEJAVU << " is missing: apt-get install fonts-dejavu-core";
    }
};

} // namespace

TEST_P(Dejavu, CellPrintableAsciiAndCodePage437)
{
    const groesse &g = GetParam();
    tempdir d;
    std::string px = std::to_string(g.px);
    runresult r = zelfont(d.path, {"--size", px, "--first", "0", DEJAVU, "CP.FNT"});
    ASSERT_EQ(r.status, 0) << r.out;
    r = zelfont(d.path, {"--size", px, "--charset", "latin1", DEJAVU, "L1.FNT"});
    ASSERT_EQ(r.status, 0) << r.out;
    std::string cp = readfile(d / "CP.FNT"), l1 = readfile(d / "L1.FNT");
    int bpc = g.h * fntzeile(g.w);
    ASSERT_EQ(cp.size(), 8u + 256 * bpc);
    EXPECT_EQ(cp.substr(0, 8), bytes({0xAA, 0x55, g.w, 0, g.h, 0, bpc, 0}));
    for (int code = 0x21; code <= 0x7E; code++) {
        EXPECT_NE(glyphbytes(cp, code), std::string(bpc, '\0')) << code;
        EXPECT_EQ(glyphbytes(cp, code), glyphbytes(l1, code)) << code;
    }
    // code page 437 against the same letters in Latin-1
    const std::map<int, int> gleich = {{0x81, 0xFC}, {0x84, 0xE4}, {0x8E, 0xC4},
                                        {0x94, 0xF6}, {0x9A, 0xDC}, {0xE1, 0xDF}};
    for (const auto &p : gleich)
        EXPECT_EQ(glyphbytes(cp, p.first), glyphbytes(l1, p.second)) << p.first;
    EXPECT_NE(glyphbytes(cp, 0x81), glyphbytes(cp, 'u'));
    EXPECT_NE(glyphbytes(cp, 0x01), std::string(bpc, '\0'));   // the smiling face
    EXPECT_EQ(glyphbytes(cp, 0x00), std::string(bpc, '\0'));

    // the file is one the FONT directive takes, every code of it
    chdirguard in(d.path);
    testctx t;
    t.line("FONT 1,0,255 <CP.FNT>");
    t->zptr += 4;
    EXPECT_EQ(font2eep(t.c()), 1) << t.out();
}

INSTANTIATE_TEST_SUITE_P(Sizes, Dejavu, ::testing::Values(groesse{8, 5, 10}, groesse{12, 7, 15}),
                         [](const ::testing::TestParamInfo<groesse> &i) {
                             return "px" + std::to_string(i.param.px);
                         });

namespace {

struct fehlfall {
    const char *name;
    std::vector<std::string> args;
    int status;
    std::string meldung;      // what the run prints, up to its first line's end
};

void PrintTo(const fehlfall &f, std::ostream *os)
{
    *os << f.name;
}

const std::string USAGE = "usage: zelfont [--size PX] [--first C] [--last C] [--charset cp437|latin1]\n";

} // namespace

class Abgelehnt : public ::testing::TestWithParam<fehlfall> {};

TEST_P(Abgelehnt, MessageAndNoFile)
{
    const fehlfall &f = GetParam();
    if (!fileexists(DEJAVU))
        GTEST_SKIP() << DEJAVU << " is missing: apt-get install fonts-dejavu-core";
    tempdir d;
    writefile(d / "text.ttf", "this is no font\n");
    writefile(d / "empty.bdf", "");
    writefile(d / "wide.bdf", bdf({glyph('M', 20, "20 7 0 0", "FFFFF0\n")}));
    writefile(d / "tall.bdf", bdf({glyph('M', 5, "5 7 0 0", "F8\n")}, 14, 3));
    std::vector<std::string> args;
    for (const std::string &a : f.args)
        args.push_back(a == "DEJAVU" ? DEJAVU : a);
    runresult r = zelfont(d.path, args);
    EXPECT_EQ(r.status, f.status);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), f.meldung);
    EXPECT_FALSE(fileexists(d / "OUT.FNT"));
}

INSTANTIATE_TEST_SUITE_P(
    Input, Abgelehnt,
    ::testing::Values(
        fehlfall{"dejavu_16px", {"--size", "16", "DEJAVU", "OUT.FNT"}, 1,
                 std::string("zelfont: ") + DEJAVU +
                     " at 16 px needs a cell of 10x19 dots, more than 16x16; "
                     "the largest size that fits is 12 px\n"},
        fehlfall{"wider_than_16", {"wide.bdf", "OUT.FNT"}, 1,
                 "zelfont: wide.bdf at 9 px needs a cell of 20x9 dots, more than 16x16; "
                 "--width 16 or less cuts the glyphs to fit\n"},
        fehlfall{"higher_than_16", {"--width", "5", "tall.bdf", "OUT.FNT"}, 1,
                 "zelfont: tall.bdf at 9 px needs a cell of 5x17 dots, more than 16x16; "
                 "no size of this font fits\n"},
        fehlfall{"no_glyph_in_range", {"--first", "0x30", "--last", "0x39", "wide.bdf", "OUT.FNT"},
                 1, "zelfont: wide.bdf has no glyph for the codes 0x30 to 0x39\n"},
        fehlfall{"not_a_font", {"text.ttf", "OUT.FNT"}, 1,
                 "zelfont: text.ttf is not a font (TrueType, OpenType, BDF or PCF)\n"},
        fehlfall{"empty_file", {"empty.bdf", "OUT.FNT"}, 1,
                 "zelfont: empty.bdf is not a font (TrueType, OpenType, BDF or PCF)\n"},
        fehlfall{"missing_file", {"none.ttf", "OUT.FNT"}, 1, "zelfont: cannot open none.ttf\n"},
        fehlfall{"directory_as_output", {"DEJAVU", "OUT.FNT/"}, 1,
                 "zelfont: cannot write OUT.FNT/\n"},
        fehlfall{"no_arguments", {}, 64, USAGE},
        fehlfall{"one_file", {"DEJAVU"}, 64, USAGE},
        fehlfall{"three_files", {"DEJAVU", "OUT.FNT", "x"}, 64, USAGE},
        fehlfall{"size_0", {"--size", "0", "DEJAVU", "OUT.FNT"}, 64, USAGE},
        fehlfall{"size_not_a_number", {"--size", "12px", "DEJAVU", "OUT.FNT"}, 64, USAGE},
        fehlfall{"code_256", {"--last", "256", "DEJAVU", "OUT.FNT"}, 64, USAGE},
        fehlfall{"hex_without_digits", {"--first", "0x", "DEJAVU", "OUT.FNT"}, 64, USAGE},
        fehlfall{"first_above_last", {"--first", "0x90", "--last", "0x20", "DEJAVU", "OUT.FNT"},
                 64, USAGE},
        fehlfall{"width_17", {"--width", "17", "DEJAVU", "OUT.FNT"}, 64, USAGE},
        fehlfall{"unknown_charset", {"--charset", "koi8", "DEJAVU", "OUT.FNT"}, 64, USAGE},
        fehlfall{"option_without_value", {"DEJAVU", "OUT.FNT", "--size"}, 64, USAGE},
        fehlfall{"unknown_option", {"--bold", "1", "DEJAVU", "OUT.FNT"}, 64, USAGE}),
    [](const ::testing::TestParamInfo<fehlfall> &i) { return std::string(i.param.name); });
