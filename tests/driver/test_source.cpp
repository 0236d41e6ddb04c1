// Source files, lines, file names and error reports.
#include "testutil.h"
#include "driver/driver.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

// One file as the reader sees it: each line as it lands in zeile, and
// whether its cut-off part is to be reported.
struct lesefall {
    const char *name;
    std::string datei;
    std::vector<std::string> zeilen;
    std::vector<int> zulang;        // per line: 1 when the rest was reported
};

static std::ostream &operator<<(std::ostream &os, const lesefall &f)
{
    return os << f.name;
}

class Zeilenleser : public testing::TestWithParam<lesefall> {};

TEST_P(Zeilenleser, LiestZeilenWieGeschrieben)
{
    const lesefall &f = GetParam();
    tempdir d;
    writefile(d / "a.mac", f.datei);
    testctx t;
    ASSERT_TRUE(openfile(t.c(), (d / "a.mac").c_str()));
    for (size_t i = 0; i < f.zeilen.size(); i++) {
        ASSERT_TRUE(readzeile(t.c())) << "line " << i + 1;
        EXPECT_EQ(std::string(t->zeile), f.zeilen[i]) << "line " << i + 1;
        EXPECT_EQ(t->datei[0].line, (int)i + 1);
        EXPECT_EQ(t->zulang, f.zulang[i]) << "line " << i + 1;
    }
    std::string letzte = t->zeile;
    EXPECT_FALSE(readzeile(t.c()));
    EXPECT_EQ(std::string(t->zeile), letzte);   // the end leaves the last line
}

static const std::string BOM = "\xEF\xBB\xBF";
static const std::string X254(254, 'x');

INSTANTIATE_TEST_SUITE_P(Zeilen, Zeilenleser, testing::Values(
    lesefall{"Bom", BOM + "MAKRO 1\nx\n", {"MAKRO 1", "x"}, {0, 0}},
    lesefall{"BomOnly", BOM, {}, {}},
    lesefall{"BomLaterIsText", "a\n" + BOM + "b\n", {"a", BOM + "b"}, {0, 0}},
    lesefall{"BomNotCounted", BOM + X254 + "\nb", {X254, "b"}, {0, 0}},
    lesefall{"LoneCr", "a\rb\rc", {"a", "b", "c"}, {0, 0, 0}},
    lesefall{"CrLf", "a\r\nb\r\n", {"a", "b"}, {0, 0}},
    lesefall{"CrThenCrLf", "a\r\r\nb", {"a", "\r", "b"}, {0, 0, 0}},
    lesefall{"EmptyLines", "\n\n", {"\n", "\n"}, {0, 0}},
    lesefall{"Exactly254", X254 + "\nb\n", {X254, "b"}, {0, 0}},
    lesefall{"Exactly254CrLf", X254 + "\r\nb\n", {X254, "b"}, {0, 0}},
    lesefall{"LongCode", std::string(300, 'x') + "\nnext\n", {X254, "next"}, {1, 0}},
    lesefall{"LongCodeCrLf", std::string(300, 'x') + "\r\nnext", {X254, "next"}, {1, 0}},
    lesefall{"LongCodeLoneCr", std::string(300, 'x') + "\rnext", {X254, "next"}, {1, 0}},
    lesefall{"LongBlanksAndTabs", X254 + "  \t \t\nb", {X254, "b"}, {0, 0}},
    lesefall{"LongComment", "; " + std::string(300, 'c') + "\nb", {"; " + std::string(252, 'c'), "b"}, {0, 0}},
    lesefall{"LongCommentAfterCode", "MAKRO 1 ;" + std::string(300, 'c'), {"MAKRO 1 ;" + std::string(245, 'c')}, {0}},
    lesefall{"SemicolonInString", "#ZL 0,0,';" + std::string(300, 'c'), {"#ZL 0,0,';" + std::string(244, 'c')}, {1}},
    lesefall{"SemicolonAfterString", "#ZL 0,0,'\"' ;" + std::string(300, 'c'), {"#ZL 0,0,'\"' ;" + std::string(241, 'c')}, {0}}),
    [](const testing::TestParamInfo<lesefall> &i) { return std::string(i.param.name); });

TEST(Lines, TrimmingKeepsBlanksAndTheFirstCharacter)
{
    struct { std::string in, want; } cases[] = {
        {"abc\r\n", "abc"},
        {"abc  \t\r\n", "abc  "},
        {"abc \t \n", "abc \t "},
        {"\t\n", "\t"},
        {"\n", "\n"},
        {"x\x01\x1f", "x"},
        {"a\xff\n", "a\xff"},
    };
    for (auto &k : cases) {
        tempdir d;
        writefile(d / "a.mac", k.in);
        testctx t;
        ASSERT_TRUE(openfile(t.c(), (d / "a.mac").c_str()));
        ASSERT_TRUE(readzeile(t.c()));
        EXPECT_EQ(std::string(t->zeile), k.want);
        EXPECT_EQ(t->zptr, t->zeile);
    }
}

TEST(Files, OpenPrintsAndIncludesCountFromOne)
{
    tempdir d;
    writefile(d / "a.mac", "1\n2\n");
    writefile(d / "b.mac", "1\n");
    testctx t;
    ASSERT_TRUE(openfile(t.c(), (d / "a.mac").c_str()));
    readzeile(t.c());
    ASSERT_TRUE(openfile(t.c(), (d / "b.mac").c_str()));
    readzeile(t.c());
    EXPECT_EQ(t->datei[1].line, 1);
    EXPECT_FALSE(readzeile(t.c()));
    EXPECT_TRUE(closeaktfile(t.c()));
    ASSERT_TRUE(openfile(t.c(), (d / "b.mac").c_str()));
    readzeile(t.c());
    EXPECT_EQ(t->datei[1].line, 1);
    closeaktfile(t.c());
    readzeile(t.c());
    EXPECT_EQ(t->datei[0].line, 2);
    EXPECT_FALSE(closeaktfile(t.c()));
    EXPECT_EQ(t->filenr, -1);
    EXPECT_EQ(t.out(), "\nOpen File <" + (d / "a.mac") + ">\nOpen File <" + (d / "b.mac") +
                           ">\nOpen File <" + (d / "b.mac") + ">");
}

TEST(Files, MissingIncludeNamesTheIncludingLine)
{
    tempdir d;
    writefile(d / "a.mac", "x\nINCLUDE <nix>\n");
    chdirguard g(d.path);
    testctx t;
    ASSERT_TRUE(openfile(t.c(), "a.mac"));
    readzeile(t.c());
    readzeile(t.c());
    EXPECT_FALSE(openfile(t.c(), "nix"));
    EXPECT_EQ(t->filenr, 0);
    EXPECT_EQ(t->errors, 1);
    EXPECT_EQ(t.out(), "\nOpen File <a.mac>\nError in file <a.mac> line 2"
                       "\n--> INCLUDE <nix>Cannot Open File <nix> !\n\n");
}

TEST(Files, NestingStopsAtTenFiles)
{
    tempdir d;
    for (int i = 0; i <= MAXDATEI; i++)
        writefile(d / ("f" + std::to_string(i)), "INCLUDE <f" + std::to_string(i + 1) + ">\n");
    chdirguard g(d.path);
    testctx t;
    for (int i = 0; i < MAXDATEI; i++) {
        ASSERT_TRUE(openfile(t.c(), ("f" + std::to_string(i)).c_str()));
        readzeile(t.c());
    }
    EXPECT_FALSE(openfile(t.c(), "f10"));
    EXPECT_EQ(t->filenr, MAXDATEI - 1);
    EXPECT_EQ(t->errors, 1);
    std::string out = t.out();
    EXPECT_EQ(out.substr(out.find("\nError")),
              "\nError in file <f9> line 1"
              "\n--> INCLUDE <f10>Too many nested Includefiles <f10> !\n");
}

TEST(FileNames, BetweenAngleBrackets)
{
    struct { const char *line; int ok; const char *name; const char *rest; } cases[] = {
        {"PICTURE 1 <pic.bmp>", 1, "pic.bmp", ">"},
        {"PICTURE 1 <pic.bmp", 1, "pic.bmp", ""},
        {"X <my file.txt>", 1, "my", " file.txt>"},
        {"X <>", 1, "", ">"},
        {"X <a\tb>", 1, "a", "\tb>"},
        {"X <\xe4\xf6.bin>", 1, "\xe4\xf6.bin", ">"},
        {"X <a><b>", 1, "a", "><b>"},
    };
    for (auto k : cases) {
        testctx t;
        t.line(k.line);
        char buf[NAMELEN];
        EXPECT_EQ(getfilename(t.c(), buf), k.ok) << k.line;
        EXPECT_STREQ(buf, k.name);
        EXPECT_STREQ(t->zptr, k.rest);
        EXPECT_EQ(t->errors, 0);
    }
}

TEST(FileNames, MissingIsReported)
{
    testctx t;
    t.line("INCLUDE pic.bmp");
    char buf[NAMELEN] = "old";
    EXPECT_EQ(getfilename(t.c(), buf), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_STREQ(t->zptr, "");
    EXPECT_EQ(t->errors, 1);
    EXPECT_EQ(t.out(), "\n--> INCLUDE pic.bmpCannot found a Filename !\n");
}

TEST(Errors, ConsoleAndLogDifferByOneBlank)
{
    tempdir d;
    writefile(d / "a.mac", "bad line\n");
    chdirguard g(d.path);
    testctx t;
    t->fperr = fopen("ERROR.OUT", "w");
    openfile(t.c(), "a.mac");
    readzeile(t.c());
    showerror(t.c(), "Unknown Command !");
    fclose(t->fperr);
    t->fperr = nullptr;
    EXPECT_EQ(t.out(), "\nOpen File <a.mac>\nError in file <a.mac> line 1\n--> bad lineUnknown Command !\n");
    EXPECT_EQ(readtext("ERROR.OUT"), "\nError in file <a.mac> line 1\n-->bad lineUnknown Command !\n");
    EXPECT_EQ(t->errors, 1);
}

TEST(Errors, LongMessageIsCutToFit)
{
    testctx t;
    t.line("");
    std::string name(200, 'n');
    fehler(t.c(), "Cannot Open File <%s> !\n", name.c_str());
    EXPECT_EQ(strlen(t->err), (size_t)ERRLEN - 1);
    EXPECT_EQ(t.out(), "\n--> " + std::string("Cannot Open File <") + std::string(ERRLEN - 19, 'n') + "\n");
}
