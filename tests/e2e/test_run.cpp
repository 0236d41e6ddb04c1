// The compile run on the built binary: console text, ERROR.OUT and the
// output files, byte for byte.
#include "testutil.h"

#include <gtest/gtest.h>

static const char OVERVIEW_EMPTY[] =
    "\nSuccess !"
    "\nEEPROM-Memory overview:"
    "\n     System:       3632 bytes"
    "\n   0 Fonts:           0 bytes"
    "\n   0 Pictures:        0 bytes"
    "\n   0 Makros:          0 bytes"
    "\n   0 Touchmakros:     0 bytes"
    "\n   0 Portmakros:      0 bytes"
    "\n ----------------------------"
    "\n 3632 bytes used\n";

TEST(Run, EmptySourceWritesBothFiles)
{
    tempdir d;
    writefile(d / "empty.mac", "");
    runresult r = runzel(d.path, {"-o", "empty.mac"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(BANNER) + "\nOpen File <empty.mac>"
                         "\nWrite EEPROM Object-File empty.EEO"
                         "\nWrite EEPROM Upload File empty.EEP" + OVERVIEW_EMPTY);
    EXPECT_EQ(readfile(d / "empty.EEO"), std::string(3632, '\xFF'));
    EXPECT_EQ(readfile(d / "empty.EEP").size(), 4379u);
    EXPECT_EQ(readfile(d / "ERROR.OUT"), "");
}
