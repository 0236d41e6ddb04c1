// The PNG files decoded back: every dot of a picture record and every dot
// of a font's glyphs is a square of dark pixels, everything else light.
#include "dumputil.h"

#include "device/device.h"
#include "font/tables/tables.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

#include <gtest/gtest.h>

struct png {
    int w = 0, h = 0;
    std::vector<unsigned char> px;
    explicit png(const std::string &path)
    {
        int n;
        unsigned char *p = stbi_load(path.c_str(), &w, &h, &n, 1);
        if (p)
            px.assign(p, p + (size_t)w * h);
        stbi_image_free(p);
    }
    bool dunkel(int x, int y) const { return px[(size_t)y * w + x] < 128; }
};

// The dot at x, y of a picture record in the layout of orientation o.
static int bilddot(const std::string &rec, int o, int x, int y)
{
    const unsigned char *d = (const unsigned char *)rec.data() + 2;
    int w = (unsigned char)rec[0], bpr = (w + 7) / 8;
    if (o == 'V')
        return d[x + w * (y / 8)] >> (y % 8) & 1;
    int b = d[x / 8 + y * bpr];
    return o == 'H' ? b >> (7 - x % 8) & 1 : b >> (x % 8) & 1;
}

// Dot x, y of code c in the internal 6x8 font, one byte a row.
static int fntdot(int c, int x, int y)
{
    return font6x8[8 + c * font6x8[6] + y] >> (7 - x) & 1;
}

class Png : public ::testing::TestWithParam<int> {};

TEST_P(Png, DecodesToTheDotsOfTheRecords)
{
    int m = GetParam(), s = 3;
    tempdir d;
    std::string n = macrosource(d.path, m);
    writefile(d / "x.mac", readfile(d / (n + ".mac")) + "FONT 1,30,40,INTERN6x8\n");
    ASSERT_EQ(runzel(d.path, {"-o", "x.mac"}).status, 0);
    runresult r = rundump(d.path, {"-m", zel[m].name, "-p", "png", "--scale", "3", "x.EEO"});
    ASSERT_EQ(r.status, 0) << r.out;

    std::string eeo = readfile(d / "x.EEO");
    int adr = (unsigned char)eeo[48] | (unsigned char)eeo[49] << 8;        // picture 0
    int bw = (unsigned char)eeo[adr], bh = (unsigned char)eeo[adr + 1];
    std::string rec = eeo.substr(adr, 2 + (size_t)bw * bh);
    png b(d / "png/picture0.png");
    ASSERT_EQ(b.w, bw * s);
    ASSERT_EQ(b.h, bh * s);
    for (int y = 0; y < b.h; y++)
        for (int x = 0; x < b.w; x++)
            ASSERT_EQ(b.dunkel(x, y), bilddot(rec, zel[m].orient, x / s, y / s) == 1) << x << "," << y;

    // the glyph sheet: labels left and above, a one-pixel grid around cells
    png f(d / "png/font1.png");
    int ls = s / 2, links = 6 * ls, oben = 8 * ls, cw = 6 * s + 1, ch = 8 * s + 1;
    ASSERT_EQ(f.w, links + 16 * cw + 1);
    ASSERT_EQ(f.h, oben + 2 * ch + 1);
    for (int c = 30; c <= 40; c++) {
        int x0 = links + (c % 16) * cw + 1, y0 = oben + (c / 16 - 1) * ch + 1;
        for (int y = 0; y < 8 * s; y++)
            for (int x = 0; x < 6 * s; x++)
                ASSERT_EQ(f.dunkel(x0 + x, y0 + y), fntdot(c, x / s, y / s) == 1) << c;
    }
}

INSTANTIATE_TEST_SUITE_P(Models, Png, ::testing::Values(0, 1, 3),
                         [](const ::testing::TestParamInfo<int> &i) {
                             std::string n = zel[i.param].name;
                             for (char &ch : n)
                                 if (ch == '-')
                                     ch = '_';
                             return n;
                         });
