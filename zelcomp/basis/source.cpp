// The include stack, reading source lines, file names in angle brackets,
// and the one place where user errors are reported and counted.
#include "basis.h"
#include "os.h"

#include <cstdarg>
#include <cstring>

// 1 when the file is one of those being read. Including it again would
// repeat its includes at every level down to the end of the stack: a file
// with a few such lines would be read hundreds of thousands of times.
static int gleich(const osident &a, const osident &b)
{
    return a.geraet == b.geraet && a.knoten == b.knoten;
}

static int schonoffen(const zelctx &c, const char *name)
{
    osident neu, alt;
    if (!osidname(name, neu))
        return 0;
    for (int i = 0; i <= c.filenr; i++)
        if (osidstrom(c.datei[i].fp, alt) && gleich(alt, neu))
            return 1;
    return 0;
}

// Index of an identity in the files read so far; -1 when it is new.
static int eingabenr(const zelctx &c, const osident &id)
{
    for (int i = 0; i < c.eingabeanz; i++)
        if (gleich(c.eingabe[i], id))
            return i;
    return -1;
}

// Keeps the name of a file read for the make rule of -MD.
static void merkname(zelctx &c, const char *name)
{
    int n = (int)strlen(name) + 1;
    if (c.abhlen < 0 || c.abhlen + n > ABHLEN) {
        c.abhlen = -1;
        return;
    }
    memcpy(c.abh + c.abhlen, name, n);
    c.abhlen += n;
}

// Keeps the identity of a file being read, so that no output replaces it,
// and its name the first time it is read.
static void merkeingabe(zelctx &c, FILE *f, const char *name)
{
    osident id;
    if (osidstrom(f, id) && eingabenr(c, id) < 0 && c.eingabeanz < MAXEINGABE) {
        c.eingabe[c.eingabeanz++] = id;
        merkname(c, name);
    }
}

int isteingabe(const zelctx &c, const char *name)
{
    osident id;
    return osidname(name, id) && eingabenr(c, id) >= 0;
}

// Only a regular file or a pipe is read: a directory has no lines, and a
// device such as /dev/zero never ends.
FILE *bytedatei(zelctx &c, const char *name, long *size)
{
    FILE *f = fopen(name, "rb");
    if (!f)
        return nullptr;
    long n;
    osart art = osartvon(f, &n);
    if (art != OSDATEI && art != OSFIFO) {
        fclose(f);
        return nullptr;
    }
    *size = art == OSDATEI ? n : GROESSEOFFEN;
    merkeingabe(c, f, name);
    return f;
}

int openfile(zelctx &c, const char *name)
{
    // The main source is taken as typed; an included file is looked for.
    char pfad[NAMELEN];
    if (c.filenr >= 0)
        name = suchdatei(c, name, pfad);
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
    long n;
    FILE *f = bytedatei(c, name, &n);
    if (!f) {
        c.filenr--;
        fehler(c, "Cannot Open File <%s> !\n", name);
        return 0;
    }
    fprintf(c.con, "\nOpen File <%s>", name);
    q.fp = f;
    q.line = 0;
    return 1;
}

// 1 read, 0 cannot be opened, -1 larger than max.
static int lade(zelctx &c, const char *name, long max)
{
    long n;
    char pfad[NAMELEN];
    FILE *f = bytedatei(c, suchdatei(c, name, pfad), &n);
    if (!f)
        return 0;
    if (max > BUFLEN || (n > max && n != GROESSEOFFEN)) {
        fclose(f);
        return -1;
    }
    // A file that shrank since its size was taken counts with what is
    // there; a pipe is too big when it has more to give after max bytes.
    c.filelen = (long)fread(c.buffer, 1, n == GROESSEOFFEN ? max : n, f);
    int mehr = n == GROESSEOFFEN && getc(f) != EOF;
    fclose(f);
    return mehr ? -1 : 1;
}

int ladedatei(zelctx &c, const char *name, long max, const char *nichtda, const char *zugross)
{
    int r = lade(c, name, max);
    if (r == 0)
        fehler(c, nichtda, name);
    else if (r < 0)
        fehler(c, "%s", zugross);
    return r > 0;
}

int closeaktfile(zelctx &c)
{
    fclose(c.datei[c.filenr].fp);
    c.datei[c.filenr].fp = nullptr;
    c.filenr--;
    return c.filenr >= 0;
}

// Reads up to the end of a line that did not fit into zeile; 1 when what
// it skipped counts, that is holds more than blanks and tabs. *nul becomes
// 1 when it held a NUL byte.
static int rest(FILE *f, int *nul)
{
    int zaehlt = 0, ch;
    while ((ch = getc(f)) != EOF && ch != '\n' && ch != '\r') {
        zaehlt |= ch != ' ' && ch != '\t';
        *nul |= ch == 0;
    }
    if (ch == '\r' && (ch = getc(f)) != '\n' && ch != EOF)
        ungetc(ch, f);
    return zaehlt;
}

// 1 when the line has a comment: a ';' outside a quoted string.
static int kommentar(const char *z)
{
    char quote = 0;
    for (; *z; z++) {
        if (quote)
            quote = *z == quote ? 0 : quote;
        else if (*z == '\'' || *z == '"')
            quote = *z;
        else if (*z == ';')
            return 1;
    }
    return 0;
}

// Text in another encoding than the 8-bit one of the source language,
// known by its byte-order mark; the longer marks first.
struct fremdkodierung {
    const char *mark;          // the first bytes of such a file
    int len;                   // bytes of mark
    const char *name;          // as editors call it
};

static const fremdkodierung fremde[] = {
    {"\xFF\xFE\0\0", 4, "UTF-32 LE"},
    {"\0\0\xFE\xFF", 4, "UTF-32 BE"},
    {"\xFF\xFE", 2, "UTF-16 LE"},
    {"\xFE\xFF", 2, "UTF-16 BE"},
};

static const char *kodierung(const char *z, int n)
{
    for (const fremdkodierung &k : fremde)
        if (n >= k.len && memcmp(z, k.mark, k.len) == 0)
            return k.name;
    return nullptr;
}

// What reading one line found besides its text.
struct zeileninfo {
    int nul;                   // 1 when the line held a NUL byte
    const char *fremd;         // the first line of a file in another encoding: its name; else nullptr
};

// Reads one line into zeile with its line end, as it stands in the file:
// LF, CR LF or a lone CR ends it. Returns 0 at the end of the file, zeile
// then unchanged, and -1 when the line is longer than zeile holds and the
// rest counts.
static int zeilelesen(zelctx &c, FILE *f, int dateianfang, zeileninfo &info)
{
    static const char bom[] = "\xEF\xBB\xBF";
    char z[ZEILEN];
    int n = 0, ch, r = 0;
    info.nul = 0;
    info.fremd = nullptr;
    while ((ch = getc(f)) != EOF) {
        r = 1;
        if (n == ZEILEN - 2 && ch != '\n' && ch != '\r') {
            ungetc(ch, f);
            r = rest(f, &info.nul) ? -1 : 1;
            break;
        }
        z[n++] = (char)ch;
        info.nul |= ch == 0;
        // The byte-order mark some editors put first is no part of the text.
        if (dateianfang && n == 3 && memcmp(z, bom, 3) == 0) {
            n = r = dateianfang = 0;
            continue;
        }
        if (ch == '\n')
            break;
        if (ch == '\r') {
            if ((ch = getc(f)) == '\n' && n < ZEILEN - 2)
                z[n++] = (char)ch;
            else if (ch != '\n' && ch != EOF)
                ungetc(ch, f);
            break;
        }
    }
    if (r) {
        memcpy(c.zeile, z, n);
        c.zeile[n] = 0;
        if (dateianfang)
            info.fremd = kodierung(z, n);
    }
    return r;
}

int readzeile(zelctx &c)
{
    quelle &q = c.datei[c.filenr];
    zeileninfo info;
    int r = zeilelesen(c, q.fp, q.line == 0, info);
    if (r == 0)
        return 0;
    q.line++;
    c.spalte = 0;
    c.zptr = c.zeile;
    c.zulang = 0;
    // Each character would be read as bytes with NULs between them: one
    // error for the file, which is read no further.
    if (info.fremd) {
        c.zeile[0] = 0;
        fehler(c, "File is %s text: save it as ASCII or UTF-8 !", info.fremd);
        return 0;
    }
    // Control characters at the end go (CR, LF, tabs), trailing blanks and
    // the first character always stay.
    int i = (int)strlen(c.zeile) - 1;
    while (i > 0 && (unsigned char)c.zeile[i] < 32)
        c.zeile[i--] = 0;
    // A NUL would cut the line short without a word; the line is reported
    // with what stands before it, and not compiled.
    if (info.nul) {
        fehler(c, "NUL byte in line: save the file as text (ASCII or UTF-8) !");
        c.zeile[0] = 0;
        return 1;
    }
    // A comment may be as long as it likes.
    c.zulang = r < 0 && !kommentar(c.zeile);
    return 1;
}

void zeilenrest(zelctx &c, int nr)
{
    if (!c.zulang)
        return;
    c.zulang = 0;
    // The line may have opened an include; the report names the file the
    // line came from.
    int oben = c.filenr;
    c.filenr = nr;
    fehler(c, "Line is to long (max. 254 characters) !");
    c.filenr = oben;
}

int getfilename(zelctx &c, char *buf)
{
    char *p = strchr(c.zptr, '<');
    if (!p) {
        buf[0] = 0;
        spaltebei(c, c.zptr + strlen(c.zptr));
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

void einzeilig(FILE *f, const char *text, int n)
{
    for (int i = 0; i < n; i++) {
        char ch = text[i];
        putc(ch == '\n' || ch == '\r' || ch == '\v' || ch == '\f' ? ' ' : ch, f);
    }
}

void spaltebei(zelctx &c, const char *p)
{
    if (p >= c.zeile && p < c.zeile + ZEILEN)
        c.spalte = (int)(p - c.zeile) + 1;
}

// The column a report points at: the one a handler named, else the
// line's first character that is not blank.
static int meldespalte(const zelctx &c)
{
    if (c.spalte > 0)
        return c.spalte;
    int i = 0;
    while (c.zeile[i] == ' ' || c.zeile[i] == '\t')
        i++;
    return i + 1;
}

// The source line and under it a caret at the column, as compilers show
// them: tabs stay tabs so that the caret stands under its character, and
// a character of several UTF-8 bytes takes one place.
static void zeigestelle(FILE *f, const char *zeile, int spalte)
{
    einzeilig(f, zeile, (int)strlen(zeile));
    putc('\n', f);
    for (int i = 0; i < spalte - 1 && zeile[i]; i++) {
        unsigned char ch = (unsigned char)zeile[i];
        if ((ch & 0xC0) != 0x80)
            putc(ch == '\t' ? '\t' : ' ', f);
    }
    fputs("^\n", f);
}

void diagdrucken(FILE *f, const zeldiag &d)
{
    if (d.datei) {
        einzeilig(f, d.datei, (int)strlen(d.datei));
        if (d.zeile > 0)
            fprintf(f, ":%d", d.zeile);
        if (d.zeile > 0 && d.spalte > 0)
            fprintf(f, ":%d", d.spalte);
        fputs(": ", f);
    } else
        fputs("zelcomp: ", f);
    fprintf(f, "%s: %s\n", d.art, d.text);
    if (d.quelltext && d.quelltext[0] && d.zeile > 0 && d.spalte > 0)
        zeigestelle(f, d.quelltext, d.spalte);
}

void diagnose(zelctx &c, const char *art, const char *text)
{
    // The line ends and blanks some messages carry for the console go,
    // and a line end inside one becomes a blank.
    while (*text == '\n' || *text == ' ')
        text++;
    char t[NAMELEN + 3 * ERRLEN];
    int n = 0;
    for (; text[n] && n < (int)sizeof t - 1; n++) {
        char ch = text[n];
        t[n] = ch == '\n' || ch == '\r' || ch == '\v' || ch == '\f' ? ' ' : ch;
    }
    while (n > 0 && t[n - 1] == ' ')
        n--;
    t[n] = 0;
    const quelle *q = c.filenr >= 0 ? &c.datei[c.filenr] : nullptr;
    zeldiag d;
    d.datei = q ? q->name : nullptr;
    d.zeile = q ? q->line : 0;
    d.spalte = q ? meldespalte(c) : 0;
    d.art = art;
    d.text = t;
    d.quelltext = q ? c.zeile : nullptr;
    c.spalte = 0;
    if (c.senke)
        c.senke(c.senkeziel, d);
    else if (c.batch || strcmp(art, "error") != 0)
        diagdrucken(c.diag, d);
}

// msg goes to the console and the log, lang (what was expected, where a
// caller knows it) to diagnose.
static void melden(zelctx &c, const char *msg, const char *lang)
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
    diagnose(c, "error", lang);
    c.errors++;
}

void showerror(zelctx &c, const char *msg)
{
    melden(c, msg, msg);
}

void fehlerlang(zelctx &c, const char *msg, const char *fmt, ...)
{
    char lang[3 * ERRLEN];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(lang, sizeof lang, fmt, ap);
    va_end(ap);
    snprintf(c.err, sizeof c.err, "%s", msg);
    melden(c, c.err, lang);
}

const char ERRORLOG[] = "ERROR.OUT";

// The log is written to a temporary file beside it and put in place at the
// end, so that a file of its name that the run reads is never truncated,
// and an interrupted run leaves the last complete log.
void logoeffnen(zelctx &c)
{
    c.fperr = ostemp(ERRORLOG, c.errtmp, (int)sizeof c.errtmp);
    if (c.fperr)
        ostext(c.fperr);
    else
        c.errtmp[0] = 0;
}

int logschliessen(zelctx &c)
{
    if (!c.fperr)
        return LOGKEINS;
    int ok = fflush(c.fperr) == 0 && !ferror(c.fperr);
    ok = fclose(c.fperr) == 0 && ok;
    c.fperr = nullptr;
    // Only a file is replaced, as with every output.
    osident id;
    osart art = osidname(ERRORLOG, id);
    int r = !ok || (art != OSKEINE && art != OSDATEI) ? LOGFEHLT
            : isteingabe(c, ERRORLOG)                  ? LOGEINGABE
                                                       : LOGDA;
    const char *const tmp[1] = {c.errtmp}, *const ziel[1] = {ERRORLOG};
    if (r != LOGDA || osersetze(tmp, ziel, 1) != 1) {
        osverwirf(c.errtmp);
        r = r == LOGDA ? LOGFEHLT : r;
    }
    c.errtmp[0] = 0;
    return r;
}

void fehler(zelctx &c, const char *fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(c.err, sizeof c.err, fmt, ap);   // a long file name is cut to fit
    va_end(ap);
    showerror(c, c.err);
}

void warnung(zelctx &c, const char *fmt, ...)
{
    if (!c.warnen && !c.senke)
        return;
    char text[2 * ERRLEN];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(text, sizeof text, fmt, ap);
    va_end(ap);
    diagnose(c, "warning", text);
}
