// The scan cursor over the current line: character classes and the two
// ways of moving on that every parser of a line uses.
#include "expr.h"

// Bytes of 128 and above arrive here negative or above 127 and belong to
// no class, so nothing here may go through the locale's tables.
int isletter(int ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

int isdigit10(int ch)
{
    return ch >= '0' && ch <= '9';
}

int ishexdigit(int ch)
{
    return isdigit10(ch) || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
}

int isweiss(int ch)
{
    return ch == ' ' || (ch >= 9 && ch <= 13);
}

int isnamech(int ch)
{
    return isletter(ch) || isdigit10(ch) || ch == '_';
}

int gross(int ch)
{
    return ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch;
}

static int istrenn(int ch)
{
    return ch == ' ' || ch == '\t' || ch == ',' || ch == ';' || ch == ':' || ch == '<' || ch == 0;
}

void nxtzeichen(zelctx &c, int n)
{
    // Never step over the end of the line, whatever the caller asks.
    while (n-- > 0 && *c.zptr)
        c.zptr++;
    while (isweiss(*c.zptr))
        c.zptr++;
}

void nxttrennzch(zelctx &c)
{
    while (!istrenn(*c.zptr))
        c.zptr++;
}
