// Source lines through the built binary: ignored lines, constants,
// unknown words, BAUD and COM with the command line, model lines,
// DESTINATION and INCLUDE, as the user sees them on the console.
#include "testutil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

static runresult quelle(const tempdir &d, const std::string &text,
                        std::vector<std::string> args = {})
{
    writefile(d / "src.mac", text);
    args.push_back("src.mac");
    return runzel(d.path, args, "\n");
}

static std::string kopf(const std::string &vorher = "")
{
    return BANNER + vorher + "\nOpen File <src.mac>";
}

static std::string erfolg(const std::string &upload = "src.EEP")
{
    return "\nWrite EEPROM Upload File " + upload + OVERVIEW_EMPTY;
}

static std::string fehler(int line, const std::string &echo, const std::string &text,
                          const std::string &datei = "src.mac")
{
    return "\nError in file <" + datei + "> line " + std::to_string(line) + "\n--> " + echo +
           text + "\n";
}

static std::string bilanz(int n)
{
    return "\n\n---> found " + std::to_string(n) + " Errors !\n\n---> see File <ERROR.OUT>\n<RETURN>";
}

TEST(Dispatch, IgnoredLines)
{
    tempdir d;
    runresult r = quelle(d, "\n"
                            "    \n"
                            "\t\r\n"
                            "; MAKE 3\n"
                            "   ;PIC 1\n"
                            "123 abc\n"
                            "(PIC)\n"
                            "\xE4" "ber 3\n"
                            "_underscore line\n"
                            "_x ; = 3\n"
                            "-5\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kopf() + erfolg());
    EXPECT_EQ(readfile(d / "ERROR.OUT"), "");
}

TEST(Dispatch, DefinitionsWithTextBeforeTheEqualsSign)
{
    tempdir d;
    runresult r = quelle(d, "MAXLEN = 200 ; limit\n"
                            "WIDTH 5 = 7\n"
                            "_speed = 19201\n"
                            "BAUD MAXLEN\n"
                            "BAUD width*2 ; doubled\n"
                            "BAUD _SPEED\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kopf() +
                         fehler(4, "BAUD MAXLEN", "baudrate 200 is not supported !") +
                         fehler(5, "BAUD width*2 ", "baudrate 14 is not supported !") +
                         fehler(6, "BAUD _SPEED", "baudrate 19201 is not supported !") +
                         bilanz(3));
    EXPECT_EQ(readfile(d / "ERROR.OUT"),
              "\nError in file <src.mac> line 4\n-->BAUD MAXLENbaudrate 200 is not supported !\n"
              "\nError in file <src.mac> line 5\n-->BAUD width*2 baudrate 14 is not supported !\n"
              "\nError in file <src.mac> line 6\n-->BAUD _SPEEDbaudrate 19201 is not supported !\n"
              "\nfound 3 Errors !");
    EXPECT_FALSE(fileexists(d / "src.EEP"));
}

TEST(Dispatch, PictureWithEqualsInTheNameIsADefinition)
{
    tempdir d;
    runresult r = quelle(d, "PICTURE 1 <a=b.bmp>\nBAUD picture\n");
    EXPECT_EQ(r.out, kopf() + fehler(2, "BAUD picture", "baudrate 66 is not supported !") +
                         bilanz(1));
}

TEST(Dispatch, ConstantBeforeAndAfterItsDefinition)
{
    tempdir d;
    runresult r = quelle(d, "BAUD speed\n"
                            "speed = 9600\n"
                            "BAUD SPEED\n"
                            "Speed = speed + 1\n"
                            "BAUD speed\n");
    EXPECT_EQ(r.out, kopf() + fehler(1, "BAUD speed", "Constant \"speed\" not defined !") +
                         fehler(5, "BAUD speed", "baudrate 9601 is not supported !") +
                         bilanz(2));
}

TEST(Dispatch, DivisionByZeroAndLongNames)
{
    tempdir d;
    runresult r = quelle(d, "X = 1/0\n"
                            "BAUD X\n"
                            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcd = 1\n"
                            "ABCDEFGHIJKLMNOPQRSTUVWXYZabce = 2\n"
                            "BAUD ABCDEFGHIJKLMNOPQRSTUVWXYZabc\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              kopf() + fehler(1, "X = 1/0", "Division by zero !") +
                  fehler(3, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcd = 1",
                         "Name is to long (max. 29 characters) !") +
                  fehler(4, "ABCDEFGHIJKLMNOPQRSTUVWXYZabce = 2",
                         "Name is to long (max. 29 characters) !") +
                  fehler(5, "BAUD ABCDEFGHIJKLMNOPQRSTUVWXYZabc",
                         "Constant \"ABCDEFGHIJKLMNOPQRSTUVWXYZabc\" not defined !") +
                  bilanz(4));
}

TEST(Dispatch, UnknownWords)
{
    tempdir d;
    runresult r = quelle(d, "MAKE 3\nPIC 1 ; a picture\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kopf() + fehler(1, "MAKE 3", "Unknown Command !") +
                         fehler(2, "PIC 1 ", "Unknown Command !") + bilanz(2));
}

TEST(Dispatch, CommandLineWithoutMacro)
{
    tempdir d;
    runresult r = quelle(d, "#ZL 1,2,'a;b'\n  #XX\n");
    EXPECT_EQ(r.out, kopf() + fehler(1, "#ZL 1,2,'a;b'", "No Macronumber defined !") +
                         fehler(2, "  #XX", "No Macronumber defined !") + bilanz(2));
}

TEST(Dispatch, BaudForms)
{
    tempdir d;
    runresult r = quelle(d, "BAUD 19200\n"
                            "BAUD 19201\n"
                            "BAUD 0\n"
                            "BAUD\n"
                            "BAUD -1200\n"
                            "BAUDRATE:115200\n"
                            "baud,1200 ; slow\n"
                            "BAUD 300 ; too slow\n");
    EXPECT_EQ(r.out, kopf() + fehler(2, "BAUD 19201", "baudrate 19201 is not supported !") +
                         fehler(8, "BAUD 300 ", "baudrate 300 is not supported !") + bilanz(2));
}

// Every COM test ends with an unknown word: a run with errors does not
// upload, whatever port the source or the command line names.
TEST(Dispatch, ComRateWithoutCommandLine)
{
    tempdir d;
    runresult r = quelle(d, "COM1:12345\nPIC\n");
    EXPECT_EQ(r.out, kopf() + fehler(1, "COM1:12345", "baudrate 12345 is not supported !") +
                         fehler(2, "PIC", "Unknown Command !") + bilanz(2));
}

TEST(Dispatch, ComRateAfterOptionB)
{
    tempdir d;
    runresult r = quelle(d, "COM1:12345\nCOMMENT nothing here\nPIC\n", {"-b9600"});
    EXPECT_EQ(r.out, kopf() + fehler(3, "PIC", "Unknown Command !") + bilanz(1));
}

TEST(Dispatch, ComRateAfterOptionBIsNotRead)
{
    tempdir d;
    runresult r = quelle(d, "COM1:12345\nPIC\n", {"-b19200"});
    EXPECT_EQ(r.out, kopf() + fehler(2, "PIC", "Unknown Command !") + bilanz(1));
}

TEST(Dispatch, FirstComRateStays)
{
    tempdir d;
    runresult r = quelle(d, "COM2:4800\nCOM1:1234\nCOM1 x\nCOMMENT nothing here\nPIC\n",
                         {"-c1"});
    EXPECT_EQ(r.out, kopf() + fehler(5, "PIC", "Unknown Command !") + bilanz(1));
}

TEST(Dispatch, CommentIsAComLine)
{
    tempdir d;
    runresult r = quelle(d, "COMMENT nothing here\nComment\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kopf() +
                         fehler(1, "COMMENT nothing here", "Constant \"nothing\" not defined !") +
                         bilanz(1));
}

struct modellfall {
    const char *zeile;
    const char *name;     // as the upload file header carries it
    int breite;
};

static void PrintTo(const modellfall &m, std::ostream *os) { showtext(m.zeile, os); }

class ModelLine : public testing::TestWithParam<modellfall> {};

TEST_P(ModelLine, HeaderOfTheUploadFile)
{
    tempdir d;
    runresult r = quelle(d, std::string(GetParam().zeile) + "\n");
    ASSERT_EQ(r.out, kopf() + erfolg());
    std::string eep = readfile(d / "src.EEP");
    ASSERT_GE(eep.size(), 44u);
    EXPECT_EQ(eep.substr(9, 8), GetParam().name);
    EXPECT_EQ((unsigned char)eep[30], GetParam().breite - 1);
}

INSTANTIATE_TEST_SUITE_P(Models, ModelLine, testing::Values(
    modellfall{"ZEL310-2", "ZEL310-2", 120},
    modellfall{"zel420-3 ; the small one", "ZEL420-3", 160},
    modellfall{"  ZEL530-4", "ZEL530-4", 240},
    modellfall{"qo417-2r8", "QO417-2R", 128},
    modellfall{"ZEL420-", "ZEL530-5", 240},
    modellfall{"ZEL420-3\nZELDA", "ZEL420-3", 160},
    modellfall{"QO417-2R8\nZEL310-2 later", "ZEL310-2", 120}), casenames());

TEST(Dispatch, Destination)
{
    tempdir d;
    runresult r = quelle(d, "DESTINATION <prog.bin> ; the module's file\n", {"-o"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kopf() + "\nWrite EEPROM Object-File src.EEO" + erfolg("prog.bin"));
    EXPECT_EQ(readfile(d / "prog.bin").size(), 4379u);
    EXPECT_TRUE(fileexists(d / "src.EEO"));
    EXPECT_FALSE(fileexists(d / "src.EEP"));
}

TEST(Dispatch, DestinationWithoutName)
{
    tempdir d;
    runresult r = quelle(d, "DESTINATION prog.bin\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kopf() + fehler(1, "DESTINATION prog.bin", "Cannot found a Filename !") +
                         bilanz(1));
    EXPECT_FALSE(fileexists(d / "src.EEP"));
    EXPECT_FALSE(fileexists(d / "prog.bin"));
}

TEST(Dispatch, ConstantFromIncludeFile)
{
    tempdir d;
    writefile(d / "def.mac", "tempo = 4801\n");
    writefile(d / "use.mac", "\nBAUD tempo + 1\n");
    runresult r = quelle(d, "INCLUDE <def.mac> ; definitions\n"
                            "BAUD TEMPO\n"
                            "include <use.mac>\n"
                            "BAUD Tempo*2\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kopf() + "\nOpen File <def.mac>" +
                         fehler(2, "BAUD TEMPO", "baudrate 4801 is not supported !") +
                         "\nOpen File <use.mac>" +
                         fehler(2, "BAUD tempo + 1", "baudrate 4802 is not supported !", "use.mac") +
                         fehler(4, "BAUD Tempo*2", "baudrate 9602 is not supported !") +
                         bilanz(3));
}

TEST(Dispatch, IncludeFileMissing)
{
    tempdir d;
    runresult r = quelle(d, "\nINCLUDE <none.mac>\nBAUD 1\n");
    EXPECT_EQ(r.out, kopf() +
                         fehler(2, "INCLUDE <none.mac>", "Cannot Open File <none.mac> !\n") +
                         fehler(3, "BAUD 1", "baudrate 1 is not supported !") + bilanz(2));
}

// Macro table entry n of the object file: address and length.
static std::string eintrag(const std::string &eeo, int n)
{
    return eeo.substr(560 + 4 * n, 4);
}

TEST(Dispatch, ModelBaudAndComLinesKeepTheMacroOpen)
{
    tempdir d;
    writefile(d / "src.mac", "MAKROS 3\n#DL\nZEL530-4\n#DS\nBAUD 19200\nCOM1\n#DA\n"
                             "TOUCHMAKRO 4\n#DE\n");
    runresult r = runprog(d.path, ZELCOMP_BIN, {"-o", "src.mac"}, "",
                          {"ZEL_COM1=" + (d / "no-port")});
    EXPECT_EQ(r.status, 2);
    std::string schluss = "\nError: cannot open COM1: !\n" + d / "no-port" + ": No such file or directory";
    ASSERT_GE(r.out.size(), schluss.size());
    EXPECT_EQ(r.out.substr(r.out.size() - schluss.size()), schluss);
    std::string eeo = readfile(d / "src.EEO");
    EXPECT_EQ(eintrag(eeo, 3), bytes({0x30, 0x0E, 9, 0}));
    EXPECT_EQ(eintrag(eeo, 256 + 4), bytes({0x39, 0x0E, 3, 0}));
    EXPECT_EQ(eeo.substr(3632), bytes({27, 'D', 'L', 27, 'D', 'S', 27, 'D', 'A', 27, 'D', 'E'}));
}

TEST(Dispatch, FileDirectivesCloseTheMacro)
{
    const char *zeilen[] = {"PICTURE 1 <p.blh>", "FONT 1,65,65,INTERN4x6",
                            "INCLUDE <leer.inc>", "DESTINATION <ziel.EEP>"};
    for (const char *z : zeilen) {
        tempdir d;
        writefile(d / "p.blh", bytes({8, 1, 0xFF}));
        writefile(d / "leer.inc", "");
        runresult r = quelle(d, std::string("MAKRO 1\n#DL\n") + z + "\n#DS\n");
        EXPECT_EQ(r.status, 1) << z;
        EXPECT_NE(r.out.find("\nError in file <src.mac> line 4\n--> #DSNo Macronumber defined !\n"),
                  std::string::npos) << z;
    }
}

TEST(Dispatch, PortFromComLineAndCommandLine)
{
    struct { std::vector<std::string> args; const char *text; const char *port; } cases[] = {
        {{}, "COM7\n", "7"},
        {{"-c1"}, "COM2:9600\n", "1"},
        {{}, "COM2:9600\nCOM1:19200\n", "2"},
    };
    for (auto &k : cases) {
        tempdir d;
        writefile(d / "src.mac", k.text);
        std::vector<std::string> args = k.args;
        args.push_back("src.mac");
        runresult r = runprog(d.path, ZELCOMP_BIN, args, "",
                              {std::string("ZEL_COM") + k.port + "=" + (d / "no-port")});
        EXPECT_EQ(r.status, 2) << k.text;
        EXPECT_EQ(r.out.substr(r.out.find("\n 3632 bytes used\n") + 18),
                  std::string("\nError: cannot open COM") + k.port + ": !\n" + d / "no-port" +
                      ": No such file or directory") << k.text;
    }
}

// A full constant table is reported at the definition that does not fit;
// names already in it can still be given new values.
TEST(Dispatch, FullConstantTableReportedWhereItIsFull)
{
    tempdir d;
    std::string text;
    for (int i = 0; i < 993; i++)                // 31 predefined + 993 = 1024
        text += "K" + std::to_string(i) + " = " + std::to_string(i) + "\n";
    text += "K993 = 1 ; one too many\nK0 = 5\nA = 1\nX = K993\n";
    runresult r = quelle(d, text);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kopf() + fehler(994, "K993 = 1 ", "Too many constants (max. 1024) !") +
                         fehler(997, "X = K993", "Constant \"K993\" not defined !") + bilanz(2));
}
