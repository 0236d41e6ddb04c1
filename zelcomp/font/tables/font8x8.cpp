// Internal font 8 x 8 dots: not drawn yet, every glyph is blank.
#include "tables.h"

const unsigned char font8x8[2056] = {0xAA, 0x55, 8, 0, 8, 0, 8, 0};
