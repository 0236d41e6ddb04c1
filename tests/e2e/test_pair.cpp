// Runs that write the same outputs at the same time: each replaces the
// pair whole, one after the other, so the object file and the upload file
// beside it always come from the same run.
#include "testutil.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string muster(int n, int saat)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s.push_back((char)(i * saat + i / 253));
    return s;
}

std::vector<std::string> zeilen(const std::string &text)
{
    std::vector<std::string> v;
    std::istringstream is(text);
    for (std::string z; std::getline(is, z);)
        v.push_back(z);
    return v;
}

// The checksum line cksum prints for a file in dir.
std::string summe(const tempdir &d, const char *datei)
{
    runresult r = runprog(d.path, "/bin/sh", {"-c", std::string("cat ") + datei + " | cksum"});
    return r.out;
}

TEST(Paar, GleichzeitigeLaeufeErsetzenNacheinander)
{
    tempdir d;
    // Two sources whose outputs have the same names and differ in every
    // part: x.mac and x.txt both give x.EEO and x.EEP.
    writefile(d / "a.bin", muster(30000, 7));
    writefile(d / "b.bin", muster(20000, 11));
    writefile(d / "x.mac", "MAKRO 1\n#S <a.bin>\n");
    writefile(d / "x.txt", "MAKRO 2\n#S <b.bin>\n");
    ASSERT_EQ(runzel(d.path, {"-o", "x.mac"}).status, 0);
    std::string a = summe(d, "x.EEO x.EEP");
    ASSERT_EQ(runzel(d.path, {"-o", "x.txt"}).status, 0);
    std::string b = summe(d, "x.EEO x.EEP");
    ASSERT_NE(a, b);
    const int runden = 120;
    runresult r = runprog(d.path, "/bin/sh",
                          {"-c",
                           "i=0; while [ $i -lt " + std::to_string(runden) + " ]; do i=$((i+1)); "
                           "\"$0\" -o x.mac >/dev/null & \"$0\" -o x.txt >/dev/null & wait; "
                           "cat x.EEO x.EEP | cksum; done",
                           ZELCOMP_BIN});
    EXPECT_EQ(r.status, 0);
    std::vector<std::string> summen = zeilen(r.out);
    ASSERT_EQ((int)summen.size(), runden);
    int gemischt = 0;
    for (const std::string &s : summen)
        gemischt += s + "\n" != a && s + "\n" != b;
    EXPECT_EQ(gemischt, 0) << "rounds with a mixed pair";
    // Nothing of the runs or their locks is left behind.
    std::set<std::string> namen;
    DIR *dp = opendir(d.path.c_str());
    while (struct dirent *e = readdir(dp))
        namen.insert(e->d_name);
    closedir(dp);
    EXPECT_EQ(namen, (std::set<std::string>{".", "..", "a.bin", "b.bin", "x.mac", "x.txt", "x.EEO", "x.EEP",
                                            "ERROR.OUT"}));
}

}  // namespace
