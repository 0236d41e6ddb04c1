// examples/menu compiles as its Makefile builds it, its font is what
// zelfont makes of DejaVu Sans Mono, and make uploads it to zelsim.
#include "test_upload.h"

#include <gtest/gtest.h>
#include <unistd.h>

static const std::string MENU = std::string(ZEL_TESTDATA) + "/../../examples/menu/";

static void kopieren(const tempdir &d)
{
    for (const char *f : {"menu.mac", "icon.png", "mono.fnt", "Makefile"})
        writefile(d / f, readfile(MENU + f));
}

TEST(Menu, CompilesAsTheMakefileBuildsIt)
{
    tempdir d;
    kopieren(d);
    runresult r = runzel(d.path, {"--batch", "-W", "-MD", "-o", "--charset=cp437", "menu.mac"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.back(), '\n');
    EXPECT_NE(r.out.find("\n   2 Fonts:"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n   1 Pictures:"), std::string::npos);
    EXPECT_NE(r.out.find("\n   1 Makros:"), std::string::npos);
    EXPECT_NE(r.out.find("\n   3 Touchmakros:"), std::string::npos);
    EXPECT_NE(r.out.find("\n   1 Portmakros:"), std::string::npos);
    EXPECT_EQ(readfile(d / "menu.d"), "menu.EEP menu.EEO: menu.mac \\\n mono.fnt \\\n icon.png\n");
    std::string eeo = readfile(d / "menu.EEO");
    EXPECT_NE(eeo.find("Men\x81"), std::string::npos);     // the umlaut in code page 437
    EXPECT_NE(eeo.find("\x9A" "ber"), std::string::npos);
    // the picture is stored twice: under its number and inside macro 0
    std::string bild = bytes({32, 32});
    EXPECT_NE(eeo.find(bild), eeo.rfind(bild));
}

#ifdef ZELFONT_BIN
TEST(Menu, FontIsDejaVuSansMonoByZelfont)
{
    const char *dejavu = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
    if (access(dejavu, R_OK) != 0)
        GTEST_SKIP() << "fonts-dejavu-core is not installed";
    tempdir d;
    runresult r = runprog(d.path, ZELFONT_BIN, {"--size", "12", "--first", "32", "--last", "255", "--charset",
                                                "cp437", dejavu, "mono.fnt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readfile(d / "mono.fnt"), readfile(MENU + "mono.fnt"));
}
#endif

#ifdef ZELSIM_BIN
TEST(Menu, MakeTryUploadsToZelsim)
{
    if (access("/usr/bin/make", X_OK) != 0)
        GTEST_SKIP() << "make is not installed";
    tempdir d;
    kopieren(d);
    std::string bin = ZELCOMP_BIN;
    runresult r;
    for (int versuch = 0; versuch < 3; versuch++) {
        r = runprog(d.path, "/usr/bin/make", {"-s", "try", "ZELCOMP=" + bin, std::string("ZELSIM=") + ZELSIM_BIN});
        if (r.status == 0)
            break;
    }
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("\nReady: Zel is programed,"), std::string::npos) << r.out;
    std::string eeo = readfile(d / "menu.EEO"), modul = readfile(d / "module.bin");
    ASSERT_EQ(modul.size(), 65536u);
    EXPECT_EQ(modul.substr(16, eeo.size() - 16), eeo.substr(16));
}
#endif
