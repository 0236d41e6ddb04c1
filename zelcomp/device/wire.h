// The module's commands as the host sends them and an upload file carries
// them: ESC, one or two letters, then one byte per parameter, 16-bit
// numbers low byte first. The display commands a macro may hold are the
// encoder's table (macro/befehl.cpp).
#ifndef ZELCOMP_DEVICE_WIRE_H
#define ZELCOMP_DEVICE_WIRE_H

enum {
    ESC = 0x1B,                // starts every command
    FORMFEED = 0x0C,           // clears the display: the first byte of an upload file

    // the letter after ESC of the host's own commands
    IDENTBEF = '?',            // ESC '?': width, height and orientation code come back
    BAUDBEF = '+',             // ESC '+' index: the module goes on at zelbaud[index]
    EEPBEF = '&',              // ESC '&' 'E' address length op: EEPROM access (eepbefehl)
    EEPBEF2 = 'E',

    // the op that ends the EEPROM access command
    LESEOP = 'R',              // the module sends length bytes from address on
    SCHREIBOP = 'W',           // length data bytes follow; they are programmed from address on
    ENDEOP = 'J',              // address and length 0: the upload is over
    EEPBEFLEN = 8,             // bytes of the command, the data of a write not counted

    EEPFEHLER = 'E',           // sent by a module that cannot program a write

    // display commands an upload file carries besides the EEPROM access
    BALKENBEF = 'B',           // ESC 'B' 'R' '1' ...: defines bar graph 1; ESC 'B' '1' v: sets it to v
    SCHLUSSBEF = 'X',          // ESC 'X' 2: the first command of the upload file's trailer
};

// Writes the EEPROM access command for len bytes at adr into b; op is one
// of LESEOP, SCHREIBOP and ENDEOP. Returns EEPBEFLEN.
inline int eepbefehl(unsigned char *b, long adr, long len, int op)
{
    b[0] = ESC;
    b[1] = EEPBEF;
    b[2] = EEPBEF2;
    b[3] = (unsigned char)(adr & 0xFF);
    b[4] = (unsigned char)(adr >> 8 & 0xFF);
    b[5] = (unsigned char)(len & 0xFF);
    b[6] = (unsigned char)(len >> 8 & 0xFF);
    b[7] = (unsigned char)op;
    return EEPBEFLEN;
}

#endif
