// Picture files: raw records, bitmaps and files of no known kind, the size
// limits and the room check, and what the loader leaves to its caller.
#include "bmpbau.h"
#include "testutil.h"
#include "picture/picture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

enum { MODEL_V = 0, MODEL_h = 1, MODEL_H2 = 2, MODEL_H = 3, MODEL_V4 = 4 };

std::string muster(size_t n, int start = 0)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; i++)
        s[i] = (char)(start + i * 7);
    return s;
}

// A raw picture record: width, height and dot data.
std::string roh(int w, int h, size_t daten)
{
    return bytes({w, h}) + muster(daten, 3);
}

struct ergebnis {
    int ok;
    std::string out;       // console text
    long filelen;
    std::string daten;     // data area from adresse on, as long as the file
    int adresse;
};

// Loads a file of the given bytes for a model with the data area filled to
// `adresse`; everything behind it holds 0xEE beforehand.
ergebnis lade(int zelnr, const std::string &datei, int adresse = 0, size_t zeigen = 0)
{
    tempdir d;
    writefile(d / "pic.bmp", datei);
    testctx t;
    t->zelnr = zelnr;
    t->adresse = adresse;
    memset(t->eeprom + adresse, 0xEE, DATASIZE - adresse);
    ergebnis e;
    e.ok = loadbild(t.c(), (d / "pic.bmp").c_str());
    e.out = t.out();
    e.filelen = t->filelen;
    if (zeigen == 0)
        zeigen = datei.size();
    zeigen = std::min(zeigen, (size_t)(DATASIZE - adresse));
    e.daten = std::string((const char *)t->eeprom + adresse, zeigen);
    e.adresse = t->adresse;
    return e;
}

std::string meldung(const std::string &m)
{
    return "\n--> " + m + "\n";
}

// The 240 x 128 bitmap with a pattern, and its H record.
std::string voll(int w = 240, int h = 128)
{
    std::vector<std::string> z(h, std::string(w, '0'));
    for (int y = 0; y < h; y++)
        z[y][(y * 3) % w] = '1';
    return bmpdatei(w, h, z, 0x00FFFFFF);
}

} // namespace

TEST(Loadbild, MissingFile)
{
    testctx t;
    EXPECT_EQ(loadbild(t.c(), "/nonexistent/pic.bmp"), 0);
    EXPECT_EQ(t.out(), meldung("Cannot Open Picturefile </nonexistent/pic.bmp> !"));
    EXPECT_EQ(t->errors, 1);
}

struct rohfall {
    const char *name;
    int zelnr;
    int w, h;
    size_t len;
};

void PrintTo(const rohfall &f, std::ostream *os)
{
    *os << f.name;
}

class RawPicture : public ::testing::TestWithParam<rohfall> {};

TEST_P(RawPicture, CopiedUnchanged)
{
    const rohfall &f = GetParam();
    std::string datei = roh(f.w, f.h, f.len - 2);
    ergebnis e = lade(f.zelnr, datei, 100, f.len + 1);
    EXPECT_EQ(e.ok, 1);
    EXPECT_EQ(e.out, "");
    EXPECT_EQ(e.filelen, (long)f.len);
    EXPECT_EQ(e.daten, datei + "\xEE");
    EXPECT_EQ(e.adresse, 100);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, RawPicture,
    ::testing::Values(rohfall{"blv_120x32_V", MODEL_V, 120, 32, 482},
                      rohfall{"blv_128x64_QO", MODEL_V4, 128, 64, 1026},
                      rohfall{"blv_height12", MODEL_V, 5, 12, 12},
                      rohfall{"blh_240x64_H", MODEL_H2, 240, 64, 1922},
                      rohfall{"blh_240x64_h", MODEL_h, 240, 64, 1922},
                      rohfall{"blh_width9", MODEL_H, 9, 3, 8},
                      rohfall{"empty_picture", MODEL_H, 0, 0, 2},
                      // not checked against the display: raw pictures are trusted
                      rohfall{"blh_bigger_than_model", MODEL_h, 255, 16, 514}),
    [](const ::testing::TestParamInfo<rohfall> &i) { return std::string(i.param.name); });

TEST(Loadbild, RawTestComesBeforeBitmapTest)
{
    // "BM" is 66 x 77: 9 bytes x 77 rows + 2 = 695 on a horizontal model.
    std::string datei = "BM" + muster(693);
    setlw(datei, 2, 695);
    ergebnis e = lade(MODEL_H, datei);
    EXPECT_EQ(e.ok, 1);
    EXPECT_EQ(e.out, "");
    EXPECT_EQ(e.daten, datei);
    EXPECT_EQ(e.filelen, 695);
}

TEST(Loadbild, BitmapAsLargeAsTheModel)
{
    std::string bmp = voll();
    ASSERT_EQ(bmp.size(), 4158u);
    ergebnis e = lade(MODEL_H, bmp, 0, 3843);
    EXPECT_EQ(e.ok, 1);
    EXPECT_EQ(e.out, "");
    EXPECT_EQ(e.filelen, 30 * 128 + 2);
    EXPECT_EQ(e.daten.substr(0, 2), bytes({240, 128}));
    EXPECT_EQ(e.daten.substr(2, 3), bytes({0x80, 0, 0}));          // top row, dot 0
    EXPECT_EQ(e.daten.substr(2 + 30, 1), bytes({0x10}));           // row 1, dot 3
    EXPECT_EQ(e.daten[3842], '\xEE');
}

TEST(Loadbild, FileSizeLimit)
{
    // 4200 bytes: the bitmap above with 42 bytes behind its rows.
    std::string bmp = voll() + std::string(42, '\x55');
    setlw(bmp, 2, 4200);
    ergebnis e = lade(MODEL_H, bmp, 0, 2);
    EXPECT_EQ(e.ok, 1);
    EXPECT_EQ(e.out, "");
    EXPECT_EQ(e.daten, bytes({240, 128}));

    bmp += '\x55';
    setlw(bmp, 2, 4201);
    e = lade(MODEL_H, bmp, 0, 2);
    EXPECT_EQ(e.ok, 0);
    EXPECT_EQ(e.out, meldung("Picturefile is to big !"));
    EXPECT_EQ(e.daten, "\xEE\xEE");
}

struct ladefehler {
    const char *name;
    int zelnr;
    std::string datei;
    const char *meldung;
};

void PrintTo(const ladefehler &f, std::ostream *os)
{
    *os << f.name;
}

class Rejected : public ::testing::TestWithParam<ladefehler> {};

TEST_P(Rejected, NothingStored)
{
    const ladefehler &f = GetParam();
    ergebnis e = lade(f.zelnr, f.datei, 500, 64);
    EXPECT_EQ(e.ok, 0);
    EXPECT_EQ(e.out, meldung(f.meldung));
    EXPECT_EQ(e.daten, std::string(64, '\xEE'));
    EXPECT_EQ(e.adresse, 500);
}

namespace {

const char *const MONO = "This is not a monochrome Windows Bitmap file !";
const char *const KEINBILD_H = "This is not a Picturefile (*.BMP, *.BLH) !";
const char *const KEINBILD_V = "This is not a Picturefile (*.BMP, *.BLV) !";

std::string geaendert(std::string s, size_t off, uint32_t v)
{
    setlw(s, off, v);
    return s;
}

std::string bpp(int bits)
{
    std::string s = bmpdatei(8, 8, {});
    setiw(s, 28, bits);
    return s;
}

// The 8 x 8 bitmap cut after n bytes, its size field telling the truth.
std::string gekuerzt(size_t n, int kopf = 40)
{
    std::string s = bmpdatei(8, 8, {}, 0, kopf).substr(0, n);
    if (n >= 6)
        setlw(s, 2, (uint32_t)n);
    return s;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Files, Rejected,
    ::testing::Values(
        ladefehler{"empty_H", MODEL_H, "", KEINBILD_H},
        ladefehler{"one_byte_V", MODEL_V, "B", KEINBILD_V},
        ladefehler{"unknown_h", MODEL_h, "GIF89a", KEINBILD_H},
        ladefehler{"unknown_V", MODEL_V4, "GIF89a", KEINBILD_V},
        ladefehler{"raw_one_byte_short", MODEL_H, roh(16, 4, 7), KEINBILD_H},
        ladefehler{"bpp4", MODEL_H, bpp(4), MONO},
        ladefehler{"bpp8", MODEL_V, bpp(8), MONO},
        ladefehler{"size_field_plus1", MODEL_H, geaendert(bmpdatei(8, 8, {}), 2, 95), MONO},
        ladefehler{"size_field_minus1", MODEL_H, geaendert(bmpdatei(8, 8, {}), 2, 93), MONO},
        ladefehler{"just_BM", MODEL_H, "BM", MONO},
        ladefehler{"BM_10_bytes", MODEL_H, gekuerzt(10), MONO},
        ladefehler{"BM_headers_only", MODEL_H, gekuerzt(54), MONO},
        ladefehler{"BM_palette_cut", MODEL_H, gekuerzt(57), MONO},
        ladefehler{"BM_v5_palette_cut", MODEL_H, gekuerzt(14 + 124 + 3, 124), MONO},
        ladefehler{"BM_rows_cut", MODEL_H, gekuerzt(94 - 1), MONO},
        ladefehler{"header_size_huge", MODEL_H,
                 geaendert(bmpdatei(8, 8, {}), 14, 0x7FFFFFF0), MONO},
        ladefehler{"header_size_negative", MODEL_H,
                 geaendert(bmpdatei(8, 8, {}), 14, 0xFFFFFFF0), MONO},
        ladefehler{"header_size_12", MODEL_H, geaendert(bmpdatei(8, 8, {}), 14, 12), MONO},
        ladefehler{"data_offset_behind", MODEL_H,
                 geaendert(bmpdatei(8, 8, {}), 10, 63), MONO},
        ladefehler{"data_offset_negative", MODEL_H,
                 geaendert(bmpdatei(8, 8, {}), 10, 0xFFFFFFF0), MONO},
        ladefehler{"width_negative", MODEL_H,
                 geaendert(bmpdatei(8, 8, {}), 18, (uint32_t)-8), MONO},
        ladefehler{"height_huge", MODEL_H,
                 geaendert(bmpdatei(8, 8, {}), 22, 0x7FFFFFFF), MONO},
        ladefehler{"one_dot_wider", MODEL_H, voll(241, 128),
                 "The Picture is to big (max. 240x128 dots) !"},
        ladefehler{"one_dot_higher", MODEL_H, voll(240, 129),
                 "The Picture is to big (max. 240x128 dots) !"},
        ladefehler{"too_wide_V", MODEL_V, voll(121, 8), "The Picture is to big (max. 120x32 dots) !"},
        ladefehler{"too_high_h", MODEL_h, voll(8, 81), "The Picture is to big (max. 160x80 dots) !"}),
    [](const ::testing::TestParamInfo<ladefehler> &i) { return std::string(i.param.name); });

TEST(Loadbild, BitmapOfWidthOrHeightZero)
{
    ergebnis e = lade(MODEL_H, bmpdatei(0, 9, {}), 0, 3);
    EXPECT_EQ(e.ok, 1);
    EXPECT_EQ(e.filelen, 2);
    EXPECT_EQ(e.daten, bytes({0, 9, 0xEE}));
    e = lade(MODEL_V, bmpdatei(9, 0, {}), 0, 3);
    EXPECT_EQ(e.ok, 1);
    EXPECT_EQ(e.filelen, 2);
    EXPECT_EQ(e.daten, bytes({9, 0, 0xEE}));
}

TEST(Loadbild, RawPictureFillsTheDataArea)
{
    std::string datei = roh(120, 32, 480);
    ergebnis e = lade(MODEL_V, datei, DATASIZE - 482);
    EXPECT_EQ(e.ok, 1);
    EXPECT_EQ(e.daten, datei);

    e = lade(MODEL_V, datei, DATASIZE - 481);
    EXPECT_EQ(e.ok, 0);
    EXPECT_EQ(e.out, meldung("Picturefile to big, not enough EEPROM-memory !"));
    EXPECT_EQ(e.daten, std::string(481, '\xEE'));
    EXPECT_EQ(e.adresse, DATASIZE - 481);
}

TEST(Loadbild, BitmapRecordFillsTheDataArea)
{
    // 16 x 16 on a vertical model: 16 x 2 + 2 = 34 bytes of record.
    std::string bmp = bmpdatei(16, 16, {"1"});
    ergebnis e = lade(MODEL_V, bmp, DATASIZE - 34, 34);
    EXPECT_EQ(e.ok, 1);
    EXPECT_EQ(e.filelen, 34);
    EXPECT_EQ(e.daten.substr(0, 2), bytes({16, 16}));

    e = lade(MODEL_V, bmp, DATASIZE - 33, 33);
    EXPECT_EQ(e.ok, 0);
    EXPECT_EQ(e.out, meldung("Picturefile to big, not enough EEPROM-memory !"));
    EXPECT_EQ(e.daten, std::string(33, '\xEE'));
}

TEST(Loadbild, LeavesTablesCountersAndAdresseToTheCaller)
{
    tempdir d;
    writefile(d / "pic.blh", roh(16, 2, 4));
    testctx t;
    t->adresse = 10;
    ASSERT_EQ(loadbild(t.c(), (d / "pic.blh").c_str()), 1);
    EXPECT_EQ(t->adresse, 10);
    EXPECT_EQ(t->filelen, 6);
    EXPECT_EQ(t->bildanz, 0);
    EXPECT_EQ(t->bildlen, 0);
    EXPECT_EQ(std::string((const char *)t->bild, BILDTAB), std::string(BILDTAB, '\xFF'));
    EXPECT_EQ(t->errors, 0);
}
