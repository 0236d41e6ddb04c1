// The listing: one line per display command, at its address, in the
// compiler's own syntax.
#include "dumputil.h"

#include <gtest/gtest.h>
#include <sstream>

// One command of every kind the ZEL530-5 takes, written as the listing
// writes it: numbers, text after the leading values, the second letter as
// it was typed.
static const char *const befehle[] = {
    "#O 1,2", "#F 1,2,3", "#FT 1", "#L 1,2", "#E 1,2,3", "#V 1", "#P 1,2",
    "#G 0,0,119,31", "#W 1,2", "#H 1,2,3,4", "#X 1", "#J 1", "#B 1,42",
    "#BR 1,10,100,230,115,0,100,1", "#ZL 10,20,'Hi'", "#Zl 10,20,\"it's\"", "#ZT 'abc',0,1",
    "#RR 0,0,10,10", "#RO 1,2,3,4,5", "#UE 1,2,3", "#UL 0,0,8,2,255,129", "#DL",
    "#MA 1,2,3", "#MN 1", "#CB", "#CK 1,2", "#CS 1,2,3,4", "#TA 1", "#TP",
    "#TH 1,2,3,4,'x'", "#NA", "#NM 1", "#NH 1,2,3,'y'", "#YA 1", "#YW 1,2", "#YL 1",
    "#QC 1", "#QD 1,2,3,4", "#QM 1", "#KA 1", "#IR 1,2", "#IW 16,'AB'", "#S 1,2,3",
    "#S 200,0,7,'ok'", "#?", "#! 1", "#+ 7", "#&E 1,2,3,4,5",
};

TEST(Listing, ShowsEveryCommandKindAsWritten)
{
    tempdir d;
    std::string quelle = "ZEL530-5\nMAKRO 7\n";
    for (const char *b : befehle)
        quelle += std::string(b) + "\n";
    quelle += "#S <data.bin>\n";
    writefile(d / "all.mac", quelle);
    writefile(d / "data.bin", std::string(256, 'A'));
    ASSERT_EQ(runzel(d.path, {"-o", "all.mac"}).status, 0);
    runresult r = rundump(d.path, {"-l", "all.EEO"});
    ASSERT_EQ(r.status, 0) << r.out;

    std::istringstream in(r.out.substr(r.out.find("Makro 7 at 0x0E30, ")));
    std::string zeile;
    std::getline(in, zeile);
    std::vector<std::string> texte;
    while (std::getline(in, zeile)) {
        ASSERT_EQ(zeile.substr(0, 4), "  0x") << zeile;
        texte.push_back(zeile.substr(10));
    }
    ASSERT_EQ(texte.size(), sizeof befehle / sizeof befehle[0] + 1);
    for (size_t i = 0; i + 1 < texte.size(); i++)
        EXPECT_EQ(texte[i], befehle[i]);
    std::string daten = "#S ; data";
    for (int i = 0; i < 256; i++)
        daten += " 65";
    EXPECT_EQ(texte.back(), daten);
    EXPECT_NE(r.out.find("  0x0E30  #O 1,2\n  0x0E34  #F 1,2,3\n"), std::string::npos);
}
