// The integer expression evaluator: expression, term, factor, number,
// evaluated while scanning. What does not fit ends the expression and is
// left at zptr for the caller.
#include "expr.h"
#include "../driver/driver.h"

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

int ausdruck(zelctx &c)
{
    int v = term(c);
    while (*c.zptr == '+' || *c.zptr == '-') {
        char op = *c.zptr++;
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

// Digits of one base, with white space allowed between them; *ende is
// left just behind the last digit, or at zptr when there was none.
static uint32_t ziffern(zelctx &c, uint32_t basis, const char **ende)
{
    uint32_t v = 0;
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
        *ende = c.zptr + 1;
        nxtzeichen(c, 1);
    }
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
    warnung(c, "\"%.*s\" read as %d, \"%.*s\" left unread", (int)(rest - start), start,
            wert, (int)(rest - ende), ende);
}

int zahl(zelctx &c)
{
    const char *start = c.zptr, *ende;
    int minuszeichen = 0;
    uint32_t v = 0;
    if (*c.zptr == '-') {
        minuszeichen = 1;
        nxtzeichen(c, 1);
        if (*c.zptr == '(')
            warnung(c, "sign before \"(\" ignored: \"-\" read as 0, \"(\" left unread; "
                       "write 0-(...) to negate");
    }
    if (*c.zptr == '%') {
        nxtzeichen(c, 1);
        v = ziffern(c, 2, &ende);
    } else if (*c.zptr == '$') {
        nxtzeichen(c, 1);
        v = ziffern(c, 16, &ende);
    } else if (*c.zptr == '_' || isletter(*c.zptr)) {
        char name[KONSTNAME];
        // A refused name has been reported already and counts 0.
        if (getkonststr(c, name))
            v = (uint32_t)konstwert(c, name);
        ende = c.zptr;
    } else {
        v = ziffern(c, 10, &ende);
    }
    int wert = alsint(minuszeichen ? 0u - v : v);
    restzeichen(c, start, ende, wert);
    nxtzeichen(c, 0);
    return wert;
}
