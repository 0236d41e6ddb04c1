// A source with macros, touch macros and port macros that hold text, data,
// pictures and files, compiled for each of the five models; the object and
// upload files are compared byte for byte with expected files.
//
// The expected files (tests/data/e2e/macros/macros-<model>.EEO.hex and
// .EEP.hex) are annotated hex text: every byte of the image is listed under
// the source line it comes from, worked out from the command table, the
// picture record of each orientation and the layout of the image; the upload
// file splits the same image into blocks by the upload file rules. Runs of
// equal bytes are written XX*n, '#' starts a comment.
#include "testutil.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <sstream>

static const std::string DIR = std::string(ZEL_TESTDATA) + "/e2e/macros/";

static std::string hextext(const std::string &path)
{
    std::istringstream in(readfile(path));
    std::string zeile, b;
    while (std::getline(in, zeile)) {
        std::istringstream w(zeile.substr(0, zeile.find('#')));
        std::string tok;
        while (w >> tok) {
            size_t stern = tok.find('*');
            int wert = (int)strtol(tok.substr(0, stern).c_str(), nullptr, 16);
            int n = stern == std::string::npos ? 1 : atoi(tok.c_str() + stern + 1);
            b.append(n, (char)wert);
        }
    }
    return b;
}

// Equal files; otherwise the sizes and the first offset where they differ.
static ::testing::AssertionResult gleich(const std::string &ist, const std::string &soll)
{
    if (ist == soll)
        return ::testing::AssertionSuccess();
    size_t i = 0;
    while (i < ist.size() && i < soll.size() && ist[i] == soll[i])
        i++;
    char msg[160];
    snprintf(msg, sizeof msg, "%zu bytes, expected %zu; first difference at offset %zu", ist.size(),
             soll.size(), i);
    return ::testing::AssertionFailure() << msg;
}

struct modell {
    int nr;
    const char *zeile;
    int bildlen, tmaklen;
};

void PrintTo(const modell &m, std::ostream *os)
{
    *os << m.zeile;
}

class Macros : public ::testing::TestWithParam<modell> {};

TEST_P(Macros, ObjectAndUploadFile)
{
    const modell &m = GetParam();
    tempdir d;
    for (const char *f : {"pic.bmp", "arrow.raw", "data.bin", "port.inc"})
        writefile(d / f, readfile(DIR + f));
    writefile(d / "macros.mac", std::string(m.zeile) + "\n" + readfile(DIR + "macros.mac"));
    runresult r = runzel(d.path, {"-o", "macros.mac"});
    ASSERT_EQ(r.status, 0) << r.out;
    int used = 3632 + m.bildlen + 284 + m.tmaklen + 10 + 23;
    char overview[600];
    snprintf(overview, sizeof overview,
             "\nSuccess !"
             "\nEEPROM-Memory overview:"
             "\n     System:       3632 bytes"
             "\n   0 Fonts:           0 bytes"
             "\n   2 Pictures:    %5d bytes"
             "\n   2 Makros:        307 bytes"
             "\n   1 Touchmakros: %5d bytes"
             "\n   1 Portmakros:     10 bytes"
             "\n ----------------------------"
             "\n %d bytes used\n",
             m.bildlen, m.tmaklen, used);
    EXPECT_EQ(r.out, std::string(BANNER) +
                         "\nOpen File <macros.mac>"
                         "\nOpen File <port.inc>"
                         "\nWrite EEPROM Object-File macros.EEO"
                         "\nWrite EEPROM Upload File macros.EEP" + overview);
    std::string n = std::to_string(m.nr);
    std::string eeo = hextext(DIR + "macros-" + n + ".EEO.hex");
    std::string eep = hextext(DIR + "macros-" + n + ".EEP.hex");
    ASSERT_EQ(eeo.size(), (size_t)used);
    EXPECT_TRUE(gleich(readfile(d / "macros.EEO"), eeo));
    EXPECT_TRUE(gleich(readfile(d / "macros.EEP"), eep));
    EXPECT_EQ(readfile(d / "ERROR.OUT"), "");
}

INSTANTIATE_TEST_SUITE_P(Models, Macros, ::testing::Values(
    modell{0, "ZEL310-2", 22, 26},
    modell{1, "ZEL420-3", 16, 20},
    modell{2, "ZEL530-4", 16, 20},
    modell{3, "ZEL530-5", 16, 20},
    modell{4, "QO417-2R8", 22, 26}), casenames());
