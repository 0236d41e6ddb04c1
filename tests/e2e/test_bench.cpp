// The benchmark source: generated, it compiles without an error into an
// image that uses every byte of the EEPROM.
#include "testutil.h"

#include <gtest/gtest.h>

TEST(Bench, FillsTheImageToTheLastByte)
{
    tempdir d;
    runresult gen = runprog(d.path, GENBENCH_BIN, {"."});
    ASSERT_EQ(gen.status, 0) << gen.out;
    EXPECT_NE(gen.out.find(" 61904 bytes of data\n"), std::string::npos) << gen.out;

    runresult r = runzel(d.path, {"-o", "bench.mac"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.find("Error"), std::string::npos) << r.out;
    const char *const zeilen[] = {
        "\nSuccess !",
        "\n  16 Fonts:       21589 bytes",
        "\n  32 Pictures:    20302 bytes",
        "\n 256 Makros:      12569 bytes",
        "\n 256 Touchmakros:  4955 bytes",
        "\n   1 Portmakros:   2489 bytes",
        "\n 65536 bytes used\n",
    };
    for (const char *z : zeilen)
        EXPECT_NE(r.out.find(z), std::string::npos) << z;
    EXPECT_EQ(readfile(d / "bench.EEO").size(), 65536u);
    // The deepest include is the tenth file open at once.
    EXPECT_NE(r.out.find("\nOpen File <inc9.inc>"), std::string::npos);
}
