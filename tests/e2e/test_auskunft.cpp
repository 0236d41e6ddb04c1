// What every program tells about itself: -h and --help print the usage,
// --version the one version of the build, both on stdout with status 0; and
// every long option the help names is described in the program's manual page.
#include "testutil.h"

#include <cctype>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <vector>

namespace {

struct programm {
    const char *name;   // the program's name, as it prints it
    const char *bin;    // the built program
};

const programm programme[] = {
    {"zelcomp", ZELCOMP_BIN},
#ifdef ZELSIM_BIN
    {"zelsim", ZELSIM_BIN},
#endif
    {"zeldump", ZELDUMP_BIN},
#ifdef ZELFONT_BIN
    {"zelfont", ZELFONT_BIN},
#endif
    {"fontart", FONTART_BIN},
};

runresult starte(const programm &p, const std::vector<std::string> &args)
{
    tempdir d;
    return runprog(d.path, p.bin, args);
}

// The long options a help text names, such as "--size".
std::vector<std::string> langoptionen(const std::string &hilfe)
{
    std::vector<std::string> v;
    std::regex re("--[a-z][a-z-]*[a-z]");
    for (auto i = std::sregex_iterator(hilfe.begin(), hilfe.end(), re); i != std::sregex_iterator(); ++i)
        v.push_back(i->str());
    return v;
}

// The way a manual page source writes a dash: "\-".
std::string roff(const std::string &s)
{
    std::string r;
    for (char c : s)
        r += c == '-' ? std::string("\\-") : std::string(1, c);
    return r;
}

std::string gross(std::string s)
{
    for (char &c : s)
        c = (char)toupper((unsigned char)c);
    return s;
}

} // namespace

TEST(Auskunft, VersionIsTheBuildsOneVersion)
{
    EXPECT_TRUE(std::regex_match(ZELCOMP_VERSION, std::regex("[0-9]+\\.[0-9]+\\.[0-9]+")))
        << ZELCOMP_VERSION;
    for (const programm &p : programme) {
        SCOPED_TRACE(p.name);
        runresult r = starte(p, {"--version"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, std::string(p.name) + " " + ZELCOMP_VERSION + "\n");
        EXPECT_EQ(r.err, "");
    }
}

TEST(Auskunft, HelpShowsTheUsageOnStdout)
{
    for (const programm &p : programme) {
        SCOPED_TRACE(p.name);
        runresult lang = starte(p, {"--help"});
        runresult kurz = starte(p, {"-h"});
        EXPECT_EQ(lang.status, 0);
        EXPECT_EQ(lang.err, "");
        EXPECT_EQ(lang.out.rfind(std::string("usage: ") + p.name + " ", 0), 0u) << lang.out;
        EXPECT_NE(lang.out.find("--help"), std::string::npos) << lang.out;
        EXPECT_NE(lang.out.find("--version"), std::string::npos) << lang.out;
        EXPECT_EQ(kurz.status, 0);
        EXPECT_EQ(kurz.err, "");
        EXPECT_EQ(kurz.out, lang.out);
    }
}

// Asked behind other options, the answer is the same and nothing else runs.
TEST(Auskunft, AnsweredBehindOtherOptions)
{
    struct fall {
        const char *name;
        std::vector<std::string> args;
    } faelle[] = {
        {"zelcomp", {"-o", "-c1", "--version"}},
        {"zelsim", {"-v", "-m", "2", "--version"}},
        {"zeldump", {"-l", "-m", "ZEL530-5", "--version"}},
        {"zelfont", {"--size", "12", "--version", "in.ttf", "OUT.FNT"}},
    };
    for (const fall &f : faelle)
        for (const programm &p : programme) {
            if (std::string(p.name) != f.name)
                continue;
            SCOPED_TRACE(p.name);
            tempdir d;
            runresult r = runprog(d.path, p.bin, f.args);
            EXPECT_EQ(r.status, 0);
            EXPECT_EQ(r.out, std::string(p.name) + " " + ZELCOMP_VERSION + "\n");
            EXPECT_EQ(r.err, "");
            EXPECT_FALSE(fileexists(d / "OUT.FNT"));
            EXPECT_FALSE(fileexists(d / "ERROR.OUT"));
        }
}

// The installed programs each have a manual page that knows every long
// option of their help.
TEST(Auskunft, ManualPagesDescribeEveryLongOption)
{
    for (const programm &p : programme) {
        if (std::string(p.name) == "fontart")
            continue;
        SCOPED_TRACE(p.name);
        std::string seite = readfile(std::string(ZEL_TESTDATA) + "/../../man/" + p.name + ".1");
        ASSERT_FALSE(seite.empty());
        EXPECT_EQ(seite.rfind(".TH " + gross(p.name) + " 1 ", 0), 0u);
        for (const std::string &o : langoptionen(starte(p, {"--help"}).out))
            EXPECT_NE(seite.find(roff(o)), std::string::npos) << o << " is not in man/" << p.name << ".1";
    }
}

// tools/setup.sh names its groups when given another and installs nothing.
TEST(Auskunft, SetupRefusesAnUnknownGroup)
{
    std::string setup = std::string(ZEL_TESTDATA) + "/../../tools/setup.sh";
    tempdir d;
    runresult r = runprog(d.path, "/bin/sh", {setup, "--check", "build", "tests"});
    EXPECT_EQ(r.status, 64);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tools/setup.sh: unknown group tests (build, test, package, fuzz, windows, all)\n");
}
