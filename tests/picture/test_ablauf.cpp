// PICTURE and FONT lines in a source compiled by the built binary: the
// records and table entries in the object file, and the memory overview.
#include "bmpbau.h"
#include "testutil.h"

#include <gtest/gtest.h>

TEST(Compile, PictureAndFontInTheObjectFile)
{
    tempdir d;
    writefile(d / "pic.bmp", bmpdatei(10, 2, {"0000000000", "1111111110"}));
    writefile(d / "pic.blv", bytes({3, 9, 1, 2, 3, 4, 5, 6}));
    writefile(d / "bild.mac", "ZEL310-2\n"
                              "PICTURE 4 <pic.bmp>\n"
                              "PICTURE 256-1 <pic.blv> ; raw\n"
                              "FONT 16, 65, 66, INTERN4x6\n");
    runresult r = runzel(d.path, {"-o", "bild.mac"});
    EXPECT_EQ(r.status, 0) << r.out;
    std::string eeo = readfile(d / "bild.EEO");
    ASSERT_EQ(eeo.size(), 3632u + 12 + 8 + 16);
    // font 16 behind both pictures: 0x0E30 + 20 = 0x0E44
    EXPECT_EQ(eeo.substr(16 + 30, 2), bytes({0x44, 0x0E}));
    EXPECT_EQ(eeo.substr(48 + 2 * 4, 2), bytes({0x30, 0x0E}));
    EXPECT_EQ(eeo.substr(48 + 2 * 255, 2), bytes({0x3C, 0x0E}));
    EXPECT_EQ(eeo.substr(3632, 12), bytes({10, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3}));
    EXPECT_EQ(eeo.substr(3644, 8), bytes({3, 9, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(eeo.substr(3652, 8), bytes({0x46, 0x56, 65, 66, 4, 6, 1, 4}));
    EXPECT_NE(r.out.find("\n   1 Fonts:          16 bytes"
                         "\n   2 Pictures:       20 bytes"),
              std::string::npos)
        << r.out;
}

TEST(Compile, PictureErrorsNameFileAndLine)
{
    tempdir d;
    writefile(d / "bild.mac", "PICTURE 1 <nix.bmp>\nFONT 3, 1, 2\n");
    runresult r = runzel(d.path, {"bild.mac"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("\nError in file <bild.mac> line 1"
                         "\n--> PICTURE 1 <nix.bmp>Cannot Open Picturefile <nix.bmp> !\n"
                         "\nError in file <bild.mac> line 2"
                         "\n--> FONT 3, 1, 2Cannot found a Filename !\n"),
              std::string::npos)
        << r.out;
    EXPECT_FALSE(fileexists(d / "bild.EEP"));
}
