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

// Digits of one base, with white space allowed between them.
static uint32_t ziffern(zelctx &c, uint32_t basis)
{
    uint32_t v = 0;
    for (;;) {
        int ch = *c.zptr;
        if (basis == 2 && ch != '0' && ch != '1')
            break;
        if (basis == 10 && !isdigit10(ch))
            break;
        if (basis == 16 && !ishexdigit(ch))
            break;
        v = v * basis + (uint32_t)hexwert(ch);
        nxtzeichen(c, 1);
    }
    return v;
}

int zahl(zelctx &c)
{
    int minuszeichen = 0;
    uint32_t v = 0;
    if (*c.zptr == '-') {
        minuszeichen = 1;
        nxtzeichen(c, 1);
    }
    if (*c.zptr == '%') {
        nxtzeichen(c, 1);
        v = ziffern(c, 2);
    } else if (*c.zptr == '$') {
        nxtzeichen(c, 1);
        v = ziffern(c, 16);
    } else if (*c.zptr == '_' || isletter(*c.zptr)) {
        char name[KONSTNAME];
        // A refused name has been reported already and counts 0.
        if (getkonststr(c, name))
            v = (uint32_t)konstwert(c, name);
    } else {
        v = ziffern(c, 10);
    }
    nxtzeichen(c, 0);
    return alsint(minuszeichen ? 0u - v : v);
}
