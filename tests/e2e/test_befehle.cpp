// zelcomp --commands [MODEL]: the display command table from the
// compiler's own, one command a line; and the reference that shows it.
#include "testutil.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

static std::vector<std::string> zeilen(const std::string &s)
{
    std::vector<std::string> v;
    std::istringstream in(s);
    for (std::string z; std::getline(in, z);)
        v.push_back(z);
    return v;
}

// The line of a command: its letters and a blank begin it.
static std::string zeile(const std::string &liste, const std::string &befehl)
{
    for (const std::string &z : zeilen(liste))
        if (z.rfind(befehl + " ", 0) == 0)
            return z;
    return "";
}

TEST(Befehle, ListedWithParametersAndModels)
{
    tempdir d;
    runresult alle = runzel(d.path, {"--commands"});
    EXPECT_EQ(alle.status, 0);
    EXPECT_EQ(alle.err, "");
    EXPECT_EQ(zeilen(alle.out).size(), 89u);
    struct { const char *modell, *befehl, *teile; } cases[] = {
        {"", "RR", "4 | all"},
        {"", "ZL", "2 to datamax+2, text, a zero byte appended | all"},
        {"", "DK", "1 | QO417-2R8"},
        {"", "CB", "none | ZEL420-3, ZEL530-4, ZEL530-5"},
        {"", "E", "1 to 32 | ZEL310-2, ZEL420-3, ZEL530-4, ZEL530-5"},
        {"", "S", "1 to 255 after a count byte, or a file <name> | all"},
        {"", "IW", "2 to datamax, the count of p2.. stored behind p1 | ZEL530-4, ZEL530-5"},
        {"", "UL", "2 and a picture file <name>, or 4 and (p3+7)/8*p4 bytes | all"},
        {"", "ZT", "1 or more | all"},
        {"QO417-2R8", "ZL", "2 to 33, text, a zero byte appended | QO417-2R8"},
        {"qo417-2r", "DK", "1 | QO417-2R8"},
        {"ZEL530-5", "ZL", "2 to 193, text, a zero byte appended | ZEL530-5"},
        {"ZEL530-5", "IW", "2 to 191, the count of p2.. stored behind p1 | ZEL530-5"},
        {"ZEL310-2", "TH", "4 to 99, text, a zero byte appended | ZEL310-2"},
        {"ZEL530-5", "DK", ""},
        {"QO417-2R8", "E", ""},
        {"ZEL530-4", "YL", ""},
    };
    for (auto &k : cases) {
        SCOPED_TRACE(std::string(k.modell) + " " + k.befehl);
        std::string liste = *k.modell ? runzel(d.path, {"--commands", k.modell}).out : alle.out;
        std::string z = zeile(liste, k.befehl);
        std::string soll = k.teile;
        if (soll.empty()) {
            EXPECT_EQ(z, "");
            continue;
        }
        // letters, blanks, the parameters, blanks, the models
        size_t bar = soll.find(" | ");
        std::string par = soll.substr(0, bar), mod = soll.substr(bar + 3);
        ASSERT_NE(z, "");
        EXPECT_EQ(z.substr(4, par.size()), par);
        EXPECT_EQ(z.substr(z.size() - mod.size()), mod);
        EXPECT_EQ(z.find_first_not_of(' ', 4 + par.size()), z.size() - mod.size());
    }
    EXPECT_EQ(zeilen(runzel(d.path, {"--commands", "QO417-2R8"}).out).size(), 64u);
    EXPECT_EQ(runzel(d.path, {"--commands=zel530-5"}).out, runzel(d.path, {"--commands", "ZEL530-5"}).out);
    EXPECT_FALSE(fileexists(d / "ERROR.OUT"));
}

TEST(Befehle, UnknownModelIsAUsageError)
{
    tempdir d;
    for (const char *m : {"ZEL999", "--commands=", "--commands=x"}) {
        runresult r = std::string(m).rfind("--", 0) == 0 ? runzel(d.path, {m}) : runzel(d.path, {"--commands", m});
        EXPECT_EQ(r.status, 64) << m;
        EXPECT_EQ(r.out, "");
        std::string was = std::string(m).rfind("--", 0) == 0 ? std::string(m).substr(11) : m;
        EXPECT_EQ(r.err, "zelcomp: unknown model " + was +
                             "; the models are ZEL310-2, ZEL420-3, ZEL530-4, ZEL530-5, QO417-2R8\n");
    }
}

// The reference shows the table between its two markers exactly as
// --commands prints it, so the two cannot drift apart.
TEST(Befehle, ReferenceHoldsTheTable)
{
    std::string doku = readfile(std::string(ZEL_TESTDATA) + "/../../docs/language.md");
    std::string anfang = "<!-- commands: begin -->\n```\n", ende = "```\n<!-- commands: end -->";
    size_t a = doku.find(anfang), e = doku.find(ende);
    ASSERT_NE(a, std::string::npos);
    ASSERT_NE(e, std::string::npos);
    a += anfang.size();
    tempdir d;
    EXPECT_EQ(doku.substr(a, e - a), runzel(d.path, {"--commands"}).out)
        << "docs/language.md: put the output of zelcomp --commands between the markers";
    // every model in the table and every predefined constant is named
    for (const char *wort : {"ZEL310-2", "ZEL420-3", "ZEL530-4", "ZEL530-5", "QO417-2R8", "INTERN4x6",
                             "INTERN5x6", "INTERN6x8", "INTERN8x8", "INTERN8x16", "`A` to `Z`", "datamax"})
        EXPECT_NE(doku.find(wort), std::string::npos) << wort;
}
