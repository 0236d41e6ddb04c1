// Macro blocks through the whole compiler: directives, the closing rules
// of the dispatcher, includes, the macro table in the object file and the
// memory overview.
#include "testutil.h"

#include <gtest/gtest.h>

struct lauf {
    runresult r;
    std::string eeo;
};

static lauf uebersetze(const tempdir &d, const std::string &quelle)
{
    writefile(d / "m.mac", quelle);
    lauf l;
    l.r = runzel(d.path, {"-o", "m.mac"});
    l.eeo = readfile(d / "m.EEO");
    return l;
}

static std::string entry(const lauf &l, int index)
{
    return l.eeo.substr(560 + 4 * index, 4);
}

static std::string daten(const lauf &l)
{
    return l.eeo.size() > 3632 ? l.eeo.substr(3632) : "";
}

static std::string fehler(int zeile, const std::string &text, const std::string &msg)
{
    return "\nError in file <m.mac> line " + std::to_string(zeile) + "\n--> " + text + msg + "\n";
}

TEST(MacroBlock, NumbersSectionsAndIncludes)
{
    tempdir d;
    writefile(d / "inc.mac", "#DA\n#DE\n");
    lauf l = uebersetze(d,
        "MAKRO 0\n"
        "#DA\n"                       // 3 bytes at 0
        "MAKRO 255\n"
        "#G 1,2,3,4\n"                // 6 at 3
        "MAKRO 2*3\n"
        "#V 1\n"                      // 3 at 9
        "TOUCHMAKRO 6\n"
        "#V 2\n"                      // 3 at 12
        "MAKRO 5\n"
        "MAKRO 5\n"                   // the empty block is opened again
        "#X 1\n"                      // 3 at 15
        "PORTMAKRO 7\n"
        "INCLUDE <inc.mac>\n");       // 6 at 18, into port macro 7
    ASSERT_EQ(l.r.status, 0) << l.r.out;
    EXPECT_EQ(l.r.out, std::string(BANNER) +
        "\nOpen File <m.mac>"
        "\nOpen File <inc.mac>"
        "\nWrite EEPROM Object-File m.EEO"
        "\nWrite EEPROM Upload File m.EEP"
        "\nSuccess !"
        "\nEEPROM-Memory overview:"
        "\n     System:       3632 bytes"
        "\n   0 Fonts:           0 bytes"
        "\n   0 Pictures:        0 bytes"
        "\n   4 Makros:         15 bytes"
        "\n   1 Touchmakros:     3 bytes"
        "\n   1 Portmakros:      6 bytes"
        "\n ----------------------------"
        "\n 3656 bytes used\n");
    EXPECT_EQ(entry(l, 0), bytes({0x30, 0x0E, 3, 0}));
    EXPECT_EQ(entry(l, 255), bytes({0x33, 0x0E, 6, 0}));
    EXPECT_EQ(entry(l, 6), bytes({0x39, 0x0E, 3, 0}));
    EXPECT_EQ(entry(l, 262), bytes({0x3C, 0x0E, 3, 0}));
    EXPECT_EQ(entry(l, 5), bytes({0x3F, 0x0E, 3, 0}));
    EXPECT_EQ(entry(l, 519), bytes({0x42, 0x0E, 6, 0}));
    int benutzt = 0;
    for (int i = 0; i < 768; i++)
        benutzt += entry(l, i) != std::string(4, '\xFF');
    EXPECT_EQ(benutzt, 6);
    EXPECT_EQ(daten(l), bytes({27, 'D', 'A', 27, 'G', 1, 2, 3, 4, 27, 'V', 1, 27, 'V', 2,
                               27, 'X', 1, 27, 'D', 'A', 27, 'D', 'E'}));
}

TEST(MacroBlock, ErrorsAreReportedAndCounted)
{
    tempdir d;
    lauf l = uebersetze(d,
        "MAKRO 256\n"
        "#DA\n"
        "MAKRO -1\n"
        "MAKRO\n"
        "MAKRO 1\n"
        "#DA\n"
        "MAKRO 1\n"
        "#DA\n"
        "MAKROS 2\n"
        "#DE\n");
    EXPECT_EQ(l.r.status, 1);
    EXPECT_EQ(l.r.out, std::string(BANNER) + "\nOpen File <m.mac>" +
        fehler(1, "MAKRO 256", "Macronumber 256 is wrong, (allowed: 0..255) !") +
        fehler(2, "#DA", "No Macronumber defined !") +
        fehler(3, "MAKRO -1", "Macronumber -1 is wrong, (allowed: 0..255) !") +
        fehler(4, "MAKRO", "there is no Macronumber !") +
        fehler(7, "MAKRO 1", "Macronumber 1 allready exists !") +
        fehler(8, "#DA", "No Macronumber defined !") +
        "\n\n---> found 6 Errors !\n"
        "\n---> see File <ERROR.OUT>"
        "\n<RETURN>");
    EXPECT_FALSE(fileexists(d / "m.EEO"));
}

// A block that is still empty when a picture is stored starts with its
// first command, behind the picture.
TEST(MacroBlock, EmptyBlockAcrossAPicture)
{
    tempdir d;
    writefile(d / "p.blh", bytes({8, 2, 0xFF, 0x81}));
    lauf l = uebersetze(d,
        "MAKRO 3\n"
        "PICTURE 1 <p.blh>\n"
        "#DA\n");
    ASSERT_EQ(l.r.status, 0) << l.r.out;
    EXPECT_EQ(l.eeo.substr(48 + 2, 2), bytes({0x30, 0x0E}));
    EXPECT_EQ(entry(l, 3), bytes({0x34, 0x0E, 3, 0}));
    EXPECT_EQ(daten(l), bytes({8, 2, 0xFF, 0x81, 27, 'D', 'A'}));
}

// Model lines, BAUD and COM leave the block open; a comment line too.
TEST(MacroBlock, DirectivesThatDoNotClose)
{
    tempdir d;
    lauf l = uebersetze(d,
        "MAKRO 9\n"
        "#DA\n"
        "ZEL310-2\n"
        "BAUD 19200\n"
        "; a comment\n"
        "N = 4\n"
        "#V N\n");
    ASSERT_EQ(l.r.status, 0) << l.r.out;
    EXPECT_EQ(entry(l, 9), bytes({0x30, 0x0E, 6, 0}));
}

// The last block is entered at the end of the source, whatever its length.
TEST(MacroBlock, LastBlockEnteredAtTheEnd)
{
    tempdir d;
    std::string q = "PORTMAKRO 255\n";
    for (int i = 0; i < 100; i++)
        q += "#DA\n";
    lauf l = uebersetze(d, q);
    ASSERT_EQ(l.r.status, 0) << l.r.out;
    EXPECT_EQ(entry(l, 767), bytes({0x30, 0x0E, 300 & 0xFF, 300 >> 8}));
    EXPECT_NE(l.r.out.find("\n   1 Portmakros:    300 bytes"), std::string::npos);
}
