// Internal font 4 x 6 dots: not drawn yet, every glyph is blank.
#include "tables.h"

const unsigned char font4x6[1544] = {0xAA, 0x55, 4, 0, 6, 0, 6, 0};
