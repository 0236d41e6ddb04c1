// One command of the table as a line of text, for --commands and an
// editor's hover, found by its letters.
#include "testutil.h"
#include "macro/macro.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(Befehlzeile, FoundByLettersInAnyCase)
{
    struct { const char *letters; int zelnr; const char *anfang; } cases[] = {
        {"zl", -1, "ZL  2 to datamax+2, text, a zero byte appended"},
        {"ZL", 4, "ZL  2 to 33, text, a zero byte appended"},
        {"&e", 3, "&E  5 "},
        {"?", 0, "?   none "},
        {"DK", 3, ""},
    };
    for (auto &k : cases) {
        SCOPED_TRACE(k.letters);
        int i = befehlsuche(k.letters);
        ASSERT_GE(i, 0);
        char buf[160];
        ASSERT_EQ(befehlzeile(i, k.zelnr, buf, sizeof buf), 1);
        EXPECT_EQ(std::string(buf).substr(0, strlen(k.anfang)), k.anfang);
        if (!*k.anfang) {
            EXPECT_STREQ(buf, "");
        }
    }
    EXPECT_EQ(befehlsuche("ZN"), -1);
    EXPECT_EQ(befehlsuche(""), -1);
    char buf[160];
    EXPECT_EQ(befehlzeile(-1, -1, buf, sizeof buf), 0);
    EXPECT_EQ(befehlzeile(0, 5, buf, sizeof buf), 0);
}
