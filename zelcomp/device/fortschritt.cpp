// The progress line of an upload, a verify or a read-back: on a terminal
// only, on its own line below the console text, redrawn in place at most
// FSTAKT ticks apart. The last drawing stays; the next console message,
// which begins with a line break, ends the line. Off a terminal nothing
// is drawn and the clock is not even read, so the console text and the
// timing of the link are what they are without it.
#include "device.h"
#include "../serial/seriowin.h"

#include <cstdio>
#include <unistd.h>

enum { FSTAKT = 25 };          // ticks between two drawings: four a second

void fsterminal(zelctx &c, FILE *f)
{
    c.fs.f = f && isatty(fileno(f)) ? f : nullptr;
}

static void zeichnen(zelctx &c, long n)
{
    fortschritt &s = c.fs;
    int jetzt = clockhs();
    long hs = (long)(unsigned)(jetzt - s.start);
    if (n > s.gesamt)
        n = s.gesamt;
    // the console text must be out before the line goes below it
    fflush(c.con);
    fprintf(s.f, "%s%-6s %3ld%% %6ld/%ld bytes %6.1f kB/s %3ld:%02ld", s.gezeigt < 0 ? "\n" : "\r",
            s.was, n * 100 / s.gesamt, n, s.gesamt, hs > 0 ? n / (hs * 10.0) : 0.0, hs / 6000,
            hs / 100 % 60);
    fflush(s.f);
    s.gezeigt = jetzt;
}

void fsstart(zelctx &c, const char *was, long gesamt)
{
    if (!c.fs.f)
        return;
    c.fs.was = was;
    c.fs.gesamt = gesamt > 0 ? gesamt : 1;
    c.fs.start = clockhs();
    c.fs.gezeigt = -1;
    zeichnen(c, 0);
}

void fsstand(zelctx &c, long n)
{
    if (c.fs.f && c.fs.gezeigt != -1 && (unsigned)(clockhs() - c.fs.gezeigt) >= FSTAKT)
        zeichnen(c, n);
}

void fsende(zelctx &c, long n)
{
    if (c.fs.f && c.fs.gezeigt != -1)
        zeichnen(c, n);
    c.fs.gezeigt = -1;
}
