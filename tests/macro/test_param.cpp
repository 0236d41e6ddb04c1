// Parameter lists, appending the command buffer to the data area, and
// files embedded as data commands.
#include "testutil.h"
#include "macro/macro.h"

#include <gtest/gtest.h>

static std::string befbytes(zelctx &c, int von)
{
    return std::string((const char *)c.bef + von, c.aktbeflen - von);
}

static std::string datenbytes(zelctx &c, int von = 0)
{
    return std::string((const char *)c.eeprom + von, c.adresse - von);
}

struct listfall {
    const char *zeile;
    std::string werte;
    const char *rest;         // where the cursor stays
};

void PrintTo(const listfall &f, std::ostream *os)
{
    *os << f.zeile;
}

class List : public ::testing::TestWithParam<listfall> {};

TEST_P(List, BytesCountAndCursor)
{
    const listfall &f = GetParam();
    testctx t;
    t.line(f.zeile);
    t->aktbeflen = 3;               // behind ESC and two letters
    int n = parameter(t.c());
    EXPECT_EQ(n, (int)f.werte.size());
    EXPECT_EQ(befbytes(t.c(), 3), f.werte);
    EXPECT_STREQ(t->zptr, f.rest);
    EXPECT_EQ(t->errors, 0);
    EXPECT_EQ(t.out(), "");
}

INSTANTIATE_TEST_SUITE_P(Parameter, List, ::testing::Values(
    listfall{"1,,2", bytes({1, 2}), ""},
    listfall{"1, 2", bytes({1, 2}), ""},
    listfall{"1 2", bytes({12}), ""},               // digits run on across blanks
    listfall{"1 000", bytes({1000 & 0xFF}), ""},
    listfall{" \t1\t,\v2 ", bytes({1, 2}), ""},
    listfall{", ,7,", bytes({7}), ""},
    listfall{"", "", ""},
    listfall{"   ", "", ""},
    listfall{"'a;b'", "a;b", ""},
    listfall{"1;2", bytes({1}), ";2"},
    listfall{"; 1,2", "", "; 1,2"},
    listfall{"'abc", "abc", ""},
    listfall{"''", "", ""},
    listfall{"\"it's\"", "it's", ""},
    listfall{"'say \"hi\"'", "say \"hi\"", ""},
    listfall{"'<,>'", "<,>", ""},
    listfall{"-1", bytes({255}), ""},
    listfall{"300", bytes({44}), ""},
    listfall{"-256,256,65535", bytes({0, 0, 255}), ""},
    listfall{"10 -2", bytes({8}), ""},
    listfall{"10,-2", bytes({10, 254}), ""},
    listfall{"1,2 <name>", bytes({1, 2}), "<name>"},
    listfall{"<a.bin> 1", "", "<a.bin> 1"},
    listfall{"1'A'2", bytes({1, 65, 2}), ""},
    listfall{"12 A", bytes({12, 65}), ""},          // a name after a number
    listfall{"A B", bytes({65, 66}), ""},           // anything after a name
    listfall{"A 1", bytes({65, 1}), ""},
    listfall{"'x' 5", bytes({'x', 5}), ""},
    listfall{"$FF,%101,(1+2)*3", bytes({255, 5, 9}), ""},
    listfall{"'\xC4\xFF'", "\xC4\xFF", ""}), casenames());

// A character that no expression can begin with ends the list with one
// counted error, the cursor on it.
class Unreadable : public ::testing::TestWithParam<const char *> {};

TEST_P(Unreadable, EndsTheListWithAnError)
{
    std::string z = std::string("1, ") + GetParam() + " 2";
    testctx t;
    t.line(z.c_str());
    t->aktbeflen = 3;
    EXPECT_EQ(parameter(t.c()), 1);
    EXPECT_EQ(befbytes(t.c(), 3), bytes({1}));
    EXPECT_EQ(*t->zptr, GetParam()[0]);
    EXPECT_EQ(t->errors, 1);
    EXPECT_EQ(t.out(), "\n--> " + z + "illegal character in parameter list !\n");
}

INSTANTIATE_TEST_SUITE_P(Parameter, Unreadable,
                         ::testing::Values(">", "=", ".", "#", "!", "\x80"), casenames());

TEST(Parameter, NeverWritesPastTheBuffer)
{
    testctx t;
    t.line("'abcdefghijklmnopqrstuvwxyz' 1,2,3");
    t->aktbeflen = BEFLEN - 10;
    EXPECT_EQ(parameter(t.c()), 10);
    EXPECT_EQ(t->aktbeflen, BEFLEN);
    EXPECT_EQ(befbytes(t.c(), BEFLEN - 10), "abcdefghij");
    EXPECT_EQ(t->errors, 1);
    EXPECT_NE(t.out().find("wrong number of parameters"), std::string::npos);

    t.line("1,2");
    t->aktbeflen = BEFLEN;
    EXPECT_EQ(parameter(t.c()), 0);
    EXPECT_EQ(t->aktbeflen, BEFLEN);
}

TEST(Parameter, LongestLineFitsTheBuffer)
{
    testctx t;
    std::string z = "'" + std::string(254, 'x');
    t.line(z.c_str());
    t->aktbeflen = 4;
    EXPECT_EQ(parameter(t.c()), 254);
    EXPECT_EQ(t->aktbeflen, 258);
    EXPECT_EQ(t->errors, 0);
}

static void befehl(zelctx &c, int n)
{
    c.aktbeflen = 0;
    for (int i = 0; i < n; i++)
        c.bef[c.aktbeflen++] = (unsigned char)(i + 1);
}

TEST(Bef2eep, AppendsAndCountsIntoTheOpenBlock)
{
    testctx t;
    t->adresse = 10;
    t->aktmaknr = 1;
    t->aktmakadr = 7;
    t->aktmaklen = 3;
    befehl(t.c(), 4);
    EXPECT_EQ(bef2eep(t.c()), 1);
    EXPECT_EQ(t->adresse, 14);
    EXPECT_EQ(t->aktmaklen, 7);
    EXPECT_EQ(t->aktmakadr, 7);
    EXPECT_EQ(t->aktbeflen, 0);
    EXPECT_EQ(datenbytes(t.c(), 10), bytes({1, 2, 3, 4}));
}

TEST(Bef2eep, FillsTheDataAreaToItsLastByte)
{
    testctx t;
    t->adresse = DATASIZE - 5;
    befehl(t.c(), 5);
    EXPECT_EQ(bef2eep(t.c()), 1);
    EXPECT_EQ(t->adresse, DATASIZE);
    EXPECT_EQ(t->aktmaklen, 5);
    EXPECT_EQ(t->eeprom[DATASIZE - 1], 5);
    EXPECT_EQ(t->errors, 0);
}

TEST(Bef2eep, RefusesACommandOneBytePastTheEnd)
{
    testctx t;
    t.line("#G 1,2,3,4");
    t->adresse = DATASIZE - 4;
    t->aktmaklen = 2;
    befehl(t.c(), 5);
    EXPECT_EQ(bef2eep(t.c()), 0);
    EXPECT_EQ(t->adresse, DATASIZE - 4);
    EXPECT_EQ(t->aktmaklen, 2);
    EXPECT_EQ(t->aktbeflen, 5);
    EXPECT_EQ(t->errors, 1);
    EXPECT_EQ(t.out(), "\n--> #G 1,2,3,4EEPROM-memory overflow !\n");
}

// A block left open while empty starts where its first command goes, even
// when a picture or font was stored after its opening line.
TEST(Bef2eep, FirstCommandOfAnEmptyBlockSetsItsStart)
{
    testctx t;
    t->aktmaknr = 4;
    t->aktmakadr = 0;
    t->aktmaklen = 0;
    t->adresse = 482;
    befehl(t.c(), 3);
    EXPECT_EQ(bef2eep(t.c()), 1);
    EXPECT_EQ(t->aktmakadr, 482);
    befehl(t.c(), 2);
    EXPECT_EQ(bef2eep(t.c()), 1);
    EXPECT_EQ(t->aktmakadr, 482);
    EXPECT_EQ(t->aktmaklen, 5);
}

static std::string datei(int n)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s.push_back((char)(i * 7 + 3));
    return s;
}

static std::string chunks(const std::string &inhalt)
{
    std::string s;
    for (size_t i = 0; i < inhalt.size(); i += 256) {
        std::string teil = inhalt.substr(i, 256);
        s += bytes({27, 'S', (int)(teil.size() & 0xFF)}) + teil;
    }
    return s;
}

class Sendfile : public ::testing::TestWithParam<int> {};

TEST_P(Sendfile, EmbedsTheFileInChunksOf256)
{
    tempdir d;
    std::string inhalt = datei(GetParam());
    writefile(d / "data.bin", inhalt);
    testctx t;
    t->bef[0] = 27;
    t->bef[1] = 'S';
    t->aktmaknr = 0;
    EXPECT_EQ(loadsendfile(t.c(), (d / "data.bin").c_str()), 1);
    EXPECT_EQ(datenbytes(t.c()), chunks(inhalt));
    EXPECT_EQ(t->aktmaklen, t->adresse);
    EXPECT_EQ(t->errors, 0);
}

INSTANTIATE_TEST_SUITE_P(Loadsendfile, Sendfile, ::testing::Values(0, 1, 255, 256, 257, 600),
                         [](const ::testing::TestParamInfo<int> &i) {
                             return std::to_string(i.param) + "_bytes";
                         });

TEST(Loadsendfile, ChunkHeadersOf600Bytes)
{
    tempdir d;
    writefile(d / "data.bin", datei(600));
    testctx t;
    t->bef[0] = 27;
    t->bef[1] = 'S';
    EXPECT_EQ(loadsendfile(t.c(), (d / "data.bin").c_str()), 1);
    ASSERT_EQ(t->adresse, 3 * 3 + 600);
    EXPECT_EQ(datenbytes(t.c()).substr(0, 3), bytes({27, 'S', 0}));
    EXPECT_EQ(datenbytes(t.c()).substr(259, 3), bytes({27, 'S', 0}));
    EXPECT_EQ(datenbytes(t.c()).substr(518, 3), bytes({27, 'S', 88}));
}

TEST(Loadsendfile, MissingFile)
{
    testctx t;
    t.line("#S <nix.bin>");
    t->bef[0] = 27;
    t->bef[1] = 'S';
    EXPECT_EQ(loadsendfile(t.c(), "/nonexistent/nix.bin"), 0);
    EXPECT_EQ(t->adresse, 0);
    EXPECT_EQ(t->errors, 1);
    EXPECT_EQ(t.out(), "\n--> #S <nix.bin>Cannot Open File </nonexistent/nix.bin> !\n");
}

// Chunks before the one that does not fit stay; the rest is dropped.
TEST(Loadsendfile, OverflowInTheMiddle)
{
    tempdir d;
    writefile(d / "data.bin", datei(600));
    testctx t;
    t.line("#S <data.bin>");
    t->bef[0] = 27;
    t->bef[1] = 'S';
    t->adresse = DATASIZE - 259 - 258;
    EXPECT_EQ(loadsendfile(t.c(), (d / "data.bin").c_str()), 0);
    EXPECT_EQ(t->adresse, DATASIZE - 258);
    EXPECT_EQ(t->aktmaklen, 259);
    EXPECT_EQ(t->errors, 1);
    EXPECT_EQ(t.out(), "\n--> #S <data.bin>EEPROM-memory overflow !\n");
}
