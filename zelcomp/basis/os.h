// The few operating-system services the driver needs: temporary files beside
// an output, replacing an output in one step, telling whether two names are
// the same file, the kind of an open file, and the cleanup that runs when the
// user interrupts a run. os_posix.cpp and os_win32.cpp implement them.
#ifndef ZELCOMP_DRIVER_OS_H
#define ZELCOMP_DRIVER_OS_H

#include "../zelcomp.h"

#include <cstdio>

enum osart {                       // kind of a file
    OSKEINE,                       // there is no such file
    OSDATEI,                       // regular file
    OSFIFO,                        // pipe
    OSVERZ,                        // directory
    OSGERAET,                      // character or block device
    OSANDERE,                      // anything else, or its kind could not be read
};

// Kind and identity of the file a name leads to; OSKEINE (0) when there
// is none, id then unchanged.
osart osidname(const char *name, osident &id);
// 1 when two names lead to the same file, whether there is one yet or not.
int osgleicheziele(const char *a, const char *b);
// Identity of an open stream; 1 read, 0 not.
int osidstrom(FILE *f, osident &id);
// Kind of an open stream; *size receives the size in bytes of a regular
// file and -1 for every other kind.
osart osartvon(FILE *f, long *size);

// Creates a new empty file in the directory of ziel, with the permissions a
// new file gets there, writes its name into tmp (tmplen bytes) and registers
// it for removal on an interrupt. The stream is open for binary writing;
// nullptr when no file could be made.
FILE *ostemp(const char *ziel, char *tmp, int tmplen);
// Renames each tmp[i] over ziel[i] in one step, in order (n at most
// OSMERKMAX), and drops the renamed ones from the register. Either all are
// replaced, or, when one fails, the ones before it are put back as they
// were, so the targets never mix old and new. An interrupt is held back
// until all are done. The targets' directories are locked while they are
// replaced, so that runs replacing the same files at once do it one after
// the other. Returns n when all are in place, else the index of the one
// that failed (its temporary file and those after it are still there).
int osersetze(const char *const tmp[], const char *const ziel[], int n);
// Makes a stream from ostemp write line ends as the system's text files
// have them: CR LF on Win32, LF on POSIX.
void ostext(FILE *f);
// Removes tmp and drops it from the register.
void osverwirf(const char *tmp);
// Renames tmp to ziel only when there is no file of that name: the check
// and the rename are one step, so a file another program makes meanwhile is
// never replaced. 1 done (tmp dropped from the register), 0 when ziel is
// there or the rename failed; tmp is then still there.
int osneu(const char *tmp, const char *ziel);
// Makes the directory dir and those above it that are missing; 1 when dir
// is a directory afterwards.
int osverz(const char *dir);

// The whole-file writer every program uses for an output: n bytes at p
// become the file ziel by ostemp and a rename, so a full disk, a size limit
// or an interrupt leaves the old file as it was and no temporary file.
enum { OSERSETZEN, OSNEU };        // modus: replace a regular file that is there, or never
enum oswr {
    OSGESCHRIEBEN,                 // ziel holds the n bytes
    OSKEINEDATEI,                  // ziel is there and no regular file; left alone
    OSVORHANDEN,                   // OSNEU and ziel is there; left alone
    OSSCHREIBFEHLER,               // could not be written; ziel as it was
};
oswr osschreibe(const char *ziel, const void *p, size_t n, int modus);

// Interrupt cleanup. osinstall sets it up once at program start: an
// interrupt, termination or hang-up removes the registered temporary files,
// calls the hook and ends the process with the signal's usual status; a
// file-size limit turns into a failing write instead of ending the process.
void osinstall();
// The register of files to remove (at most OSMERKMAX at a time); osmerke
// returns 0 when it is full or the name too long.
enum { OSMERKMAX = 4 };
int osmerke(const char *name);
void osvergiss(const char *name);
// Called first when an interrupt ends the run, so that the serial layer can
// put its port back and say why the upload stopped. It runs inside the
// signal handler (POSIX) or the console control handler (Win32), so it may
// only use what is safe there: write, tcsetattr, close. nullptr for none.
void oshook(void (*abbruch)());

#endif
