// The PICTURE directive: the number at full width, the order of its
// checks, the table entry, the counters and adresse.
#include "testutil.h"
#include "picture/picture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A raw 120 x 32 picture for the vertical model: 482 bytes.
std::string blv()
{
    std::string s(482, '\0');
    s[0] = 120;
    s[1] = 32;
    for (size_t i = 2; i < s.size(); i++)
        s[i] = (char)(i * 13);
    return s;
}

// Runs one directive line with zptr behind its first `wort` characters.
int zeile(testctx &t, const std::string &text, size_t wort = 7)
{
    t.line(text.c_str());
    t->zptr = t->zeile + wort;
    return bild2eep(t.c());
}

struct verzeichnis {
    tempdir d;
    chdirguard g{d.path};
    verzeichnis()
    {
        writefile("a.blv", blv());
        writefile("gif.bmp", "GIF89a and more");
    }
};

std::string meldung(const std::string &zeile, const std::string &m)
{
    return "\n--> " + zeile + m + "\n";
}

struct direktivfehler {
    const char *zeile;
    const char *meldung;
};

void PrintTo(const direktivfehler &f, std::ostream *os)
{
    *os << f.zeile;
}

class PictureError : public ::testing::TestWithParam<direktivfehler> {};

} // namespace

TEST_P(PictureError, NothingStored)
{
    const direktivfehler &f = GetParam();
    verzeichnis v;
    testctx t;
    t->zelnr = 0;
    t->adresse = 10;
    memset(t->eeprom, 0xEE, 600);
    EXPECT_EQ(zeile(t, f.zeile), 0);
    EXPECT_EQ(t.out(), meldung(f.zeile, f.meldung));
    EXPECT_EQ(t->errors, 1);
    EXPECT_EQ(t->adresse, 10);
    EXPECT_EQ(t->bildanz, 0);
    EXPECT_EQ(t->bildlen, 0);
    EXPECT_EQ(std::string((const char *)t->bild, BILDTAB), std::string(BILDTAB, '\xFF'));
    EXPECT_EQ(std::string((const char *)t->eeprom, 600), std::string(600, '\xEE'));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PictureError,
    ::testing::Values(
        direktivfehler{"PICTURE", "No Picturenumber !"},
        direktivfehler{"PICTURE <a.blv>", "No Picturenumber !"},
        direktivfehler{"PICTURE ; <a.blv>", "No Picturenumber !"},
        direktivfehler{"PICTURE 5", "Cannot found a Filename !"},
        direktivfehler{"PICTURE 300", "Cannot found a Filename !"},
        direktivfehler{"PICTURE 256 <a.blv>", "Picturenumber 256 is wrong, (allowed: 0..255) !"},
        direktivfehler{"PICTURE -1 <a.blv>", "Picturenumber -1 is wrong, (allowed: 0..255) !"},
        direktivfehler{"PICTURE 261 <a.blv>", "Picturenumber 261 is wrong, (allowed: 0..255) !"},
        direktivfehler{"PICTURE ,300 <a.blv>", "Picturenumber 300 is wrong, (allowed: 0..255) !"},
        direktivfehler{"PICTURE 2*200, 1 <a.blv>", "Picturenumber 400 is wrong, (allowed: 0..255) !"},
        direktivfehler{"PICTURE $FFFFFFFF <a.blv>", "Picturenumber -1 is wrong, (allowed: 0..255) !"},
        direktivfehler{"PICTURE 5 <nix.blv>", "Cannot Open Picturefile <nix.blv> !"},
        direktivfehler{"PICTURE 5 <gif.bmp>", "This is not a Picturefile (*.BMP, *.BLV) !"}), casenames());

struct gutfall {
    const char *zeile;
    size_t wort;
    int nr;
};

void PrintTo(const gutfall &f, std::ostream *os)
{
    *os << f.zeile;
}

class GoodPicture : public ::testing::TestWithParam<gutfall> {};

TEST_P(GoodPicture, StoredUnderItsNumber)
{
    const gutfall &f = GetParam();
    verzeichnis v;
    testctx t;
    t->zelnr = 0;
    ASSERT_EQ(zeile(t, f.zeile, f.wort), 1) << t.out();
    EXPECT_EQ(t.out(), "");
    EXPECT_EQ(std::string((const char *)t->bild + 2 * f.nr, 2), bytes({0x30, 0x0E}));
    EXPECT_EQ(t->adresse, 482);
    EXPECT_EQ(t->bildanz, 1);
    EXPECT_EQ(t->bildlen, 482);
    EXPECT_EQ(t->filelen, 482);
    EXPECT_EQ(std::string((const char *)t->eeprom, 482), blv());
    // no other entry is touched
    std::string tab((const char *)t->bild, BILDTAB);
    tab[2 * f.nr] = tab[2 * f.nr + 1] = '\xFF';
    EXPECT_EQ(tab, std::string(BILDTAB, '\xFF'));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, GoodPicture,
    ::testing::Values(gutfall{"PICTURE 7 <a.blv>", 7, 7}, gutfall{"PICTURE 0 <a.blv>", 7, 0},
                      gutfall{"PICTURE 255 <a.blv>", 7, 255},
                      gutfall{"PICTURE 7, 900, 'x' <a.blv>", 7, 7},
                      gutfall{"PICTURE ,,7 <a.blv>", 7, 7},
                      gutfall{"PICTURE (2+3)*4 <a.blv>", 7, 20},
                      gutfall{"PICTURE $10 <a.blv> ; the logo", 7, 16},
                      gutfall{"PICTURE 'A' <a.blv>", 7, 65},
                      gutfall{"PICTURES 9 <a.blv>", 4, 9},
                      gutfall{"PICTURE\t3<a.blv", 7, 3}), casenames());

TEST(Bild2eep, SecondPictureFollowsTheFirst)
{
    verzeichnis v;
    testctx t;
    t->zelnr = 0;
    ASSERT_EQ(zeile(t, "PICTURE 1 <a.blv>"), 1);
    ASSERT_EQ(zeile(t, "PICTURE 2 <a.blv>"), 1);
    // 0x0E30 + 482 = 0x1012
    EXPECT_EQ(std::string((const char *)t->bild + 4, 2), bytes({0x12, 0x10}));
    EXPECT_EQ(t->adresse, 964);
    EXPECT_EQ(t->bildanz, 2);
    EXPECT_EQ(t->bildlen, 964);
}

TEST(Bild2eep, NumberUsedTwice)
{
    verzeichnis v;
    testctx t;
    t->zelnr = 0;
    ASSERT_EQ(zeile(t, "PICTURE 3 <a.blv>"), 1);
    EXPECT_EQ(zeile(t, "PICTURE 3 <a.blv>"), 0);
    EXPECT_EQ(t.out(), meldung("PICTURE 3 <a.blv>", "Picturenumber 3 allready exists !"));
    EXPECT_EQ(t->adresse, 482);
    EXPECT_EQ(t->bildanz, 1);
    EXPECT_EQ(t->bildlen, 482);
    EXPECT_EQ(std::string((const char *)t->bild + 6, 2), bytes({0x30, 0x0E}));
}

TEST(Bild2eep, RoomCheckLeavesEverything)
{
    verzeichnis v;
    testctx t;
    t->zelnr = 0;
    t->adresse = DATASIZE - 481;
    EXPECT_EQ(zeile(t, "PICTURE 1 <a.blv>"), 0);
    EXPECT_EQ(t.out(), meldung("PICTURE 1 <a.blv>",
                               "Picturefile to big, not enough EEPROM-memory !"));
    EXPECT_EQ(t->adresse, DATASIZE - 481);
    EXPECT_EQ(t->bildanz, 0);
    t->adresse = DATASIZE - 482;
    EXPECT_EQ(zeile(t, "PICTURE 1 <a.blv>"), 1);
    EXPECT_EQ(t->adresse, (int)DATASIZE);
    EXPECT_EQ(std::string((const char *)t->bild + 2, 2),
              bytes({(SYSSIZE + DATASIZE - 482) & 0xFF, (SYSSIZE + DATASIZE - 482) >> 8}));
}
