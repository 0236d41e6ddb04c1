// The five internal fonts: headers, coverage, width and the telling glyphs.
#include "testutil.h"
#include "font/tables/tables.h"

#include <gtest/gtest.h>
#include <set>

namespace {

struct intern {
    int nr, w, h;
    long size;
    unsigned char mask;    // the bits a glyph row may use
    std::set<int> drawn;   // the codes whose glyphs are not blank
};

std::set<int> range(std::set<int> s, int from, int to)
{
    for (int c = from; c <= to; c++)
        s.insert(c);
    return s;
}

std::vector<intern> fonts()
{
    std::set<int> eight = range(range(range({0x1A, 0x1B}, 0x01, 0x0D), 0x10, 0x19), 0x21, 0xFF);
    return {
        {1, 4, 6, 1544, 0xF0, range({0x81, 0x84, 0x8E, 0x94, 0x99, 0x9A, 0x9E}, 0x21, 0x7F)},
        {2, 5, 6, 1544, 0xF8, range({}, 0x21, 0x9E)},
        {3, 6, 8, 2056, 0xFC, range(range({}, 0x01, 0x1F), 0x21, 0xFE)},
        {4, 8, 8, 2056, 0xFF, eight},
        {5, 8, 16, 4104, 0xFF, eight},
    };
}

std::string glyph(const unsigned char *f, int h, int code)
{
    return std::string((const char *)f + 8 + code * h, h);
}

} // namespace

TEST(InternalFonts, Headers)
{
    for (const intern &k : fonts()) {
        long len = 0;
        const unsigned char *f = internfont(k.nr, &len);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(len, k.size);
        EXPECT_EQ(len, 8 + 256 * k.h);
        EXPECT_EQ(std::string((const char *)f, 8), bytes({0xAA, 0x55, k.w, 0, k.h, 0, k.h, 0}));
    }
    long len = 0;
    EXPECT_EQ(internfont(0, &len), nullptr);
    EXPECT_EQ(internfont(6, &len), nullptr);
}

TEST(InternalFonts, ExactlyTheListedGlyphsAreDrawnWithinTheWidth)
{
    for (const intern &k : fonts()) {
        long len;
        const unsigned char *f = internfont(k.nr, &len);
        for (int code = 0; code < 256; code++) {
            std::string g = glyph(f, k.h, code);
            bool blank = g == std::string(k.h, '\0');
            EXPECT_EQ(!blank, k.drawn.count(code) == 1) << "font " << k.nr << " code " << code;
            for (unsigned char row : g)
                EXPECT_EQ(row & ~k.mask, 0) << "font " << k.nr << " code " << code;
        }
    }
}

TEST(InternalFonts, TellingGlyphs)
{
    struct { int nr, code; std::string rows; } cases[] = {
        {1, 'A', bytes({0x40, 0xA0, 0xE0, 0xA0, 0xA0, 0x00})},
        {2, 'A', bytes({0x60, 0x90, 0xF0, 0x90, 0x90, 0x00})},
        {3, 'A', bytes({0x20, 0x50, 0x88, 0x88, 0xF8, 0x88, 0x88, 0x00})},
        {4, 'A', bytes({0x18, 0x3C, 0x66, 0x66, 0x7E, 0x66, 0x66, 0x00})},
        {5, 'A', bytes({0x00, 0x00, 0x18, 0x3C, 0x7E, 0x66, 0x66, 0x66,
                        0x7E, 0x7E, 0x66, 0x66, 0x66, 0x66, 0x00, 0x00})},
        {4, '0', bytes({0x3C, 0x66, 0x6E, 0x76, 0x66, 0x66, 0x3C, 0x00})},
        {1, 0xDB, std::string(6, '\0')},
        {2, 0xDB, std::string(6, '\0')},
        {3, 0xDB, std::string(8, '\xFC')},
        {4, 0xDB, std::string(8, '\xFF')},
        {5, 0xDB, std::string(16, '\xFF')},
    };
    for (auto &k : cases) {
        long len;
        const unsigned char *f = internfont(k.nr, &len);
        EXPECT_EQ(glyph(f, (int)k.rows.size(), k.code), k.rows) << k.nr << " " << k.code;
    }
}
