// The driver's operating-system services on POSIX systems.
#include "os.h"
#include "../zelcomp.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

static void ident(const struct stat &st, osident &id)
{
    id.geraet = (unsigned long long)st.st_dev;
    id.knoten = (unsigned long long)st.st_ino;
}

static osart art(const struct stat &st)
{
    if (S_ISREG(st.st_mode))
        return OSDATEI;
    if (S_ISFIFO(st.st_mode))
        return OSFIFO;
    if (S_ISDIR(st.st_mode))
        return OSVERZ;
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return OSGERAET;
    return OSANDERE;
}

osart osidname(const char *name, osident &id)
{
    struct stat st;
    if (stat(name, &st) != 0)
        return OSKEINE;
    ident(st, id);
    return art(st);
}

int osidstrom(FILE *f, osident &id)
{
    struct stat st;
    if (fstat(fileno(f), &st) != 0)
        return 0;
    ident(st, id);
    return 1;
}

osart osartvon(FILE *f, long *size)
{
    struct stat st;
    *size = -1;
    if (fstat(fileno(f), &st) != 0)
        return OSANDERE;
    if (S_ISREG(st.st_mode))
        *size = (long)st.st_size;
    return art(st);
}

// The state the signal handler reads. A handler gets no argument but the
// signal number, so what it must clean up can only be reached through
// static storage: this register and the hook are the one piece of mutable
// state outside the compile context. Only the handler and the functions
// below touch it; an entry's name is complete before its flag is set.
struct merkeintrag {
    volatile sig_atomic_t belegt;  // 1 while name holds a file to remove
    char name[NAMELEN + 16];       // the temporary file's name
};
static merkeintrag merkliste[OSMERKMAX];
static void (*volatile abbruchhook)();

int osmerke(const char *name)
{
    size_t n = strlen(name);
    for (merkeintrag &e : merkliste) {
        if (e.belegt || n >= sizeof e.name)
            continue;
        memcpy(e.name, name, n + 1);
        std::atomic_signal_fence(std::memory_order_release);
        e.belegt = 1;
        return 1;
    }
    return 0;
}

void osvergiss(const char *name)
{
    for (merkeintrag &e : merkliste)
        if (e.belegt && strcmp(e.name, name) == 0)
            e.belegt = 0;
}

void oshook(void (*abbruch)())
{
    abbruchhook = abbruch;
}

// Holds back the interrupt signals while a temporary file is made and
// registered, or while outputs are renamed into place, so that none can
// come in the middle.
static void sperre(int an, sigset_t &alt)
{
    if (an) {
        sigset_t s;
        sigemptyset(&s);
        sigaddset(&s, SIGINT);
        sigaddset(&s, SIGTERM);
        sigaddset(&s, SIGHUP);
        sigprocmask(SIG_BLOCK, &s, &alt);
    } else
        sigprocmask(SIG_SETMASK, &alt, nullptr);
}

FILE *ostemp(const char *ziel, char *tmp, int tmplen)
{
    // A short name of its own in the target's directory, so that every
    // name the target may have leaves room for it.
    const char *schnitt = strrchr(ziel, '/');
    int dirlen = schnitt ? (int)(schnitt - ziel + 1) : 0;
    if (snprintf(tmp, tmplen, "%.*s.zelcompXXXXXX", dirlen, ziel) >= tmplen)
        return nullptr;
    sigset_t alt;
    sperre(1, alt);
    int fd = mkstemp(tmp);
    if (fd >= 0 && !osmerke(tmp)) {
        close(fd);
        unlink(tmp);
        fd = -1;
    }
    sperre(0, alt);
    if (fd < 0)
        return nullptr;
    // mkstemp makes the file readable by its owner only; an output is
    // meant to get the permissions of any other new file.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    FILE *f = fdopen(fd, "wb");
    if (!f) {
        close(fd);
        osverwirf(tmp);
    }
    return f;
}

int osersetze(const char *const tmp[], const char *const ziel[], int n)
{
    sigset_t alt;
    sperre(1, alt);
    int i = 0;
    while (i < n && rename(tmp[i], ziel[i]) == 0)
        osvergiss(tmp[i++]);
    sperre(0, alt);
    return i;
}

void osverwirf(const char *tmp)
{
    unlink(tmp);
    osvergiss(tmp);
}

static void abbruch(int sig)
{
    void (*hook)() = abbruchhook;
    if (hook)
        hook();
    for (merkeintrag &e : merkliste)
        if (e.belegt)
            unlink(e.name);
    // The handler was reset to the default on entry and does not block its
    // own signal, so this ends the process as the signal itself would have.
    raise(sig);
}

void osinstall()
{
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = abbruch;
    sa.sa_flags = SA_RESETHAND | SA_NODEFER;
    const int sigs[] = {SIGINT, SIGTERM, SIGHUP};
    for (int sig : sigs) {
        // A signal the caller chose to ignore (nohup, a background job)
        // stays ignored.
        struct sigaction alt;
        if (sigaction(sig, nullptr, &alt) == 0 && alt.sa_handler == SIG_IGN)
            continue;
        // The other two wait until this one has cleaned up.
        sigemptyset(&sa.sa_mask);
        for (int andere : sigs)
            if (andere != sig)
                sigaddset(&sa.sa_mask, andere);
        sigaction(sig, &sa, nullptr);
    }
    signal(SIGXFSZ, SIG_IGN);
}
