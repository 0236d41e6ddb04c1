// Internal font 6 x 8 dots: not drawn yet, every glyph is blank.
#include "tables.h"

const unsigned char font6x8[2056] = {0xAA, 0x55, 6, 0, 8, 0, 8, 0};
