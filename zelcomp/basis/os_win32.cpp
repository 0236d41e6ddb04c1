// The driver's operating-system services on Win32.
//
// Ctrl-C, Ctrl-Break and closing the console run the cleanup in a thread
// of their own, so the register of temporary files is guarded by a lock
// instead of blocked signals: the handler takes it and never gives it
// back, which holds the program off every later temporary file and
// rename until the process ends.
#include "os.h"
#include "../zelcomp.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static HANDLE handlevon(FILE *f)
{
    return (HANDLE)_get_osfhandle(_fileno(f));
}

static osart art(HANDLE h)
{
    switch (GetFileType(h)) {
    case FILE_TYPE_DISK: {
        BY_HANDLE_FILE_INFORMATION fi;
        if (!GetFileInformationByHandle(h, &fi))
            return OSANDERE;
        return (fi.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? OSVERZ : OSDATEI;
    }
    case FILE_TYPE_PIPE:
        return OSFIFO;
    case FILE_TYPE_CHAR:
        return OSGERAET;
    }
    return OSANDERE;
}

// The volume serial number and the file index name one file, whatever
// name or link leads to it.
static int ident(HANDLE h, osident &id)
{
    BY_HANDLE_FILE_INFORMATION fi;
    if (!GetFileInformationByHandle(h, &fi))
        return 0;
    id.geraet = fi.dwVolumeSerialNumber;
    id.knoten = (unsigned long long)fi.nFileIndexHigh << 32 | fi.nFileIndexLow;
    return 1;
}

osart osidname(const char *name, osident &id)
{
    // no access asked for: only the file's attributes are read
    HANDLE h = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetFileAttributesA(name) == INVALID_FILE_ATTRIBUTES ? OSKEINE : OSANDERE;
    osart a = art(h);
    if (!ident(h, id))
        a = OSANDERE;
    CloseHandle(h);
    return a;
}

// The last part of a name, after its directory.
static const char *basisname(const char *name)
{
    const char *b = name;
    for (const char *p = name; *p; p++)
        if (*p == '/' || *p == '\\' || *p == ':')
            b = p + 1;
    return b;
}

static int verzeichnis(const char *ziel, char *dir, int len);

int osgleicheziele(const char *a, const char *b)
{
    osident ia, ib;
    osart xa = osidname(a, ia), xb = osidname(b, ib);
    if (xa != OSKEINE || xb != OSKEINE)
        return xa != OSKEINE && xb != OSKEINE && ia.geraet == ib.geraet && ia.knoten == ib.knoten;
    // Neither is there yet: the same name, in any case, in the same directory.
    char da[NAMELEN + 16], db[NAMELEN + 16];
    return _stricmp(basisname(a), basisname(b)) == 0 && verzeichnis(a, da, sizeof da) &&
           verzeichnis(b, db, sizeof db) && osidname(da, ia) == OSVERZ && osidname(db, ib) == OSVERZ &&
           ia.geraet == ib.geraet && ia.knoten == ib.knoten;
}

int osidstrom(FILE *f, osident &id)
{
    HANDLE h = handlevon(f);
    return h != INVALID_HANDLE_VALUE && ident(h, id);
}

osart osartvon(FILE *f, long *size)
{
    *size = -1;
    HANDLE h = handlevon(f);
    if (h == INVALID_HANDLE_VALUE)
        return OSANDERE;
    osart a = art(h);
    LARGE_INTEGER n;
    if (a == OSDATEI && GetFileSizeEx(h, &n) && n.QuadPart <= 0x7FFFFFFF)
        *size = (long)n.QuadPart;
    return a;
}

// The register of temporary files and the hook, read by the console
// handler's thread: the one piece of mutable state outside the compile
// context, always used under the lock.
struct merkeintrag {
    int belegt;                    // 1 while name holds a file to remove
    char name[NAMELEN + 16];       // the temporary file's name
};
static merkeintrag merkliste[OSMERKMAX];
static void (*abbruchhook)();
static CRITICAL_SECTION sperre;
static INIT_ONCE sperrebereit = INIT_ONCE_STATIC_INIT;

static BOOL CALLBACK sperreanlegen(PINIT_ONCE, PVOID, PVOID *)
{
    InitializeCriticalSection(&sperre);
    return TRUE;
}

static void sperren(int an)
{
    InitOnceExecuteOnce(&sperrebereit, sperreanlegen, nullptr, nullptr);
    if (an)
        EnterCriticalSection(&sperre);
    else
        LeaveCriticalSection(&sperre);
}

int osmerke(const char *name)
{
    size_t n = strlen(name);
    int ok = 0;
    sperren(1);
    for (merkeintrag &e : merkliste)
        if (!ok && !e.belegt && n < sizeof e.name) {
            memcpy(e.name, name, n + 1);
            e.belegt = ok = 1;
        }
    sperren(0);
    return ok;
}

void osvergiss(const char *name)
{
    sperren(1);
    for (merkeintrag &e : merkliste)
        if (e.belegt && strcmp(e.name, name) == 0)
            e.belegt = 0;
    sperren(0);
}

void oshook(void (*abbruch)())
{
    sperren(1);
    abbruchhook = abbruch;
    sperren(0);
}

// A new file that no other process can have made: CREATE_NEW fails on any
// name that exists, and the next number is tried. The name is a short one
// of its own in the target's directory, so that every name the target may
// have leaves room for it.
static HANDLE neudatei(const char *ziel, char *tmp, int tmplen)
{
    int dirlen = 0;
    for (int i = 0; ziel[i]; i++)
        if (ziel[i] == '/' || ziel[i] == '\\' || ziel[i] == ':')
            dirlen = i + 1;
    unsigned z = GetTickCount() ^ GetCurrentProcessId() << 12;
    for (int versuch = 0; versuch < 100; versuch++, z = z * 1103515245u + 12345u) {
        if (snprintf(tmp, tmplen, "%.*s.zelcomp%06X", dirlen, ziel, z >> 8 & 0xFFFFFF) >= tmplen)
            return INVALID_HANDLE_VALUE;
        HANDLE h = CreateFileA(tmp, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return h;
    }
    return INVALID_HANDLE_VALUE;
}

FILE *ostemp(const char *ziel, char *tmp, int tmplen)
{
    sperren(1);
    HANDLE h = neudatei(ziel, tmp, tmplen);
    if (h != INVALID_HANDLE_VALUE && !osmerke(tmp)) {
        CloseHandle(h);
        DeleteFileA(tmp);
        h = INVALID_HANDLE_VALUE;
    }
    sperren(0);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    int fd = _open_osfhandle((intptr_t)h, _O_WRONLY | _O_BINARY);
    FILE *f = fd < 0 ? nullptr : _fdopen(fd, "wb");
    if (!f) {
        if (fd >= 0)
            _close(fd);
        else
            CloseHandle(h);
        osverwirf(tmp);
    }
    return f;
}

// A file that another program has open, even only to read its attributes
// as a run that starts does, cannot be replaced or removed for that
// moment: such a failure is tried again for up to two seconds.
static int besetzt()
{
    DWORD e = GetLastError();
    return e == ERROR_ACCESS_DENIED || e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION;
}

static int umbenennen(const char *von, const char *nach)
{
    for (int versuch = 0;; versuch++) {
        if (MoveFileExA(von, nach, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 1;
        if (versuch == 100 || !besetzt())
            return 0;
        Sleep(20);
    }
}

static void loeschen(const char *name)
{
    for (int versuch = 0; !DeleteFileA(name) && versuch < 100 && besetzt(); versuch++)
        Sleep(20);
}

// The directory a target lies in, "." for a bare name; 0 when it does not fit.
static int verzeichnis(const char *ziel, char *dir, int len)
{
    int dirlen = 0;
    for (int i = 0; ziel[i]; i++)
        if (ziel[i] == '/' || ziel[i] == '\\' || ziel[i] == ':')
            dirlen = i + 1;
    return snprintf(dir, len, "%.*s.", dirlen, ziel) < len;
}

// Holds the targets' directories against the other runs that replace files
// in them: a named mutex for each directory, named after the directory's
// identity, so that every name of it meets the same one. It leaves no file
// behind, and the system lets go of it when a run ends in any way.
// Directories are taken in the order of their identity, so that two runs
// never wait for each other in a circle.
struct verzsperren {
    HANDLE h[OSMERKMAX];           // the mutexes held, entries 0..n-1
    int n;
};

static int vor(const osident &a, const osident &b)
{
    return a.geraet != b.geraet ? a.geraet < b.geraet : a.knoten < b.knoten;
}

static void haltealle(const char *const ziel[], int n, verzsperren &sp)
{
    osident id[OSMERKMAX];
    int m = 0;
    for (int i = 0; i < n && m < OSMERKMAX; i++) {
        char dir[NAMELEN + 16];
        if (!verzeichnis(ziel[i], dir, sizeof dir) || osidname(dir, id[m]) != OSVERZ)
            continue;
        int neu = 1;
        for (int j = 0; j < m; j++)
            neu &= id[j].geraet != id[m].geraet || id[j].knoten != id[m].knoten;
        m += neu;
    }
    for (int i = 1; i < m; i++)
        for (int j = i; j > 0 && vor(id[j], id[j - 1]); j--) {
            osident t = id[j];
            id[j] = id[j - 1];
            id[j - 1] = t;
        }
    sp.n = 0;
    for (int i = 0; i < m; i++) {
        char name[64];
        snprintf(name, sizeof name, "Local\\zelcomp-%llX-%llX", id[i].geraet, id[i].knoten);
        HANDLE h = CreateMutexA(nullptr, FALSE, name);
        if (!h)
            continue;
        DWORD w = WaitForSingleObject(h, INFINITE);
        if (w == WAIT_OBJECT_0 || w == WAIT_ABANDONED)
            sp.h[sp.n++] = h;
        else
            CloseHandle(h);
    }
}

static void lassealle(verzsperren &sp)
{
    for (int i = sp.n - 1; i >= 0; i--) {
        ReleaseMutex(sp.h[i]);
        CloseHandle(sp.h[i]);
    }
}

// A copy of a target beside it, so that it can be put back when a later
// target of the same step cannot be replaced; empty when there is nothing
// to keep. 0 when a file that is there could not be copied.
static int sichere(const char *ziel, char *kopie, int len)
{
    kopie[0] = 0;
    if (GetFileAttributesA(ziel) == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    HANDLE h = neudatei(ziel, kopie, len);
    if (h == INVALID_HANDLE_VALUE) {
        kopie[0] = 0;
        return 0;
    }
    CloseHandle(h);
    if (CopyFileA(ziel, kopie, FALSE))
        return 1;
    loeschen(kopie);
    kopie[0] = 0;
    return 0;
}

// Puts a target back as it was before this step: its copy, or no file.
static void zurueck(const char *ziel, const char *kopie)
{
    if (kopie[0])
        umbenennen(kopie, ziel);
    else
        loeschen(ziel);
}

// Write-through: the new content is on the disk when the name changes.
// The wait for the other runs comes before the register's lock, so that
// Ctrl-C still ends a run that waits.
int osersetze(const char *const tmp[], const char *const ziel[], int n)
{
    if (n > OSMERKMAX)
        return 0;
    verzsperren sp;
    haltealle(ziel, n, sp);
    sperren(1);
    char kopie[OSMERKMAX][NAMELEN + 16];
    int i = 0;
    for (; i < n; i++) {
        kopie[i][0] = 0;
        // The last target needs no copy: nothing after it can fail.
        if (i < n - 1 && !sichere(ziel[i], kopie[i], sizeof kopie[i]))
            break;
        if (!umbenennen(tmp[i], ziel[i])) {
            if (kopie[i][0])
                loeschen(kopie[i]);
            break;
        }
    }
    for (int j = i - 1; j >= 0; j--) {
        if (i < n)
            zurueck(ziel[j], kopie[j]);
        else if (kopie[j][0])
            loeschen(kopie[j]);
        osvergiss(tmp[j]);
    }
    sperren(0);
    lassealle(sp);
    return i;
}

void ostext(FILE *f)
{
    _setmode(_fileno(f), _O_TEXT);
}

void osverwirf(const char *tmp)
{
    DeleteFileA(tmp);
    osvergiss(tmp);
}

int osneu(const char *tmp, const char *ziel)
{
    // Without MOVEFILE_REPLACE_EXISTING the move fails on a name that is
    // there, in the same step as it checks.
    for (int versuch = 0;; versuch++) {
        if (MoveFileExA(tmp, ziel, MOVEFILE_WRITE_THROUGH))
            break;
        if (versuch == 100 || !besetzt() || GetFileAttributesA(ziel) != INVALID_FILE_ATTRIBUTES)
            return 0;
        Sleep(20);
    }
    osvergiss(tmp);
    return 1;
}

int osverz(const char *dir)
{
    char pfad[NAMELEN + 16];
    if (snprintf(pfad, sizeof pfad, "%s", dir) >= (int)sizeof pfad)
        return 0;
    // Each directory on the way, from the top down; a drive ("C:") is none.
    for (char *p = pfad + 1; *p; p++)
        if ((*p == '/' || *p == '\\') && p[-1] != ':') {
            char c = *p;
            *p = 0;
            CreateDirectoryA(pfad, nullptr);
            *p = c;
        }
    CreateDirectoryA(pfad, nullptr);
    DWORD a = GetFileAttributesA(pfad);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Runs in a thread of its own. Returning FALSE hands the event on to the
// system's handler, which ends the process as Ctrl-C always does.
static BOOL WINAPI abbruch(DWORD ereignis)
{
    switch (ereignis) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        break;
    default:
        return FALSE;
    }
    sperren(1);
    if (abbruchhook)
        abbruchhook();
    for (merkeintrag &e : merkliste)
        if (e.belegt)
            DeleteFileA(e.name);
    return FALSE;
}

void osinstall()
{
    SetConsoleCtrlHandler(abbruch, TRUE);
}
