// The compile run on the built binary: console text, ERROR.OUT and the
// output files, byte for byte.
#include "testutil.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(Run, EmptySourceWritesBothFiles)
{
    tempdir d;
    writefile(d / "empty.mac", "");
    runresult r = runzel(d.path, {"-o", "empty.mac"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(BANNER) + "\nOpen File <empty.mac>"
                         "\nWrite EEPROM Object-File empty.EEO"
                         "\nWrite EEPROM Upload File empty.EEP" + OVERVIEW_EMPTY);
    EXPECT_EQ(readfile(d / "empty.EEO"), std::string(3632, '\xFF'));
    EXPECT_EQ(readfile(d / "empty.EEP").size(), 4379u);
    EXPECT_EQ(readfile(d / "ERROR.OUT"), "");
}

static const std::string MISSING_TAIL =
    "\n\n---> found 1 Errors !\n\n---> see File <ERROR.OUT>\n<RETURN>";

TEST(Run, MissingSourceIsOneError)
{
    tempdir d;
    runresult r = runzel(d.path, {"nix.mac"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, std::string(BANNER) + "\n--> Cannot Open File <nix.mac> !\n\n" + MISSING_TAIL);
    EXPECT_EQ(readfile(d / "ERROR.OUT"), "\n-->Cannot Open File <nix.mac> !\n\n\nfound 1 Errors !");
    EXPECT_FALSE(fileexists(d / "nix.EEP"));
}

TEST(Run, PromptsForTheName)
{
    tempdir d;
    writefile(d / "p.mac", "; nothing\n");
    runresult r = runzel(d.path, {}, "p.mac\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(BANNER) + "Filename: \nOpen File <p.mac>"
                         "\nWrite EEPROM Upload File p.EEP" + OVERVIEW_EMPTY);
    EXPECT_TRUE(fileexists(d / "p.EEP"));
}

TEST(Run, EmptyAnswerToThePrompt)
{
    tempdir d;
    runresult r = runzel(d.path, {}, "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, std::string(BANNER) + "Filename: \n--> Cannot Open File <> !\n\n" + MISSING_TAIL);
}

TEST(Run, SecondFileNameIsAUsageError)
{
    tempdir d;
    writefile(d / "a.txt", "");
    writefile(d / "b.txt", "");
    runresult r = runzel(d.path, {"a.txt", "-O", "b.txt"});
    EXPECT_EQ(r.status, 64);
    EXPECT_EQ(r.out, BANNER);
    EXPECT_EQ(r.err, "zelcomp: one file per run; a second file name: b.txt\n");
    EXPECT_FALSE(fileexists(d / "b.EEP"));
    EXPECT_FALSE(fileexists(d / "a.EEP"));
    EXPECT_FALSE(fileexists(d / "ERROR.OUT"));
}

// A command line the run cannot follow keeps its old console message and
// ends with the usage status before anything is read, written or sent.
TEST(Run, UnsupportedPortAndRateEndTheRun)
{
    struct { std::vector<std::string> args; std::string msg; const char *err; } cases[] = {
        {{"-c3", "x.mac"}, "\nComport 3 is not supported !", "zelcomp: -c takes port 1 or 2; -P names any device, not 3\n"},
        {{"-C0", "x.mac"}, "\nComport 0 is not supported !", "zelcomp: -c takes port 1 or 2; -P names any device, not 0\n"},
        {{"-c", "x.mac"}, "\nComport 0 is not supported !", "zelcomp: -c needs the port attached, as in -c1\n"},
        {{"-c", "2", "x.mac"}, "\nComport 0 is not supported !", "zelcomp: -c needs the port attached, as in -c1\n"},
        {{"-b300", "x.mac"}, "\nBaudrate 300 is not supported !",
         "zelcomp: rates are 1200, 2400, 4800, 9600, 19200, 38400, 57600 and 115200, not 300\n"},
        {{"-b14400", "x.mac"}, "\nBaudrate 14400 is not supported !",
         "zelcomp: rates are 1200, 2400, 4800, 9600, 19200, 38400, 57600 and 115200, not 14400\n"},
        {{"-Bfast", "x.mac"}, "\nBaudrate 0 is not supported !",
         "zelcomp: rates are 1200, 2400, 4800, 9600, 19200, 38400, 57600 and 115200, not fast\n"},
        {{"-b", "115200", "x.mac"}, "\nBaudrate 0 is not supported !", "zelcomp: -b needs the rate attached, as in -b115200\n"},
        {{"x.mac", "-b", "115200"}, "\nBaudrate 0 is not supported !", "zelcomp: -b needs the rate attached, as in -b115200\n"},
        {{"-b", "115200"}, "\nBaudrate 0 is not supported !", "zelcomp: -b needs the rate attached, as in -b115200\n"},
        {{"x.mac", "y.mac"}, "", "zelcomp: one file per run; a second file name: y.mac\n"},
        {{"x.mac", "-o", "x.EEP"}, "", "zelcomp: one file per run; a second file name: x.EEP\n"},
        {{"-P"}, "", "zelcomp: -P needs a device, as in -P /dev/ttyUSB0\n"},
        {{"--batch", "-c9", "x.mac"}, "\nComport 9 is not supported !\n",
         "zelcomp: -c takes port 1 or 2; -P names any device, not 9\n"},
    };
    for (auto &k : cases) {
        SCOPED_TRACE(k.args[0] + " " + k.args.back());
        tempdir d;
        writefile(d / "x.mac", "");
        writefile(d / "x.EEP", "keep");
        runresult r = runzel(d.path, k.args, "x.mac\n");
        EXPECT_EQ(r.status, 64);
        std::string banner = k.args[0] == "--batch" ? "" : BANNER;
        EXPECT_EQ(r.out, banner + k.msg);
        EXPECT_EQ(r.err, k.err);
        EXPECT_FALSE(fileexists(d / "ERROR.OUT"));
        EXPECT_FALSE(fileexists(d / "x.EEO"));
        EXPECT_EQ(readfile(d / "x.EEP"), "keep");
    }
}

TEST(Run, UnknownOptionsAreIgnored)
{
    tempdir d;
    writefile(d / "x.mac", "");
    runresult r = runzel(d.path, {"-x", "-", "x.mac"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(BANNER) + "\nOpen File <x.mac>"
                         "\nWrite EEPROM Upload File x.EEP" + OVERVIEW_EMPTY);
}

TEST(Run, UploadFileWithoutPortDoesNothing)
{
    for (const char *name : {"data.eep", "DATA.Eep", "x.EEPX"}) {
        tempdir d;
        runresult r = runzel(d.path, {name});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, BANNER);
        EXPECT_FALSE(fileexists(d / "ERROR.OUT"));
    }
}

TEST(Run, OutputNamesAreCutAtTheLastDot)
{
    struct { const char *src, *eep, *eeo; } cases[] = {
        {"test", "test.EEP", "test.EEO"},
        {"a.b.mac", "a.b.EEP", "a.b.EEO"},
        {"..\\test", "..EEP", "..EEO"},
    };
    for (auto k : cases) {
        tempdir d;
        writefile(d / k.src, "");
        runresult r = runzel(d.path, {"-o", k.src});
        EXPECT_EQ(r.status, 0) << k.src;
        EXPECT_TRUE(fileexists(d / k.eep)) << k.src;
        EXPECT_TRUE(fileexists(d / k.eeo)) << k.src;
    }
}

TEST(Run, TooLongNameIsRefused)
{
    tempdir d;
    std::string name(300, 'n');
    runresult r = runzel(d.path, {name});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, std::string(BANNER) + "\n--> Filename is to long !\n" + MISSING_TAIL);
    runresult p = runzel(d.path, {}, std::string(253, 'p') + ".mac\n");
    EXPECT_EQ(p.status, 1);
    EXPECT_EQ(p.out, std::string(BANNER) + "Filename: \n--> Filename is to long !\n" + MISSING_TAIL);
}

TEST(Run, PortAndRateFromTheCommandLine)
{
    tempdir d;
    writefile(d / "demo.mac", "");
    runresult r = runprog(d.path, ZELCOMP_BIN, {"-C2", "-B19200", "demo.mac"}, "",
                          {"ZEL_COM2=" + (d / "no-such-port")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, std::string(BANNER) + "\nOpen File <demo.mac>"
                         "\nWrite EEPROM Upload File demo.EEP" + OVERVIEW_EMPTY +
                         "\nError: cannot open COM2: !\n" + d / "no-such-port" +
                         ": No such file or directory");
    EXPECT_TRUE(fileexists(d / "demo.EEP"));
}

TEST(Run, TwoErrorsAreSummedUp)
{
    tempdir d;
    writefile(d / "two.mac", "MAKE 3\n\nPIC 1\n");
    runresult r = runzel(d.path, {"-c1", "two.mac"}, "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, std::string(BANNER) + "\nOpen File <two.mac>"
                         "\nError in file <two.mac> line 1\n--> MAKE 3Unknown Command !\n"
                         "\nError in file <two.mac> line 3\n--> PIC 1Unknown Command !\n"
                         "\n\n---> found 2 Errors !\n\n---> see File <ERROR.OUT>\n<RETURN>");
    EXPECT_EQ(readfile(d / "ERROR.OUT"),
              "\nError in file <two.mac> line 1\n-->MAKE 3Unknown Command !\n"
              "\nError in file <two.mac> line 3\n-->PIC 1Unknown Command !\n"
              "\nfound 2 Errors !");
    EXPECT_FALSE(fileexists(d / "two.EEP"));
}

// A directory opens like a file on this system but has neither lines nor
// a size: every reader reports it as a file it cannot open.
TEST(Run, DirectoryIsNoFile)
{
    tempdir d;
    mkdir((d / "sub").c_str(), 0755);
    writefile(d / "dir.mac", "MAKRO 1\n#S <sub>\nPICTURE 1 <sub>\nFONT 1,32,33 <sub>\nINCLUDE <sub>\n");
    runresult r = runzel(d.path, {"dir.mac"}, "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, std::string(BANNER) + "\nOpen File <dir.mac>"
                         "\nError in file <dir.mac> line 2\n--> #S <sub>Cannot Open File <sub> !\n"
                         "\nError in file <dir.mac> line 3\n--> PICTURE 1 <sub>Cannot Open Picturefile <sub> !\n"
                         "\nError in file <dir.mac> line 4\n--> FONT 1,32,33 <sub>Cannot Open Fontfile sub !\n"
                         "\nError in file <dir.mac> line 5\n--> INCLUDE <sub>Cannot Open File <sub> !\n\n"
                         "\n\n---> found 4 Errors !\n\n---> see File <ERROR.OUT>\n<RETURN>");
}
