// The eight rates the modules know, and on POSIX systems the terminal
// speed code of each. Every port, zelsim and the compiler ask this list.
#include "seriowin.h"

// The module is told a rate by its index here (ESC '+' index), so the
// order is the modules' own.
const int zelbaud[ZELBAUDS] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

int baudindex(long rate)
{
    for (int i = 0; i < ZELBAUDS; i++)
        if (zelbaud[i] == rate)
            return i;
    return -1;
}

#ifndef _WIN32
// termios names each rate by a constant of its own, not by the number:
// the code of zelbaud[i] is speedcode[i].
static const speed_t speedcode[ZELBAUDS] = {B1200,  B2400,  B4800,  B9600,
                                            B19200, B38400, B57600, B115200};

int ratecode(long rate, speed_t *sp)
{
    int i = baudindex(rate);
    if (i < 0)
        return 0;
    *sp = speedcode[i];
    return 1;
}

int codeindex(speed_t sp)
{
    for (int i = 0; i < ZELBAUDS; i++)
        if (speedcode[i] == sp)
            return i;
    return -1;
}
#endif
