// The EEPROM image: address encoding, table entries and the room check.
#include "testutil.h"
#include "driver/driver.h"
#include "device/device.h"

#include <gtest/gtest.h>

TEST(Image, StartsEmptyWithFreeTables)
{
    testctx t;
    EXPECT_EQ(t->adresse, 0);
    for (unsigned char b : t->font) EXPECT_EQ(b, 0xFF);
    for (unsigned char b : t->bild) EXPECT_EQ(b, 0xFF);
    for (unsigned char b : t->makro) EXPECT_EQ(b, 0xFF);
}

TEST(Image, AddressEncoding)
{
    struct { int d, lo, hi; } cases[] = {
        {0, 0x30, 0x0E}, {208, 0x00, 0x0F}, {61903, 0xFF, 0xFF}, {0xD0 + 0x100, 0x00, 0x10},
    };
    for (auto k : cases) {
        unsigned char e[2];
        eepadr(e, k.d);
        EXPECT_EQ(e[0], k.lo) << k.d;
        EXPECT_EQ(e[1], k.hi) << k.d;
    }
}

TEST(Image, EntryIsUsedWhenEitherByteIsNotFF)
{
    const unsigned char frei[2] = {0xFF, 0xFF}, lo[2] = {0x00, 0xFF}, hi[2] = {0xFF, 0x0E};
    EXPECT_TRUE(tabfrei(frei));
    EXPECT_FALSE(tabfrei(lo));
    EXPECT_FALSE(tabfrei(hi));
}

TEST(Image, RoomCheckAtTheEnd)
{
    testctx t;
    t->adresse = 100;
    EXPECT_TRUE(platz(t.c(), DATASIZE - 100));
    EXPECT_FALSE(platz(t.c(), DATASIZE - 99));
    EXPECT_FALSE(platz(t.c(), -1));
    t->adresse = DATASIZE;
    EXPECT_TRUE(platz(t.c(), 0));
    EXPECT_FALSE(platz(t.c(), 1));
}

TEST(Image, AppendAdvancesAdresse)
{
    testctx t;
    const unsigned char b[3] = {1, 2, 3};
    append(t.c(), b, 3);
    append(t.c(), b, 2);
    EXPECT_EQ(t->adresse, 5);
    EXPECT_EQ(std::string(t->eeprom, t->eeprom + 5), bytes({1, 2, 3, 1, 2}));
}

TEST(Models, SelectedByTheFirstEightCharacters)
{
    struct { const char *text; int start, want; } cases[] = {
        {"zel530-4", 3, 2},
        {"ZEL530-4 ; the small one", 3, 2},
        {"ZEL530-", 3, 3},               // seven characters name nothing
        {"QO417-2R", 0, 4},
        {"qo417-2r8", 0, 4},
        {"QO417-2RX", 0, 4},
        {"ZEL310-2", 3, 0},
        {"ZEL420-3xyz", 3, 1},
        {"nothing", 1, 1},
        {"", 2, 2},
    };
    for (auto k : cases) {
        testctx t;
        t->zelnr = k.start;
        zelstr2var(t.c(), k.text);
        EXPECT_EQ(t->zelnr, k.want) << k.text;
        EXPECT_EQ(t.out(), "");
    }
}

TEST(Models, DefaultIsZel5305)
{
    testctx t;
    EXPECT_EQ(t->zelnr, 3);
    EXPECT_STREQ(zel[3].name, "ZEL530-5");
    EXPECT_EQ(zel[3].xdots, 240);
    EXPECT_EQ(zel[3].ydots, 128);
}

TEST(Models, BaudIndex)
{
    EXPECT_EQ(baudindex(115200), 7);
    EXPECT_EQ(baudindex(1200), 0);
    EXPECT_EQ(baudindex(19200), 4);
    EXPECT_EQ(baudindex(14400), -1);
    EXPECT_EQ(baudindex(0), -1);
}
