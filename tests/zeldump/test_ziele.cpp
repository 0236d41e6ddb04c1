// Where zeldump writes: only regular files, never over its own input, never
// over a file that is there unless --force says so; a refused target is left
// exactly as it was.
#include "dumputil.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <unistd.h>

// The kind of a target made in the directory before the run.
enum zielart { FIFO, VERZ, GERAET };

static void mache(const std::string &pfad, zielart k)
{
    if (k == FIFO)
        ASSERT_EQ(mkfifo(pfad.c_str(), 0666), 0);
    else if (k == VERZ)
        ASSERT_EQ(mkdir(pfad.c_str(), 0777), 0);
    else if (mknod(pfad.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        mkfifo(pfad.c_str(), 0666);       // no right to make a device: a pipe stands in
}

static int kind(const std::string &pfad)
{
    struct stat st;
    return lstat(pfad.c_str(), &st) == 0 ? (int)(st.st_mode & S_IFMT) : -1;
}

struct zielfall {
    const char *name;
    std::vector<std::string> args;   // "T" is the target made beforehand
    zielart art;
};

static void PrintTo(const zielfall &f, std::ostream *os) { *os << f.name; }

static const zielfall zielfaelle[] = {
    {"BackupOverPipe", {"-c1", "-w", "T"}, FIFO},
    {"BackupOverDirectory", {"-c1", "-w", "T"}, VERZ},
    {"BackupOverDevice", {"-c1", "-w", "T"}, GERAET},
    {"UploadFileOverPipe", {"-e", "T", "x.EEO"}, FIFO},
    {"UploadFileOverDevice", {"-e", "T", "x.EEO"}, GERAET},
    {"UploadFileOverDirectory", {"-e", "T", "x.EEO"}, VERZ},
};

class NotAFile : public ::testing::TestWithParam<zielfall> {};

// Refused before anything is read: a usage error, the node untouched.
TEST_P(NotAFile, IsRefusedAtStart)
{
    const zielfall &f = GetParam();
    tempdir d;
    writefile(d / "x.EEO", std::string(3632, '\xFF'));
    mache(d / "T", f.art);
    int vorher = kind(d / "T");
    runresult r = rundump(d.path, f.args);
    EXPECT_EQ(r.status, 64) << r.out;
    EXPECT_EQ(r.out, "zeldump: T is no regular file; it is not replaced\n");
    EXPECT_EQ(kind(d / "T"), vorher);
}

INSTANTIATE_TEST_SUITE_P(Targets, NotAFile, ::testing::ValuesIn(zielfaelle),
                         [](const ::testing::TestParamInfo<zielfall> &i) {
                             return std::string(i.param.name);
                         });

// An object file with picture 5 (8 x 1 dots) and nothing else: -s writes
// x.mac and p5.blh, -p picture5.png.
static std::string bild5()
{
    std::string s(3632, '\xFF');
    s.replace(48 + 2 * 5, 2, bytes({0x30, 0x0E}));
    return s + bytes({8, 1, 0xAA});
}

// The names in a directory, sorted, without "." and "..".
static std::string inhalt(const std::string &dir)
{
    std::vector<std::string> v;
    DIR *d = opendir(dir.c_str());
    while (dirent *e = d ? readdir(d) : nullptr)
        if (strcmp(e->d_name, ".") && strcmp(e->d_name, ".."))
            v.push_back(e->d_name);
    if (d)
        closedir(d);
    std::sort(v.begin(), v.end());
    std::string s;
    for (const std::string &n : v)
        s += n + " ";
    return s;
}

static runresult dump(const std::string &dir, const std::vector<std::string> &args)
{
    return runprog(dir, ZELDUMP_BIN, args);
}

static const char QUELLE5[] = "; rebuilds the image byte for byte: zelcomp -o x.mac\n"
                              "ZEL530-5\nPICTURE 5 <p5.blh>\n";

// A file that is there, of all that -s would write, keeps every file as it
// was and writes none; --force replaces them.
TEST(Targets, SourceFilesThatAreThereStay)
{
    const char *const da[][2] = {{"p5.blh", "old"}, {"x.mac", "; my own\n"}};
    for (int welche = 1; welche <= 3; welche++) {
        tempdir d;
        writefile(d / "x.EEO", bild5());
        mkdir((d / "out").c_str(), 0777);
        std::string fehler;
        for (int i = 0; i < 2; i++)
            if (welche >> i & 1) {
                writefile(d / "out/" + da[i][0], da[i][1]);
                fehler += std::string("zeldump: out/") + da[i][0] +
                          " is there; give --force to replace it\n";
            }
        std::string vorher = inhalt(d / "out");
        runresult r = dump(d.path, {"-s", "out", "x.EEO"});
        EXPECT_EQ(r.status, 64) << welche;
        EXPECT_EQ(r.err, fehler);
        EXPECT_EQ(inhalt(d / "out"), vorher);
        for (int i = 0; i < 2; i++)
            EXPECT_EQ(readfile(d / "out/" + da[i][0]), welche >> i & 1 ? da[i][1] : "");
        r = dump(d.path, {"--force", "-s", "out", "x.EEO"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(readfile(d / "out/x.mac"), QUELLE5);
        EXPECT_EQ(readfile(d / "out/p5.blh"), bytes({8, 1, 0xAA}));
        EXPECT_EQ(inhalt(d / "out"), "p5.blh x.mac ");
    }
}

TEST(Targets, PngThatIsThereStays)
{
    tempdir d;
    writefile(d / "x.EEO", bild5());
    mkdir((d / "out").c_str(), 0777);
    writefile(d / "out/picture5.png", "mine");
    runresult r = dump(d.path, {"-p", "out", "x.EEO"});
    EXPECT_EQ(r.status, 64);
    EXPECT_EQ(r.err, "zeldump: out/picture5.png is there; give --force to replace it\n");
    EXPECT_EQ(readfile(d / "out/picture5.png"), "mine");
    EXPECT_EQ(inhalt(d / "out"), "picture5.png ");
    r = dump(d.path, {"-p", "out", "--force", "x.EEO"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readfile(d / "out/picture5.png").substr(0, 4), "\x89PNG");
}

// The file read, by any of its names, is never an output.
TEST(Targets, InputIsNeverReplaced)
{
    tempdir d;
    writefile(d / "x.EEO", bild5());
    ASSERT_EQ(link((d / "x.EEO").c_str(), (d / "y.EEO").c_str()), 0);
    for (const char *ziel : {"x.EEO", "./x.EEO", "y.EEO"}) {
        runresult r = dump(d.path, {"-e", ziel, "x.EEO"});
        EXPECT_EQ(r.status, 64) << ziel;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, std::string("zeldump: ") + ziel + " is the file read; it is not replaced\n");
        EXPECT_EQ(readfile(d / "x.EEO"), bild5());
    }
    // -s into the input's own directory, with --force, under the input's name
    writefile(d / "x.mac", bild5());
    runresult r = dump(d.path, {"--force", "-s", ".", "x.mac"});
    EXPECT_EQ(r.status, 64);
    EXPECT_EQ(r.err, "zeldump: ./x.mac is the file read; it is not replaced\n");
    EXPECT_EQ(readfile(d / "x.mac"), bild5());
    EXPECT_FALSE(fileexists(d / "p5.blh"));
}

TEST(Targets, DirectoryThatIsAFile)
{
    tempdir d;
    writefile(d / "x.EEO", bild5());
    writefile(d / "f", "keep");
    for (const char *opt : {"-s", "-p"}) {
        runresult r = dump(d.path, {opt, "f", "x.EEO"});
        EXPECT_EQ(r.status, 64) << opt;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "zeldump: f is no directory\n");
        EXPECT_EQ(readfile(d / "f"), "keep");
    }
}

// -e tells a failure on stderr, in zeldump's own words, and leaves nothing.
TEST(Targets, UploadFileThatCannotBeWritten)
{
    tempdir d;
    writefile(d / "x.EEO", bild5());
    runresult r = dump(d.path, {"-e", "no/out.EEP", "x.EEO"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.find("-->"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "zeldump: cannot write no/out.EEP\n");
    EXPECT_EQ(inhalt(d.path), "x.EEO ");
}

// Bytes after the last record: the source is written, but it cannot give
// the image back, and the run says so.
TEST(Targets, SourceThatCannotRebuildTheImage)
{
    tempdir d;
    writefile(d / "x.EEO", bild5() + "\x01\x02");
    runresult r = dump(d.path, {"-s", "out", "x.EEO"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "zeldump: bytes 0x0E33..0x0E34: after the last record; the source does not "
                     "give them back\n"
                     "zeldump: 1 part(s) of the image cannot be written as source; the source in "
                     "out does not rebuild the image byte for byte\n");
    EXPECT_EQ(readfile(d / "out/x.mac"), QUELLE5);
}
