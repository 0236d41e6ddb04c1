// Scanner, expression evaluator and constant table.
#ifndef ZELCOMP_EXPR_H
#define ZELCOMP_EXPR_H

#include "../zelcomp.h"

int isletter(int ch);
int isdigit10(int ch);
int ishexdigit(int ch);
int isweiss(int ch);
int isnamech(int ch);

void nxtzeichen(zelctx &c, int n);
void nxttrennzch(zelctx &c);
int ausdruck(zelctx &c);
int term(zelctx &c);
int faktor(zelctx &c);
int zahl(zelctx &c);

void predefkonst(zelctx &c);
int getkonststr(zelctx &c, char *buf);     // buf holds KONSTNAME bytes
int newkonst(zelctx &c, const char *name, int wert);
int konstwert(zelctx &c, const char *name);

#endif
