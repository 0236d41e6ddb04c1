// Compile, write the source back with zeldump -s, compile that: the object
// and upload files come out byte for byte the same, and the memory map of
// zeldump counts what the compiler's overview counts.
#include "dumputil.h"

#include "device/device.h"

#include <dirent.h>
#include <gtest/gtest.h>

struct rundfall {
    const char *name;
    int model;
    // fills dir with the source and its files; returns the source's name
    std::string (*quelle)(const std::string &dir, int model);
};

static std::string beispiel(const std::string &dir, int)
{
    DIR *d = opendir(ZEL_EXAMPLES);
    while (dirent *e = d ? readdir(d) : nullptr)
        if (e->d_name[0] != '.')
            writefile(dir + "/" + e->d_name, readfile(std::string(ZEL_EXAMPLES) + "/" + e->d_name));
    if (d)
        closedir(d);
    return "demo";
}

static std::string benchmark(const std::string &dir, int)
{
    runprog(dir, GENBENCH_BIN, {dir});
    return "bench";
}

// Model lines between records: pictures and fonts in the layout of the
// model of their time, commands that only another model takes.
static std::string gemischt(const std::string &dir, int)
{
    macrosource(dir, 0);
    writefile(dir + "/mix.mac",
              "ZEL310-2\nPICTURE 1 <pic.bmp>\nFONT 1,65,70,INTERN6x8\nMAKRO 0\n"
              "#UL 1,2 <pic.bmp>\nQO417-2R8\nMAKRO 2\n#DK 5\nZEL420-3\n"
              "FONT 2,65,66,INTERN8x16\nPICTURE 2 <pic.bmp>\nMAKRO 3\n#NA\n#UL 0,0 <pic.bmp>\n"
              "#ZL 1,1,'" + std::string(120, 'x') + "'\nZEL530-5\nMAKRO 4\n#ZL 1,1,'" +
                  std::string(185, 'y') + "'\n");
    return "mix";
}

static void PrintTo(const rundfall &f, std::ostream *os) { *os << f.name; }

static const rundfall faelle[] = {
    {"macros_ZEL310_2", 0, macrosource},  {"macros_ZEL420_3", 1, macrosource},
    {"macros_ZEL530_4", 2, macrosource},  {"macros_ZEL530_5", 3, macrosource},
    {"macros_QO417_2R8", 4, macrosource}, {"example", 3, beispiel},
    {"benchmark", 3, benchmark},          {"mixed_models", 3, gemischt},
};

class Roundtrip : public ::testing::TestWithParam<rundfall> {};

TEST_P(Roundtrip, RebuildsTheSameFiles)
{
    const rundfall &f = GetParam();
    tempdir d;
    std::string n = f.quelle(d.path, f.model);
    runresult c = runzel(d.path, {"-o", n + ".mac"});
    ASSERT_EQ(c.status, 0) << c.out;

    runresult karte = rundump(d.path, {"-m", zel[f.model].name, n + ".EEO"});
    EXPECT_EQ(karte.status, 0) << karte.out;
    EXPECT_NE(overview(c.out), "");
    EXPECT_EQ(overview(karte.out), overview(c.out));

    runresult s = rundump(d.path, {"-m", zel[f.model].name, "-s", "rt", n + ".EEO"});
    ASSERT_EQ(s.status, 0) << s.out;
    runresult c2 = runzel(d / "rt", {"-o", n + ".mac"});
    ASSERT_EQ(c2.status, 0) << c2.out;
    EXPECT_TRUE(readfile(d / "rt/" + n + ".EEO") == readfile(d / n + ".EEO"));
    EXPECT_TRUE(readfile(d / "rt/" + n + ".EEP") == readfile(d / n + ".EEP"));

    // the upload file names its model: the same source comes out of it
    runresult e = rundump(d.path, {"-s", "rt2", n + ".EEP"});
    ASSERT_EQ(e.status, 0) << e.out;
    EXPECT_EQ(readfile(d / "rt2/" + n + ".mac"), readfile(d / "rt/" + n + ".mac"));
}

INSTANTIATE_TEST_SUITE_P(Sources, Roundtrip, ::testing::ValuesIn(faelle),
                         [](const ::testing::TestParamInfo<rundfall> &i) {
                             return std::string(i.param.name);
                         });
