// The constant table: predefined names, case folding, redefinition, the
// name reader and the limits of names and of the table.
#include "testutil.h"
#include "expr/expr.h"

#include <gtest/gtest.h>

#include <string>

static int wert(testctx &t, const char *text)
{
    t.line(text);
    return ausdruck(t.c());
}

TEST(Konst, Predefined)
{
    testctx t;
    ASSERT_EQ(t->konstanz, 31);
    for (int i = 0; i < 26; i++) {
        EXPECT_EQ(t->konst[i].name, std::string(1, (char)('A' + i)));
        EXPECT_EQ(t->konst[i].wert, 'A' + i);
    }
    const char *intern[] = {"INTERN4x6", "INTERN5x6", "INTERN6x8", "INTERN8x8", "INTERN8x16"};
    for (int i = 0; i < 5; i++) {
        EXPECT_STREQ(t->konst[26 + i].name, intern[i]);
        EXPECT_EQ(t->konst[26 + i].wert, i + 1);
    }
    EXPECT_EQ(wert(t, "A"), 65);
    EXPECT_EQ(wert(t, "z"), 90);
    EXPECT_EQ(wert(t, "intern8X16"), 5);
    EXPECT_EQ(t->errors, 0);
}

TEST(Konst, PredefinedCanBeRedefined)
{
    testctx t;
    EXPECT_EQ(newkonst(t.c(), "A", 1), 1);
    EXPECT_EQ(wert(t, "a"), 1);
    EXPECT_EQ(t->konstanz, 31);
}

TEST(Konst, RedefinitionKeepsOneEntry)
{
    testctx t;
    newkonst(t.c(), "abc", 1);
    newkonst(t.c(), "ABC", wert(t, "ABC + 1"));
    EXPECT_EQ(wert(t, "Abc"), 2);
    EXPECT_EQ(t->konstanz, 32);
    EXPECT_STREQ(t->konst[31].name, "ABC");
}

TEST(Konst, UseBeforeDefinition)
{
    testctx t;
    EXPECT_EQ(wert(t, "breite"), 0);
    EXPECT_EQ(t.out(), "\n--> breiteConstant \"breite\" not defined !\n");
    newkonst(t.c(), "Breite", 240);
    EXPECT_EQ(wert(t, "breite"), 240);
    EXPECT_EQ(t->errors, 1);
}

TEST(Konst, TwentyNineCharacters)
{
    testctx t;
    const char *name = "abcdefghijklmnopqrstuvwxyz_29";
    ASSERT_EQ(strlen(name), 29u);
    t.line(name);
    char buf[KONSTNAME];
    ASSERT_EQ(getkonststr(t.c(), buf), 1);
    EXPECT_STREQ(buf, name);
    newkonst(t.c(), buf, 29);
    EXPECT_STREQ(t->konst[31].name, name);
    EXPECT_EQ(wert(t, "ABCDEFGHIJKLMNOPQRSTUVWXYZ_29"), 29);
    EXPECT_EQ(wert(t, "abcdefghijklmnopqrstuvwxyz_2"), 0);
    EXPECT_EQ(t->errors, 1);
}

TEST(Konst, LongNameIsRefused)
{
    testctx t;
    t.line("abcdefghijklmnopqrstuvwxyz_29X = 3");
    char buf[KONSTNAME];
    EXPECT_EQ(getkonststr(t.c(), buf), 0);
    EXPECT_STREQ(buf, "abcdefghijklmnopqrstuvwxyz_29");
    EXPECT_STREQ(t->zptr, " = 3");
    EXPECT_EQ(t.out(), "\n--> abcdefghijklmnopqrstuvwxyz_29X = 3"
                       "Name is to long (max. 29 characters) !\n");
    // Nobody can store a name that would have to be cut.
    EXPECT_EQ(newkonst(t.c(), "abcdefghijklmnopqrstuvwxyz_29X", 3), 0);
    EXPECT_EQ(t->konstanz, 31);
}

TEST(Konst, VeryLongNameInALargeBuffer)
{
    testctx t;
    std::string lang(250, 'q');
    t.line((lang + ",1").c_str());
    EXPECT_EQ(getkonststr(t.c(), t->str), 0);
    EXPECT_EQ(strlen(t->str), 29u);
    EXPECT_STREQ(t->zptr, ",1");
}

TEST(Konst, GetkonststrSkipsWhiteSpaceAndStopsBehindTheName)
{
    testctx t;
    t.line("  _x1 y");
    char buf[KONSTNAME];
    EXPECT_EQ(getkonststr(t.c(), buf), 1);
    EXPECT_STREQ(buf, "_x1");
    EXPECT_STREQ(t->zptr, " y");
}

TEST(Konst, GetkonststrWithoutName)
{
    testctx t;
    t.line(" 1abc");
    char buf[KONSTNAME] = "alt";
    EXPECT_EQ(getkonststr(t.c(), buf), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_STREQ(t->zptr, "1abc");
    EXPECT_EQ(t.out(), "\n-->  1abcConstant must begin with '_' or 'A'-'Z' !\n");
}

TEST(Konst, TableFull)
{
    testctx t;
    char name[16];
    for (int i = 0; i < 993; i++) {
        snprintf(name, sizeof name, "K%d", i);
        ASSERT_EQ(newkonst(t.c(), name, i), 1);
    }
    EXPECT_EQ(t->konstanz, MAXKONST);
    EXPECT_EQ(newkonst(t.c(), "K993", 993), 0);
    EXPECT_EQ(t->konstanz, MAXKONST);
    EXPECT_EQ(t.out(), "");
    EXPECT_EQ(wert(t, "K993"), 0);
    EXPECT_EQ(t->errors, 1);
    EXPECT_EQ(newkonst(t.c(), "k992", -1), 1);
    EXPECT_EQ(wert(t, "K992"), -1);
    EXPECT_EQ(wert(t, "K0"), 0);
    EXPECT_EQ(wert(t, "K500"), 500);
}
