// Placeholder until the serial port layer exists.
#include "seriowin.h"

int _comtohs = 50;
