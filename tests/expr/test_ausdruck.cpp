// The expression evaluator: values, what stays unread at zptr, and the
// wrap-around and division rules.
#include "testutil.h"
#include "expr/expr.h"

#include <gtest/gtest.h>

#include <ostream>

struct fall {
    const char *text;
    int wert;
    const char *rest;    // what zptr points at afterwards
};


static void PrintTo(const fall &f, std::ostream *os) { showtext(f.text, os); }

class Ausdruck : public testing::TestWithParam<fall> {};

TEST_P(Ausdruck, ValueAndRest)
{
    const fall &f = GetParam();
    testctx t;
    t.line(f.text);
    EXPECT_EQ(ausdruck(t.c()), f.wert);
    EXPECT_STREQ(t->zptr, f.rest);
    EXPECT_EQ(t->errors, 0);
    EXPECT_EQ(t.out(), "");
}

INSTANTIATE_TEST_SUITE_P(Arithmetic, Ausdruck, testing::Values(
    fall{"2+3*4", 14, ""},
    fall{"(2+3)*4", 20, ""},
    fall{"10-3-2", 5, ""},
    fall{"100/10/5", 2, ""},
    fall{"7/2", 3, ""},
    fall{"-7/2", -3, ""},
    fall{"7/-2", -3, ""},
    fall{"3*-2", -6, ""},
    fall{" 2 * ( 3 + 4 ) ", 14, ""},
    fall{"\t1\t+\t2", 3, ""}), casenames());

INSTANTIATE_TEST_SUITE_P(Numbers, Ausdruck, testing::Values(
    fall{"-$10", -16, ""},
    fall{"-%101", -5, ""},
    fall{"-A", -65, ""},
    fall{"$ff", 255, ""},
    fall{"$FF", 255, ""},
    fall{"$aB", 171, ""},
    fall{"%1010", 10, ""},
    fall{"$", 0, ""},
    fall{"%", 0, ""},
    fall{"%2", 0, "2"},
    fall{"1 000", 1000, ""},
    fall{"$FF 00", 65280, ""},
    fall{"%1010 1010", 170, ""},
    fall{"- 5", -5, ""},
    fall{"12AB", 12, "AB"},
    fall{"$1G", 1, "G"},
    fall{"", 0, ""},
    fall{"   ", 0, ""},
    fall{"x", 88, ""},
    fall{"intern8X16", 5, ""}), casenames());

INSTANTIATE_TEST_SUITE_P(Brackets, Ausdruck, testing::Values(
    fall{"(1+2", 3, ""},
    fall{"1+2)", 3, ""},
    fall{"1+2) ,4", 3, ",4"},
    fall{"((1+2)*3)", 9, ""},
    fall{"1+2))", 3, ")"},
    fall{"-(2)", 0, "(2)"},
    fall{"--5", -5, ""},
    fall{"+5", 5, ""},
    fall{"1+2,3", 3, ",3"},
    fall{"5 = 7", 5, "= 7"},
    fall{"\x81" "5", 0, "\x81" "5"}), casenames());

INSTANTIATE_TEST_SUITE_P(Overflow, Ausdruck, testing::Values(
    fall{"$FFFFFFFF", -1, ""},
    fall{"$1FFFFFFFF", -1, ""},
    fall{"4294967296", 0, ""},
    fall{"4294967297", 1, ""},
    fall{"2147483647+1", -2147483647 - 1, ""},
    fall{"-2147483647-2", 2147483647, ""},
    fall{"65536*65536", 0, ""},
    fall{"$7FFFFFFF*2", -2, ""},
    fall{"-2147483648", -2147483647 - 1, ""},
    fall{"-2147483648*-1", -2147483647 - 1, ""},
    fall{"-2147483648/-1", -2147483647 - 1, ""},
    fall{"$80000000/-1", -2147483647 - 1, ""},
    fall{"-2147483648/1", -2147483647 - 1, ""},
    fall{"-%10000000000000000000000000000000", -2147483647 - 1, ""}), casenames());

TEST(AusdruckErrors, DivisionByZeroGivesZeroAndReports)
{
    testctx t;
    t.line("7/0+1, 2");
    EXPECT_EQ(ausdruck(t.c()), 1);
    EXPECT_STREQ(t->zptr, ", 2");
    EXPECT_EQ(t->errors, 1);
    EXPECT_EQ(t.out(), "\n--> 7/0+1, 2Division by zero !\n");
}

TEST(AusdruckErrors, DivisionByAnEmptyNumber)
{
    testctx t;
    t.line("-2147483648/(5-5)");
    EXPECT_EQ(ausdruck(t.c()), 0);
    EXPECT_EQ(t->errors, 1);
}

TEST(AusdruckErrors, UnknownNameCountsZero)
{
    testctx t;
    t.line("3+nix*2");
    EXPECT_EQ(ausdruck(t.c()), 3);
    EXPECT_STREQ(t->zptr, "");
    EXPECT_EQ(t.out(), "\n--> 3+nix*2Constant \"nix\" not defined !\n");
}

TEST(AusdruckErrors, TooLongNameCountsZeroWithoutSecondMessage)
{
    testctx t;
    t.line("1+ABCDEFGHIJKLMNOPQRSTUVWXYZabcd+2");
    EXPECT_EQ(ausdruck(t.c()), 3);
    EXPECT_STREQ(t->zptr, "");
    EXPECT_EQ(t->errors, 1);
    EXPECT_EQ(t.out(), "\n--> 1+ABCDEFGHIJKLMNOPQRSTUVWXYZabcd+2"
                       "Name is to long (max. 29 characters) !\n");
}

TEST(AusdruckErrors, NamesWithUnderscore)
{
    testctx t;
    newkonst(t.c(), "_rand", 4);
    t.line("_RAND*2");
    EXPECT_EQ(ausdruck(t.c()), 8);
    EXPECT_EQ(t->errors, 0);
}
