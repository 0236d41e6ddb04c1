// Shared helpers of the test programs: fresh compile contexts with captured
// console text, temporary directories, files, and runs of the built binary.
#ifndef ZELCOMP_TESTUTIL_H
#define ZELCOMP_TESTUTIL_H

#include "zelcomp.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

// A context in its start state whose console text is captured.
struct testctx {
    std::unique_ptr<zelctx> ctx;
    char *conbuf = nullptr;
    size_t conlen = 0;

    testctx();
    ~testctx();
    zelctx &c() { return *ctx; }
    zelctx *operator->() { return ctx.get(); }
    std::string out();              // console text so far
    void line(const char *text);    // puts text into zeile, zptr at its start
};

// A fresh empty directory, removed with its contents at destruction.
struct tempdir {
    std::string path;
    tempdir();
    ~tempdir();
    std::string operator/(const std::string &name) const { return path + "/" + name; }
};

// Changes into a directory for the lifetime of the object.
struct chdirguard {
    std::string old;
    explicit chdirguard(const std::string &dir);
    ~chdirguard();
};

void writefile(const std::string &path, const std::string &bytes);
std::string readfile(const std::string &path);
std::string readtext(const std::string &path);   // a text file, its line ends read as "\n"
bool fileexists(const std::string &path);
std::string bytes(std::initializer_list<int> b);

struct runresult {
    int status;         // exit status, or -1 when the program did not exit normally
    std::string out;    // standard output
    std::string err;    // standard error
};

// Runs a program in dir with the given arguments and standard input.
runresult runprog(const std::string &dir, const std::string &prog,
                  const std::vector<std::string> &args, const std::string &input = "",
                  const std::vector<std::string> &env = {});
// The same with a terminal as standard input on which nobody types. A
// program that still waits after a minute is killed: status -1.
runresult runterm(const std::string &dir, const std::string &prog,
                  const std::vector<std::string> &args);

#ifdef ZELCOMP_BIN
inline runresult runzel(const std::string &dir, const std::vector<std::string> &args,
                        const std::string &input = "")
{
    return runprog(dir, ZELCOMP_BIN, args, input);
}
#endif

// Writes a text quoted, with control and high bytes escaped, for test names.
void showtext(const char *s, std::ostream *os);

// A case's text made a test name: each symbol a short word, any other run
// of characters that cannot stand in a name one '_', at most 48 characters.
std::string casename(const std::string &text);
// The same behind the case's index, which keeps the names of a table apart.
std::string casename(size_t index, const std::string &text);

// Name generator of a table-driven test: the index and the case as PrintTo
// writes it, so ctest and gtest list the same name on every run.
struct casenames {
    template <class T>
    std::string operator()(const testing::TestParamInfo<T> &i) const
    {
        return casename(i.index, testing::PrintToString(i.param));
    }
};

// The text the program prints before anything else.
extern const char *const BANNER;
// The memory overview of a run that stored nothing.
extern const char *const OVERVIEW_EMPTY;

#endif
