// Opening and closing macro blocks, driven directly: the directive line is
// in zeile with the cursor behind its keyword, as the dispatcher leaves it.
#include "testutil.h"
#include "macro/macro.h"

#include <gtest/gtest.h>

#include <cstring>

static int oeffne(testctx &t, const char *zeile, int maknroff = 0)
{
    t.line(zeile);
    t->zptr = t->zeile;
    while (*t->zptr && *t->zptr != ' ')
        t->zptr++;
    closemakro(t.c());
    t->maknroff = maknroff;
    return openmakro(t.c());
}

// Stands for a compiled command of n bytes in the open block.
static void fuelle(testctx &t, int n)
{
    t->adresse += n;
    t->aktmaklen += n;
}

static std::string entry(testctx &t, int index)
{
    return std::string((const char *)t->makro + 4 * index, 4);
}

struct nummer {
    const char *zeile;
    int nr;                  // the open block, -1 for none
    const char *meldung;     // "" when it opens
};

static void PrintTo(const nummer &f, std::ostream *os) { showtext(f.zeile, os); }

class MacroNumber : public ::testing::TestWithParam<nummer> {};

TEST_P(MacroNumber, OpensOrReports)
{
    const nummer &f = GetParam();
    testctx t;
    EXPECT_EQ(oeffne(t, f.zeile), f.meldung[0] ? 0 : 1);
    EXPECT_EQ(t->aktmaknr, f.nr);
    if (f.meldung[0])
        EXPECT_EQ(t.out(), std::string("\n--> ") + f.zeile + f.meldung + "\n");
    else
        EXPECT_EQ(t.out(), "");
}

INSTANTIATE_TEST_SUITE_P(Openmakro, MacroNumber, ::testing::Values(
    nummer{"MAKRO 0", 0, ""},
    nummer{"MAKRO 255", 255, ""},
    nummer{"MAKRO $FF", 255, ""},
    nummer{"MAKRO 2*3", 6, ""},
    nummer{"MAKRO A-60", 5, ""},
    nummer{"MAKRO 256", -1, "Macronumber 256 is wrong, (allowed: 0..255) !"},
    nummer{"MAKRO -1", -1, "Macronumber -1 is wrong, (allowed: 0..255) !"},
    nummer{"MAKRO", -1, "there is no Macronumber !"}), casenames());

TEST(Openmakro, StartsAtTheEndOfTheDataArea)
{
    testctx t;
    t->adresse = 208;
    t->aktmaklen = 9;
    ASSERT_EQ(oeffne(t, "MAKRO 3"), 1);
    EXPECT_EQ(t->aktmakadr, 208);
    EXPECT_EQ(t->aktmaklen, 0);
    fuelle(t, 12);
    EXPECT_EQ(closemakro(t.c()), 1);
    EXPECT_EQ(entry(t, 3), bytes({0x00, 0x0F, 12, 0}));
}

TEST(Closemakro, FirstMacroAtOffsetZero)
{
    testctx t;
    ASSERT_EQ(oeffne(t, "MAKRO 1"), 1);
    fuelle(t, 12);
    EXPECT_EQ(closemakro(t.c()), 1);
    EXPECT_EQ(entry(t, 1), bytes({0x30, 0x0E, 0x0C, 0x00}));
    EXPECT_EQ(t->aktmaknr, -1);
    EXPECT_EQ(t->makanz, 1);
    EXPECT_EQ(t->maklen, 12);
    EXPECT_EQ(closemakro(t.c()), 0);
    EXPECT_EQ(t->makanz, 1);
}

struct abschnitt {
    int maknroff;
    int nr;
    int index;
};

static void PrintTo(const abschnitt &f, std::ostream *os)
{
    *os << "section " << f.maknroff << " macro " << f.nr;
}

class Section : public ::testing::TestWithParam<abschnitt> {};

TEST_P(Section, EntryAndCountersOfTheSection)
{
    const abschnitt &f = GetParam();
    testctx t;
    std::string z = "X " + std::to_string(f.nr);
    ASSERT_EQ(oeffne(t, z.c_str(), f.maknroff), 1);
    fuelle(t, 300);
    EXPECT_EQ(closemakro(t.c()), 1);
    EXPECT_EQ(entry(t, f.index), bytes({0x30, 0x0E, 0x2C, 0x01}));
    int anz[3] = {t->makanz, t->tmakanz, t->pmakanz};
    long len[3] = {t->maklen, t->tmaklen, t->pmaklen};
    for (int s = 0; s < 3; s++) {
        EXPECT_EQ(anz[s], s * 256 == f.maknroff ? 1 : 0);
        EXPECT_EQ(len[s], s * 256 == f.maknroff ? 300 : 0);
    }
    for (int i = 0; i < 768; i++) {
        if (i != f.index) {
            ASSERT_EQ(entry(t, i), std::string(4, '\xFF')) << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Closemakro, Section, ::testing::Values(
    abschnitt{0, 5, 5}, abschnitt{256, 5, 261}, abschnitt{512, 7, 519},
    abschnitt{512, 255, 767}, abschnitt{256, 0, 256}), casenames());

TEST(Openmakro, SameNumberInTwoSections)
{
    testctx t;
    ASSERT_EQ(oeffne(t, "MAKRO 5"), 1);
    fuelle(t, 2);
    ASSERT_EQ(oeffne(t, "TOUCHMAKRO 5", 256), 1);
    fuelle(t, 3);
    closemakro(t.c());
    EXPECT_EQ(entry(t, 5), bytes({0x30, 0x0E, 2, 0}));
    EXPECT_EQ(entry(t, 261), bytes({0x32, 0x0E, 3, 0}));
    EXPECT_EQ(t->errors, 0);
}

TEST(Openmakro, DuplicateIsRefused)
{
    testctx t;
    ASSERT_EQ(oeffne(t, "MAKRO 5"), 1);
    fuelle(t, 2);
    EXPECT_EQ(oeffne(t, "MAKRO 5"), 0);
    EXPECT_EQ(t->aktmaknr, -1);
    EXPECT_EQ(t.out(), "\n--> MAKRO 5Macronumber 5 allready exists !\n");
    EXPECT_EQ(t->makanz, 1);
}

// An empty block is never entered and may be opened again.
TEST(Closemakro, EmptyBlockStaysOpen)
{
    testctx t;
    ASSERT_EQ(oeffne(t, "MAKRO 5"), 1);
    EXPECT_EQ(closemakro(t.c()), 0);
    EXPECT_EQ(t->aktmaknr, 5);
    EXPECT_EQ(entry(t, 5), std::string(4, '\xFF'));
    ASSERT_EQ(oeffne(t, "MAKRO 5"), 1);
    fuelle(t, 4);
    EXPECT_EQ(closemakro(t.c()), 1);
    EXPECT_EQ(t->makanz, 1);
    EXPECT_EQ(t->maklen, 4);
    EXPECT_EQ(t->errors, 0);
}

TEST(Openmakro, MissingNumberKeepsAnEmptyBlockOpen)
{
    testctx t;
    ASSERT_EQ(oeffne(t, "MAKRO 5"), 1);
    t->adresse = 40;
    EXPECT_EQ(oeffne(t, "MAKRO"), 0);
    EXPECT_EQ(t->aktmaknr, 5);
    EXPECT_EQ(t->aktmakadr, 40);
    EXPECT_EQ(t.out(), "\n--> MAKROthere is no Macronumber !\n");
}

TEST(Openmakro, MissingNumberAfterABlockWithBytesLeavesNone)
{
    testctx t;
    ASSERT_EQ(oeffne(t, "MAKRO 5"), 1);
    fuelle(t, 1);
    EXPECT_EQ(oeffne(t, "MAKRO"), 0);
    EXPECT_EQ(t->aktmaknr, -1);
    EXPECT_EQ(t->makanz, 1);
}

// The empty block kept by a directive without a number must not carry on
// into another section where its number is already taken.
TEST(Openmakro, KeptBlockNeverReachesAUsedEntry)
{
    testctx t;
    ASSERT_EQ(oeffne(t, "TOUCHMAKRO 5", 256), 1);
    fuelle(t, 3);
    ASSERT_EQ(oeffne(t, "MAKRO 5"), 1);
    EXPECT_EQ(oeffne(t, "TOUCHMAKRO", 256), 0);
    EXPECT_EQ(t->aktmaknr, -1);
    EXPECT_EQ(entry(t, 261), bytes({0x30, 0x0E, 3, 0}));

    ASSERT_EQ(oeffne(t, "MAKRO 6"), 1);
    EXPECT_EQ(oeffne(t, "PORTMAKRO", 512), 0);
    EXPECT_EQ(t->aktmaknr, 6);
}
