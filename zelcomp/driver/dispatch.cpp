// The line dispatcher: decides what a source line is and calls its handler.
#include "driver.h"

void dispatch(zelctx &c)
{
    (void)c;
}
