// The FONT directive: both forms, the order of its checks, the record
// header of each orientation, the table entry, the counters and adresse.
#include "fntbau.h"
#include "testutil.h"
#include "font/font.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

enum { MODEL_V = 0, MODEL_h = 1, MODEL_H = 3 };

// Font files of the tests, written into the current directory.
struct verzeichnis {
    tempdir d;
    chdirguard g{d.path};
    verzeichnis()
    {
        writefile("f6x8.fnt", fntdatei(6, 8, 8, {{'A', {0x20, 0x50, 0x88, 0x88, 0xF8, 0x88, 0x88}},
                                                 {127, {0xFC}}}));
        writefile("f16.fnt", fntdatei(16, 16, 32, {{'0', {0x01, 0x80}}}));
        writefile("f12x10.fnt", fntdatei(12, 10, 20));
        writefile("w17.fnt", fntdatei(17, 8, 24));
        writefile("h17.fnt", fntdatei(8, 17, 17));
        writefile("gross.fnt", fntdatei(16, 16, 32) + "x");
        writefile("kein.fnt", std::string("\x55\xAA") + fntdatei(8, 8, 8).substr(2));
        writefile("kopf.fnt", "\xAA\x55\x08\x00\x08\x00\x08");
        // glyphs of 8 bytes declared, but only 4 bytes per character
        writefile("eng.fnt", fntdatei(8, 8, 4));
        // ends inside the glyph of code 127
        writefile("kurz.fnt", fntdatei(6, 8, 8).substr(0, 8 + 127 * 8 + 7));
        writefile("genau.fnt", fntdatei(6, 8, 8).substr(0, 8 + 127 * 8 + 8));
    }
};

// Runs one directive line with zptr behind its keyword.
int zeile(testctx &t, const std::string &text)
{
    t.line(text.c_str());
    t->zptr = t->zeile + 4;
    return font2eep(t.c());
}

std::string rec(testctx &t, size_t off, size_t n)
{
    return std::string((const char *)t->eeprom + off, n);
}

std::string meldung(const std::string &zeile, const std::string &m)
{
    return "\n--> " + zeile + m + "\n";
}

struct fehlfall {
    const char *zeile;
    int zelnr;
    const char *meldung;
};

void PrintTo(const fehlfall &f, std::ostream *os)
{
    *os << f.zeile;
}

class FontError : public ::testing::TestWithParam<fehlfall> {};

} // namespace

TEST_P(FontError, NothingStored)
{
    const fehlfall &f = GetParam();
    verzeichnis v;
    testctx t;
    t->zelnr = f.zelnr;
    t->adresse = 10;
    memset(t->eeprom, 0xEE, 1000);
    EXPECT_EQ(zeile(t, f.zeile), 0);
    EXPECT_EQ(t.out(), meldung(f.zeile, f.meldung));
    EXPECT_EQ(t->errors, 1);
    EXPECT_EQ(t->adresse, 10);
    EXPECT_EQ(t->fontanz, 0);
    EXPECT_EQ(t->fontlen, 0);
    EXPECT_EQ(std::string((const char *)t->font, FONTTAB), std::string(FONTTAB, '\xFF'));
    EXPECT_EQ(rec(t, 0, 1000), std::string(1000, '\xEE'));
}

namespace {
const char *const ANZAHL = "wrong number of parameters, no Fontnumber !";
const char *const INTERN = "Internal Fontnumber is wrong !";
const char *const MATRIX = "This Fontmatrix is too big ! (max.16x16)";
const char *const KEINFONT = "This is not a Fontfile (*.FNT) !";
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Lines, FontError,
    ::testing::Values(
        fehlfall{"FONT", MODEL_H, ANZAHL},
        fehlfall{"FONT 1, 32 <f6x8.fnt>", MODEL_H, ANZAHL},
        fehlfall{"FONT 1, 32, 127, 4, 5", MODEL_H, ANZAHL},
        fehlfall{"FONT 1, 32, 127, 6", MODEL_H, INTERN},
        fehlfall{"FONT 1, 32, 127, 0", MODEL_H, INTERN},
        fehlfall{"FONT 17, 32, 127, 6", MODEL_H, INTERN},
        fehlfall{"FONT 0, 32, 127 <f6x8.fnt>", MODEL_H, "Fontnumber 0 is wrong, (allowed: 1..16) !"},
        fehlfall{"FONT 17, 32, 127, 3", MODEL_V, "Fontnumber 17 is wrong, (allowed: 1..16) !"},
        fehlfall{"FONT 1, 32, 127", MODEL_H, "Cannot found a Filename !"},
        fehlfall{"FONT 1, 32, 127 <nix.fnt>", MODEL_H, "Cannot Open Fontfile nix.fnt !"},
        fehlfall{"FONT 1, 0, 255 <gross.fnt>", MODEL_H, "Fontfile to big !"},
        fehlfall{"FONT 1, 32, 127 <kein.fnt>", MODEL_H, KEINFONT},
        fehlfall{"FONT 1, 32, 127 <kopf.fnt>", MODEL_V, KEINFONT},
        fehlfall{"FONT 1, 128, 127 <f6x8.fnt>", MODEL_H, "no/wrong first/last Character-Nr !"},
        fehlfall{"FONT 1, 128, 127, 1", MODEL_V, "no/wrong first/last Character-Nr !"},
        fehlfall{"FONT 1, 32, 127 <w17.fnt>", MODEL_H, MATRIX},
        fehlfall{"FONT 1, 32, 127 <h17.fnt>", MODEL_V, MATRIX},
        fehlfall{"FONT 1, 32, 127 <eng.fnt>", MODEL_H, "Wrong bytes per Character in Fontfile !"},
        fehlfall{"FONT 1, 32, 127 <eng.fnt>", MODEL_h, "Wrong bytes per Character in Fontfile !"},
        fehlfall{"FONT 1, 32, 127 <kurz.fnt>", MODEL_H, "Fontfile too short for Character-Nr 127 !"},
        fehlfall{"FONT 1, 32, 127 <kurz.fnt>", MODEL_V, "Fontfile too short for Character-Nr 127 !"}), casenames());

struct kopffall {
    const char *name;
    int zelnr;
    const char *zeile;
    std::string kopf;
    int groesse;
};

void PrintTo(const kopffall &f, std::ostream *os)
{
    *os << f.name;
}

class Fontkopf : public ::testing::TestWithParam<kopffall> {};

TEST_P(Fontkopf, HeaderSizeAndEntry)
{
    const kopffall &f = GetParam();
    verzeichnis v;
    testctx t;
    t->zelnr = f.zelnr;
    t->adresse = 208;
    memset(t->eeprom, 0xEE, 9000);
    ASSERT_EQ(zeile(t, f.zeile), 1) << t.out();
    EXPECT_EQ(t.out(), "");
    EXPECT_EQ(rec(t, 208, 8), f.kopf);
    EXPECT_EQ(t->filelen, f.groesse);
    EXPECT_EQ(t->adresse, 208 + f.groesse);
    EXPECT_EQ(t->fontanz, 1);
    EXPECT_EQ(t->fontlen, f.groesse);
    EXPECT_EQ(rec(t, 208 + f.groesse, 1), "\xEE");
    int nr = t->bef[0];
    EXPECT_EQ(std::string((const char *)t->font + 2 * (nr - 1), 2), bytes({0x00, 0x0F}));
}

INSTANTIATE_TEST_SUITE_P(
    Records, Fontkopf,
    ::testing::Values(
        kopffall{"V_6x8", MODEL_V, "FONT 1, 32, 127 <f6x8.fnt>",
                 bytes({0x46, 0x56, 0x20, 0x7F, 6, 8, 1, 6}), 96 * 6 + 8},
        kopffall{"H_6x8", MODEL_H, "FONT 1, 32, 127 <f6x8.fnt>",
                 bytes({0x46, 0x48, 0x20, 0x7F, 6, 8, 1, 8}), 96 * 8 + 8},
        kopffall{"h_6x8", MODEL_h, "FONT 1, 32, 127 <f6x8.fnt>",
                 bytes({0x46, 0x68, 0x20, 0x7F, 6, 8, 1, 8}), 96 * 8 + 8},
        kopffall{"H_16x16", MODEL_H, "FONT 2, 48, 57 <f16.fnt>",
                 bytes({0x46, 0x48, 48, 57, 16, 16, 2, 32}), 10 * 32 + 8},
        kopffall{"V_16x16", MODEL_V, "FONT 2, 48, 57 <f16.fnt>",
                 bytes({0x46, 0x56, 48, 57, 16, 16, 2, 32}), 10 * 32 + 8},
        kopffall{"V_12x10", MODEL_V, "FONT 3, 0, 0 <f12x10.fnt>",
                 bytes({0x46, 0x56, 0, 0, 12, 10, 2, 24}), 24 + 8},
        kopffall{"H_full_8200_bytes", MODEL_H, "FONT 4, 0, 255 <f16.fnt>",
                 bytes({0x46, 0x48, 0, 255, 16, 16, 2, 32}), 256 * 32 + 8},
        kopffall{"V_file_just_long_enough", MODEL_V, "FONT 5, 32, 127 <genau.fnt>",
                 bytes({0x46, 0x56, 0x20, 0x7F, 6, 8, 1, 6}), 96 * 6 + 8},
        kopffall{"V_few_bytes_per_char", MODEL_V, "FONT 6, 0, 1 <eng.fnt>",
                 bytes({0x46, 0x56, 0, 1, 8, 8, 1, 8}), 2 * 8 + 8},
        kopffall{"one_glyph", MODEL_H, "FONT 2, 65, 65, 4",
                 bytes({0x46, 0x48, 65, 65, 8, 8, 1, 8}), 16},
        kopffall{"one_blank_glyph", MODEL_V, "FONT 2, 32, 32, 5",
                 bytes({0x46, 0x56, 32, 32, 8, 16, 2, 16}), 24},
        kopffall{"intern4x6_V", MODEL_V, "FONT 7, 0, 255, 1",
                 bytes({0x46, 0x56, 0, 255, 4, 6, 1, 4}), 256 * 4 + 8},
        kopffall{"intern5x6_h", MODEL_h, "FONT 7, 0, 255, 2",
                 bytes({0x46, 0x68, 0, 255, 5, 6, 1, 6}), 256 * 6 + 8},
        kopffall{"intern6x8_V", MODEL_V, "FONT 7, 0, 255, 3",
                 bytes({0x46, 0x56, 0, 255, 6, 8, 1, 6}), 256 * 6 + 8},
        kopffall{"intern8x16_H", MODEL_H, "FONT 8, 0, 255, 5",
                 bytes({0x46, 0x48, 0, 255, 8, 16, 1, 16}), 4104},
        kopffall{"intern8x16_V", MODEL_V, "FONT 8, 0, 255, 5",
                 bytes({0x46, 0x56, 0, 255, 8, 16, 2, 16}), 4104},
        kopffall{"intern_with_name_unread", MODEL_H, "FONT 9, 1, 1, 4 <nix.fnt>",
                 bytes({0x46, 0x48, 1, 1, 8, 8, 1, 8}), 16}),
    [](const ::testing::TestParamInfo<kopffall> &i) { return std::string(i.param.name); });

TEST(Font2eep, GlyphsConvertedAndAreaCleared)
{
    verzeichnis v;
    testctx t;
    t->zelnr = MODEL_V;
    memset(t->eeprom, 0xEE, 1000);
    ASSERT_EQ(zeile(t, "FONT 1, 32, 127 <f6x8.fnt>"), 1);
    // 'A' is glyph 33 of the record; code 127 its last.
    EXPECT_EQ(rec(t, 8 + 33 * 6, 6), bytes({0x7C, 0x12, 0x11, 0x12, 0x7C, 0x00}));
    EXPECT_EQ(rec(t, 8 + 95 * 6, 6), bytes({1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(rec(t, 8, 6), std::string(6, '\0'));

    testctx u;
    u->zelnr = MODEL_H;
    ASSERT_EQ(zeile(u, "FONT 1, 48, 48 <f16.fnt>"), 1);
    // the file's row 0x01 0x80 holds columns 15 and 0
    EXPECT_EQ(rec(u, 8, 4), bytes({0x80, 0x01, 0x00, 0x00}));
}

TEST(Font2eep, NumberUsedTwice)
{
    testctx t;
    ASSERT_EQ(zeile(t, "FONT 3, 32, 127, 1"), 1);
    int adresse = t->adresse;
    EXPECT_EQ(zeile(t, "FONT 3, 32, 127, 1"), 0);
    EXPECT_EQ(t.out(), meldung("FONT 3, 32, 127, 1", "Fontnumber 3 allready exists !"));
    EXPECT_EQ(t->adresse, adresse);
    EXPECT_EQ(t->fontanz, 1);
    EXPECT_EQ(std::string((const char *)t->font + 4, 2), bytes({0x30, 0x0E}));
}

TEST(Font2eep, SecondFontFollowsTheFirst)
{
    testctx t;
    ASSERT_EQ(zeile(t, "FONT 1, 65, 65, 4"), 1);
    ASSERT_EQ(zeile(t, "FONT 16, 65, 66, 4"), 1);
    EXPECT_EQ(std::string((const char *)t->font + 30, 2), bytes({0x40, 0x0E}));
    EXPECT_EQ(t->adresse, 16 + 24);
    EXPECT_EQ(t->fontanz, 2);
    EXPECT_EQ(t->fontlen, 40);
}

TEST(Font2eep, RoomCheck)
{
    testctx t;
    t->adresse = DATASIZE - 15;
    EXPECT_EQ(zeile(t, "FONT 1, 65, 65, 4"), 0);
    EXPECT_EQ(t.out(), meldung("FONT 1, 65, 65, 4", "Fontfile to big, not enough EEPROM-memory !"));
    EXPECT_EQ(t->adresse, DATASIZE - 15);
    EXPECT_EQ(t->fontanz, 0);
    t->adresse = DATASIZE - 16;
    EXPECT_EQ(zeile(t, "FONT 1, 65, 65, 4"), 1);
    EXPECT_EQ(t->adresse, (int)DATASIZE);
}

TEST(Font2eep, LetterAOfAnInternalFontOnEachLayout)
{
    struct {
        int zelnr;
        std::string rec;
    } faelle[] = {
        {MODEL_H, bytes({0x46, 0x48, 65, 65, 4, 6, 1, 6, 0x40, 0xA0, 0xE0, 0xA0, 0xA0, 0x00})},
        {MODEL_h, bytes({0x46, 0x68, 65, 65, 4, 6, 1, 6, 0x02, 0x05, 0x07, 0x05, 0x05, 0x00})},
        {MODEL_V, bytes({0x46, 0x56, 65, 65, 4, 6, 1, 4, 0x1E, 0x05, 0x1E, 0x00})},
    };
    for (const auto &f : faelle) {
        testctx t;
        t->zelnr = f.zelnr;
        ASSERT_EQ(zeile(t, "FONT 1, 65, 65, 1"), 1) << t.out();
        EXPECT_EQ(rec(t, 0, f.rec.size()), f.rec) << f.zelnr;
        EXPECT_EQ(t->adresse, (int)f.rec.size());
    }
}
