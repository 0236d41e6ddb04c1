// The field readers and the bitmap converters on bitmaps built byte by byte.
#include "bmpbau.h"
#include "testutil.h"
#include "picture/picture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

enum { MODEL_V = 0, MODEL_h = 1, MODEL_H = 3 };
const uint32_t WEISS = 0x00FFFFFF;

// Converts a bitmap for a model into a sentinel-filled data area and
// returns the record plus the two bytes behind it.
std::string wandle(int zelnr, const std::string &bmp, size_t reclen)
{
    testctx t;
    t->zelnr = zelnr;
    memset(t->eeprom, 0xEE, reclen + 2);
    memcpy(t->buffer, bmp.data(), bmp.size());
    if (zelnr == MODEL_V || zelnr == 4)
        bmp2blv(t.c(), t->eeprom, t->buffer);
    else
        bmp2blh(t.c(), t->eeprom, t->buffer);
    return std::string((const char *)t->eeprom, reclen + 2);
}

std::string mitrand(const std::string &rec)
{
    return rec + "\xEE\xEE";
}

// The 10 x 2 bitmap: top row all index 0, bottom row index 1 but pixel 9.
std::string zehnmalzwei(uint32_t pal0, int kopf = 40)
{
    return bmpdatei(10, 2, {"0000000000", "1111111110"}, pal0, kopf);
}

} // namespace

TEST(Fields, LittleEndianWhateverTheHost)
{
    EXPECT_EQ(iw(0x34, 0x12), 0x1234);
    EXPECT_EQ(iw(0xFF, 0xFF), 65535);
    EXPECT_EQ(lw(0x78, 0x56, 0x34, 0x12), 0x12345678);
    EXPECT_EQ(lw(0xFF, 0xFF, 0xFF, 0xFF), -1);
    EXPECT_EQ(lw(0x00, 0x00, 0x00, 0x80), INT_MIN);
    EXPECT_EQ(lw(0xFE, 0xFF, 0xFF, 0x7F), INT_MAX - 1);
}

struct zehnfall {
    const char *name;
    int zelnr;
    uint32_t pal0;
    int kopf;
    std::string rec;
};

void PrintTo(const zehnfall &f, std::ostream *os)
{
    *os << f.name;
}

class TenByTwo : public ::testing::TestWithParam<zehnfall> {};

TEST_P(TenByTwo, Record)
{
    const zehnfall &f = GetParam();
    std::string bmp = zehnmalzwei(f.pal0, f.kopf);
    // In the longer headers the place a 40-byte header gives the palette
    // holds a colour mask; it must not decide the colours.
    if (f.kopf > 40)
        setlw(bmp, 54, 0x00FF0000);
    EXPECT_EQ(wandle(f.zelnr, bmp, f.rec.size()), mitrand(f.rec));
}

INSTANTIATE_TEST_SUITE_P(
    Palette, TenByTwo,
    ::testing::Values(
        zehnfall{"H_black", MODEL_H, 0, 40, bytes({0x0A, 0x02, 0xFF, 0xC0, 0x00, 0x40})},
        zehnfall{"h_black", MODEL_h, 0, 40, bytes({0x0A, 0x02, 0xFF, 0x03, 0x00, 0x02})},
        zehnfall{"V_black", MODEL_V, 0, 40,
                 bytes({0x0A, 0x02, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3})},
        zehnfall{"H_white", MODEL_H, WEISS, 40, bytes({0x0A, 0x02, 0x00, 0x00, 0xFF, 0x80})},
        zehnfall{"h_white", MODEL_h, WEISS, 40, bytes({0x0A, 0x02, 0x00, 0x00, 0xFF, 0x01})},
        zehnfall{"V_white", MODEL_V, WEISS, 40,
                 bytes({0x0A, 0x02, 2, 2, 2, 2, 2, 2, 2, 2, 2, 0})},
        zehnfall{"H_reserved", MODEL_H, 0xFF000000, 40,
                 bytes({0x0A, 0x02, 0x00, 0x00, 0xFF, 0x80})},
        zehnfall{"H_v4_black", MODEL_H, 0, 108, bytes({0x0A, 0x02, 0xFF, 0xC0, 0x00, 0x40})},
        zehnfall{"H_v5_black", MODEL_H, 0, 124, bytes({0x0A, 0x02, 0xFF, 0xC0, 0x00, 0x40})},
        zehnfall{"V_v5_black", MODEL_V, 0, 124,
                 bytes({0x0A, 0x02, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3})},
        zehnfall{"H_v4_white", MODEL_H, WEISS, 108,
                 bytes({0x0A, 0x02, 0x00, 0x00, 0xFF, 0x80})},
        zehnfall{"h_v5_white", MODEL_h, WEISS, 124,
                 bytes({0x0A, 0x02, 0x00, 0x00, 0xFF, 0x01})}),
    [](const ::testing::TestParamInfo<zehnfall> &i) { return std::string(i.param.name); });

TEST(Bmp2bl, EmptyPictureIsWidthAndHeightOnly)
{
    for (int zelnr : {MODEL_V, MODEL_h, MODEL_H}) {
        EXPECT_EQ(wandle(zelnr, bmpdatei(0, 5, {}), 2), mitrand(bytes({0, 5}))) << zelnr;
        EXPECT_EQ(wandle(zelnr, bmpdatei(7, 0, {}), 2), mitrand(bytes({7, 0}))) << zelnr;
    }
}

TEST(Bmp2bl, Width240RowsOf32BytesAndPaddingUnread)
{
    std::string top(240, '0'), bottom(240, '0');
    top[239] = '1';
    bottom[0] = '1';
    std::string bmp = bmpdatei(240, 2, {top, bottom}, WEISS);
    // 240 pixels fill 30 bytes; the last two of each 32-byte row are padding.
    size_t daten = 62;
    for (size_t z : {daten, daten + 32})
        bmp[z + 30] = bmp[z + 31] = '\xFF';
    std::string rec(62, '\0');
    rec[0] = (char)240;
    rec[1] = 2;
    rec[2 + 29] = 0x01;
    rec[2 + 30] = (char)0x80;
    EXPECT_EQ(wandle(MODEL_H, bmp, rec.size()), mitrand(rec));
}

TEST(Bmp2bl, Width120RowsOf16Bytes)
{
    // 120 pixels are 15 bytes, padded to 16: a wrong stride shifts the rows.
    std::string r0(120, '0'), r1(120, '0'), r2(120, '0');
    r0[0] = r1[60] = r2[119] = '1';
    std::string bmp = bmpdatei(120, 3, {r0, r1, r2}, WEISS);
    ASSERT_EQ(bmp.size(), 62u + 3 * 16);
    for (size_t z = 62; z < bmp.size(); z += 16)
        bmp[z + 15] = '\xFF';
    std::string rec(2 + 120, '\0');
    rec[0] = 120;
    rec[1] = 3;
    rec[2 + 0] = 0x01;
    rec[2 + 60] = 0x02;
    rec[2 + 119] = 0x04;
    EXPECT_EQ(wandle(MODEL_V, bmp, rec.size()), mitrand(rec));
}

TEST(Bmp2bl, VerticalHeight12TwoBandsLowHalfOnly)
{
    std::vector<std::string> zeilen(12, "111");
    std::string bmp = bmpdatei(3, 12, zeilen, WEISS);
    EXPECT_EQ(wandle(MODEL_V, bmp, 8),
              mitrand(bytes({3, 12, 0xFF, 0xFF, 0xFF, 0x0F, 0x0F, 0x0F})));
}

TEST(Bmp2bl, HorizontalLastByteKeepsBitsBeyondWidthClear)
{
    // 3 x 2, all dark: only the three leading bits of each row byte are set.
    std::string bmp = bmpdatei(3, 2, {"111", "111"}, WEISS);
    for (size_t z = 62; z < bmp.size(); z += 4)
        bmp[z] = '\xFF';
    EXPECT_EQ(wandle(MODEL_H, bmp, 4), mitrand(bytes({3, 2, 0xE0, 0xE0})));
    EXPECT_EQ(wandle(MODEL_h, bmp, 4), mitrand(bytes({3, 2, 0x07, 0x07})));
}

TEST(Bmp2bl, ClearsOldBytesOfTheRecord)
{
    testctx t;
    t->zelnr = MODEL_H;
    memset(t->eeprom, 0x5A, 16);
    std::string bmp = bmpdatei(16, 3, {}, WEISS);
    memcpy(t->buffer, bmp.data(), bmp.size());
    bmp2blh(t.c(), t->eeprom, t->buffer);
    EXPECT_EQ(std::string((const char *)t->eeprom, 9), bytes({16, 3, 0, 0, 0, 0, 0, 0, 0x5A}));
}
