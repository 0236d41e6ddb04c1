// -MD: NAME.d, a make rule naming the outputs and every file the run read.
#include "testutil.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>

struct mdfall {
    const char *name;
    std::vector<std::string> args;    // before the source's name
    const char *source;               // m.mac
    const char *regel;                // m.d; "" when none is written
};

class MakeRule : public testing::TestWithParam<mdfall> {};

TEST_P(MakeRule, NamesOutputsAndInputs)
{
    const mdfall &k = GetParam();
    tempdir d;
    mkdir((d / "in c").c_str(), 0755);
    writefile(d / "m.mac", k.source);
    writefile(d / "in c/a.inc", "X = 1\n");
    writefile(d / "in c/c$#.inc", "Y = 2\n");
    writefile(d / "p.blh", bytes({8, 1, 0xFF}));
    writefile(d / "d.bin", "abc");
    std::vector<std::string> args = k.args;
    args.push_back("m.mac");
    std::vector<std::string> ohneargs;
    for (const std::string &a : args)
        if (a != "-MD" && a != "-md")
            ohneargs.push_back(a);
    runresult ohne = runzel(d.path, ohneargs);
    std::remove((d / "m.d").c_str());
    runresult r = runzel(d.path, args);
    EXPECT_EQ(r.out, ohne.out);
    if (!*k.regel) {
        EXPECT_EQ(r.status, 1);
        EXPECT_FALSE(fileexists(d / "m.d"));
        return;
    }
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(readfile(d / "m.d"), k.regel);
}

INSTANTIATE_TEST_SUITE_P(MakeRule, MakeRule, testing::Values(
    mdfall{"SourceAlone", {"--batch", "-MD"}, "MAKRO 1\n#S 1\n", "m.EEP: m.mac\n"},
    mdfall{"EveryKind", {"--batch", "-md", "-o", "-Iin c"},
           "INCLUDE <a.inc>\nPICTURE 1 <p.blh>\nMAKRO 1\n#S <d.bin>\n#UL 1,2 <p.blh>\n"
           "FONT 1,32,33,INTERN6x8\nINCLUDE <c$#.inc>\n",
           "m.EEP m.EEO: m.mac \\\n in\\ c/a.inc \\\n p.blh \\\n d.bin \\\n in\\ c/c$$\\#.inc\n"},
    mdfall{"Destination", {"--batch", "-MD"}, "DESTINATION <out.bin>\n", "out.bin: m.mac\n"},
    mdfall{"NoneAfterErrors", {"--batch", "-MD"}, "INCLUDE <d.bin>\nBOGUS\n", ""}),
    [](const testing::TestParamInfo<mdfall> &i) { return std::string(i.param.name); });
