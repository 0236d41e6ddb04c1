// The line dispatcher on single lines: what it ignores, defines, selects
// and reports, and which settings each directive changes.
#include "testutil.h"
#include "driver/driver.h"
#include "expr/expr.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>


static std::string meldung(const char *zeile, const char *text)
{
    return std::string("\n--> ") + zeile + text + "\n";
}

static int wert(testctx &t, const char *name)
{
    t.line(name);
    return ausdruck(t.c());
}

static void zeile(testctx &t, const char *text)
{
    t.line(text);
    dispatch(t.c());
}

class Ignored : public testing::TestWithParam<const char *> {};

TEST_P(Ignored, NoMessageAndNoEffect)
{
    testctx t;
    zeile(t, GetParam());
    EXPECT_EQ(t.out(), "");
    EXPECT_EQ(t->konstanz, 31);
    EXPECT_EQ(t->softbaud, -1);
    EXPECT_EQ(t->zelnr, 3);
}

INSTANTIATE_TEST_SUITE_P(Lines, Ignored, testing::Values(
    "", "     ", " \t ", "; MAKE 3", "   ;PIC 1", "123 abc", "9600 = x", "-5", "$ff",
    "(PIC)", "=5", "\x81PIC 1", "\xE4" "ber = 3", "_x", "_rand 5", "_x ; = 5", " _PIC 1"), casenames());

struct deffall {
    const char *text;
    const char *name;
    int wert;
};

static void PrintTo(const deffall &f, std::ostream *os) { showtext(f.text, os); }

class Definition : public testing::TestWithParam<deffall> {};

TEST_P(Definition, SetsTheConstant)
{
    const deffall &f = GetParam();
    testctx t;
    t->softbaud = 9;
    t->com = 8;
    zeile(t, f.text);
    EXPECT_EQ(t.out(), "");
    EXPECT_EQ(wert(t, f.name), f.wert);
    EXPECT_EQ(t->errors, 0);
    EXPECT_EQ(t->softbaud, 9);
    EXPECT_EQ(t->com, 8);
    EXPECT_EQ(t->zelnr, 3);
}

INSTANTIATE_TEST_SUITE_P(Lines, Definition, testing::Values(
    deffall{"MAXLEN = 200 ; limit", "maxlen", 200},
    deffall{"WIDTH 5 = 7", "WIDTH", 7},
    deffall{"  breite=3*4 ; = 9", "BREITE", 12},
    deffall{"\tx=1", "X", 1},
    deffall{"a = 1", "a", 1},
    deffall{"n = 1 + 2 rest", "n", 3},
    deffall{"BAUD=19200", "baud", 19200},
    deffall{"COM1 = 9600", "com1", 9600},
    deffall{"ZEL420 = 3", "zel420", 3},
    deffall{"PICTURE 1 <a=b.bmp>", "PICTURE", 'B'},
    deffall{"_RAND = 4", "_rand", 4},
    deffall{"  _r x = -5", "_R", -5},
    deffall{"leer =", "LEER", 0}), casenames());

// A directive word is a name like any other and has the same limit.
TEST(Dispatch, TooLongWord)
{
    testctx t;
    zeile(t, "PICTURESOFMYCATSANDDOGSANDMICE 1 <x.bmp>");
    EXPECT_EQ(t.out(), meldung("PICTURESOFMYCATSANDDOGSANDMICE 1 <x.bmp>",
                               "Name is to long (max. 29 characters) !"));
    EXPECT_EQ(t->konstanz, 31);
}

struct unbekannt {
    const char *text;
    const char *echo;    // the line as it is shown, cut at ';'
};

static void PrintTo(const unbekannt &f, std::ostream *os) { showtext(f.text, os); }

class Unknown : public testing::TestWithParam<unbekannt> {};

TEST_P(Unknown, IsReported)
{
    testctx t;
    zeile(t, GetParam().text);
    EXPECT_EQ(t.out(), meldung(GetParam().echo, "Unknown Command !"));
    EXPECT_EQ(t->errors, 1);
}

INSTANTIATE_TEST_SUITE_P(Words, Unknown, testing::Values(
    unbekannt{"MAKE 3", "MAKE 3"},
    unbekannt{"PIC 1", "PIC 1"},
    unbekannt{"  PIC 1 ; x = 3", "  PIC 1 "},
    unbekannt{"FON", "FON"},
    unbekannt{"DES <x>", "DES <x>"},
    unbekannt{"Z", "Z"},
    unbekannt{"ZE420-3", "ZE420-3"},
    unbekannt{"Q", "Q"},
    unbekannt{"BAU 9600", "BAU 9600"},
    unbekannt{"CO1 9600", "CO1 9600"},
    unbekannt{"Frame 1", "Frame 1"},
    unbekannt{"PORMAKRO 1", "PORMAKRO 1"}), casenames());

// Lines the later handlers take; whatever those report, the word is known.
class Keyword : public testing::TestWithParam<const char *> {};

TEST_P(Keyword, NotAnUnknownWord)
{
    testctx t;
    zeile(t, GetParam());
    EXPECT_EQ(t.out().find("Unknown Command !"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Words, Keyword, testing::Values(
    "PICTURE 1 <x.bmp>", "PICT 1", "Pictureframe 2", "pictures", "FONT 1 <a.fnt>", "Fonts",
    "MAKRO 1", "makros 3", "TOUCHMAKRO 2", "TOUC 2", "PORTMAKRO 3", "portmakros 3",
    "ZEL530-4", "zelnix", "QO417-2R8", "qox", "BAUD", "BAUDRATE", "COM", "COM1", "comfort"), casenames());

struct makrofall {
    const char *text;
    int offset;
};

static void PrintTo(const makrofall &f, std::ostream *os) { showtext(f.text, os); }

class MacroSection : public testing::TestWithParam<makrofall> {};

TEST_P(MacroSection, SetsTheSectionOffset)
{
    testctx t;
    t->maknroff = 77;
    zeile(t, GetParam().text);
    EXPECT_EQ(t->maknroff, GetParam().offset);
}

INSTANTIATE_TEST_SUITE_P(Words, MacroSection, testing::Values(
    makrofall{"MAKRO 1", 0}, makrofall{"MAKROS 3", 0}, makrofall{"makr 3", 0},
    makrofall{"TOUCHMAKRO 1", 256}, makrofall{"TOUC 1", 256}, makrofall{"touchy 1", 256},
    makrofall{"PORTMAKRO 2", 512}, makrofall{"port 2", 512},
    makrofall{"ZEL420-3", 77}, makrofall{"BAUD 9600", 77}, makrofall{"COM1:9600", 77},
    makrofall{"MAKRO = 5", 77}), casenames());

struct modellfall {
    const char *text;
    int zelnr;
};

static void PrintTo(const modellfall &f, std::ostream *os) { showtext(f.text, os); }

class ModelLine : public testing::TestWithParam<modellfall> {};

// An open block stays open across a model line.
TEST_P(ModelLine, SelectsTheModel)
{
    testctx t;
    t->aktmaknr = 5;
    t->maknroff = 256;
    zeile(t, GetParam().text);
    EXPECT_EQ(t->zelnr, GetParam().zelnr);
    EXPECT_EQ(t.out(), "");
    EXPECT_EQ(t->aktmaknr, 5);
    EXPECT_EQ(t->maknroff, 256);
}

INSTANTIATE_TEST_SUITE_P(Lines, ModelLine, testing::Values(
    modellfall{"ZEL310-2", 0},
    modellfall{"ZEL420-3", 1},
    modellfall{"  zel530-4 ; the wide one", 2},
    modellfall{"ZEL530-5", 3},
    modellfall{"QO417-2R8", 4},
    modellfall{"qo417-2rX", 4},
    modellfall{"ZEL420-", 3},
    modellfall{"ZELXYZ", 3},
    modellfall{"QOx", 3}), casenames());

struct baudfall {
    const char *text;
    int softbaud;
    const char *fehler;   // message, or "" for none
};

static void PrintTo(const baudfall &f, std::ostream *os) { showtext(f.text, os); }

class Baud : public testing::TestWithParam<baudfall> {};

TEST_P(Baud, SetsSoftbaud)
{
    const baudfall &f = GetParam();
    testctx t;
    t->aktmaknr = 5;
    zeile(t, f.text);
    EXPECT_EQ(t->softbaud, f.softbaud);
    EXPECT_EQ(t.out(), *f.fehler ? meldung(t->zeile, f.fehler) : "");
    EXPECT_EQ(t->newbaud, 0);
    EXPECT_EQ(t->com, 0);
    EXPECT_EQ(t->aktmaknr, 5);
}

INSTANTIATE_TEST_SUITE_P(Lines, Baud, testing::Values(
    baudfall{"BAUD 19200", 4, ""},
    baudfall{"BAUD 1200", 0, ""},
    baudfall{"BAUD 115200", 7, ""},
    baudfall{"BAUD 19201", -1, "baudrate 19201 is not supported !"},
    baudfall{"BAUD 0", -1, ""},
    baudfall{"BAUD -9600", -1, ""},
    baudfall{"BAUD", -1, ""},
    baudfall{"BAUD   ; 9600", -1, ""},
    baudfall{"BAUDRATE 9600", 3, ""},
    baudfall{"baud,4800", 2, ""},
    baudfall{"Baud:38400", 5, ""},
    baudfall{"BAUD<57600", 6, ""},
    baudfall{"BAUD\t9600*2", 4, ""},
    baudfall{"BAUD 9600 ; fast", 3, ""},
    baudfall{"BAUD $12C0", 2, ""},
    baudfall{"BAUD 14400", -1, "baudrate 14400 is not supported !"},
    baudfall{"BAUDX 300", -1, "baudrate 300 is not supported !"}), casenames());

struct comfall {
    int com, newbaud;           // before the line
    const char *text;
    int comnach, newbaudnach;   // after it
    const char *fehler;
};

static void PrintTo(const comfall &f, std::ostream *os) { showtext(f.text, os); }

class Com : public testing::TestWithParam<comfall> {};

TEST_P(Com, SetsPortAndRate)
{
    const comfall &f = GetParam();
    testctx t;
    t->com = f.com;
    t->newbaud = f.newbaud;
    t->aktmaknr = 5;
    zeile(t, f.text);
    EXPECT_EQ(t->com, f.comnach);
    EXPECT_EQ(t->newbaud, f.newbaudnach);
    EXPECT_EQ(t.out(), *f.fehler ? meldung(t->zeile, f.fehler) : "");
    EXPECT_EQ(t->softbaud, -1);
    EXPECT_EQ(t->aktmaknr, 5);
}

INSTANTIATE_TEST_SUITE_P(Lines, Com, testing::Values(
    comfall{0, 0, "COM1 9600", 1, 9600, ""},
    comfall{0, 0, "COM2:115200", 2, 115200, ""},
    comfall{0, 0, "com2,4800", 2, 4800, ""},
    comfall{1, 0, "COM2:9600", 1, 9600, ""},
    comfall{0, 19200, "COM2:9600", 2, 19200, ""},
    comfall{1, 19200, "COM2:12345", 1, 19200, ""},
    comfall{0, 0, "COM7", 7, 0, ""},
    comfall{0, 0, "COM0 1200", 0, 1200, ""},
    comfall{0, 0, "COM12 9600", 1, 9600, ""},
    comfall{0, 0, "COM", 0, 0, ""},
    comfall{0, 0, "COM1:", 1, 0, ""},
    comfall{0, 0, "COM1:0", 1, 0, ""},
    comfall{0, 0, "COM1:-9600", 1, 0, ""},
    comfall{0, 0, "COM1:12345", 1, 0, "baudrate 12345 is not supported !"},
    comfall{0, 0, "COM1 ; 9600", 1, 0, ""},
    comfall{0, 0, "comment", 0, 0, ""},
    comfall{0, 0, "COMMENT about", 0, 0, "Constant \"about\" not defined !"},
    comfall{0, 9600, "COMMENT about", 0, 9600, ""},
    comfall{0, 0, "COMMENT X", 0, 0, "baudrate 88 is not supported !"}), casenames());

TEST(Dispatch, SecondComLineChangesNothing)
{
    testctx t;
    zeile(t, "COM1:9600");
    zeile(t, "COM2:19200");
    zeile(t, "COM2:1234");
    EXPECT_EQ(t->com, 1);
    EXPECT_EQ(t->newbaud, 9600);
    EXPECT_EQ(t.out(), "");
}

TEST(Dispatch, PortZeroAdmitsALaterPortLine)
{
    testctx t;
    zeile(t, "COM0");
    zeile(t, "COM2");
    EXPECT_EQ(t->com, 2);
}

TEST(Dispatch, CommandLineInAMacroGoesToTheEncoder)
{
    testctx t;
    t->aktmaknr = 0;
    zeile(t, "  #ZL 1;2");
    EXPECT_STREQ(t->zeile, "  #ZL 1;2");
    EXPECT_EQ(t.out().find("No Macronumber defined !"), std::string::npos);
}

TEST(Dispatch, Destination)
{
    testctx t;
    snprintf(t->outfile, sizeof t->outfile, "src.EEP");
    snprintf(t->objfile, sizeof t->objfile, "src.EEO");
    zeile(t, "DESTINATION <prog.bin> ; upload this");
    EXPECT_STREQ(t->outfile, "prog.bin");
    zeile(t, "dest <a b>");
    EXPECT_STREQ(t->outfile, "a");
    EXPECT_STREQ(t->objfile, "src.EEO");
    EXPECT_EQ(t.out(), "");
    zeile(t, "DESTINATION prog.bin");
    EXPECT_STREQ(t->outfile, "");
    EXPECT_EQ(t.out(), meldung("DESTINATION prog.bin", "Cannot found a Filename !"));
}

TEST(Dispatch, Include)
{
    tempdir d;
    chdirguard g(d.path);
    writefile(d / "inc.mac", "x = 1\n");
    testctx t;
    zeile(t, "INCLUDE <inc.mac> ; more");
    EXPECT_EQ(t->filenr, 0);
    EXPECT_STREQ(t->datei[0].name, "inc.mac");
    EXPECT_EQ(t.out(), "\nOpen File <inc.mac>");
    ASSERT_EQ(readzeile(t.c()), 1);
    EXPECT_STREQ(t->zeile, "x = 1");
}
