// Bitmaps written by an image tool (tests/data/picture/make.sh): every dot
// of each record must match the source image, with the short and the
// longer information header alike.
#include "testutil.h"
#include "device/device.h"
#include "picture/picture.h"

#include <gtest/gtest.h>

#include <cctype>

namespace {

struct pbm {
    int w = 0, h = 0;
    std::vector<std::string> zeilen;     // '1' = black
};

// Reads a plain-text PBM file: P1, width, height, then 0 and 1 per pixel.
pbm lesepbm(const std::string &text)
{
    pbm p;
    size_t i = 2;
    auto zahl = [&]() {
        while (i < text.size() && !isdigit((unsigned char)text[i]))
            i++;
        int v = 0;
        while (i < text.size() && isdigit((unsigned char)text[i]))
            v = 10 * v + (text[i++] - '0');
        return v;
    };
    p.w = zahl();
    p.h = zahl();
    p.zeilen.assign(p.h, "");
    for (int y = 0; y < p.h; y++)
        while ((int)p.zeilen[y].size() < p.w && i < text.size()) {
            char ch = text[i++];
            if (ch == '0' || ch == '1')
                p.zeilen[y] += ch;
        }
    return p;
}

// The record the image should give on a model of this orientation.
std::string erwartet(const pbm &p, int orient)
{
    int bpr = (p.w + 7) / 8;
    size_t n = orient == 'V' ? p.w * ((p.h + 7) / 8) : bpr * p.h;
    std::string rec(2 + n, '\0');
    rec[0] = (char)p.w;
    rec[1] = (char)p.h;
    for (int y = 0; y < p.h; y++)
        for (int x = 0; x < p.w; x++) {
            if (p.zeilen[y][x] != '1')
                continue;
            if (orient == 'V')
                rec[2 + p.w * (y / 8) + x] |= (char)(1 << y % 8);
            else if (orient == 'H')
                rec[2 + x / 8 + bpr * y] |= (char)(0x80 >> x % 8);
            else
                rec[2 + x / 8 + bpr * y] |= (char)(1 << x % 8);
        }
    return rec;
}

struct fixture {
    const char *bild;
    const char *bmp;
    int kopf;              // length of the information header in the file
};

void PrintTo(const fixture &f, std::ostream *os)
{
    *os << f.bmp;
}

class Fixture : public ::testing::TestWithParam<fixture> {};

} // namespace

TEST_P(Fixture, EveryDotOnEveryModel)
{
    const fixture &f = GetParam();
    std::string dir = std::string(ZEL_TESTDATA) + "/picture/";
    pbm p = lesepbm(readfile(dir + f.bild));
    ASSERT_GT(p.w, 0);
    ASSERT_EQ((int)p.zeilen.size(), p.h);
    ASSERT_EQ((int)p.zeilen.back().size(), p.w);
    std::string bmp = readfile(dir + f.bmp);
    ASSERT_EQ(lw(bmp[14], bmp[15], bmp[16], bmp[17]), f.kopf);

    for (int zelnr = 0; zelnr < ZELMODELS; zelnr++) {
        if (p.w > zel[zelnr].xdots || p.h > zel[zelnr].ydots)
            continue;
        testctx t;
        t->zelnr = zelnr;
        t->adresse = 3;
        ASSERT_EQ(loadbild(t.c(), (dir + f.bmp).c_str()), 1) << t.out();
        std::string soll = erwartet(p, zel[zelnr].orient);
        EXPECT_EQ(t->filelen, (long)soll.size());
        EXPECT_EQ(std::string((const char *)t->eeprom + 3, soll.size()), soll)
            << zel[zelnr].name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tool, Fixture,
    ::testing::Values(fixture{"kreis.pbm", "kreis-bmp3.bmp", 40},
                      fixture{"kreis.pbm", "kreis.bmp", 108},
                      fixture{"oval.pbm", "oval-bmp3.bmp", 40},
                      fixture{"oval.pbm", "oval.bmp", 108}),
    [](const ::testing::TestParamInfo<fixture> &i) {
        std::string n = i.param.bmp;
        for (char &ch : n)
            if (!isalnum((unsigned char)ch))
                ch = '_';
        return n;
    });
