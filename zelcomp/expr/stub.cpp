// Placeholder until the evaluator and the constant table exist.
#include "expr.h"

void predefkonst(zelctx &c) { c.konstanz = 0; }
