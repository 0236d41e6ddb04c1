// --charset: strings read as UTF-8 and stored in code page 437 or Latin-1;
// without it a string's bytes are stored as they are.
#include "testutil.h"

#include <gtest/gtest.h>

struct satzfall {
    const char *name;
    const char *option;      // "" for none
    const char *text;        // between the quotes of #ZL 1,2,"..."
    std::string bytes;       // the text as stored; "" when it is refused
    const char *err;         // stderr with --batch
};

class Charset : public testing::TestWithParam<satzfall> {};

TEST_P(Charset, StoredInTheSet)
{
    const satzfall &k = GetParam();
    tempdir d;
    writefile(d / "s.mac", std::string("MAKRO 1\n#ZL 1,2,\"") + k.text + "\"\n");
    std::vector<std::string> args = {"--batch", "-o", "s.mac"};
    if (*k.option)
        args.insert(args.begin(), k.option);
    runresult r = runzel(d.path, args);
    EXPECT_EQ(r.err, k.err);
    if (k.bytes.empty()) {
        EXPECT_EQ(r.status, 1);
        EXPECT_FALSE(fileexists(d / "s.EEO"));
        return;
    }
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(readfile(d / "s.EEO").substr(3632), "\x1b" "ZL" + bytes({1, 2}) + k.bytes + std::string(1, '\0'));
}

INSTANTIATE_TEST_SUITE_P(Charset, Charset, testing::Values(
    satzfall{"AsciiAlike", "--charset=cp437", "Hi 1;<'", "Hi 1;<'", ""},
    satzfall{"UmlautsCp437", "--charset=cp437", "Gr\xC3\xBC\xC3\x9F" "e \xC3\x84", bytes({'G', 'r', 0x81, 0xE1, 'e', ' ', 0x8E}), ""},
    satzfall{"UmlautsLatin1", "--charset=latin1", "Gr\xC3\xBC\xC3\x9F" "e \xC3\x84", bytes({'G', 'r', 0xFC, 0xDF, 'e', ' ', 0xC4}), ""},
    satzfall{"BoxAndGreekCp437", "--charset=cp437", "\xE2\x95\x94\xCE\xA9\xE2\x96\x88", bytes({0xC9, 0xEA, 0xDB}), ""},
    satzfall{"MicroLatin1", "--charset=latin1", "\xC2\xB5\xC3\xBF", bytes({0xB5, 0xFF}), ""},
    satzfall{"EuroNotInCp437", "--charset=cp437", "1 \xE2\x82\xAC", "",
             "s.mac:2:12: error: Character U+20AC is not in code page 437 !\n#ZL 1,2,\"1 \xE2\x82\xAC\"\n           ^\n"},
    satzfall{"BoxNotInLatin1", "--charset=latin1", "\xE2\x95\x94", "",
             "s.mac:2:10: error: Character U+2554 is not in Latin-1 !\n#ZL 1,2,\"\xE2\x95\x94\"\n         ^\n"},
    satzfall{"NotUtf8", "--charset=latin1", "a\xFC" "b", "",
             "s.mac:2:11: error: Byte $FC in a string is not UTF-8 !\n#ZL 1,2,\"a\xFC" "b\"\n          ^\n"},
    satzfall{"CutUtf8", "--charset=cp437", "\xC3", "",
             "s.mac:2:10: error: Byte $C3 in a string is not UTF-8 !\n#ZL 1,2,\"\xC3\"\n         ^\n"},
    satzfall{"BytesWithout", "", "Gr\xC3\xBC\xFF", "Gr\xC3\xBC\xFF", ""}),
    [](const testing::TestParamInfo<satzfall> &i) { return std::string(i.param.name); });

TEST(Charset, UnknownSetIsAUsageError)
{
    tempdir d;
    writefile(d / "s.mac", "");
    runresult r = runzel(d.path, {"--charset=utf8", "s.mac"});
    EXPECT_EQ(r.status, 64);
    EXPECT_EQ(r.err, "zelcomp: --charset takes cp437 or latin1, not utf8\n");
    EXPECT_FALSE(fileexists(d / "s.EEP"));
    EXPECT_FALSE(fileexists(d / "ERROR.OUT"));
}
