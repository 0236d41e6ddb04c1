// The include stack, reading source lines, file names in angle brackets,
// and the one place where user errors are reported and counted.
#include "driver.h"
#include "os.h"

#include <cstdarg>
#include <cstring>

static void setcurrent(zelctx &c)
{
    c.fp = c.filenr >= 0 ? c.datei[c.filenr].fp : nullptr;
}

// 1 when the file is one of those being read. Including it again would
// repeat its includes at every level down to the end of the stack: a file
// with a few such lines would be read hundreds of thousands of times.
static int schonoffen(const zelctx &c, const char *name)
{
    osident neu, alt;
    if (!osidname(name, neu))
        return 0;
    for (int i = 0; i <= c.filenr; i++)
        if (osidstrom(c.datei[i].fp, alt) && alt.geraet == neu.geraet &&
            alt.knoten == neu.knoten)
            return 1;
    return 0;
}

int openfile(zelctx &c, const char *name)
{
    if (schonoffen(c, name)) {
        fehler(c, "Includefile <%s> includes itself !", name);
        return 0;
    }
    // The stack is fixed; a deeper nesting must not run off its end.
    if (c.filenr + 1 >= MAXDATEI) {
        fehler(c, "Too many nested Includefiles <%s> !", name);
        return 0;
    }
    quelle &q = c.datei[++c.filenr];
    snprintf(q.name, sizeof q.name, "%s", name);
    FILE *f = fopen(name, "rb");
    long n;
    if (f && osartvon(f, &n) == OSVERZ) {
        fclose(f);   // a directory opens but has no lines
        f = nullptr;
    }
    if (!f) {
        c.filenr--;
        setcurrent(c);
        fehler(c, "Cannot Open File <%s> !\n", name);
        return 0;
    }
    fprintf(c.con, "\nOpen File <%s>", name);
    q.fp = f;
    q.line = 0;
    setcurrent(c);
    return 1;
}

FILE *bytedatei(const char *name, long *size)
{
    FILE *f = fopen(name, "rb");
    long n;
    if (f && osartvon(f, &n) == OSDATEI) {
        *size = n;
        return f;
    }
    if (f)
        fclose(f);
    return nullptr;
}

int ladedatei(zelctx &c, const char *name, long max)
{
    long n;
    FILE *f = bytedatei(name, &n);
    if (!f)
        return 0;
    if (n > max || max > BUFLEN) {
        fclose(f);
        return -1;
    }
    // A file that shrank since its size was taken counts with what is there.
    c.filelen = (long)fread(c.buffer, 1, n, f);
    fclose(f);
    return 1;
}

int closeaktfile(zelctx &c)
{
    fclose(c.datei[c.filenr].fp);
    c.datei[c.filenr].fp = nullptr;
    c.filenr--;
    setcurrent(c);
    return c.filenr >= 0;
}

int readzeile(zelctx &c)
{
    if (!fgets(c.zeile, ZEILEN - 1, c.fp))
        return 0;
    c.datei[c.filenr].line++;
    // Control characters at the end go (CR, LF, tabs), trailing blanks and
    // the first character always stay.
    int i = (int)strlen(c.zeile) - 1;
    while (i > 0 && (unsigned char)c.zeile[i] < 32)
        c.zeile[i--] = 0;
    c.zptr = c.zeile;
    return 1;
}

int getfilename(zelctx &c, char *buf)
{
    char *p = strchr(c.zptr, '<');
    if (!p) {
        buf[0] = 0;
        fehler(c, "Cannot found a Filename !");
        c.zptr += strlen(c.zptr);
        return 0;
    }
    c.zptr = p + 1;
    // zeile is shorter than any name buffer, so the copy always fits.
    int n = 0;
    while (*c.zptr != '>' && (unsigned char)*c.zptr > 32)
        buf[n++] = *c.zptr++;
    buf[n] = 0;
    return 1;
}

void showerror(zelctx &c, const char *msg)
{
    const quelle *q = c.filenr >= 0 ? &c.datei[c.filenr] : nullptr;
    if (c.fperr) {
        if (q)
            fprintf(c.fperr, "\nError in file <%s> line %d", q->name, q->line);
        fprintf(c.fperr, "\n-->%s%s\n", c.zeile, msg);
    }
    if (q)
        fprintf(c.con, "\nError in file <%s> line %d", q->name, q->line);
    fprintf(c.con, "\n--> %s%s\n", c.zeile, msg);
    c.errors++;
}

void fehler(zelctx &c, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(c.err, sizeof c.err, fmt, ap);   // a long file name is cut to fit
    va_end(ap);
    showerror(c, c.err);
}
