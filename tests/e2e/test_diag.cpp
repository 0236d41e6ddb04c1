// Diagnostics that lead to the fix: with --batch every error on stderr as
// FILE:LINE:COLUMN: error: MESSAGE, the line and a caret under the column,
// saying what was expected; upload failures there too; -P names a device.
#include "test_upload.h"

#include <gtest/gtest.h>

struct diagfall {
    const char *name;
    const char *source;      // the error is on its last line
    const char *err;         // all of stderr with --batch
};

class Diag : public testing::TestWithParam<diagfall> {};

// The console and ERROR.OUT stay as without --batch; stderr says more.
TEST_P(Diag, OnStderrWithColumnAndCaret)
{
    const diagfall &k = GetParam();
    tempdir d;
    writefile(d / "d.mac", k.source);
    runresult ohne = runzel(d.path, {"d.mac"}, "\n");
    std::string log = readfile(d / "ERROR.OUT");
    runresult r = runzel(d.path, {"--batch", "d.mac"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, k.err);
    EXPECT_EQ(ohne.err, "");
    EXPECT_EQ(std::string(BANNER) + r.out, ohne.out.substr(0, ohne.out.size() - 9) + "\n");
    EXPECT_EQ(readfile(d / "ERROR.OUT"), log);
    EXPECT_FALSE(fileexists(d / "d.EEP"));
}

INSTANTIATE_TEST_SUITE_P(Diag, Diag, testing::Values(
    diagfall{"TooFewParameters", "MAKRO 1\n#RR 1,2,3\n",
             "d.mac:2:5: error: wrong number of parameters (RR takes 4, got 3)\n#RR 1,2,3\n    ^\n"},
    diagfall{"TooManyParameters", "MAKRO 1\n  #G 1 , 2,3,4,5\n",
             "d.mac:2:6: error: wrong number of parameters (G takes 4, got 5)\n  #G 1 , 2,3,4,5\n     ^\n"},
    diagfall{"NoneTaken", "MAKRO 1\n#DA 1\n",
             "d.mac:2:5: error: wrong number of parameters (DA takes none, got 1)\n#DA 1\n    ^\n"},
    diagfall{"RangeOfARange", "MAKRO 1\n#E\n",
             "d.mac:2:3: error: wrong number of parameters (E takes 1 to 32, got 0)\n#E\n  ^\n"},
    diagfall{"TextLimitOfTheModel", "QO417-2R8\nMAKRO 1\n#ZL 1\n",
             "d.mac:3:5: error: wrong number of parameters (ZL takes 2 to 33, got 1)\n#ZL 1\n    ^\n"},
    diagfall{"OpenEnded", "MAKRO 1\n#ZT\n",
             "d.mac:2:4: error: wrong number of parameters (ZT takes 1 or more, got 0)\n#ZT\n   ^\n"},
    diagfall{"DataWithoutFile", "MAKRO 1\n#S\n",
             "d.mac:2:3: error: Cannot found a Filename !\n#S\n  ^\n"
             "d.mac:2:3: error: wrong number of parameters (S takes 1 to 255 values or a file in <>, got 0)\n"
             "#S\n  ^\n"},
    diagfall{"PictureOfWrongSize", "MAKRO 1\n#UL 0,0,9,2,255,129\n",
             "d.mac:2:5: error: wrong number of parameters (UL with a picture of 9x2 dots takes 4 values "
             "and 4 data bytes, got 2 data bytes)\n#UL 0,0,9,2,255,129\n    ^\n"},
    diagfall{"NotOnThisModel", "MAKRO 1\n#DK 1\n",
             "d.mac:2:2: error: not a valid command on ZEL530-5 (DK: QO417-2R8 only)\n#DK 1\n ^\n"},
    diagfall{"NotOnSeveralModels", "ZEL310-2\nMAKRO 1\n\t# CB\n",
             "d.mac:3:4: error: not a valid command on ZEL310-2 (CB: ZEL420-3, ZEL530-4, ZEL530-5 only)\n"
             "\t# CB\n\t  ^\n"},
    diagfall{"CountOnModel4", "QO417-2R8\nMAKRO 1\n#E 1\n",
             "d.mac:3:2: error: wrong number of parameters on QO417-2R8 (E: ZEL310-2, ZEL420-3, ZEL530-4, "
             "ZEL530-5 only)\n#E 1\n ^\n"},
    diagfall{"UnknownSecondLetter", "MAKRO 1\n#RK 1,2,3,4\n",
             "d.mac:2:2: error: not a valid command (nearest: RI, RL, RN, RR, RS, RJ, RM, RO)\n#RK 1,2,3,4\n ^\n"},
    diagfall{"NearestOnlyOnTheModel", "ZEL310-2\nMAKRO 1\n#NX\n",
             "d.mac:3:2: error: not a valid command (no command on ZEL310-2 begins with N)\n#NX\n ^\n"},
    diagfall{"UnknownFirstLetter", "MAKRO 1\n#A 1\n",
             "d.mac:2:2: error: not a valid command (nearest: O, F, L, E, V, P, G, W, H, X, J, B, S, ?, !, +)\n"
             "#A 1\n ^\n"},
    diagfall{"NoLetters", "MAKRO 1\n#\n",
             "d.mac:2:2: error: not a valid command: letters expected after #\n#\n ^\n"},
    diagfall{"UndefinedConstant", "X = 1 + -  NIX\n",
             "d.mac:1:12: error: Constant \"NIX\" not defined !\nX = 1 + -  NIX\n           ^\n"},
    diagfall{"UnknownDirective", "  MAKE 3\n",
             "d.mac:1:3: error: Unknown Command !\n  MAKE 3\n  ^\n"},
    diagfall{"CaretAfterUtf8", "MAKRO 1\n#ZL 1,2,'\xC3\xA4' #Q\n",
             "d.mac:2:14: error: illegal character in parameter list !\n#ZL 1,2,'\xC3\xA4' #Q\n            ^\n"}),
    [](const testing::TestParamInfo<diagfall> &i) { return std::string(i.param.name); });

// An upload that fails says so on stderr too, as the console does.
TEST(Diag, UploadFailureOnStderr)
{
    tempdir d;
    writefile(d / "u.mac", "");
    runresult r = runzel(d.path, {"--batch", "-P", d / "no-port", "u.mac"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "\nOpen File <u.mac>\nWrite EEPROM Upload File u.EEP" + std::string(OVERVIEW_EMPTY) +
                         "\nError: cannot open " + d / "no-port" + " !\n" + d / "no-port" +
                         ": No such file or directory\n");
    EXPECT_EQ(r.err, "zelcomp: error: cannot open " + d / "no-port" + " !\n");
    runresult nur = runzel(d.path, {"--batch", "-P" + d / "no-port", "u.EEP"});
    EXPECT_EQ(nur.status, 2);
    EXPECT_EQ(nur.err, r.err);
    runresult kaputt = runzel(d.path, {"--batch", "-c1", "u.mac.eep"});
    EXPECT_EQ(kaputt.status, 2);
    EXPECT_EQ(kaputt.out, "\n Cannot open file u.mac.eep !\n");
    EXPECT_EQ(kaputt.err, "zelcomp: error: Cannot open file u.mac.eep !\n");
}

#ifdef ZELSIM_BIN
// -P DEVICE uploads to that device, and the console names it.
TEST(Diag, DeviceOption)
{
    tempdir d;
    writefile(d / "p.mac", "MAKRO 1\n#G 0,0,10,10\n");
    for (int versuch = 0; versuch < 3; versuch++) {
        zelsimproc s(d, {});
        runresult r = runprog(d.path, ZELCOMP_BIN, {"--batch", "-P", s.path, "p.mac"}, "",
                              {"ZEL_COM1=" + d / "not-this"});
        s.stop();
        if (r.status != 0 && versuch < 2)
            continue;
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_NE(r.out.find("\nconnecting ZEL530-5 on " + s.path + ": "), std::string::npos)
            << r.out;
        EXPECT_EQ(r.out.back(), '\n');
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(s.eeprom().substr(564, 4), bytes({0x30, 0x0E, 6, 0}));
        break;
    }
}
#endif
