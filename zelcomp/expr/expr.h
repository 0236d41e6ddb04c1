// Scanner, expression evaluator and constant table.
#ifndef ZELCOMP_EXPR_H
#define ZELCOMP_EXPR_H

#include "../zelcomp.h"

// character classes; bytes of 128 and above are in none of them
int isletter(int ch);
int isdigit10(int ch);
int ishexdigit(int ch);
int isweiss(int ch);
int isnamech(int ch);
int gross(int ch);                         // a-z in upper case, every other byte as it is

// scan cursor
void nxtzeichen(zelctx &c, int n);         // n characters on, then past white space
void nxttrennzch(zelctx &c);               // on to the next separator, not past it

// evaluator; what does not fit an expression is left at zptr
int ausdruck(zelctx &c);
int term(zelctx &c);
int faktor(zelctx &c);
int zahl(zelctx &c);

// constant table
void predefkonst(zelctx &c);
// Reads a whole name at zptr into buf (KONSTNAME bytes are enough). A name
// of more than KONSTNAME - 1 characters is reported and refused: the result
// is 0, zptr is behind the name and buf holds its first characters.
int getkonststr(zelctx &c, char *buf);
int newkonst(zelctx &c, const char *name, int wert);   // 0 when not stored
int konstwert(zelctx &c, const char *name);

#endif
