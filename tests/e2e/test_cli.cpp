// The command line for people and tools: help and version, batch runs with
// diagnostics on stderr, warnings, include directories, and the manual pages.
#include "testutil.h"
#include "font/fntbau.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>

static const std::string TAIL_1 = "\n\n---> found 1 Errors !\n\n---> see File <ERROR.OUT>";

TEST(Cli, HelpAndVersionAnswerWithoutPrompt)
{
    struct { std::vector<std::string> args; const char *start; } cases[] = {
        {{"-h"}, "usage: zelcomp [options] [file]\n"},
        {{"-H", "x.mac"}, "usage: zelcomp [options] [file]\n"},
        {{"--help"}, "usage: zelcomp [options] [file]\n"},
        {{"-o", "--version", "--help"}, "zelcomp "},
    };
    for (auto &k : cases) {
        SCOPED_TRACE(k.args[0]);
        tempdir d;
        runresult r = runzel(d.path, k.args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind(k.start, 0), 0u) << r.out;
        EXPECT_EQ(r.out.find("Filename"), std::string::npos);
        EXPECT_EQ(r.err, "");
        EXPECT_FALSE(fileexists(d / "ERROR.OUT"));
    }
    runresult v = runzel("/", {"--version"});
    EXPECT_TRUE(std::regex_match(v.out, std::regex("zelcomp [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << v.out;
    std::string h = runzel("/", {"--help"}).out;
    for (const char *wort : {"\n  -o ", "\n  -c<n> ", "\n  -P <device> ", "\n  -b<rate> ", "\n  -I<dir> ", "\n  -W ", "\n  --verify ",
                             "\n  --batch ", "\n  -h, --help ", "\n  --version ", "ZEL_COM<n>",
                             "0 success", "1 errors", "2 the module", "64 wrong use"})
        EXPECT_NE(h.find(wort), std::string::npos) << wort;
}

TEST(Cli, WrongCommandLineIsAUsageError)
{
    struct { std::vector<std::string> args; const char *err; } cases[] = {
        {{"--batch"}, "zelcomp: no file name given (--batch does not ask for one)\n"},
        {{"-o", "--batch", "-c1"}, "zelcomp: no file name given (--batch does not ask for one)\n"},
        {{"-I", "x.mac"}, "zelcomp: -I needs a directory attached, as in -Iinclude\n"},
    };
    for (auto &k : cases) {
        SCOPED_TRACE(k.args[0]);
        tempdir d;
        runresult r = runzel(d.path, k.args, "x.mac\n");
        EXPECT_EQ(r.status, 64);
        EXPECT_EQ(r.out, k.args[0] == "-I" ? BANNER : "");
        EXPECT_EQ(r.err, k.err);
        EXPECT_FALSE(fileexists(d / "ERROR.OUT"));
    }
}

// With a terminal for input the run must still end: --batch never waits.
TEST(Cli, BatchErrorsGoToStderrWithoutWaiting)
{
    tempdir d;
    mkdir((d / "src").c_str(), 0755);
    writefile(d / "src/two.mac", "X = 1\nINCLUDE <sub.inc>\nY = NIX\n");
    writefile(d / "src/sub.inc", "\nMAKRO 1\n#Q 1\n");
    runresult r = runterm(d.path, ZELCOMP_BIN, {"--batch", "src/two.mac"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "src/sub.inc:3:2: error: not a valid command (nearest: QC, QZ, QD, QM)\n"
                     "#Q 1\n"
                     " ^\n"
                     "src/two.mac:3:5: error: Constant \"NIX\" not defined !\n"
                     "Y = NIX\n"
                     "    ^\n");
    std::string log = readfile(d / "ERROR.OUT");
    runresult ohne = runzel(d.path, {"src/two.mac"}, "\n");
    EXPECT_EQ(ohne.status, 1);
    EXPECT_EQ(ohne.err, "");
    // no banner, and a line end at the end
    EXPECT_EQ(BANNER + r.out, ohne.out.substr(0, ohne.out.size() - 9) + "\n");
    EXPECT_EQ(ohne.out.substr(ohne.out.size() - 9), "\n<RETURN>");
    EXPECT_EQ(readfile(d / "ERROR.OUT"), log);

    runresult fehlt = runterm(d.path, ZELCOMP_BIN, {"--batch", "nix.mac"});
    EXPECT_EQ(fehlt.status, 1);
    EXPECT_EQ(fehlt.err, "zelcomp: error: Cannot Open File <nix.mac> !\n");
    EXPECT_EQ(fehlt.out, "\n--> Cannot Open File <nix.mac> !\n\n" + TAIL_1 + "\n");
}

// --batch: every diagnostic one line, also for the messages that begin
// with a line end on the console and for names that hold one.
TEST(Cli, BatchDiagnosticsAreOneLineEach)
{
    struct {
        const char *name;
        std::string quelle;      // the source's name
        std::string text;
        bool eepverz;            // s.EEP is a directory
        const char *err;
    } cases[] = {
        {"output error", "s.mac", "", true, "zelcomp: error: Cannot write file s.EEP !\n"},
        {"object file named twice", "s.mac", "DESTINATION <s.EEO>\n", false,
         "zelcomp: error: Output file <s.EEO> would overwrite the object file !\n"},
        {"line end in the source's name", "a\nb.mac", "BOGUS\n", false,
         "a b.mac:1:1: error: Unknown Command !\nBOGUS\n^\n"},
        {"NUL byte", "s.mac", std::string("MAKRO 1\n#S 1\0", 13) + "\n", false,
         "s.mac:2:1: error: NUL byte in line: save the file as text (ASCII or UTF-8) !\n#S 1\n^\n"},
        {"UTF-16", "s.mac", "\xFE\xFF", false, "s.mac:1:1: error: File is UTF-16 BE text: save it as ASCII or UTF-8 !\n"},
    };
    for (auto &k : cases) {
        SCOPED_TRACE(k.name);
        tempdir d;
        writefile(d / k.quelle, k.text);
        if (k.eepverz)
            mkdir((d / "s.EEP").c_str(), 0755);
        runresult r = runzel(d.path, {"--batch", "-o", k.quelle});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, k.err);
        EXPECT_FALSE(fileexists(d / "s.EEO"));
    }
}

// An empty data file stores nothing: a warning with -W, nothing else.
TEST(Cli, EmptyDataFileWarned)
{
    tempdir d;
    writefile(d / "e.bin", "");
    writefile(d / "w.mac", "MAKRO 1\n#S 1\n#S <e.bin>\n");
    runresult ohne = runzel(d.path, {"-o", "w.mac"});
    std::string eeo = readfile(d / "w.EEO");
    runresult mit = runzel(d.path, {"-W", "-o", "w.mac"});
    EXPECT_EQ(mit.status, 0);
    EXPECT_EQ(mit.out, ohne.out);
    EXPECT_EQ(readfile(d / "w.EEO"), eeo);
    EXPECT_EQ(ohne.err, "");
    EXPECT_EQ(mit.err, "w.mac:3:1: warning: data file <e.bin> is empty, nothing stored\n#S <e.bin>\n^\n");
}

struct warnfall {
    const char *name;      // test name
    const char *source;    // the source; the warning is about its last line
    const char *warning;   // the text after "w.mac:LINE:COLUMN: warning: ", "" for none
    int spalte;            // the column it points at
};

class Warning : public testing::TestWithParam<warnfall> {};

// Each warning on its line, nothing counted, every output as without -W.
TEST_P(Warning, OnStderrOnly)
{
    const warnfall &k = GetParam();
    tempdir d;
    writefile(d / "w.mac", k.source);
    runresult ohne = runzel(d.path, {"-o", "w.mac"});
    std::string eep = readfile(d / "w.EEP");
    runresult mit = runzel(d.path, {"-W", "-o", "w.mac"});
    EXPECT_EQ(mit.status, 0);
    EXPECT_EQ(mit.out, ohne.out);
    EXPECT_EQ(readfile(d / "w.EEP"), eep);
    EXPECT_EQ(ohne.err, "");
    int zeile = (int)std::count(k.source, k.source + strlen(k.source), '\n');
    std::string text = k.source;
    text.pop_back();
    std::string letzte = text.substr(text.rfind('\n') + 1);
    letzte = letzte.substr(0, letzte.find(';'));   // shown as read: without its comment
    std::string soll = *k.warning ? "w.mac:" + std::to_string(zeile) + ":" + std::to_string(k.spalte) +
                                        ": warning: " + k.warning + "\n" + letzte + "\n" +
                                        std::string(k.spalte - 1, ' ') + "^\n"
                                  : "";
    EXPECT_EQ(mit.err, soll);
}

INSTANTIATE_TEST_SUITE_P(Cli, Warning, testing::Values(
    warnfall{"LettersAfterDigits", "X = 12AB\n", "\"12AB\" read as 12, \"AB\" left unread", 7},
    warnfall{"UnderscoreInBinary", "\n\nX = %1010_0101 + 1\n",
             "\"%1010_0101\" read as 10, \"_0101\" left unread", 10},
    warnfall{"SignBeforeParenthesis", "X = -(3*4)\n",
             "sign before \"(\" ignored: \"-\" read as 0, \"(\" left unread; write 0-(...) to negate", 5},
    warnfall{"ValueAboveAByte", "MAKRO 1\n#S 1,300\n", "value 300 does not fit in a byte, 44 stored", 6},
    warnfall{"ValueBelowAByte", "MAKRO 1\n#S -129\n", "value -129 does not fit in a byte, 127 stored", 4},
    warnfall{"Utf8InAString", "MAKRO 1\n#ZL 1,2,'Gr\xC3\xBC\xC3\x9F" "e'\n",
             "4 byte(s) above 127 in a string, stored as they are (a UTF-8 letter is 2 to 4 bytes)", 9},
    warnfall{"UnknownModel", "ZEL310-3\n", "unknown model \"ZEL310-3\", ZEL530-5 stays selected", 1},
    warnfall{"UnknownModelAfterAModel", "ZEL420-3 ; the small one\nzel4203 ; no dash\n",
             "unknown model \"zel4203\", ZEL420-3 stays selected", 1},
    warnfall{"ModelRunningOn", "ZEL530-55\n", "model \"ZEL530-55\" read as ZEL530-5", 1},
    warnfall{"ModelRunningOnQO", "qo417-2r9\n", "model \"qo417-2r9\" read as QO417-2R8", 1},
    warnfall{"NoneForModelNames", "ZEL420-3 ; small\nzel530-4\nQO417-2R\nQo417-2r8\nZEL530-5,big\n", "", 1},
    warnfall{"UnknownModelQO", "QO417\n", "unknown model \"QO417\", ZEL530-5 stays selected", 1},
    warnfall{"BlankInsideANumber", "MAKRO 1\n#S 1 2\n", "blank inside a number: \"1 2\" read as 12", 4},
    warnfall{"BlanksNotGroupingDigits", "X = 1000 000\n",
             "blank inside a number: \"1000 000\" read as 1000000", 5},
    warnfall{"BlanksInAHexNumber", "X = -$F F\n", "blank inside a number: \"-$F F\" read as -255", 5},
    warnfall{"BlanksInABinaryNumber", "X = %10 10\n", "blank inside a number: \"%10 10\" read as 10", 5},
    warnfall{"MinusWithNothingAfter", "MAKRO 1\n#S 1-\n", "nothing after operator \"-\", 0 taken", 5},
    warnfall{"PlusBeforeAComma", "MAKRO 1\n#S 1+ ,2\n", "nothing after operator \"+\", 0 taken", 5},
    warnfall{"TimesBeforeAComment", "X = 2* ; twice\n", "nothing after operator \"*\", 0 taken", 6},
    warnfall{"KeywordRunningOn", "MAKROBLAH 4\n",
             "\"MAKROBLAH\" read as MAKRO: a keyword is known by its first 4 letters", 1},
    warnfall{"KeywordMisspelt", "MAKRO 1\n#S 1\n  TOUCHMACRO 2\n",
             "\"TOUCHMACRO\" read as TOUCHMAKRO: a keyword is known by its first 4 letters", 3},
    warnfall{"ComWord", "COMMENT 9600\n",
             "\"COMMENT\" read as COM: a keyword is known by its first 3 letters", 1},
    warnfall{"StringNotClosed", "MAKRO 1\n#ZL 1,2,'abc\n",
             "string not closed: ' missing, the string runs to the end of the line", 9},
    warnfall{"NoneForKeywords", "MAKRO 1\n#S 1\nTouchmakro 2\n#S 1\nCOM 9600\nbaud 9600\nPORTMAKRO 1\n#ZL 1,2,\"a'\"\n",
             "", 1},
    warnfall{"NoneForGroupedDigits", "X = 1 000 000 + 12 345 + $FFFF 0000 + %1010 1010 + %1 0101\n", "", 1},
    warnfall{"NoneForWhatIsMeant", "X = 1 000 + $FF 00 + 2*-A\nMAKRO 1\n#S -1,-128,255,'AB'12 A\n",
             "", 1}),
    [](const testing::TestParamInfo<warnfall> &i) { return std::string(i.param.name); });

// Where x.inc is and what the run opens; "" where it is nowhere.
struct lookupfall {
    const char *name;
    std::vector<std::string> where;   // directories below the run's directory
    const char *opened;
};

class Lookup : public testing::TestWithParam<lookupfall> {};

TEST_P(Lookup, FirstPlaceWins)
{
    const lookupfall &k = GetParam();
    tempdir d;
    for (const char *dir : {"src", "inc1", "inc2"})
        mkdir((d / dir).c_str(), 0755);
    writefile(d / "src/main.mac", "INCLUDE <x.inc>\n");
    for (const std::string &w : k.where)
        writefile(d / (w + "/x.inc"), "");
    runresult r = runzel(d.path, {"--batch", "-Iinc1", "-iinc2", "src/main.mac"});
    if (*k.opened) {
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find("\nOpen File <src/main.mac>\nOpen File <" + std::string(k.opened) +
                             ">\nWrite EEPROM"), std::string::npos) << r.out;
    } else {
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "src/main.mac:1:1: error: Cannot Open File <x.inc> !\nINCLUDE <x.inc>\n^\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, Lookup, testing::Values(
    lookupfall{"CurrentBeforeSource", {".", "src", "inc1"}, "x.inc"},
    lookupfall{"SourceBeforeFirstDir", {"src", "inc1", "inc2"}, "src/x.inc"},
    lookupfall{"FirstDirBeforeSecond", {"inc1", "inc2"}, "inc1/x.inc"},
    lookupfall{"SecondDir", {"inc2"}, "inc2/x.inc"},
    lookupfall{"Nowhere", {}, ""}),
    [](const testing::TestParamInfo<lookupfall> &i) { return std::string(i.param.name); });

// Every kind of file a source names is looked for in the -I directory,
// and a file found there finds its own includes beside it.
TEST(Cli, EveryFileNameUsesTheLookup)
{
    tempdir d;
    mkdir((d / "lib").c_str(), 0755);
    for (const char *f : {"pic.bmp", "data.bin"})
        writefile(d / ("lib/" + std::string(f)), readfile(std::string(ZEL_TESTDATA) + "/e2e/macros/" + f));
    writefile(d / "lib/f.fnt", fntdatei(6, 8, 8));
    writefile(d / "lib/a.inc", "INCLUDE <b.inc>\n");
    writefile(d / "lib/b.inc", "PICTURE 1 <pic.bmp>\nFONT 1,32,33 <f.fnt>\n"
                               "MAKRO 1\n#S <data.bin>\n#UL 0,0 <pic.bmp>\n");
    writefile(d / "m.mac", "INCLUDE <a.inc>\n");
    runresult r = runzel(d.path, {"--batch", "-Ilib", "m.mac"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\nOpen File <lib/a.inc>\nOpen File <lib/b.inc>"), std::string::npos);
    EXPECT_NE(r.out.find("\n   1 Fonts:"), std::string::npos);
    EXPECT_NE(r.out.find("\n   1 Pictures:"), std::string::npos);
    EXPECT_NE(r.out.find("\n   1 Makros:"), std::string::npos);
}

// The manual pages format without a warning from man and groff.
TEST(Cli, ManualPagesFormatCleanly)
{
    for (const char *seite : {"zelcomp.1", "zelsim.1", "zeldump.1", "zelfont.1"}) {
        std::string pfad = std::string(ZEL_TESTDATA) + "/../../man/" + seite;
        ASSERT_TRUE(fileexists(pfad)) << pfad;
        runresult r = runprog("/", "/bin/sh",
                              {"-c", "command -v man >/dev/null || exit 77; "
                                     "man --warnings -l \"$0\" >/dev/null", pfad},
                              "", {"MANWIDTH=80", "LC_ALL=C.UTF-8"});
        if (r.status == 77)
            GTEST_SKIP() << "man is not installed, so the manual pages are not checked";
        EXPECT_EQ(r.status, 0) << seite;
        EXPECT_EQ(r.err, "") << seite;
    }
}

// -W and --batch: a picture directive spelt short is read, and its file is
// then missing; both are said, each at its line.
TEST(Cli, KeywordWarningBeforeTheError)
{
    tempdir d;
    writefile(d / "p.mac", "PICTUR 1 <x>\n");
    runresult r = runzel(d.path, {"-W", "--batch", "p.mac"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "p.mac:1:1: warning: \"PICTUR\" read as PICTURE: a keyword is known by its first 4 letters\n"
                     "PICTUR 1 <x>\n^\n"
                     "p.mac:1:1: error: Cannot Open Picturefile <x> !\nPICTUR 1 <x>\n^\n");
}
