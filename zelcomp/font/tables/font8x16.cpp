// Internal font 8 x 16 dots: not drawn yet, every glyph is blank.
#include "tables.h"

const unsigned char font8x16[4104] = {0xAA, 0x55, 8, 0, 16, 0, 16, 0};
