// The upload file and the object file, read back byte for byte.
#include "testutil.h"
#include "driver/driver.h"
#include "device/device.h"
#include "basis/os.h"

#include <gtest/gtest.h>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <ostream>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct block {
    int counter, adr, len;
};

struct eepfile {
    std::string kopf;
    std::vector<block> blocks;
    std::string data;       // the data bytes of all blocks in order
    std::string trailer;
    bool ok = false;
};

// Splits an upload file into header, blocks and trailer, checking the
// fixed bytes of every block command on the way.
eepfile parse(const std::string &f)
{
    eepfile e;
    if (f.size() < 55)
        return e;
    e.kopf = f.substr(0, 44);
    size_t p = 44;
    while (p + 11 < f.size()) {
        const unsigned char *b = (const unsigned char *)f.data() + p;
        if (b[0] != 27 || b[1] != 'B' || b[2] != '1' || b[4] != 27 || b[5] != '&' ||
            b[6] != 'E' || b[11] != 'W')
            return e;
        block k{b[3], b[7] | b[8] << 8, b[9] | b[10] << 8};
        if (p + 12 + k.len > f.size())
            return e;
        e.blocks.push_back(k);
        e.data += f.substr(p + 12, k.len);
        p += 12 + k.len;
    }
    e.trailer = f.substr(p);
    e.ok = e.trailer == bytes({27, 'X', 2, 27, '&', 'E', 0, 0, 0, 0, 'J'});
    return e;
}

std::string writeeep_at(testctx &t, const tempdir &d, int adresse)
{
    t->adresse = adresse;
    for (int i = 0; i < adresse; i++)
        t->eeprom[i] = (unsigned char)(i * 7);
    snprintf(t->outfile, sizeof t->outfile, "%s", (d / "x.EEP").c_str());
    writeeep(t.c());
    return readfile(d / "x.EEP");
}

} // namespace

TEST(UploadFile, EmptyImageBlocksAsListed)
{
    testctx t;
    tempdir d;
    eepfile e = parse(writeeep_at(t, d, 0));
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(readfile(d / "x.EEP").size(), 4379u);
    EXPECT_EQ(t.out(), "\nWrite EEPROM Upload File " + (d / "x.EEP"));
    // 32 at 16, 16 at 48, seven of 64, 48 at 512, 16 at 560, 47 of 64, 48 at 3584
    std::vector<block> want;
    int n = 0;
    auto add = [&](int adr, int len) { want.push_back({n++, adr, len}); };
    add(16, 32);
    add(48, 16);
    for (int a = 64; a < 512; a += 64)
        add(a, 64);
    add(512, 48);
    add(560, 16);
    for (int a = 576; a < 3584; a += 64)
        add(a, 64);
    add(3584, 48);
    ASSERT_EQ(e.blocks.size(), 59u);
    for (size_t i = 0; i < want.size(); i++) {
        EXPECT_EQ(e.blocks[i].counter, want[i].counter) << i;
        EXPECT_EQ(e.blocks[i].adr, want[i].adr) << i;
        EXPECT_EQ(e.blocks[i].len, want[i].len) << i;
    }
    EXPECT_EQ(e.data, std::string(3616, '\xFF'));
}

TEST(UploadFile, HeaderOfDefaultModel)
{
    testctx t;
    tempdir d;
    eepfile e = parse(writeeep_at(t, d, 0));
    EXPECT_EQ(e.kopf, bytes({0x0C, 'p', 'r', 'o', 'g', 'r', 'a', 'm', ' ',
                             'Z', 'E', 'L', '5', '3', '0', '-', '5',
                             27, 'Q', 'C', '0', 27, 'O', 0x30, 0x0E,
                             27, 'R', 'O', 0, 18, 239, 31, 0,
                             27, 'B', 'R', '1', 1, 19, 238, 30, 0, 58, 3}));
}

TEST(UploadFile, HeaderNamesEachModelInEightCharacters)
{
    const char *names[ZELMODELS] = {"ZEL310-2", "ZEL420-3", "ZEL530-4", "ZEL530-5", "QO417-2R"};
    for (int m = 0; m < ZELMODELS; m++) {
        testctx t;
        tempdir d;
        t->zelnr = m;
        eepfile e = parse(writeeep_at(t, d, 0));
        ASSERT_EQ(e.kopf.size(), 44u);
        EXPECT_EQ(e.kopf.substr(9, 8), names[m]);
        EXPECT_EQ((unsigned char)e.kopf[30], zel[m].xdots - 1);
        EXPECT_EQ((unsigned char)e.kopf[39], zel[m].xdots - 2);
    }
}

TEST(UploadFile, OneDataByteMakesASixtiethBlock)
{
    testctx t;
    tempdir d;
    eepfile e = parse(writeeep_at(t, d, 1));
    ASSERT_EQ(e.blocks.size(), 60u);
    EXPECT_EQ(e.blocks[59].counter, 59);
    EXPECT_EQ(e.blocks[59].adr, 3632);
    EXPECT_EQ(e.blocks[59].len, 1);
    EXPECT_EQ((unsigned char)e.kopf[42], 58);
}

// Block size and bar end value at each step of the block-size table.
TEST(UploadFile, BlockSizeSteps)
{
    struct { int t, blk; } steps[] = {
        {3632, 64}, {5183, 64}, {5184, 128}, {10367, 128}, {10368, 192}, {15552, 256},
        {20736, 320}, {25920, 384}, {31104, 448}, {36288, 512}, {41472, 576},
        {46656, 640}, {51840, 704}, {57023, 704}, {57024, 768}, {62207, 768},
        {62208, 832}, {65536, 832},
    };
    for (auto s : steps) {
        testctx t;
        tempdir d;
        eepfile e = parse(writeeep_at(t, d, s.t - 3632));
        ASSERT_TRUE(e.ok) << s.t;
        EXPECT_EQ(t->wrblksize, s.blk) << s.t;
        EXPECT_EQ((unsigned char)e.kopf[42], s.t / s.blk + 2) << s.t;
        int adr = 16;
        for (const block &b : e.blocks) {
            EXPECT_LE(b.len, s.blk);
            // a block ends on a multiple of 64 or at the end of its part
            int end = b.adr + b.len;
            EXPECT_TRUE(end % 64 == 0 || end == 48 || end == 560 || end == 3632 || end == s.t)
                << s.t << " " << b.adr;
            EXPECT_EQ(b.adr, adr);
            adr = end;
        }
        EXPECT_EQ(adr, s.t);
    }
}

TEST(UploadFile, FullImage)
{
    testctx t;
    tempdir d;
    eepfile e = parse(writeeep_at(t, d, DATASIZE));
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.kopf[23], 0);
    EXPECT_EQ(e.kopf[24], 0);
    EXPECT_EQ((unsigned char)e.kopf[42], 80);
    EXPECT_EQ(e.blocks.back().adr + e.blocks.back().len, 65536);
    std::string data(t->eeprom, t->eeprom + DATASIZE);
    EXPECT_EQ(e.data.substr(3616), data);
}

TEST(UploadFile, Size5184Uses128ByteBlocks)
{
    testctx t;
    tempdir d;
    eepfile e = parse(writeeep_at(t, d, 1552));
    EXPECT_EQ(t->wrblksize, 128);
    EXPECT_EQ((unsigned char)e.kopf[42], 42);
    EXPECT_EQ((unsigned char)e.kopf[23], 5184 & 0xFF);
    EXPECT_EQ((unsigned char)e.kopf[24], 5184 >> 8);
}

TEST(ObjectFile, DumpsImageFromAddressZero)
{
    testctx t;
    tempdir d;
    t->font[0] = 0x30;
    t->bild[511] = 0x12;
    t->makro[3071] = 0x34;
    t->adresse = 3;
    t->eeprom[0] = 1, t->eeprom[1] = 2, t->eeprom[2] = 3;
    snprintf(t->objfile, sizeof t->objfile, "%s", (d / "x.EEO").c_str());
    writeobj(t.c());
    std::string f = readfile(d / "x.EEO");
    ASSERT_EQ(f.size(), 3635u);
    EXPECT_EQ(f.substr(0, 16), std::string(16, '\xFF'));
    EXPECT_EQ(f[16], 0x30);
    EXPECT_EQ(f[48 + 511], 0x12);
    EXPECT_EQ(f[560 + 3071], 0x34);
    EXPECT_EQ(f.substr(3632), bytes({1, 2, 3}));
    EXPECT_EQ(t.out(), "\nWrite EEPROM Object-File " + (d / "x.EEO"));
    EXPECT_EQ(t->errors, 0);
}

// Every entry but . and .., so that a hidden temporary file counts too.
static int entries(const std::string &dir)
{
    int n = 0;
    DIR *dp = opendir(dir.c_str());
    while (struct dirent *e = readdir(dp))
        n += strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0;
    closedir(dp);
    return n;
}

TEST(OutputFiles, UncreatableFileIsACountedError)
{
    testctx t;
    tempdir d;
    std::string name = d / "nodir/x.EEP";
    snprintf(t->outfile, sizeof t->outfile, "%s", name.c_str());
    snprintf(t->objfile, sizeof t->objfile, "%s", (d / "nodir/x.EEO").c_str());
    writeobj(t.c());
    writeeep(t.c());
    EXPECT_EQ(t->errors, 2);
    EXPECT_NE(t.out().find("\n--> \n Cannot write file " + name + " !\n"), std::string::npos);
    EXPECT_EQ(entries(d.path), 0);
}

// A write that fails half way (here: the file size limit) leaves the old
// upload file as it was and no temporary file behind.
TEST(OutputFiles, FailedWriteKeepsOldFile)
{
    tempdir d;
    writefile(d / "x.EEP", "old contents");
    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit rl = {1000, 1000};
        setrlimit(RLIMIT_FSIZE, &rl);
        testctx t;
        snprintf(t->outfile, sizeof t->outfile, "%s", (d / "x.EEP").c_str());
        writeeep(t.c());
        _exit(t->errors);
    }
    int st;
    waitpid(pid, &st, 0);
    ASSERT_TRUE(WIFEXITED(st));
    EXPECT_EQ(WEXITSTATUS(st), 1);
    EXPECT_EQ(readfile(d / "x.EEP"), "old contents");
    EXPECT_EQ(entries(d.path), 1);
}

// Replacing a pair: when the second target cannot be replaced, the first
// is put back as it was (or removed again when it was not there), so the
// pair never mixes old and new, and nothing else is left in the directory.
struct ersetzfall {
    const char *name;
    bool altda;             // the first target is there before
    const char *zweites;    // the second target: "file", "dir" (cannot be replaced) or "gone" (no temporary file)
    bool ersetzt;           // both are replaced
};

std::ostream &operator<<(std::ostream &os, const ersetzfall &f)
{
    return os << f.name;
}

class Ersetzen : public testing::TestWithParam<ersetzfall> {};

std::string neutemp(const std::string &ziel, const std::string &inhalt)
{
    char tmp[NAMELEN + 16];
    FILE *f = ostemp(ziel.c_str(), tmp, sizeof tmp);
    if (!f)
        return "";
    fwrite(inhalt.data(), 1, inhalt.size(), f);
    fclose(f);
    return tmp;
}

TEST_P(Ersetzen, GanzOderGarNicht)
{
    const ersetzfall &f = GetParam();
    tempdir d;
    std::string eeo = d / "x.EEO", eep = d / "x.EEP";
    if (f.altda) {
        writefile(eeo, "old eeo");
        chmod(eeo.c_str(), 0640);
    }
    if (std::string(f.zweites) == "dir") {
        mkdir(eep.c_str(), 0755);
        writefile(eep + "/inside", "x");
    } else
        writefile(eep, "old eep");
    std::string t0 = neutemp(eeo, "new eeo");
    std::string t1 = std::string(f.zweites) == "gone" ? d / ".zelcompgone" : neutemp(eep, "new eep");
    ASSERT_FALSE(t0.empty());
    ASSERT_FALSE(t1.empty());
    const char *const tmp[2] = {t0.c_str(), t1.c_str()};
    const char *const ziel[2] = {eeo.c_str(), eep.c_str()};
    int n = osersetze(tmp, ziel, 2);
    EXPECT_EQ(n, f.ersetzt ? 2 : 1);
    for (int i = n; i < 2; i++)
        osverwirf(tmp[i]);
    int soll = 1;
    if (f.ersetzt) {
        EXPECT_EQ(readfile(eeo), "new eeo");
        EXPECT_EQ(readfile(eep), "new eep");
        soll = 2;
    } else if (f.altda) {
        EXPECT_EQ(readfile(eeo), "old eeo");
        struct stat st;
        ASSERT_EQ(stat(eeo.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0640u);
        soll = 2;
    } else
        EXPECT_FALSE(fileexists(eeo));
    if (std::string(f.zweites) != "dir" && !f.ersetzt) {
        EXPECT_EQ(readfile(eep), "old eep");
    }
    EXPECT_EQ(entries(d.path), soll);
}

INSTANTIATE_TEST_SUITE_P(Paar, Ersetzen, testing::Values(
    ersetzfall{"BothReplaced", true, "file", true},
    ersetzfall{"FirstNewBothReplaced", false, "file", true},
    ersetzfall{"SecondIsADirectory", true, "dir", false},
    ersetzfall{"SecondIsADirectoryFirstWasNotThere", false, "dir", false},
    ersetzfall{"SecondTemporaryGone", true, "gone", false},
    ersetzfall{"SecondTemporaryGoneFirstWasNotThere", false, "gone", false}),
    [](const testing::TestParamInfo<ersetzfall> &i) { return std::string(i.param.name); });
