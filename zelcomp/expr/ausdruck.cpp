// The integer expression evaluator: expression, term, factor, number,
// evaluated while scanning. What does not fit ends the expression and is
// left at zptr for the caller.
#include "expr.h"
#include "../basis/basis.h"

#include <climits>
#include <cstdint>

// Values wrap modulo 2^32. The sums and products are formed unsigned so that
// an overflow is plain arithmetic and not undefined behaviour.
static int alsint(uint32_t u)
{
    return u <= (uint32_t)INT_MAX ? (int)u : -(int)~u - 1;
}

static int plus(int a, int b) { return alsint((uint32_t)a + (uint32_t)b); }
static int minus(int a, int b) { return alsint((uint32_t)a - (uint32_t)b); }
static int mal(int a, int b) { return alsint((uint32_t)a * (uint32_t)b); }

static int durch(zelctx &c, int a, int b)
{
    if (b == 0) {
        fehler(c, "Division by zero !");
        return 0;
    }
    if (a == INT_MIN && b == -1)
        return INT_MIN;
    return a / b;
}

// -W: an operator with no operand after it, as in 1- or 2*, takes 0 for it.
static void operand(zelctx &c, char op)
{
    const char *opstelle = c.zptr - 1;
    nxtzeichen(c, 0);
    int ch = *c.zptr;
    if (ch != '(' && ch != '-' && ch != '%' && ch != '$' && !isnamech(ch))
        spaltebei(c, opstelle);
    if (ch != '(' && ch != '-' && ch != '%' && ch != '$' && !isnamech(ch))
        warnung(c, "nothing after operator \"%c\", 0 taken", op);
}

int ausdruck(zelctx &c)
{
    int v = term(c);
    while (*c.zptr == '+' || *c.zptr == '-') {
        char op = *c.zptr++;
        operand(c, op);
        int w = term(c);
        v = op == '+' ? plus(v, w) : minus(v, w);
    }
    if (*c.zptr == ')')
        nxtzeichen(c, 1);
    return v;
}

int term(zelctx &c)
{
    int v = faktor(c);
    while (*c.zptr == '*' || *c.zptr == '/') {
        char op = *c.zptr++;
        operand(c, op);
        int w = faktor(c);
        v = op == '*' ? mal(v, w) : durch(c, v, w);
    }
    return v;
}

int faktor(zelctx &c)
{
    nxtzeichen(c, 0);
    if (*c.zptr == '(') {
        nxtzeichen(c, 1);
        return ausdruck(c);
    }
    return zahl(c);
}

static int hexwert(int ch)
{
    if (isdigit10(ch))
        return ch - '0';
    return (ch | 0x20) - 'a' + 10;
}

// Groups of digits apart, as a number is written for people to read:
// after a first group of 1 to g digits, groups of g each, g being 3 for
// decimal (1 000 000), 2 or 4 for hexadecimal ($FF 00), 4 or 8 for binary
// (%1010 1010).
struct gruppen {
    int erste;                 // digits of the first group, 0 while it is open
    int folge;                 // digits of each later group, 0 before the second closes
    int ungleich;              // 1 when later groups differ in length
    int anz;                   // gaps between groups seen so far
};

static void gruppenende(gruppen &g, int n)
{
    if (!g.erste)
        g.erste = n;
    else if (g.folge && g.folge != n)
        g.ungleich = 1;
    else
        g.folge = n;
}

static int lesbar(const gruppen &g, uint32_t basis)
{
    int kurz = basis == 10 ? 3 : basis == 16 ? 2 : 4;
    int lang = basis == 10 ? 3 : basis == 16 ? 4 : 8;
    return !g.ungleich && (g.folge == kurz || g.folge == lang) && g.erste <= g.folge;
}

// Digits of one base, with white space allowed between them; *ende is
// left just behind the last digit, or at zptr when there was none, and
// *luecke becomes 1 when white space stood between two of them other than
// to group them for reading.
static uint32_t ziffern(zelctx &c, uint32_t basis, const char **ende, int *luecke)
{
    uint32_t v = 0;
    gruppen g = {0, 0, 0, 0};
    int n = 0;
    *ende = c.zptr;
    for (;;) {
        int ch = *c.zptr;
        if (basis == 2 && ch != '0' && ch != '1')
            break;
        if (basis == 10 && !isdigit10(ch))
            break;
        if (basis == 16 && !ishexdigit(ch))
            break;
        v = v * basis + (uint32_t)hexwert(ch);
        if (n && c.zptr != *ende) {
            gruppenende(g, n);
            g.anz++;
            n = 0;
        }
        n++;
        *ende = c.zptr + 1;
        nxtzeichen(c, 1);
    }
    if (g.anz)
        gruppenende(g, n);
    *luecke = g.anz && !lesbar(g, basis);
    return v;
}

// Characters that a reader takes for part of the number or name before
// them, though the evaluator stops there.
static int haengtan(int ch)
{
    return isnamech(ch) || ch == '.' || (unsigned char)ch > 127;
}

// -W: a number or name that runs on into such characters, as 12AB or
// %1010_0101, is read only up to them; the rest is left for what follows.
static void restzeichen(zelctx &c, const char *start, const char *ende, int wert)
{
    if (ende == start || !haengtan(*ende))
        return;
    const char *rest = ende;
    while (haengtan(*rest))
        rest++;
    spaltebei(c, ende);
    warnung(c, "\"%.*s\" read as %d, \"%.*s\" left unread", (int)(rest - start), start,
            wert, (int)(rest - ende), ende);
}

int zahl(zelctx &c)
{
    const char *start = c.zptr, *ende;
    int minuszeichen = 0, luecke = 0;
    uint32_t v = 0;
    if (*c.zptr == '-') {
        minuszeichen = 1;
        nxtzeichen(c, 1);
        if (*c.zptr == '(')
            spaltebei(c, start);
        if (*c.zptr == '(')
            warnung(c, "sign before \"(\" ignored: \"-\" read as 0, \"(\" left unread; "
                       "write 0-(...) to negate");
    }
    if (*c.zptr == '%') {
        nxtzeichen(c, 1);
        v = ziffern(c, 2, &ende, &luecke);
    } else if (*c.zptr == '$') {
        nxtzeichen(c, 1);
        v = ziffern(c, 16, &ende, &luecke);
    } else if (*c.zptr == '_' || isletter(*c.zptr)) {
        char name[KONSTNAME];
        const char *nameanf = c.zptr;
        // A refused name has been reported already and counts 0; an
        // undefined one is reported where it begins.
        if (getkonststr(c, name)) {
            spaltebei(c, nameanf);
            v = (uint32_t)konstwert(c, name);
            c.spalte = 0;
        }
        ende = c.zptr;
    } else {
        v = ziffern(c, 10, &ende, &luecke);
    }
    int wert = alsint(minuszeichen ? 0u - v : v);
    // -W: digits apart are still one number, "1 2" is 12.
    if (luecke)
        spaltebei(c, start);
    if (luecke)
        warnung(c, "blank inside a number: \"%.*s\" read as %d", (int)(ende - start), start, wert);
    restzeichen(c, start, ende, wert);
    nxtzeichen(c, 0);
    return wert;
}
