// The driver's operating-system services on POSIX systems.
#include "os.h"
#include "../zelcomp.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
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

// The last part of a name, after its directory.
static const char *basisname(const char *name)
{
    const char *schnitt = strrchr(name, '/');
    return schnitt ? schnitt + 1 : name;
}

static int verzeichnis(const char *ziel, char *dir, int len);

int osgleicheziele(const char *a, const char *b)
{
    osident ia, ib;
    osart xa = osidname(a, ia), xb = osidname(b, ib);
    if (xa != OSKEINE || xb != OSKEINE)
        return xa != OSKEINE && xb != OSKEINE && ia.geraet == ib.geraet && ia.knoten == ib.knoten;
    // Neither is there yet: the same name in the same directory.
    char da[NAMELEN + 16], db[NAMELEN + 16];
    return strcmp(basisname(a), basisname(b)) == 0 && verzeichnis(a, da, sizeof da) &&
           verzeichnis(b, db, sizeof db) && osidname(da, ia) == OSVERZ && osidname(db, ib) == OSVERZ &&
           ia.geraet == ib.geraet && ia.knoten == ib.knoten;
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

// The directory a target lies in, "." for a bare name; 0 when it does not fit.
static int verzeichnis(const char *ziel, char *dir, int len)
{
    const char *schnitt = strrchr(ziel, '/');
    int dirlen = schnitt ? (int)(schnitt - ziel + 1) : 0;
    return snprintf(dir, len, "%.*s.", dirlen, ziel) < len;
}

// Holds one directory against the other runs that replace files in it.
// flock on the directory itself leaves nothing behind. Where a directory
// cannot be locked (some network file systems, a directory that cannot be
// read) a lock file ZELSPERRE in it stands in; it is removed again, and a
// run that locked a file that another run removed meanwhile tries again.
static const char ZELSPERRE[] = ".zelcomp.lock";

struct verzsperre {
    int fd;                        // the locked directory or lock file; -1 when none is held
    char datei[NAMELEN + 16];      // the lock file's name; empty when the directory itself is locked
};

static void halte(const char *dir, verzsperre &s)
{
    s.datei[0] = 0;
    s.fd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (s.fd >= 0) {
        while (flock(s.fd, LOCK_EX) != 0)
            if (errno != EINTR) {
                close(s.fd);
                s.fd = -1;
                break;
            }
        if (s.fd >= 0)
            return;
    }
    int n = (int)strlen(dir) - 1;     // without the final "."
    if (snprintf(s.datei, sizeof s.datei, "%.*s%s", n, dir, ZELSPERRE) >= (int)sizeof s.datei)
        return;
    for (int versuch = 0; versuch < 100; versuch++) {
        s.fd = open(s.datei, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (s.fd < 0)
            break;
        struct stat a, b;
        int ok;
        while ((ok = flock(s.fd, LOCK_EX)) != 0 && errno == EINTR)
            ;
        if (ok == 0 && fstat(s.fd, &a) == 0 && stat(s.datei, &b) == 0 && a.st_dev == b.st_dev &&
            a.st_ino == b.st_ino)
            return;
        close(s.fd);
        s.fd = -1;
        // Where files cannot be locked either, no run holds this one.
        if (ok != 0) {
            unlink(s.datei);
            break;
        }
    }
    s.datei[0] = 0;
}

static void lasse(verzsperre &s)
{
    if (s.fd < 0)
        return;
    if (s.datei[0])
        unlink(s.datei);
    close(s.fd);
    s.fd = -1;
}

// The directories of the targets, each once, locked in the order of their
// identity, so that two runs never wait for each other in a circle.
struct verzsperren {
    verzsperre s[OSMERKMAX];           // entries 0..n-1
    int n;
};

static int vor(const osident &a, const osident &b)
{
    return a.geraet != b.geraet ? a.geraet < b.geraet : a.knoten < b.knoten;
}

static void haltealle(const char *const ziel[], int n, verzsperren &sp)
{
    char dir[OSMERKMAX][NAMELEN + 16];
    osident id[OSMERKMAX];
    sp.n = 0;
    for (int i = 0; i < n && sp.n < OSMERKMAX; i++) {
        int k = sp.n;
        if (!verzeichnis(ziel[i], dir[k], sizeof dir[k]) || osidname(dir[k], id[k]) != OSVERZ)
            continue;
        int neu = 1;
        for (int j = 0; j < k; j++)
            neu &= id[j].geraet != id[k].geraet || id[j].knoten != id[k].knoten;
        sp.n += neu;
    }
    int reihe[OSMERKMAX];
    for (int i = 0; i < sp.n; i++) {
        int j = i;
        for (; j > 0 && vor(id[i], id[reihe[j - 1]]); j--)
            reihe[j] = reihe[j - 1];
        reihe[j] = i;
    }
    for (int i = 0; i < sp.n; i++)
        halte(dir[reihe[i]], sp.s[i]);
}

static void lassealle(verzsperren &sp)
{
    for (int i = sp.n - 1; i >= 0; i--)
        lasse(sp.s[i]);
}

// A copy of a target beside it, so that it can be put back when a later
// target of the same step cannot be replaced; empty when there is nothing
// to keep. 0 when a file that is there could not be copied.
static int sichere(const char *ziel, char *kopie, int len)
{
    kopie[0] = 0;
    int alt = open(ziel, O_RDONLY | O_CLOEXEC);
    if (alt < 0)
        return errno == ENOENT;
    struct stat st;
    const char *schnitt = strrchr(ziel, '/');
    int dirlen = schnitt ? (int)(schnitt - ziel + 1) : 0;
    int fd = -1;
    if (fstat(alt, &st) == 0 && snprintf(kopie, len, "%.*s.zelcompXXXXXX", dirlen, ziel) < len)
        fd = mkstemp(kopie);
    int ok = fd >= 0;
    char buf[8192];
    ssize_t r;
    while (ok && (r = read(alt, buf, sizeof buf)) != 0)
        ok = r > 0 ? write(fd, buf, (size_t)r) == r : errno == EINTR;
    if (fd >= 0) {
        ok = fchmod(fd, st.st_mode & 07777) == 0 && ok;
        ok = close(fd) == 0 && ok;
        if (!ok)
            unlink(kopie);
    }
    close(alt);
    if (!ok)
        kopie[0] = 0;
    return ok;
}

// Puts target i back as it was before this step: its copy, or no file.
static void zurueck(const char *ziel, const char *kopie)
{
    if (kopie[0])
        rename(kopie, ziel);
    else
        unlink(ziel);
}

int osersetze(const char *const tmp[], const char *const ziel[], int n)
{
    if (n > OSMERKMAX)
        return 0;
    // Waits for the other runs before the signals are held back, so that
    // an interrupt still ends a run that waits.
    verzsperren sp;
    haltealle(ziel, n, sp);
    sigset_t alt;
    sperre(1, alt);
    char kopie[OSMERKMAX][NAMELEN + 16];
    int i = 0;
    for (; i < n; i++) {
        kopie[i][0] = 0;
        // The last target needs no copy: nothing after it can fail.
        if (i < n - 1 && !sichere(ziel[i], kopie[i], sizeof kopie[i]))
            break;
        if (rename(tmp[i], ziel[i]) != 0) {
            if (kopie[i][0])
                unlink(kopie[i]);
            break;
        }
    }
    for (int j = i - 1; j >= 0; j--) {
        if (i < n)
            zurueck(ziel[j], kopie[j]);
        else if (kopie[j][0])
            unlink(kopie[j]);
        osvergiss(tmp[j]);
    }
    sperre(0, alt);
    lassealle(sp);
    return i;
}

void ostext(FILE *)
{
}

void osverwirf(const char *tmp)
{
    unlink(tmp);
    osvergiss(tmp);
}

int osneu(const char *tmp, const char *ziel)
{
    // renameat2 refuses a name that is there; where the file system cannot
    // do that, a hard link can, and the temporary name is removed after it.
    int r = renameat2(AT_FDCWD, tmp, AT_FDCWD, ziel, RENAME_NOREPLACE);
    if (r != 0 && errno != EEXIST) {
        r = link(tmp, ziel);
        if (r == 0)
            unlink(tmp);
    }
    if (r != 0)
        return 0;
    osvergiss(tmp);
    return 1;
}

int osverz(const char *dir)
{
    char pfad[NAMELEN + 16];
    if (snprintf(pfad, sizeof pfad, "%s", dir) >= (int)sizeof pfad)
        return 0;
    osident id;
    // Each directory on the way, from the top down.
    for (char *p = pfad + 1; *p; p++)
        if (*p == '/') {
            *p = 0;
            if (osidname(pfad, id) == OSKEINE)
                mkdir(pfad, 0777);
            *p = '/';
        }
    if (osidname(pfad, id) == OSKEINE)
        mkdir(pfad, 0777);
    return osidname(pfad, id) == OSVERZ;
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
