// Glyph conversion into font records of the three orientations.
#include "fntbau.h"
#include "testutil.h"
#include "device/device.h"
#include "font/font.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

enum { MODEL_V = 0, MODEL_h = 1, MODEL_H = 3 };

// Draws codes erst..letzt of an FNT into a record with the given geometry
// bytes 6 and 7, in a buffer whose bytes behind the record hold 0xEE.
// Returns the glyph area and one byte behind it.
std::string zeichne(int zelnr, const std::string &fnt, int erst, int letzt, int b6, int b7)
{
    testctx t;
    t->zelnr = zelnr;
    memcpy(t->buffer, fnt.data(), fnt.size());
    size_t glyphen = (size_t)(letzt - erst + 1) * b7;
    unsigned char *rec = t->eeprom;
    memset(rec, 0xEE, 8 + glyphen + 1);
    unsigned char kopf[8] = {'F', (unsigned char)zel[zelnr].orient, (unsigned char)erst,
                             (unsigned char)letzt, (unsigned char)fnt[2], (unsigned char)fnt[4],
                             (unsigned char)b6, (unsigned char)b7};
    memcpy(rec, kopf, 8);
    memset(rec + 8, 0, glyphen);
    if (zel[zelnr].orient == 'V')
        fnt2fv(t.c(), t->buffer, rec);
    else
        fnt2fh(t.c(), t->buffer, rec);
    EXPECT_EQ(std::string((const char *)rec, 8), std::string((const char *)kopf, 8));
    return std::string((const char *)rec + 8, glyphen + 1);
}

const std::string A4X6 = fntdatei(4, 6, 6, {{0x41, {0x40, 0xA0, 0xE0, 0xA0, 0xA0, 0x00}}});

// Columns 0 and 9 in the top row, column 8 in the second: the file keeps
// columns 8..15 in the first byte of a row.
const std::string ZEHN = fntdatei(10, 2, 4, {{3, {0x40, 0x80, 0x80, 0x00}}});

} // namespace

TEST(Glyph, LetterAOfTheSmallestFont)
{
    EXPECT_EQ(zeichne(MODEL_H, A4X6, 0x41, 0x41, 1, 6),
              bytes({0x40, 0xA0, 0xE0, 0xA0, 0xA0, 0x00, 0xEE}));
    EXPECT_EQ(zeichne(MODEL_h, A4X6, 0x41, 0x41, 1, 6),
              bytes({0x02, 0x05, 0x07, 0x05, 0x05, 0x00, 0xEE}));
    EXPECT_EQ(zeichne(MODEL_V, A4X6, 0x41, 0x41, 1, 4), bytes({0x1E, 0x05, 0x1E, 0x00, 0xEE}));
}

TEST(Glyph, TwoByteRowsAreSwappedBack)
{
    EXPECT_EQ(zeichne(MODEL_H, ZEHN, 3, 3, 2, 4), bytes({0x80, 0x40, 0x00, 0x80, 0xEE}));
    EXPECT_EQ(zeichne(MODEL_h, ZEHN, 3, 3, 2, 4), bytes({0x01, 0x02, 0x00, 0x01, 0xEE}));
    EXPECT_EQ(zeichne(MODEL_V, ZEHN, 3, 3, 1, 10),
              bytes({0x01, 0, 0, 0, 0, 0, 0, 0, 0x02, 0x01, 0xEE}));
}

TEST(Glyph, EightWideOneByteNineWideTwo)
{
    // Width 8: column 7 is bit 0 of the only byte of the row.
    std::string acht = fntdatei(8, 1, 1, {{0, {0x01}}});
    EXPECT_EQ(zeichne(MODEL_H, acht, 0, 0, 1, 1), bytes({0x01, 0xEE}));
    // Width 9: column 8 stands in the first byte of the file's row.
    std::string neun = fntdatei(9, 1, 2, {{0, {0x80, 0x00}}});
    EXPECT_EQ(zeichne(MODEL_H, neun, 0, 0, 2, 2), bytes({0x00, 0x80, 0xEE}));
    EXPECT_EQ(zeichne(MODEL_V, neun, 0, 0, 1, 9), bytes({0, 0, 0, 0, 0, 0, 0, 0, 1, 0xEE}));
}

TEST(Glyph, EachCodeReadFromItsOwnPlace)
{
    std::string fnt = fntdatei(4, 2, 2, {{0, {0xF0, 0xF0}}, {0x41, {0x80, 0x00}},
                                         {0x42, {0x00, 0x10}}, {0x43, {0xF0, 0xF0}}});
    EXPECT_EQ(zeichne(MODEL_H, fnt, 0x41, 0x42, 1, 2), bytes({0x80, 0x00, 0x00, 0x10, 0xEE}));
    EXPECT_EQ(zeichne(MODEL_V, fnt, 0x41, 0x42, 1, 4),
              bytes({0x01, 0, 0, 0, 0, 0, 0, 0x02, 0xEE}));
}

TEST(Glyph, VerticalBands)
{
    // 16 high: two bands per column, the top band first.
    std::vector<int> links(16, 0x80);
    std::string hoch = fntdatei(2, 16, 16, {{5, links}});
    EXPECT_EQ(zeichne(MODEL_V, hoch, 5, 5, 2, 4), bytes({0xFF, 0x00, 0xFF, 0x00, 0xEE}));
    // 6 high: one band whose bits 6 and 7 stay clear.
    std::string flach = fntdatei(3, 6, 6, {{5, {0xE0, 0xE0, 0xE0, 0xE0, 0xE0, 0xE0}}});
    EXPECT_EQ(zeichne(MODEL_V, flach, 5, 5, 1, 3), bytes({0x3F, 0x3F, 0x3F, 0xEE}));
    // 12 wide, 10 high: two bands of 12 columns.
    std::vector<int> voll(20, 0xFF);
    std::string breit = fntdatei(12, 10, 20, {{1, voll}});
    std::string erwartet = std::string(12, '\xFF') + std::string(12, '\x03') + "\xEE";
    EXPECT_EQ(zeichne(MODEL_V, breit, 1, 1, 2, 24), erwartet);
}

TEST(Glyph, HorizontalBitsBeyondWidthAndPaddingStayClear)
{
    // Every bit of the file set: only the glyph's 5 columns and 3 rows
    // reach the record; the file's stride of 4 leaves one byte of padding.
    std::string fnt = fntdatei(5, 3, 4, {{7, {0xFF, 0xFF, 0xFF, 0xFF}}, {8, {0xFF, 0xFF, 0xFF, 0xFF}}});
    EXPECT_EQ(zeichne(MODEL_H, fnt, 7, 8, 1, 4),
              bytes({0xF8, 0xF8, 0xF8, 0x00, 0xF8, 0xF8, 0xF8, 0x00, 0xEE}));
    EXPECT_EQ(zeichne(MODEL_h, fnt, 7, 8, 1, 4),
              bytes({0x1F, 0x1F, 0x1F, 0x00, 0x1F, 0x1F, 0x1F, 0x00, 0xEE}));
    std::string zwei = fntdatei(11, 1, 2, {{0, {0xFF, 0xFF}}});
    EXPECT_EQ(zeichne(MODEL_H, zwei, 0, 0, 2, 2), bytes({0xFF, 0xE0, 0xEE}));
    EXPECT_EQ(zeichne(MODEL_h, zwei, 0, 0, 2, 2), bytes({0xFF, 0x07, 0xEE}));
}

TEST(Glyph, AllCodesUpTo255)
{
    std::string fnt = fntdatei(8, 1, 1, {{255, {0x81}}, {0, {0x18}}});
    std::string g = zeichne(MODEL_H, fnt, 0, 255, 1, 1);
    EXPECT_EQ(g[0], '\x18');
    EXPECT_EQ(g[255], '\x81');
    EXPECT_EQ(g[256], '\xEE');
}
