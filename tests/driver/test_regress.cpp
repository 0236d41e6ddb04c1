// Inputs the fuzzer found that the driver handled badly, each as it was
// found, cut down to what matters.
#include "testutil.h"
#include "driver/driver.h"

#include <gtest/gtest.h>

namespace {

// Compiles m.mac in dir in-process; returns the console text.
std::string kompiliere(const tempdir &d, testctx &t)
{
    chdirguard g(d.path);
    char a0[] = "zelcomp", a1[] = "m.mac";
    char *argv[] = {a0, a1, nullptr};
    zelrun(t.c(), 2, argv);
    return t.out();
}

size_t zaehle(const std::string &s, const std::string &was)
{
    size_t n = 0;
    for (size_t p = s.find(was); p != std::string::npos; p = s.find(was, p + 1))
        n++;
    return n;
}

} // namespace

// A file that included itself four times was read again at every level
// down to the end of the include stack: 4^9 opens and five million errors
// for a four-line file. Now every include of a file being read is one error.
TEST(Regress, SelfIncludeIsOneErrorPerLine)
{
    tempdir d;
    writefile(d / "m.mac", "INCLUDE <f1>\nINCLUDE <f1>\n");
    writefile(d / "f1", "INCLUDE <f1>\nINCLUDE <f1>\nINCLUDE <./f1>\nINCLUDE <f1>\nX = 1\n");
    testctx t;
    std::string out = kompiliere(d, t);
    EXPECT_EQ(t->errors, 8);
    EXPECT_EQ(zaehle(out, "\nOpen File <f1>"), 2u);
    EXPECT_NE(out.find("\nError in file <f1> line 3\n--> INCLUDE <./f1>"
                       "Includefile <./f1> includes itself !\n"),
              std::string::npos);
}

TEST(Regress, IncludeCycleIsRefused)
{
    tempdir d;
    writefile(d / "m.mac", "INCLUDE <a>\n");
    writefile(d / "a", "INCLUDE <b>\n");
    writefile(d / "b", "INCLUDE <a>\nINCLUDE <m.mac>\n");
    testctx t;
    std::string out = kompiliere(d, t);
    EXPECT_EQ(t->errors, 2);
    EXPECT_NE(out.find("\n--> INCLUDE <a>Includefile <a> includes itself !\n"), std::string::npos);
    EXPECT_NE(out.find("\n--> INCLUDE <m.mac>Includefile <m.mac> includes itself !\n"),
              std::string::npos);
}

// The same file may be included any number of times one after the other.
TEST(Regress, RepeatedIncludeStillWorks)
{
    tempdir d;
    writefile(d / "m.mac", "INCLUDE <f>\nINCLUDE <f>\nINCLUDE <f>\n");
    writefile(d / "f", "N = N + 1\n");
    testctx t;
    std::string out = kompiliere(d, t);
    EXPECT_EQ(t->errors, 0);
    EXPECT_EQ(zaehle(out, "\nOpen File <f>"), 3u);
    EXPECT_EQ(t->konst[13].wert, 'N' + 3);
}
