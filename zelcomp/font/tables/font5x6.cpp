// Internal font 5 x 6 dots: not drawn yet, every glyph is blank.
#include "tables.h"

const unsigned char font5x6[1544] = {0xAA, 0x55, 5, 0, 6, 0, 6, 0};
