// Pictures in every layout the loader reads besides the plain bitmap:
// bitmaps stored top-down or behind the OS/2 core header, and PNG files of
// every colour type, each giving the record of the same drawing.
#include "bmpbau.h"
#include "testutil.h"
#include "device/device.h"
#include "picture/picture.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBIW_STATIC
#include <stb/stb_image_write.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

enum { MODEL_V = 0, MODEL_h = 1, MODEL_H = 3 };

struct geladen {
    int ok;
    std::string out;       // console text
    std::string rec;       // the record written, filelen bytes
};

geladen lade(int zelnr, const std::string &pfad)
{
    testctx t;
    t->zelnr = zelnr;
    t->adresse = 7;
    geladen g;
    g.ok = loadbild(t.c(), pfad.c_str());
    g.out = t.out();
    if (g.ok)
        g.rec = std::string((const char *)t->eeprom + 7, t->filelen);
    return g;
}

geladen ladebytes(int zelnr, const std::string &datei)
{
    tempdir d;
    writefile(d / "bild", datei);
    return lade(zelnr, d / "bild");
}

std::string meldung(const std::string &m)
{
    return "\n--> " + m + "\n";
}

std::string testname(std::string n)
{
    for (char &ch : n)
        if (!isalnum((unsigned char)ch))
            ch = '_';
    return n;
}

// A PNG of one row written by another encoder: 8-bit RGBA dots.
std::string png(int w, int h, const std::vector<unsigned char> &rgba)
{
    tempdir d;
    EXPECT_EQ(stbi_write_png((d / "p.png").c_str(), w, h, 4, rgba.data(), w * 4), 1);
    return readfile(d / "p.png");
}

} // namespace

// The oval in every layout against its 40-byte-header bitmap.
class Gleich : public ::testing::TestWithParam<const char *> {};

TEST_P(Gleich, RecordOfTheBitmapOnEveryModel)
{
    std::string dir = std::string(ZEL_TESTDATA) + "/picture/";
    for (int zelnr = 0; zelnr < ZELMODELS; zelnr++) {
        geladen soll = lade(zelnr, dir + "oval-bmp3.bmp");
        geladen ist = lade(zelnr, dir + GetParam());
        ASSERT_EQ(soll.ok, 1) << soll.out;
        EXPECT_EQ(ist.ok, 1) << ist.out;
        EXPECT_EQ(ist.out, "");
        EXPECT_EQ(ist.rec, soll.rec) << zel[zelnr].name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tool, Gleich,
    ::testing::Values("oval-topdown.bmp", "oval-os2.bmp", "oval-grey1.png", "oval-grey8.png",
                      "oval-palette.png", "oval-rgba.png", "oval-greyalpha.png",
                      "oval-rgb16.png"),
    [](const ::testing::TestParamInfo<const char *> &i) { return testname(i.param); });

namespace {

struct formfall {
    const char *name;
    int zelnr;
    std::string datei;
    std::string rec;       // the record, or empty when refused
    const char *meldung;   // the message when refused
};

void PrintTo(const formfall &f, std::ostream *os)
{
    *os << f.name;
}

const char *const MONO = "This is not a monochrome Windows Bitmap file !";
const char *const KEINBILD_H = "This is not a Picturefile (*.BMP, *.BLH) !";
const char *const KEINBILD_V = "This is not a Picturefile (*.BMP, *.BLV) !";
const char *const ZUGROSS_V = "The Picture is to big (max. 120x32 dots) !";
const char *const ZUGROSS_H = "The Picture is to big (max. 240x128 dots) !";

// The 10 x 2 drawing of the bitmap tests: top row index 0, bottom row
// index 1 but pixel 9.
const std::vector<std::string> ZEHN = {"0000000000", "1111111110"};
const std::string REC_H_SCHWARZ = bytes({0x0A, 0x02, 0xFF, 0xC0, 0x00, 0x40});
const std::string REC_h_WEISS = bytes({0x0A, 0x02, 0x00, 0x00, 0xFF, 0x01});
const std::string REC_V_SCHWARZ = bytes({0x0A, 0x02, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3});

std::string setze(std::string s, size_t off, uint32_t v)
{
    setlw(s, off, v);
    return s;
}

std::string setze16(std::string s, size_t off, unsigned v)
{
    setiw(s, off, v);
    return s;
}

// The oval's 8-bit grey PNG with its width and height fields changed
// (the decoder does not check the header's checksum).
std::string pngmasse(uint32_t w, uint32_t h)
{
    std::string s = readfile(std::string(ZEL_TESTDATA) + "/picture/oval-grey8.png");
    for (int i = 0; i < 4; i++) {
        s[16 + i] = (char)(w >> 8 * (3 - i));
        s[20 + i] = (char)(h >> 8 * (3 - i));
    }
    return s;
}

// The same PNG whose first data chunk claims n bytes.
std::string pngdatenlaenge(uint32_t n)
{
    std::string s = pngmasse(120, 32);
    size_t idat = s.find("IDAT") - 4;
    for (int i = 0; i < 4; i++)
        s[idat + i] = (char)(n >> 8 * (3 - i));
    return s;
}

const std::string TOPDOWN = vonoben(bmpdatei(10, 2, ZEHN), 10, 2);

} // namespace

class Formen : public ::testing::TestWithParam<formfall> {};

TEST_P(Formen, RecordOrMessage)
{
    const formfall &f = GetParam();
    geladen g = ladebytes(f.zelnr, f.datei);
    EXPECT_EQ(g.ok, !f.rec.empty());
    EXPECT_EQ(g.rec, f.rec);
    EXPECT_EQ(g.out, f.rec.empty() ? meldung(f.meldung) : "");
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Formen,
    ::testing::Values(
        formfall{"topdown_H", MODEL_H, TOPDOWN, REC_H_SCHWARZ, ""},
        formfall{"topdown_V", MODEL_V, TOPDOWN, REC_V_SCHWARZ, ""},
        formfall{"topdown_white_h", MODEL_h, vonoben(bmpdatei(10, 2, ZEHN, 0xFFFFFF), 10, 2),
                 REC_h_WEISS, ""},
        formfall{"topdown_rows_cut", MODEL_H, setze(TOPDOWN, 22, (uint32_t)-3), "", MONO},
        formfall{"topdown_height_min", MODEL_H, setze(TOPDOWN, 22, 0x80000000u), "", MONO},
        formfall{"topdown_too_high", MODEL_V,
                 vonoben(bmpdatei(8, 33, {}), 8, 33), "", ZUGROSS_V},
        formfall{"os2_H", MODEL_H, os2datei(10, 2, ZEHN), REC_H_SCHWARZ, ""},
        formfall{"os2_V", MODEL_V, os2datei(10, 2, ZEHN), REC_V_SCHWARZ, ""},
        formfall{"os2_white_h", MODEL_h, os2datei(10, 2, ZEHN, 0xFFFFFF), REC_h_WEISS, ""},
        formfall{"os2_bits0", MODEL_H, os2datei(10, 2, ZEHN, 0, 0), "", MONO},
        formfall{"os2_bits4", MODEL_H, os2datei(10, 2, ZEHN, 0, 4), "", MONO},
        formfall{"os2_rows_cut", MODEL_H, setze16(os2datei(10, 2, ZEHN), 20, 3), "", MONO},
        formfall{"os2_palette_cut", MODEL_H, setze(os2datei(0, 0, {}).substr(0, 28), 2, 28),
                 "", MONO},
        formfall{"os2_too_wide", MODEL_H, os2datei(241, 1, {}), "", ZUGROSS_H},
        formfall{"png_signature_only", MODEL_H, "\x89PNG\r\n\x1a\n", "", KEINBILD_H},
        formfall{"png_cut", MODEL_V, pngmasse(120, 32).substr(0, 150), "", KEINBILD_V},
        formfall{"png_one_dot_wider", MODEL_V, pngmasse(121, 32), "", ZUGROSS_V},
        formfall{"png_huge", MODEL_H, pngmasse(0x7FFFFFFF, 0x7FFFFFFF), "", ZUGROSS_H},
        formfall{"png_chunk_beyond_the_end", MODEL_H, pngdatenlaenge(0x7FFFFFF0), "", KEINBILD_H},
        formfall{"png_empty_sizes", MODEL_H, pngmasse(0, 0), "", KEINBILD_H}),
    [](const ::testing::TestParamInfo<formfall> &i) { return std::string(i.param.name); });

TEST(Png, DarkBelowHalfLuminanceWithAlphaOverWhite)
{
    struct punkt {
        unsigned char r, g, b, a;
        int dunkel;
    };
    const punkt punkte[] = {
        {0, 0, 0, 255, 1},       {255, 255, 255, 255, 0}, {127, 127, 127, 255, 1},
        {128, 128, 128, 255, 0}, {0, 0, 0, 0, 0},         {0, 0, 0, 128, 1},
        {0, 0, 0, 127, 0},       {255, 0, 0, 255, 1},     {0, 255, 0, 255, 0},
        {0, 0, 255, 255, 1},     {255, 255, 0, 255, 0},   {255, 255, 255, 0, 0},
    };
    std::vector<unsigned char> rgba;
    std::string soll = bytes({12, 1, 0, 0});
    int x = 0;
    for (const punkt &p : punkte) {
        rgba.insert(rgba.end(), {p.r, p.g, p.b, p.a});
        if (p.dunkel)
            soll[2 + x / 8] |= (char)(0x80 >> x % 8);
        x++;
    }
    geladen g = ladebytes(MODEL_H, png(12, 1, rgba));
    EXPECT_EQ(g.out, "");
    EXPECT_EQ(g.rec, soll);
}
