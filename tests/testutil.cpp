#include "testutil.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <filesystem>
#include <windows.h>
#else
#include <ftw.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

const char *const BANNER =
    "zelcomp 1.0 - macro compiler and uploader for ZEL graphic LCD modules\n"
    "usage: zelcomp [-o] [-c<port>] [-b<baudrate>] [file]\n";

void showtext(const char *s, std::ostream *os)
{
    *os << '"';
    for (; *s; s++) {
        unsigned char ch = (unsigned char)*s;
        if (ch >= 32 && ch < 127)
            *os << (char)ch;
        else
            *os << "\\x" << "0123456789ABCDEF"[ch >> 4] << "0123456789ABCDEF"[ch & 15];
    }
    *os << '"';
}

// Words for the symbols of the source language, so "2+3" and "2-3" stay
// told apart in a name.
static const struct {
    char ch;
    const char *wort;
} symbolwoerter[] = {
    {'+', "plus"}, {'-', "minus"}, {'*', "times"}, {'/', "by"}, {'=', "eq"},
    {'$', "hex"}, {'%', "bin"}, {'#', "hash"}, {'<', "lt"}, {'>', "gt"},
    {'?', "query"}, {'!', "excl"}, {'&', "amp"}, {'.', "dot"}, {'(', "open"},
    {')', "close"},
};

static const char *symbolwort(char ch)
{
    for (const auto &s : symbolwoerter)
        if (s.ch == ch)
            return s.wort;
    return nullptr;
}

static void namensteil(std::string &name, const std::string &teil)
{
    if (!name.empty() && name.back() != '_')
        name += '_';
    name += teil;
    name += '_';
}

std::string casename(const std::string &text)
{
    std::string name;
    for (char ch : text) {
        const char *wort = symbolwort(ch);
        if (isalnum((unsigned char)ch))
            name += ch;
        else if (wort)
            namensteil(name, wort);
        else if (!name.empty() && name.back() != '_')
            name += '_';
    }
    if (name.size() > 48)
        name.resize(48);
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    return name;
}

std::string casename(size_t index, const std::string &text)
{
    std::string teil = casename(text);
    return std::to_string(index) + (teil.empty() ? "" : "_" + teil);
}

const char *const OVERVIEW_EMPTY =
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

#ifdef _WIN32
// No memory streams here: the console text goes to a temporary file.
testctx::testctx() : ctx(new zelctx)
{
    zelinit(*ctx);
    ctx->con = tmpfile();
    ctx->conin = fopen("NUL", "r");
    if (!ctx->con || !ctx->conin)
        abort();
}
#else
testctx::testctx() : ctx(new zelctx)
{
    zelinit(*ctx);
    ctx->con = open_memstream(&conbuf, &conlen);
    ctx->conin = fopen("/dev/null", "r");
}
#endif

testctx::~testctx()
{
    while (ctx->filenr >= 0) {
        fclose(ctx->datei[ctx->filenr].fp);
        ctx->filenr--;
    }
    if (ctx->fperr)
        fclose(ctx->fperr);
    fclose(ctx->con);
    fclose(ctx->conin);
    free(conbuf);
}

std::string testctx::out()
{
    fflush(ctx->con);
#ifdef _WIN32
    std::string s;
    long ende = ftell(ctx->con);
    rewind(ctx->con);
    s.resize(ende > 0 ? ende : 0);
    if (fread(&s[0], 1, s.size(), ctx->con) != s.size())
        abort();
    fseek(ctx->con, 0, SEEK_END);
    return s;
#else
    return std::string(conbuf, conlen);
#endif
}

void testctx::line(const char *text)
{
    snprintf(ctx->zeile, sizeof ctx->zeile, "%s", text);
    ctx->zptr = ctx->zeile;
}

#ifdef _WIN32
tempdir::tempdir()
{
    namespace fs = std::filesystem;
    static unsigned n = GetTickCount() ^ GetCurrentProcessId() << 16;
    for (;;) {
        fs::path p = fs::temp_directory_path() / ("zeltest." + std::to_string(n++));
        if (fs::create_directory(p)) {
            path = p.string();
            return;
        }
    }
}

tempdir::~tempdir()
{
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

chdirguard::chdirguard(const std::string &dir)
{
    old = std::filesystem::current_path().string();
    std::filesystem::current_path(dir);
}

chdirguard::~chdirguard()
{
    std::filesystem::current_path(old);
}
#else
tempdir::tempdir()
{
    char tmpl[] = "/tmp/zeltest.XXXXXX";
    path = mkdtemp(tmpl);
}

static int weg(const char *p, const struct stat *, int, struct FTW *)
{
    return remove(p);
}

tempdir::~tempdir()
{
    chmod(path.c_str(), 0700);
    nftw(path.c_str(), weg, 16, FTW_DEPTH | FTW_PHYS);
}

chdirguard::chdirguard(const std::string &dir)
{
    char buf[4096];
    old = getcwd(buf, sizeof buf) ? buf : "/";
    if (chdir(dir.c_str()) != 0)
        abort();
}

chdirguard::~chdirguard()
{
    if (chdir(old.c_str()) != 0)
        abort();
}
#endif

void writefile(const std::string &path, const std::string &b)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        abort();
    fwrite(b.data(), 1, b.size(), f);
    fclose(f);
}

std::string readfile(const std::string &path)
{
    std::string s;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return s;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        s.append(buf, n);
    fclose(f);
    return s;
}

// Text files end their lines in CR LF on Windows.
std::string readtext(const std::string &path)
{
    std::string s = readfile(path);
#ifdef _WIN32
    std::string t;
    for (size_t i = 0; i < s.size(); i++)
        if (s[i] != '\r' || i + 1 == s.size() || s[i + 1] != '\n')
            t.push_back(s[i]);
    s = t;
#endif
    return s;
}

bool fileexists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::string bytes(std::initializer_list<int> b)
{
    std::string s;
    for (int v : b)
        s.push_back((char)v);
    return s;
}

#ifdef _WIN32
// Through the command interpreter, with input and output in files; the
// output's line ends are those of this system, CR LF, and come back as LF.
runresult runprog(const std::string &dir, const std::string &prog,
                  const std::vector<std::string> &args, const std::string &input,
                  const std::vector<std::string> &env)
{
    tempdir io;
    writefile(io / "in", input);
    std::string cmd = "cd /d \"" + dir + "\" && ";
    for (const std::string &e : env)
        cmd += "set \"" + e + "\" && ";
    cmd += "\"" + prog + "\"";
    for (const std::string &a : args)
        cmd += " \"" + a + "\"";
    cmd += " < \"" + io / "in" + "\" > \"" + io / "out" + "\" 2> \"" + io / "err" + "\"";
    runresult r;
    r.status = system(("\"" + cmd + "\"").c_str());
    r.out = readtext(io / "out");
    r.err = readtext(io / "err");
    return r;
}
#else
// Starts prog in dir with stdin from infd, stdout and stderr into pipes;
// the child's ends are closed here.
static pid_t starte(const std::string &dir, const std::string &prog,
                    const std::vector<std::string> &args, const std::vector<std::string> &env,
                    int infd, int out[2], int err[2])
{
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        abort();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(infd, 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(infd); close(out[0]); close(out[1]); close(err[0]); close(err[1]);
        if (chdir(dir.c_str()) != 0)
            _exit(127);
        for (const std::string &e : env)
            putenv(strdup(e.c_str()));
        std::vector<char *> argv;
        argv.push_back(strdup(prog.c_str()));
        for (const std::string &a : args)
            argv.push_back(strdup(a.c_str()));
        argv.push_back(nullptr);
        execv(prog.c_str(), argv.data());
        _exit(127);
    }
    close(infd);
    close(out[1]);
    close(err[1]);
    return pid;
}

// Collects both outputs until they close, or kills the program when the
// deadline (seconds, 0 for none) passes first, and waits for it.
static runresult ernte(pid_t pid, int out, int err, int frist)
{
    runresult r;
    std::string *ziel[2] = {&r.out, &r.err};
    struct pollfd p[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    time_t ende = time(nullptr) + frist;
    int offen = 2;
    while (offen > 0) {
        if (frist && time(nullptr) >= ende) {
            kill(pid, SIGKILL);
            break;
        }
        if (poll(p, 2, 1000) < 0)
            continue;
        for (int i = 0; i < 2; i++) {
            if (p[i].fd < 0 || !p[i].revents)
                continue;
            char buf[4096];
            ssize_t n = read(p[i].fd, buf, sizeof buf);
            if (n > 0) {
                ziel[i]->append(buf, n);
            } else {
                close(p[i].fd);
                p[i].fd = -1;
                offen--;
            }
        }
    }
    for (auto &q : p)
        if (q.fd >= 0)
            close(q.fd);
    int st;
    waitpid(pid, &st, 0);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

runresult runprog(const std::string &dir, const std::string &prog,
                  const std::vector<std::string> &args, const std::string &input,
                  const std::vector<std::string> &env)
{
    // A program that exits without reading its input must not kill the test.
    signal(SIGPIPE, SIG_IGN);
    // No end of a pipe may stay open in the child but the one dup2 gave it,
    // or its input would never end.
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0)
        abort();
    pid_t pid = starte(dir, prog, args, env, in[0], out, err);
    if (!input.empty() && write(in[1], input.data(), input.size()) < 0) {
        // the program ended without reading its input
    }
    close(in[1]);
    return ernte(pid, out[0], err[0], 0);
}

runresult runterm(const std::string &dir, const std::string &prog,
                  const std::vector<std::string> &args)
{
    int herr = posix_openpt(O_RDWR | O_NOCTTY);
    if (herr < 0 || fcntl(herr, F_SETFD, FD_CLOEXEC) != 0 || grantpt(herr) != 0 ||
        unlockpt(herr) != 0)
        abort();
    int knecht = open(ptsname(herr), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (knecht < 0)
        abort();
    int out[2], err[2];
    pid_t pid = starte(dir, prog, args, {}, knecht, out, err);
    runresult r = ernte(pid, out[0], err[0], 60);
    close(herr);
    return r;
}
#endif
