// Files the user can trust, on the built binary: outputs replaced as a pair
// or not at all, inputs never overwritten, devices refused, pipes read,
// lines read as editors write them, and nothing left behind by a signal.
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

const std::string VERZ = "<directory>";   // a content that makes a directory
const std::string EGAL = "<any>";         // a new file whose bytes are checked elsewhere

const std::string FEHLER1 = "\n\n---> found 1 Errors !\n\n---> see File <ERROR.OUT>\n<RETURN>";
const std::string FEHLER2 = "\n\n---> found 2 Errors !\n\n---> see File <ERROR.OUT>\n<RETURN>";

typedef std::vector<std::pair<std::string, std::string>> dateien;

std::vector<std::string> eintraege(const std::string &dir)
{
    std::vector<std::string> v;
    DIR *dp = opendir(dir.c_str());
    while (struct dirent *e = readdir(dp))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
            v.push_back(e->d_name);
    closedir(dp);
    std::sort(v.begin(), v.end());
    return v;
}

void anlegen(const tempdir &d, const dateien &alt)
{
    for (auto &f : alt) {
        if (f.second == VERZ)
            mkdir((d / f.first).c_str(), 0755);
        else
            writefile(d / f.first, f.second);
    }
}

// The directory holds exactly the old files, unchanged, and the new ones.
void pruefen(const tempdir &d, const dateien &alt, const dateien &neu)
{
    std::vector<std::string> soll;
    for (auto &f : alt) {
        soll.push_back(f.first);
        if (f.second != VERZ) {
            EXPECT_EQ(readfile(d / f.first), f.second) << f.first;
        }
    }
    for (auto &f : neu) {
        soll.push_back(f.first);
        if (f.second != EGAL) {
            EXPECT_EQ(readfile(d / f.first), f.second) << f.first;
        }
    }
    std::sort(soll.begin(), soll.end());
    EXPECT_EQ(eintraege(d.path), soll);
}

std::string daten(int n)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s.push_back((char)(i * 37 + i / 256));
    return s;
}

const std::string N249(249, 'n');

std::string fehlerzahl(int n)
{
    return "\n\n---> found " + std::to_string(n) + " Errors !\n\n---> see File <ERROR.OUT>\n<RETURN>";
}

// A console report and its record in ERROR.OUT.
std::string meldung(const std::string &datei, int zeile, const std::string &echo, const std::string &text)
{
    return "\nError in file <" + datei + "> line " + std::to_string(zeile) + "\n--> " + echo + text + "\n";
}

std::string eintrag(const std::string &datei, int zeile, const std::string &echo, const std::string &text)
{
    return "\nError in file <" + datei + "> line " + std::to_string(zeile) + "\n-->" + echo + text + "\n";
}

// Text in the wider encodings, character by character.
std::string utf16(const std::string &s, bool le)
{
    std::string r;
    for (char ch : s) {
        r.push_back(le ? ch : '\0');
        r.push_back(le ? '\0' : ch);
    }
    return r;
}

std::string utf32le(const std::string &s)
{
    std::string r;
    for (char ch : s)
        r += std::string(1, ch) + std::string(3, '\0');
    return r;
}

const std::string NUL(1, '\0');
const std::string NULTEXT = "NUL byte in line: save the file as text (ASCII or UTF-8) !";
const std::string QUELLE = "MAKRO 1\n#S 1\n";
const std::string LANGNUL = "K " + std::string(260, 'x') + NUL + "\n";

std::string utftext(const char *kodierung)
{
    return std::string("File is ") + kodierung + " text: save it as ASCII or UTF-8 !";
}

const dateien ALTPAAR = {{"s.EEO", "old eeo"}, {"s.EEP", "old eep"}};

dateien mit(const dateien &a, const dateien &b)
{
    dateien r = a;
    r.insert(r.end(), b.begin(), b.end());
    return r;
}

struct ausgabefall {
    const char *name;
    dateien alt;                    // files before the run; VERZ for a directory
    std::vector<std::string> args;
    int limit;                      // file size limit for ulimit -f; 0 for none
    int status;
    std::string konsole;            // console text after the banner
    dateien neu;                    // files the run adds
};

std::ostream &operator<<(std::ostream &os, const ausgabefall &f)
{
    return os << f.name;
}

class Ausgaben : public testing::TestWithParam<ausgabefall> {};

TEST_P(Ausgaben, PaarOderNichts)
{
    const ausgabefall &f = GetParam();
    tempdir d;
    anlegen(d, f.alt);
    runresult r;
    if (f.limit) {
        std::vector<std::string> a = {"-c", "ulimit -f " + std::to_string(f.limit) + "; exec \"$0\" \"$@\"",
                                      ZELCOMP_BIN};
        a.insert(a.end(), f.args.begin(), f.args.end());
        r = runprog(d.path, "/bin/sh", a, "\n");
    } else
        r = runzel(d.path, f.args, "\n");
    EXPECT_EQ(r.status, f.status);
    if (f.konsole != EGAL) {
        EXPECT_EQ(r.out, BANNER + f.konsole);
    }
    pruefen(d, f.alt, f.neu);
}

INSTANTIATE_TEST_SUITE_P(Dateien, Ausgaben, testing::Values(
    ausgabefall{"UploadFileIsADirectory", {{"s.mac", ""}, {"s.EEO", "old eeo"}, {"s.EEP", VERZ}},
        {"-o", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>\nWrite EEPROM Object-File s.EEO\nWrite EEPROM Upload File s.EEP"
        "\n--> \n Cannot write file s.EEP !\n" + FEHLER1,
        {{"ERROR.OUT", "\n-->\n Cannot write file s.EEP !\n\nfound 1 Errors !"}}},
    ausgabefall{"ObjectFileIsADirectory", {{"s.mac", ""}, {"s.EEO", VERZ}, {"s.EEP", "old eep"}},
        {"-o", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>\nWrite EEPROM Object-File s.EEO\n--> \n Cannot write file s.EEO !\n"
        "\nWrite EEPROM Upload File s.EEP" + FEHLER1,
        {{"ERROR.OUT", EGAL}}},
    ausgabefall{"FileSizeLimit",
        {{"s.mac", "MAKRO 1\n#S <d.bin>\n"}, {"d.bin", daten(20000)}, {"s.EEO", "old eeo"},
         {"s.EEP", "old eep"}},
        {"-o", "s.mac"}, 16, 1,
        "\nOpen File <s.mac>\nWrite EEPROM Object-File s.EEO\n--> #S <d.bin>\n Cannot write file s.EEO !\n"
        "\nWrite EEPROM Upload File s.EEP\n--> #S <d.bin>\n Cannot write file s.EEP !\n" + FEHLER2,
        {{"ERROR.OUT", EGAL}}},
    ausgabefall{"DestinationNamesTheSource", {{"s.mac", "DESTINATION <s.mac>\n"}},
        {"s.mac"}, 0, 1,
        "\nOpen File <s.mac>\nWrite EEPROM Upload File s.mac"
        "\n--> DESTINATION <s.mac>Output file <s.mac> would overwrite an input file !\n" + FEHLER1,
        {{"ERROR.OUT", "\n-->DESTINATION <s.mac>Output file <s.mac> would overwrite an input file !\n"
                       "\nfound 1 Errors !"}}},
    ausgabefall{"ObjectFileIsTheSource", {{"X.EEO", ""}, {"X.EEP", "old eep"}},
        {"-o", "X.EEO"}, 0, 1,
        "\nOpen File <X.EEO>\nWrite EEPROM Object-File X.EEO"
        "\n--> Output file <X.EEO> would overwrite an input file !\n"
        "\nWrite EEPROM Upload File X.EEP" + FEHLER1,
        {{"ERROR.OUT", EGAL}}},
    ausgabefall{"DestinationNamesAnIncludeByAnotherPath",
        {{"s.mac", "INCLUDE <i.mac>\nDESTINATION <./i.mac>\n"}, {"i.mac", "; nothing\n"},
         {"s.EEO", "old eeo"}},
        {"-o", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>\nOpen File <i.mac>\nWrite EEPROM Object-File s.EEO\nWrite EEPROM Upload File ./i.mac"
        "\n--> DESTINATION <./i.mac>Output file <./i.mac> would overwrite an input file !\n" + FEHLER1,
        {{"ERROR.OUT", EGAL}}},
    ausgabefall{"DestinationNamesTheDataFile",
        {{"s.mac", "MAKRO 1\n#S <d.bin>\nDESTINATION <d.bin>\n"}, {"d.bin", "abc"}},
        {"s.mac"}, 0, 1,
        "\nOpen File <s.mac>\nWrite EEPROM Upload File d.bin"
        "\n--> DESTINATION <d.bin>Output file <d.bin> would overwrite an input file !\n" + FEHLER1,
        {{"ERROR.OUT", EGAL}}},
    // Text that is not text: nothing is written, nothing uploaded.
    ausgabefall{"NulInALine", mit(ALTPAAR, {{"s.mac", "MAKRO 1\n#S 1" + NUL + "2\n"}}),
        {"-o", "-c1", "--verify", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>" + meldung("s.mac", 2, "#S 1", NULTEXT) + FEHLER1,
        {{"ERROR.OUT", eintrag("s.mac", 2, "#S 1", NULTEXT) + "\nfound 1 Errors !"}}},
    ausgabefall{"NulFirstInAnInclude",
        mit(ALTPAAR, {{"s.mac", "INCLUDE <i.mac>\nMAKRO 2\n"}, {"i.mac", "MAKRO 1\n" + NUL + "#S 1\n"}}),
        {"-o", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>\nOpen File <i.mac>" + meldung("i.mac", 2, "", NULTEXT) + FEHLER1,
        {{"ERROR.OUT", EGAL}}},
    ausgabefall{"NulBehindTheKeptPartOfALongLine", mit(ALTPAAR, {{"s.mac", "; x\n" + LANGNUL}}),
        {"-o", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>" + meldung("s.mac", 2, LANGNUL.substr(0, 254), NULTEXT) + FEHLER1,
        {{"ERROR.OUT", EGAL}}},
    ausgabefall{"Utf16LeWithMark", mit(ALTPAAR, {{"s.mac", "\xFF\xFE" + utf16(QUELLE, true)}}),
        {"-o", "-c1", "--verify", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>" + meldung("s.mac", 1, "", utftext("UTF-16 LE")) + FEHLER1,
        {{"ERROR.OUT", eintrag("s.mac", 1, "", utftext("UTF-16 LE")) + "\nfound 1 Errors !"}}},
    ausgabefall{"Utf16BeWithMark", mit(ALTPAAR, {{"s.mac", "\xFE\xFF" + utf16(QUELLE, false)}}),
        {"-o", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>" + meldung("s.mac", 1, "", utftext("UTF-16 BE")) + FEHLER1,
        {{"ERROR.OUT", EGAL}}},
    ausgabefall{"Utf32LeWithMark", mit(ALTPAAR, {{"s.mac", "\xFF\xFE" + NUL + NUL + utf32le(QUELLE)}}),
        {"-o", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>" + meldung("s.mac", 1, "", utftext("UTF-32 LE")) + FEHLER1,
        {{"ERROR.OUT", EGAL}}},
    ausgabefall{"Utf16MarkInAnInclude",
        mit(ALTPAAR, {{"s.mac", "INCLUDE <i.mac>\nBOGUS\n"}, {"i.mac", "\xFF\xFE" + utf16(QUELLE, true)}}),
        {"-o", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>\nOpen File <i.mac>" + meldung("i.mac", 1, "", utftext("UTF-16 LE")) +
            meldung("s.mac", 2, "BOGUS", "Unknown Command !") + FEHLER2,
        {{"ERROR.OUT", EGAL}}},
    ausgabefall{"Utf16LeWithoutMark", mit(ALTPAAR, {{"s.mac", utf16(QUELLE, true)}}),
        {"-o", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>" + meldung("s.mac", 1, "M", NULTEXT) + meldung("s.mac", 2, "", NULTEXT) +
            meldung("s.mac", 3, "", NULTEXT) + fehlerzahl(3),
        {{"ERROR.OUT", EGAL}}},
    ausgabefall{"Utf16BeWithoutMark", mit(ALTPAAR, {{"s.mac", utf16(QUELLE, false)}}),
        {"-o", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>" + meldung("s.mac", 1, "", NULTEXT) + meldung("s.mac", 2, "", NULTEXT) + FEHLER2,
        {{"ERROR.OUT", EGAL}}},
    // Outputs that name each other: neither is written.
    ausgabefall{"DestinationEmptyWithTheObjectFile", mit(ALTPAAR, {{"s.mac", "MAKRO 1\n#S 1\nDESTINATION <>\n"}}),
        {"-o", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>" + meldung("s.mac", 3, "DESTINATION <>", "Cannot found a Filename !") + FEHLER1,
        {{"ERROR.OUT", eintrag("s.mac", 3, "DESTINATION <>", "Cannot found a Filename !") +
                       "\nfound 1 Errors !"}}},
    ausgabefall{"DestinationNamesTheObjectFile", mit(ALTPAAR, {{"s.mac", "DESTINATION <s.EEO>\n"}}),
        {"-o", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>\nWrite EEPROM Object-File s.EEO\nWrite EEPROM Upload File s.EEO"
        "\n--> DESTINATION <s.EEO>Output file <s.EEO> would overwrite the object file !\n" + FEHLER1,
        {{"ERROR.OUT", "\n-->DESTINATION <s.EEO>Output file <s.EEO> would overwrite the object file !\n"
                       "\nfound 1 Errors !"}}},
    ausgabefall{"DestinationNamesTheNewObjectFileByAnotherPath", {{"s.mac", "DESTINATION <./s.EEO>\n"}},
        {"-o", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>\nWrite EEPROM Object-File s.EEO\nWrite EEPROM Upload File ./s.EEO"
        "\n--> DESTINATION <./s.EEO>Output file <./s.EEO> would overwrite the object file !\n" + FEHLER1,
        {{"ERROR.OUT", EGAL}}},
    ausgabefall{"DestinationNamesTheLog", mit(ALTPAAR, {{"s.mac", "DESTINATION <ERROR.OUT>\n"}}),
        {"-o", "s.mac"}, 0, 1,
        "\nOpen File <s.mac>\nWrite EEPROM Object-File s.EEO\nWrite EEPROM Upload File ERROR.OUT"
        "\n--> DESTINATION <ERROR.OUT>Output file <ERROR.OUT> would overwrite the error log !\n" + FEHLER1,
        {{"ERROR.OUT", "\n-->DESTINATION <ERROR.OUT>Output file <ERROR.OUT> would overwrite the error log !\n"
                       "\nfound 1 Errors !"}}},
    ausgabefall{"DestinationWithoutObjectFileMayBeItsName", {{"s.mac", "DESTINATION <s.EEO>\n"}},
        {"s.mac"}, 0, 0,
        "\nOpen File <s.mac>\nWrite EEPROM Upload File s.EEO" + std::string(OVERVIEW_EMPTY),
        {{"ERROR.OUT", ""}, {"s.EEO", EGAL}}},
    // ERROR.OUT that the run reads is left as it is.
    ausgabefall{"SourceNamedErrorOut", {{"ERROR.OUT", "MAKRO 1\nBOGUS\n"}},
        {"ERROR.OUT"}, 0, 1,
        "\nOpen File <ERROR.OUT>" + meldung("ERROR.OUT", 2, "BOGUS", "Unknown Command !") +
            "\n\n---> found 1 Errors !\n\n---> File <ERROR.OUT> not written: this run reads it\n<RETURN>",
        {}},
    ausgabefall{"SourceNamedErrorOutWithoutErrors", {{"ERROR.OUT", "; all well\n"}},
        {"-o", "ERROR.OUT"}, 0, 0,
        "\nOpen File <ERROR.OUT>\nWrite EEPROM Object-File ERROR.EEO\nWrite EEPROM Upload File ERROR.EEP" +
            std::string(OVERVIEW_EMPTY),
        {{"ERROR.EEO", std::string(3632, '\xFF')}, {"ERROR.EEP", EGAL}}},
    ausgabefall{"IncludeNamedErrorOut", {{"s.mac", "INCLUDE <ERROR.OUT>\n"}, {"ERROR.OUT", "BOGUS\n"}},
        {"s.mac"}, 0, 1,
        "\nOpen File <s.mac>\nOpen File <ERROR.OUT>" + meldung("ERROR.OUT", 1, "BOGUS", "Unknown Command !") +
            "\n\n---> found 1 Errors !\n\n---> File <ERROR.OUT> not written: this run reads it\n<RETURN>",
        {}},
    ausgabefall{"ErrorOutIsADirectory", {{"s.mac", "BOGUS\n"}, {"ERROR.OUT", VERZ}},
        {"s.mac"}, 0, 1,
        "\nOpen File <s.mac>" + meldung("s.mac", 1, "BOGUS", "Unknown Command !") +
            "\n\n---> found 1 Errors !\n\n---> Cannot write file ERROR.OUT !\n<RETURN>",
        {}},
    ausgabefall{"DataFileNamedErrorOut", {{"s.mac", "MAKRO 1\n#S <ERROR.OUT>\n"}, {"ERROR.OUT", "abc"}},
        {"-o", "s.mac"}, 0, 0, EGAL,
        {{"s.EEO", std::string(564, '\xFF') + bytes({0x30, 0x0E, 6, 0}) + std::string(3064, '\xFF') +
                       bytes({27, 'S', 3, 'a', 'b', 'c'})},
         {"s.EEP", EGAL}}},
    ausgabefall{"NameOf249Characters", {{N249, ""}},
        {"-o", N249}, 0, 0,
        "\nOpen File <" + N249 + ">\nWrite EEPROM Object-File " + N249 + ".EEO\nWrite EEPROM Upload File " +
            N249 + ".EEP" + OVERVIEW_EMPTY,
        {{"ERROR.OUT", ""}, {N249 + ".EEO", std::string(3632, '\xFF')}, {N249 + ".EEP", EGAL}}}),
    [](const testing::TestParamInfo<ausgabefall> &i) { return std::string(i.param.name); });

// A full disk: the outputs go to a small file system of their own, which
// needs a private mount namespace; without the rights for one the case is
// left to the file size limit above.
TEST(Ausgabedatei, VolleFestplatte)
{
    tempdir d;
    if (runprog(d.path, "/bin/sh", {"-c", "unshare -m mount -t tmpfs -o size=16k tmpfs . 2>/dev/null"})
            .status != 0)
        GTEST_SKIP() << "no private mount namespace here";
    writefile(d / "d.bin", daten(20000));
    writefile(d / "s.mac", "MAKRO 1\n#S <../d.bin>\n");
    runresult r = runprog(d.path, "/usr/bin/unshare",
                          {"-m", "/bin/sh", "-c",
                           "mkdir m && mount -t tmpfs -o size=16k tmpfs m && cp s.mac m && cd m && "
                           "echo old eeo > s.EEO && echo old eep > s.EEP && \"$0\" -o s.mac; "
                           "echo \" status $?\"; ls -A; cat s.EEO s.EEP",
                           ZELCOMP_BIN},
                          "\n");
    EXPECT_EQ(r.out, BANNER + std::string("\nOpen File <s.mac>\nWrite EEPROM Object-File s.EEO"
                                          "\n--> #S <../d.bin>\n Cannot write file s.EEO !\n"
                                          "\nWrite EEPROM Upload File s.EEP"
                                          "\n--> #S <../d.bin>\n Cannot write file s.EEP !\n") +
                         FEHLER2 + " status 1\nERROR.OUT\ns.EEO\ns.EEP\ns.mac\nold eeo\nold eep\n");
}

// Outputs get the permissions of any other new file.
TEST(Ausgabedatei, RechteWieNeueDatei)
{
    tempdir d;
    writefile(d / "s.mac", "");
    runresult r = runprog(d.path, "/bin/sh", {"-c", "umask 027; exec \"$0\" -o s.mac", ZELCOMP_BIN});
    EXPECT_EQ(r.status, 0);
    struct stat st;
    ASSERT_EQ(stat((d / "s.EEO").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    ASSERT_EQ(stat((d / "s.EEP").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// A device never ends or has no size: as source, include, picture, font or
// data file it is a file that cannot be opened, and the run ends.
TEST(Eingabe, GeraeteWerdenAbgelehnt)
{
    tempdir d;
    writefile(d / "s.mac", "MAKRO 1\n#S </dev/zero>\nPICTURE 1 </dev/zero>\nFONT 1,32,33 </dev/zero>\n"
                           "INCLUDE </dev/zero>\nINCLUDE </dev/urandom>\n");
    runresult r = runzel(d.path, {"s.mac"}, "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, std::string(BANNER) + "\nOpen File <s.mac>"
                         "\nError in file <s.mac> line 2\n--> #S </dev/zero>Cannot Open File </dev/zero> !\n"
                         "\nError in file <s.mac> line 3\n--> PICTURE 1 </dev/zero>Cannot Open Picturefile </dev/zero> !\n"
                         "\nError in file <s.mac> line 4\n--> FONT 1,32,33 </dev/zero>Cannot Open Fontfile /dev/zero !\n"
                         "\nError in file <s.mac> line 5\n--> INCLUDE </dev/zero>Cannot Open File </dev/zero> !\n\n"
                         "\nError in file <s.mac> line 6\n--> INCLUDE </dev/urandom>Cannot Open File </dev/urandom> !\n\n"
                         "\n\n---> found 5 Errors !\n\n---> see File <ERROR.OUT>\n<RETURN>");
    r = runzel(d.path, {"/dev/zero"}, "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, std::string(BANNER) + "\n--> Cannot Open File </dev/zero> !\n\n" + FEHLER1);
}

// A pipe is read to its end like a file: an include, a picture and a data
// file through pipes give the same outputs as the files themselves.
TEST(Eingabe, PipesWieDateien)
{
    tempdir d;
    std::string bild = readfile(std::string(ZEL_TESTDATA) + "/picture/kreis.bmp");
    ASSERT_FALSE(bild.empty());
    writefile(d / "i.txt", "MAKRO 1\n#S <d.pipe>\nPICTURE 1 <b.pipe>\n");
    writefile(d / "d.txt", daten(700));
    writefile(d / "b.txt", bild);
    writefile(d / "s.mac", "INCLUDE <i.pipe>\n");
    for (const char *p : {"i.pipe", "d.pipe", "b.pipe"})
        ASSERT_EQ(mkfifo((d / p).c_str(), 0644), 0);
    // A writer that finds no reader gives up after a while instead of
    // waiting for ever.
    runresult r = runprog(d.path, "/bin/sh",
                          {"-c",
                           "for f in i d b; do timeout 60 sh -c \"cat $f.txt > $f.pipe\" & done; "
                           "exec \"$0\" -o s.mac",
                           ZELCOMP_BIN});
    EXPECT_EQ(r.status, 0) << r.out;
    writefile(d / "i.mac", "MAKRO 1\n#S <d.txt>\nPICTURE 1 <b.txt>\n");
    writefile(d / "t.mac", "INCLUDE <i.mac>\n");
    EXPECT_EQ(runzel(d.path, {"-o", "t.mac"}).status, 0);
    EXPECT_EQ(readfile(d / "s.EEP"), readfile(d / "t.EEP"));
    EXPECT_EQ(readfile(d / "s.EEO"), readfile(d / "t.EEO"));
    EXPECT_GT(readfile(d / "s.EEO").size(), 3632u + 700u);
}

// Lines as editors write them, seen in ERROR.OUT with their numbers.
struct zeilenfall {
    const char *name;
    dateien quellen;                // s.mac first
    std::string log;                // ERROR.OUT
};

std::ostream &operator<<(std::ostream &os, const zeilenfall &f)
{
    return os << f.name;
}

class Zeilen : public testing::TestWithParam<zeilenfall> {};

TEST_P(Zeilen, FehlerMitRichtigerNummer)
{
    const zeilenfall &f = GetParam();
    tempdir d;
    anlegen(d, f.quellen);
    runresult r = runzel(d.path, {"s.mac"}, "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(readfile(d / "ERROR.OUT"), f.log);
}

std::string fehler(const char *datei, int zeile, const std::string &echo, const char *text)
{
    return std::string("\nError in file <") + datei + "> line " + std::to_string(zeile) + "\n-->" +
           echo + text + "\n";
}

const std::string BOM = "\xEF\xBB\xBF";
const char *const UNBEKANNT = "Unknown Command !";
const char *const ZULANG = "Line is to long (max. 254 characters) !";
const std::string LANG = "K " + std::string(298, 'x');
const std::string INCLANG = "INCLUDE <i.mac> " + std::string(300, 'x');

INSTANTIATE_TEST_SUITE_P(Quellen, Zeilen, testing::Values(
    zeilenfall{"ByteOrderMark", {{"s.mac", BOM + "BOGUS\n"}},
        fehler("s.mac", 1, "BOGUS", UNBEKANNT) + "\nfound 1 Errors !"},
    zeilenfall{"ByteOrderMarkInAnInclude",
        {{"s.mac", "INCLUDE <i.mac>\nBOGUS\n"}, {"i.mac", BOM + "MAKRO 1\n#ZL 0,0,'a'\nNOPE\n"}},
        fehler("i.mac", 3, "NOPE", UNBEKANNT) + fehler("s.mac", 2, "BOGUS", UNBEKANNT) +
            "\nfound 2 Errors !"},
    zeilenfall{"LoneCr", {{"s.mac", "MAKRO 1\r#ZL 0,0,'a'\rBOGUS\r"}},
        fehler("s.mac", 3, "BOGUS", UNBEKANNT) + "\nfound 1 Errors !"},
    zeilenfall{"CrLf", {{"s.mac", "MAKRO 1\r\n#ZL 0,0,'a'\r\n\r\nBOGUS\r\n"}},
        fehler("s.mac", 4, "BOGUS", UNBEKANNT) + "\nfound 1 Errors !"},
    zeilenfall{"LongCodeLine", {{"s.mac", "; x\n" + LANG + "\nBOGUS\n"}},
        fehler("s.mac", 2, LANG.substr(0, 254), UNBEKANNT) + fehler("s.mac", 2, LANG.substr(0, 254), ZULANG) +
            fehler("s.mac", 3, "BOGUS", UNBEKANNT) + "\nfound 3 Errors !"},
    zeilenfall{"LongCommentLine", {{"s.mac", "; " + std::string(300, 'c') + "\nBOGUS\n"}},
        fehler("s.mac", 2, "BOGUS", UNBEKANNT) + "\nfound 1 Errors !"},
    zeilenfall{"LongIncludeLine", {{"s.mac", INCLANG + "\nBOGUS\n"}, {"i.mac", "NOPE\n"}},
        fehler("s.mac", 1, INCLANG.substr(0, 254), ZULANG) + fehler("i.mac", 1, "NOPE", UNBEKANNT) +
            fehler("s.mac", 2, "BOGUS", UNBEKANNT) + "\nfound 3 Errors !"}),
    [](const testing::TestParamInfo<zeilenfall> &i) { return std::string(i.param.name); });

// A signal while the outputs are being written removes the temporary files,
// leaves the old outputs and the old log as they were and ends the run as
// the signal does.
//
// To hit that moment every time, the console is a pipe the test has filled
// beforehand, and the source prints just so much that the program's console
// buffer first runs over at the line of the upload file: the program then
// waits in that write, after the object file has been written to its
// temporary file and before anything has been renamed.
class Signal : public testing::TestWithParam<int> {};

// Fills a pipe until a write would wait.
void fuellen(int fd)
{
    int fl = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, fl | O_NONBLOCK);
    char buf[4096] = {};
    while (write(fd, buf, sizeof buf) > 0 || write(fd, buf, 1) > 0)
        ;
    fcntl(fd, F_SETFL, fl);
}

// The temporary files in a directory: the log's from the start, then
// one for each output being written.
int temps(const std::string &dir)
{
    int n = 0;
    for (const std::string &e : eintraege(dir))
        n += e.compare(0, 8, ".zelcomp") == 0;
    return n;
}

TEST_P(Signal, LaesstNichtsZurueck)
{
    tempdir d;
    // Console text before the upload file's line: banner, one line per
    // opened file, the object file's line; it is padded with includes of
    // an empty file whose name is chosen to end it 8 bytes short of the
    // 4096-byte console buffer.
    std::string kopf = std::string(BANNER) + "\nOpen File <s.mac>\nWrite EEPROM Object-File s.EEO";
    int rest = 4096 - 8 - (int)kopf.size();
    std::string quelle;
    while (rest > 0) {
        int n = rest >= 200 + 14 + 13 ? 200 : rest - 13;   // "\nOpen File <" ">" around the name
        std::string name = "e" + std::string(n - 1, 'p');
        writefile(d / name, "");
        quelle += "INCLUDE <" + name + ">\n";
        rest -= n + 13;
    }
    ASSERT_EQ(rest, 0);
    quelle += "MAKRO 1\n#S <d.bin>\n";
    dateien alt = {{"s.mac", quelle}, {"d.bin", daten(60000)}, {"s.EEO", "old eeo"}, {"s.EEP", "old eep"}};
    anlegen(d, alt);
    int p[2];
    ASSERT_EQ(pipe(p), 0);
    fuellen(p[1]);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(p[1], 1);
        close(p[0]);
        close(p[1]);
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        if (chdir(d.path.c_str()) != 0)
            _exit(127);
        // A test run under nohup must not pass on its ignored hang-up.
        for (int sig : {SIGINT, SIGTERM, SIGHUP})
            signal(sig, SIG_DFL);
        execl(ZELCOMP_BIN, ZELCOMP_BIN, "-o", "s.mac", (char *)nullptr);
        _exit(127);
    }
    close(p[1]);
    // The program cannot get past the console write, so this wait ends
    // however busy the machine is; the bound only keeps a broken program
    // from hanging the suite.
    for (int i = 0; i < 60000 && temps(d.path) < 2; i++)
        usleep(1000);
    EXPECT_EQ(temps(d.path), 2);
    kill(pid, GetParam());
    int st;
    waitpid(pid, &st, 0);
    close(p[0]);
    ASSERT_TRUE(WIFSIGNALED(st)) << "status " << st;
    EXPECT_EQ(WTERMSIG(st), GetParam());
    dateien neu;
    for (auto &e : eintraege(d.path))
        if (e[0] == 'e')
            neu.push_back({e, ""});
    // The log too is only put in place by a run that ends.
    pruefen(d, alt, neu);
}

INSTANTIATE_TEST_SUITE_P(Abbruch, Signal, testing::Values(SIGINT, SIGTERM, SIGHUP),
    [](const testing::TestParamInfo<int> &i) {
        return std::string(i.param == SIGINT ? "Int" : i.param == SIGTERM ? "Term" : "Hup");
    });

}  // namespace
