// The virtual module process, the host's end of the line, and upload files
// made to measure.
#include "test_upload.h"

#include "device/device.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

static long long msjetzt()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000LL + t.tv_nsec / 1000000;
}

// Reads what fd has into s, waiting at most ms; false at its end.
static bool lies(int fd, std::string &s, int ms)
{
    pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, ms) <= 0)
        return true;
    char buf[4096];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0)
        s.append(buf, n);
    return n > 0 || (n < 0 && errno == EAGAIN);
}

#ifdef ZELSIM_BIN

zelsimproc::zelsimproc(const tempdir &d, const std::vector<std::string> &args)
{
    dump = d / "eeprom.bin";
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        abort();
    pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]); close(out[1]); close(err[0]); close(err[1]);
        std::vector<std::string> a = {"zelsim", "-o", dump};
        a.insert(a.end(), args.begin(), args.end());
        std::vector<char *> argv;
        for (std::string &s : a)
            argv.push_back(&s[0]);
        argv.push_back(nullptr);
        execv(ZELSIM_BIN, argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    outfd = out[0];
    errfd = err[0];
    std::string zeile;
    long long bis = msjetzt() + 10000;
    while (zeile.find('\n') == std::string::npos && msjetzt() < bis)
        if (!lies(outfd, zeile, 100))
            break;
    path = zeile.substr(0, zeile.find('\n'));
}

zelsimproc::~zelsimproc()
{
    if (pid > 0)
        stop();
    close(outfd);
    close(errfd);
}

bool zelsimproc::waitlog(const std::string &text)
{
    long long bis = msjetzt() + 10000;
    while (log.find(text) == std::string::npos && msjetzt() < bis)
        if (!lies(errfd, log, 100))
            break;
    return log.find(text) != std::string::npos;
}

int zelsimproc::wait()
{
    // the log is read on the way, so that a full pipe never stops the module
    int st = 0;
    long long bis = msjetzt() + 20000;
    while (pid > 0 && msjetzt() < bis) {
        lies(errfd, log, 10);
        if (waitpid(pid, &st, WNOHANG) == pid)
            pid = -1;
    }
    if (pid > 0)
        return -1;
    bis = msjetzt() + 1000;
    while (lies(errfd, log, 10) && msjetzt() < bis)
        ;
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

int zelsimproc::stop()
{
    if (pid <= 0)
        return -1;
    kill(pid, SIGTERM);
    int r = wait();
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    return r;
}

#endif

hostline::hostline(const std::string &path, long r)
{
    fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0)
        rate(r);
}

hostline::~hostline()
{
    if (fd >= 0)
        close(fd);
}

void hostline::rate(long r)
{
    termios t;
    if (tcgetattr(fd, &t) != 0)
        return;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    speed_t sp;
    if (ratecode(r, &sp)) {
        cfsetispeed(&t, sp);
        cfsetospeed(&t, sp);
    }
    tcsetattr(fd, TCSANOW, &t);
}

size_t hostline::send(const std::string &b)
{
    size_t i = 0;
    long long bis = msjetzt() + 5000;
    while (i < b.size() && msjetzt() < bis) {
        pollfd p = {fd, POLLOUT, 0};
        poll(&p, 1, 100);
        ssize_t n = write(fd, b.data() + i, b.size() - i);
        if (n > 0)
            i += n;
    }
    return i;
}

std::string hostline::recv(size_t n)
{
    std::string s;
    long long bis = msjetzt() + 5000;
    while (s.size() < n && msjetzt() < bis) {
        pollfd p = {fd, POLLIN, 0};
        poll(&p, 1, 100);
        char buf[256];
        ssize_t k = read(fd, buf, std::min(sizeof buf, n - s.size()));
        if (k > 0)
            s.append(buf, k);
    }
    return s;
}

runresult runpty(const std::string &dir, const std::string &prog,
                 const std::vector<std::string> &args, const std::vector<std::string> &env)
{
    runresult r = {-1, "", ""};
    int m = posix_openpt(O_RDWR | O_NOCTTY);
    if (m < 0 || grantpt(m) != 0 || unlockpt(m) != 0)
        return r;
    int t = open(ptsname(m), O_RDWR | O_NOCTTY);
    termios roh;
    if (t < 0 || tcgetattr(t, &roh) != 0)
        return r;
    cfmakeraw(&roh);
    tcsetattr(t, TCSANOW, &roh);
    int aus[2];
    if (pipe(aus) != 0)
        abort();
    pid_t pid = fork();
    if (pid == 0) {
        int nichts = open("/dev/null", O_RDONLY);
        dup2(nichts, 0);
        dup2(aus[1], 1);
        dup2(t, 2);
        if (chdir(dir.c_str()) != 0)
            _exit(127);
        for (const std::string &e : env)
            putenv(strdup(e.c_str()));
        std::vector<std::string> a = {prog};
        a.insert(a.end(), args.begin(), args.end());
        std::vector<char *> argv;
        for (std::string &x : a)
            argv.push_back(&x[0]);
        argv.push_back(nullptr);
        execv(prog.c_str(), argv.data());
        _exit(127);
    }
    close(aus[1]);
    fcntl(m, F_SETFL, O_NONBLOCK);
    // The terminal stays open on this side until the program has ended, so
    // that nothing it wrote is lost when its end closes.
    long long bis = msjetzt() + 120000;
    while (msjetzt() < bis && lies(aus[0], r.out, 10))
        lies(m, r.err, 0);
    int st = 0;
    waitpid(pid, &st, 0);
    size_t vorher;
    do {
        vorher = r.err.size();
        lies(m, r.err, 50);
    } while (r.err.size() != vorher);
    close(aus[0]);
    close(t);
    close(m);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

// Blocks of at most the block size that never cross a 64-byte boundary,
// in the four parts the compiler writes: the three tables and the data.
std::string eepfile(int model, const std::string &image)
{
    long t = image.size();
    int blk = 64;
    while (t / blk > 80)
        blk += 64;
    int w = zel[model].xdots;
    std::string f = "\x0cprogram ";
    f.append(zel[model].name, 8);
    f += bytes({27, 'Q', 'C', '0', 27, 'O', (int)(t & 255), (int)(t >> 8 & 255),
                27, 'R', 'O', 0, 18, w - 1, 31, 0,
                27, 'B', 'R', '1', 1, 19, w - 2, 30, 0, (int)(t / blk + 2), 3});
    const long teile[] = {16, 48, 560, 3632, t};
    int n = 0;
    for (int i = 0; i < 4; i++) {
        for (long a = teile[i]; a < teile[i + 1] && a < t;) {
            long l = blk - a % 64;
            if (l > teile[i + 1] - a)
                l = teile[i + 1] - a;
            f += bytes({27, 'B', '1', n++ & 255, 27, '&', 'E', (int)(a & 255), (int)(a >> 8),
                        (int)(l & 255), (int)(l >> 8), 'W'});
            f += image.substr(a, l);
            a += l;
        }
    }
    f += bytes({27, 'X', 2, 27, '&', 'E', 0, 0, 0, 0, 'J'});
    return f;
}
