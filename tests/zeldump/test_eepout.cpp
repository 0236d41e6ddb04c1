// -e: the upload file of an image, from an object file, a backup of the
// whole EEPROM or an upload file, is the one the compile wrote.
#include "dumputil.h"

#include "device/device.h"

#include <gtest/gtest.h>

struct eepfall {
    const char *name;
    int model;
    // the input zeldump gets, made from the object and upload files
    std::string (*eingabe)(const std::string &eeo, const std::string &eep);
    const char *endung;
};

static std::string objekt(const std::string &eeo, const std::string &)
{
    return eeo;
}

// What a module holds after the upload: its own cells 0..15, old bytes
// behind the image.
static std::string sicherung(const std::string &eeo, const std::string &)
{
    std::string s = eeo;
    s.replace(0, 2, "\x5A\x07");
    s.resize(65536, '\x33');
    return s;
}

static std::string hochladen(const std::string &, const std::string &eep)
{
    return eep;
}

static void PrintTo(const eepfall &f, std::ostream *os) { *os << f.name; }

static const eepfall faelle[] = {
    {"ObjectFile", 3, objekt, "EEO"},       {"Backup", 3, sicherung, "EEO"},
    {"UploadFile", 3, hochladen, "EEP"},    {"BackupQO417", 4, sicherung, "EEO"},
    {"UploadFileZEL420", 1, hochladen, "EEP"},
};

class EepOut : public ::testing::TestWithParam<eepfall> {};

TEST_P(EepOut, IsTheCompilersUploadFile)
{
    const eepfall &f = GetParam();
    tempdir d;
    std::string n = macrosource(d.path, f.model);
    ASSERT_EQ(runzel(d.path, {"-o", n + ".mac"}).status, 0);
    std::string eep = readfile(d / n + ".EEP");
    writefile(d / "in." + f.endung, f.eingabe(readfile(d / n + ".EEO"), eep));
    runresult r = rundump(d.path, {"-m", zel[f.model].name, "-e", "out.EEP",
                                   std::string("in.") + f.endung});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(readfile(d / "out.EEP") == eep);
}

INSTANTIATE_TEST_SUITE_P(Inputs, EepOut, ::testing::ValuesIn(faelle),
                         [](const ::testing::TestParamInfo<eepfall> &i) {
                             return std::string(i.param.name);
                         });
