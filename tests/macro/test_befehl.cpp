// The display command encoder: letters, the command table against every
// model, parameter counts, count bytes, the file forms of S and UL.
#include "testutil.h"
#include "macro/macro.h"
#include "expr/expr.h"

#include <gtest/gtest.h>

#include <sstream>

static const char *INVALID = "not a valid command !";
static const char *WRONG = "wrong number of parameters";
static const int DATAMAX[5] = {95, 129, 187, 191, 31};

struct ergebnis {
    int ok;
    std::string daten;       // what reached the data area
    std::string out;
};

// Compiles one '#' line into an open block; the dispatcher leaves the
// cursor behind the '#'.
static ergebnis kompiliere(testctx &t, const std::string &zeile, int modell)
{
    t->zelnr = modell;
    t->aktmaknr = 1;
    int vorher = t->adresse;
    t.line(zeile.c_str());
    t->zptr = t->zeile + 1;
    ergebnis e;
    e.ok = zelbefehl(t.c());
    e.daten = std::string((const char *)t->eeprom + vorher, t->adresse - vorher);
    e.out = t.out();
    return e;
}

static ergebnis kompiliere(const std::string &zeile, int modell)
{
    testctx t;
    return kompiliere(t, zeile, modell);
}

static std::string meldung(const std::string &zeile, const char *text)
{
    return "\n--> " + zeile + text + "\n";
}

struct fall {
    int modell;
    std::string zeile;
    std::string daten;             // emitted bytes
    std::vector<const char *> meldungen;
};

void PrintTo(const fall &f, std::ostream *os)
{
    *os << "model " << f.modell << ": " << f.zeile;
}

class Example : public ::testing::TestWithParam<fall> {};

TEST_P(Example, BytesAndMessages)
{
    const fall &f = GetParam();
    ergebnis e = kompiliere(f.zeile, f.modell);
    std::string out;
    for (const char *m : f.meldungen)
        out += meldung(f.zeile, m);
    EXPECT_EQ(e.daten, f.daten);
    EXPECT_EQ(e.out, out);
}

static std::string kette(int n, char ch = 'x')
{
    return std::string(n, ch);
}

INSTANTIATE_TEST_SUITE_P(Zelbefehl, Example, ::testing::Values(
    fall{3, "#G 0,0,119,31", bytes({0x1B, 0x47, 0, 0, 0x77, 0x1F}), {}},
    fall{3, "#ZL 10,20,'Hi'", bytes({0x1B, 0x5A, 0x4C, 0x0A, 0x14, 0x48, 0x69, 0}), {}},
    fall{3, "#zl 10,20,'Hi'", bytes({0x1B, 0x5A, 0x6C, 0x0A, 0x14, 0x48, 0x69, 0}), {}},
    fall{3, "# Z L 10,20,'Hi'", bytes({0x1B, 0x5A, 0x4C, 0x0A, 0x14, 0x48, 0x69, 0}), {}},
    fall{3, "#\tZ\v\fL\t10,20,'Hi'", bytes({0x1B, 0x5A, 0x4C, 0x0A, 0x14, 0x48, 0x69, 0}), {}},
    fall{3, "#ZL10,20,'A'", bytes({0x1B, 0x5A, 0x4C, 10, 20, 'A', 0}), {}},
    fall{3, "#ZL 0,0,''", bytes({0x1B, 0x5A, 0x4C, 0, 0, 0}), {}},
    fall{3, "#ZL 1,2,'a;b' ; text", bytes({0x1B, 'Z', 'L', 1, 2, 'a', ';', 'b', 0}), {}},
    fall{3, "#ZT 'abc'", bytes({0x1B, 'Z', 'T', 'a', 'b', 'c'}), {}},
    fall{3, "#S 1,2,3", bytes({0x1B, 0x53, 3, 1, 2, 3}), {}},
    fall{3, "#S 1,2 <nix.bin>", bytes({0x1B, 0x53, 2, 1, 2}), {}},
    fall{3, "#S", "", {"Cannot found a Filename !", WRONG}},
    fall{3, "#S ;<nix.bin>", "", {"Cannot Open File <nix.bin> !"}},
    fall{3, "#IW 16,'AB'", bytes({0x1B, 0x49, 0x57, 0x10, 0x02, 0x41, 0x42}), {}},
    fall{2, "#iw 1,2", bytes({0x1B, 'I', 'w', 1, 1, 2}), {}},
    fall{0, "#IW 16,'AB'", "", {INVALID}},
    fall{0, "#IW NOCONST", "", {INVALID}},      // refused before the list is read
    fall{3, "#IW 1", "", {WRONG}},
    fall{3, "#UL 0,0,8,2,255,129", bytes({0x1B, 0x55, 0x4C, 0, 0, 8, 2, 0xFF, 0x81}), {}},
    fall{3, "#UL 0,0,9,2,255,129", "", {WRONG}},
    fall{3, "#UL 0,0,9,2,1,2,3,4", bytes({0x1B, 'U', 'L', 0, 0, 9, 2, 1, 2, 3, 4}), {}},
    fall{3, "#UL 0,0,0,0", "", {WRONG}},
    fall{3, "#UL 0,0,0,0,1", "", {WRONG}},
    fall{3, "#UL 1,2,3", "", {WRONG}},
    fall{3, "#UL 1", "", {WRONG}},
    fall{3, "#UL", "", {WRONG}},
    fall{3, "#UL 1,2", bytes({0x1B, 0x55, 0x4C, 1, 2}), {"Cannot found a Filename !"}},
    fall{3, "#E 1", bytes({0x1B, 'E', 1}), {}},
    fall{0, "#E 1", bytes({0x1B, 'E', 1}), {}},
    fall{4, "#E 1", "", {WRONG}},
    fall{4, "#E NOCONST", "", {WRONG}},         // refused before the list is read
    fall{2, "#YL 1", "", {INVALID}},
    fall{4, "#YL 1", bytes({0x1B, 'Y', 'L', 1}), {}},
    fall{4, "#DK 1", bytes({0x1B, 'D', 'K', 1}), {}},
    fall{3, "#DK 1", "", {INVALID}},
    fall{0, "#CB", "", {INVALID}},
    fall{4, "#CB", "", {INVALID}},
    fall{1, "#CB", bytes({0x1B, 'C', 'B'}), {}},
    fall{3, "#B 10,20", bytes({0x1B, 'B', 10, 20}), {}},
    fall{3, "#b r 1,2,3,4,5,6,7,8", bytes({0x1B, 'B', 'r', 1, 2, 3, 4, 5, 6, 7, 8}), {}},
    fall{3, "#F 1,2,3", bytes({0x1B, 'F', 1, 2, 3}), {}},
    fall{3, "#Ft 5", bytes({0x1B, 'F', 't', 5}), {}},
    fall{3, "#f T 5", bytes({0x1B, 'F', 'T', 5}), {}},
    fall{3, "#O T", "", {WRONG}},               // O never takes a second letter
    fall{3, "#?", bytes({0x1B, 0x3F}), {}},
    fall{3, "#? 1", "", {WRONG}},
    fall{3, "#&e 1,2,3,4,5", bytes({0x1B, '&', 'e', 1, 2, 3, 4, 5}), {}},
    fall{3, "#&", "", {INVALID}},
    fall{3, "#RK 1,2,3,4", "", {INVALID}},
    fall{3, "#ZN 1,2", "", {INVALID}},
    fall{3, "#ZP 1,2", "", {INVALID}},
    fall{3, "#ZQ 1,2", "", {INVALID}},
    fall{3, "#ZS 1,2", "", {INVALID}},
    fall{3, "#RP 1,2,3,4", "", {INVALID}},
    fall{3, "#RQ 1,2,3,4", "", {INVALID}},
    fall{3, "#Z", "", {INVALID}},
    fall{3, "#A 1", "", {INVALID}},
    fall{3, "#\xC4", "", {INVALID}},
    fall{3, "#", "", {INVALID}},
    fall{3, "#   ", "", {INVALID}},
    fall{3, "#G 1,2,3,4 > 5", "", {"illegal character in parameter list !"}},
    fall{3, "#ZL 0,0,'" + kette(191) + "'", bytes({0x1B, 'Z', 'L', 0, 0}) + kette(191) + bytes({0}), {}},
    fall{3, "#ZL 0,0,'" + kette(192) + "'", "", {WRONG}},
    fall{4, "#ZL 0,0,'" + kette(31) + "'", bytes({0x1B, 'Z', 'L', 0, 0}) + kette(31) + bytes({0}), {}},
    fall{4, "#ZL 0,0,'" + kette(32) + "'", "", {WRONG}},
    fall{3, "#IW 1,'" + kette(190) + "'", bytes({0x1B, 'I', 'W', 1, 190}) + kette(190), {}},
    fall{3, "#IW 1,'" + kette(191) + "'", "", {WRONG}},
    fall{2, "#IW 1,'" + kette(186) + "'", bytes({0x1B, 'I', 'W', 1, 186}) + kette(186), {}},
    fall{2, "#IW 1,'" + kette(187) + "'", "", {WRONG}}), casenames());

// B LEFT: the second letter is taken across the blank, the rest of the
// word is the first value.
TEST(Zelbefehl, BlankDoesNotSeparateTheLetters)
{
    testctx t;
    newkonst(t.c(), "EFT", 1);
    newkonst(t.c(), "TOP", 2);
    ergebnis e = kompiliere(t, "#B LEFT,TOP", 3);
    EXPECT_EQ(e.out, meldung("#B LEFT,TOP", WRONG));
    EXPECT_EQ(std::string((const char *)t->bef, 5), bytes({27, 'B', 'L', 1, 2}));
}

// One row per command of the module family: letters, the lowest and the
// highest count (DM + k: datamax of the model plus k), the models.
enum { DM = 1000, OHNE = -1 };
struct zeile_t {
    const char *namen;
    int min, max;
    const char *modelle;
    bool text;
};

static const zeile_t TABELLE[] = {
    {"O", 2, 2, "01234", false},
    {"F", 3, 3, "01234", false},
    {"FT", 1, 1, "01234", false},
    {"L", 2, 2, "01234", false},
    {"E", 1, 32, "0123", false},
    {"V", 1, 1, "01234", false},
    {"P", 2, 2, "01234", false},
    {"G", 4, 4, "01234", false},
    {"W", 2, 2, "01234", false},
    {"H", 4, 4, "01234", false},
    {"X", 1, 1, "01234", false},
    {"J", 1, 1, "0123", false},
    {"B", 2, 2, "01234", false},
    {"BL BO BR BU", 8, 8, "01234", false},
    {"ZL ZM ZO ZR ZU ZZ", 2, DM + 2, "01234", true},
    {"ZT", 1, OHNE, "01234", false},
    {"RI RL RN RR RS", 4, 4, "01234", false},
    {"RJ RM RO", 5, 5, "01234", false},
    {"UE", 3, 3, "01234", false},
    {"DA DE DI DL DS", 0, 0, "01234", false},
    {"DC DN DR", 0, 0, "1234", false},
    {"DK DX", 1, 1, "4", false},
    {"MA MJ", 3, 3, "01234", false},
    {"MN MP MT", 1, 1, "01234", false},
    {"CB CR", 0, 0, "123", false},
    {"CK", 2, 2, "123", false},
    {"CS", 4, 4, "123", false},
    {"TA TI TM TS", 1, 1, "0123", false},
    {"TP TR TW", 0, 0, "0123", false},
    {"TH TV", 4, DM + 4, "0123", true},
    {"NA NI NN NP NS", 0, 0, "123", false},
    {"NM", 1, 1, "123", false},
    {"NH NV", 3, DM + 3, "123", true},
    {"YA YI YR", 1, 1, "01234", false},
    {"YW", 2, 2, "01234", false},
    {"YL", 1, 1, "0134", false},
    {"QC QZ", 1, 1, "01234", false},
    {"QD", 4, 4, "01234", false},
    {"QM", 1, 1, "1234", false},
    {"KA KD KS", 1, 1, "01234", false},
    {"IR", 2, 2, "23", false},
    {"?", 0, 0, "01234", false},
    {"!", 1, 1, "01234", false},
    {"+", 1, 1, "01234", false},
    {"&E", 5, 5, "01234", false},
};

struct befehlfall {
    std::string name;
    zeile_t z;
};

static std::vector<befehlfall> alle()
{
    std::vector<befehlfall> v;
    for (const zeile_t &z : TABELLE) {
        std::istringstream in(z.namen);
        std::string name;
        while (in >> name)
            v.push_back({name, z});
    }
    return v;
}

// n parameters as one string; every character is one value.
static std::string liste(int n)
{
    if (n == 0)
        return "";
    std::string s = " '";
    for (int i = 0; i < n; i++)
        s.push_back((char)('A' + i % 26));
    return s + "'";
}

static void PrintTo(const befehlfall &f, std::ostream *os) { *os << f.name; }

class Table : public ::testing::TestWithParam<befehlfall> {};

TEST_P(Table, CountsAndModels)
{
    const befehlfall &f = GetParam();
    for (int m = 0; m < 5; m++) {
        SCOPED_TRACE("model " + std::to_string(m));
        bool hat = std::string(f.z.modelle).find('0' + m) != std::string::npos;
        std::string kopf = "#" + f.name;
        if (!hat) {
            ergebnis e = kompiliere(kopf + liste(f.z.min), m);
            const char *text = f.name == "E" ? WRONG : INVALID;
            EXPECT_EQ(e.out, meldung(kopf + liste(f.z.min), text));
            EXPECT_EQ(e.daten, "");
            continue;
        }
        int max = f.z.max >= DM ? f.z.max - DM + DATAMAX[m] : f.z.max;
        if (f.z.max == OHNE)
            max = 250;                  // only the line's length limits it
        for (int n : {f.z.min, max}) {
            std::string zeile = kopf + liste(n);
            ergebnis e = kompiliere(zeile, m);
            std::string soll = "\x1B" + f.name + liste(n).substr(n ? 2 : 0, n);
            if (f.z.text)
                soll.push_back(0);
            EXPECT_EQ(e.out, "") << zeile;
            EXPECT_EQ(e.daten, soll) << zeile;
            EXPECT_EQ(e.ok, 1);
        }
        std::vector<int> falsch = {f.z.min - 1};
        if (f.z.max != OHNE)
            falsch.push_back(max + 1);
        for (int n : falsch) {
            if (n < 0)
                continue;
            std::string zeile = kopf + liste(n);
            ergebnis e = kompiliere(zeile, m);
            EXPECT_EQ(e.out, meldung(zeile, WRONG)) << zeile;
            EXPECT_EQ(e.daten, "") << zeile;
            EXPECT_EQ(e.ok, 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Zelbefehl, Table, ::testing::ValuesIn(alle()),
                         [](const ::testing::TestParamInfo<befehlfall> &i) {
                             return casename(i.param.name);
                         });

// The commands with a count byte or a picture, on every model.
TEST(Zelbefehl, CountByteCommandsOnEveryModel)
{
    for (int m = 0; m < 5; m++) {
        SCOPED_TRACE("model " + std::to_string(m));
        EXPECT_EQ(kompiliere("#S" + liste(1), m).daten, bytes({27, 'S', 1, 'A'}));
        ergebnis e = kompiliere("#S" + liste(250), m);
        EXPECT_EQ(e.daten, bytes({27, 'S', 250}) + liste(250).substr(2, 250));
        EXPECT_EQ(kompiliere("#UL 1,2,8,1,255", m).daten, bytes({27, 'U', 'L', 1, 2, 8, 1, 255}));
        bool iw = m == 2 || m == 3;
        e = kompiliere("#IW" + liste(2), m);
        EXPECT_EQ(e.daten, iw ? bytes({27, 'I', 'W', 'A', 1, 'B'}) : "");
        EXPECT_EQ(e.out, iw ? "" : meldung("#IW" + liste(2), INVALID));
    }
}

TEST(Zelbefehl, UsesTheModelInForceForEachLine)
{
    testctx t;
    std::string z = "#ZL 0,0,'" + kette(40) + "'";
    EXPECT_EQ(kompiliere(t, z, 3).ok, 1);
    EXPECT_EQ(kompiliere(t, z, 4).ok, 0);
    EXPECT_EQ(t->errors, 1);
}

TEST(Zelbefehl, AddsEachCommandToTheOpenBlock)
{
    testctx t;
    kompiliere(t, "#G 1,2,3,4", 3);
    kompiliere(t, "#DA", 3);
    kompiliere(t, "#G 1", 3);               // refused: nothing added
    EXPECT_EQ(t->aktmaklen, 9);
    EXPECT_EQ(t->adresse, 9);
}

TEST(Zelbefehl, OverflowDropsTheCommandWhole)
{
    testctx t;
    t->adresse = DATASIZE - 5;
    ergebnis e = kompiliere(t, "#G 1,2,3,4", 3);
    EXPECT_EQ(e.ok, 0);
    EXPECT_EQ(e.out, meldung("#G 1,2,3,4", "EEPROM-memory overflow !"));
    EXPECT_EQ(t->adresse, DATASIZE - 5);
    EXPECT_EQ(kompiliere(t, "#DA", 3).ok, 1);
    EXPECT_EQ(t->adresse, DATASIZE - 2);
}

static std::string datei(int n)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s.push_back((char)(i * 13 + 1));
    return s;
}

TEST(Zelbefehl, DataFileIn256ByteChunks)
{
    tempdir d;
    chdirguard g(d.path);
    std::string inhalt = datei(300);
    writefile(d / "data.bin", inhalt);
    ergebnis e = kompiliere("#S <data.bin>", 3);
    EXPECT_EQ(e.ok, 1);
    EXPECT_EQ(e.out, "");
    EXPECT_EQ(e.daten, bytes({0x1B, 0x53, 0x00}) + inhalt.substr(0, 256) +
                           bytes({0x1B, 0x53, 0x2C}) + inhalt.substr(256));
}

TEST(Zelbefehl, EmptyDataFileEmitsNothing)
{
    tempdir d;
    chdirguard g(d.path);
    writefile(d / "leer.bin", "");
    ergebnis e = kompiliere("#s<leer.bin>", 3);
    EXPECT_EQ(e.ok, 1);
    EXPECT_EQ(e.out, "");
    EXPECT_EQ(e.daten, "");
}

TEST(Zelbefehl, PictureFileBehindTheCommand)
{
    tempdir d;
    chdirguard g(d.path);
    writefile(d / "p.blh", bytes({8, 2, 0xFF, 0x81}));
    testctx t;
    t->adresse = 3;
    t->aktmaklen = 3;
    ergebnis e = kompiliere(t, "#UL 1,2 <p.blh>", 3);
    EXPECT_EQ(e.ok, 1);
    EXPECT_EQ(e.out, "");
    EXPECT_EQ(e.daten, bytes({0x1B, 0x55, 0x4C, 1, 2, 8, 2, 0xFF, 0x81}));
    EXPECT_EQ(t->aktmaklen, 12);
    EXPECT_EQ(t->adresse, 12);
}

// The five bytes of the command stay when the picture cannot be loaded.
TEST(Zelbefehl, PictureFileMissing)
{
    tempdir d;
    chdirguard g(d.path);
    testctx t;
    ergebnis e = kompiliere(t, "#UL 1,2 <nix.bmp>", 3);
    EXPECT_EQ(e.ok, 1);
    EXPECT_EQ(e.out, meldung("#UL 1,2 <nix.bmp>", "Cannot Open Picturefile <nix.bmp> !"));
    EXPECT_EQ(e.daten, bytes({0x1B, 0x55, 0x4C, 1, 2}));
    EXPECT_EQ(t->aktmaklen, 5);
}

TEST(Zelbefehl, PictureFileWithoutRoomForTheCommand)
{
    tempdir d;
    chdirguard g(d.path);
    writefile(d / "p.blh", bytes({8, 2, 0xFF, 0x81}));
    testctx t;
    t->adresse = DATASIZE - 4;
    ergebnis e = kompiliere(t, "#UL 1,2 <p.blh>", 3);
    EXPECT_EQ(e.ok, 0);
    EXPECT_EQ(e.out, meldung("#UL 1,2 <p.blh>", "EEPROM-memory overflow !"));
    EXPECT_EQ(t->adresse, DATASIZE - 4);
}
