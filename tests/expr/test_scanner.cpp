// The scan cursor: character classes and the two skip operations.
#include "testutil.h"
#include "expr/expr.h"

#include <gtest/gtest.h>

#include <ostream>

TEST(Classes, EveryByte)
{
    for (int ch = -128; ch < 256; ch++) {
        bool buchstabe = (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
        bool ziffer = ch >= '0' && ch <= '9';
        bool hex = ziffer || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
        bool weiss = ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
        EXPECT_EQ(isletter(ch) != 0, buchstabe) << ch;
        EXPECT_EQ(isdigit10(ch) != 0, ziffer) << ch;
        EXPECT_EQ(ishexdigit(ch) != 0, hex) << ch;
        EXPECT_EQ(isweiss(ch) != 0, weiss) << ch;
        EXPECT_EQ(isnamech(ch) != 0, buchstabe || ziffer || ch == '_') << ch;
    }
}

TEST(Nxtzeichen, SkipsWhiteSpace)
{
    testctx t;
    t.line(" \t\n\v\f\rx y");
    nxtzeichen(t.c(), 0);
    EXPECT_STREQ(t->zptr, "x y");
    nxtzeichen(t.c(), 1);
    EXPECT_STREQ(t->zptr, "y");
    nxtzeichen(t.c(), 0);
    EXPECT_STREQ(t->zptr, "y");
}

TEST(Nxtzeichen, StaysAtTheEndOfTheLine)
{
    testctx t;
    t.line("");
    nxtzeichen(t.c(), 1);
    EXPECT_EQ(t->zptr, t->zeile);
}

struct trennfall {
    const char *text;
    const char *rest;
};


static void PrintTo(const trennfall &f, std::ostream *os) { showtext(f.text, os); }

class Nxttrennzch : public testing::TestWithParam<trennfall> {};

TEST_P(Nxttrennzch, StopsAtTheSeparator)
{
    testctx t;
    t.line(GetParam().text);
    nxttrennzch(t.c());
    EXPECT_STREQ(t->zptr, GetParam().rest);
}

INSTANTIATE_TEST_SUITE_P(Separators, Nxttrennzch, testing::Values(
    trennfall{"COM1 9600", " 9600"},
    trennfall{"COM1\t9600", "\t9600"},
    trennfall{"COM1,9600", ",9600"},
    trennfall{"COM1;9600", ";9600"},
    trennfall{"COM2:9600", ":9600"},
    trennfall{"PIC<x>", "<x>"},
    trennfall{"BAUD", ""},
    trennfall{"a=b c", " c"},
    trennfall{"a\nb c", " c"},
    trennfall{" x", " x"},
    trennfall{"", ""}), casenames());
