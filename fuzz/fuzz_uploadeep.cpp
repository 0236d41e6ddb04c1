// The upload of an arbitrary file to the fake module. Bytes the upload
// does not examine choose the module and the settings: byte 0 the model
// that answers (bits 0-2, 5 to 7 for none), its EEPROM size (bits 3-4:
// 16, 32, 48, 64 KB), write protection (bit 5), an error reply during the
// stream (bit 6, after as many bytes as byte 8 says) and CTS held for ever
// (bit 7); byte 17 the rate to program with (an index, 8 and up for none),
// byte 18 the power-on rate (likewise).
#include "fuzzutil.h"
#include "fakeport.h"
#include "device/device.h"

#include <cstring>

static int byte(const uint8_t *p, size_t n, size_t i)
{
    return i < n ? p[i] : 0xFF;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzdir();
    putfile("u.EEP", data, size);
    int k = byte(data, size, 0);
    fakemodul m = fakestandard(k % 8 < ZELMODELS ? k % 8 : 0);
    m.present = k % 8 < ZELMODELS;
    m.eepsize = 16384L * (1 + (k >> 3 & 3));
    m.writeprotected = k >> 5 & 1;
    m.ereply = k >> 6 & 1 ? byte(data, size, 8) : -1;
    m.ctshold = k >> 7 & 1;
    fakereset(m);

    zelctx &c = fuzzctx();
    strcpy(c.outfile, "u.EEP");
    c.com = 1;
    int nb = byte(data, size, 17), sb = byte(data, size, 18);
    c.newbaud = nb < ZELBAUDS ? zelbaud[nb] : 0;
    c.softbaud = sb < ZELBAUDS ? sb : -1;
    uploadeep(c);
    PRUEFE(!fakeportopen());
    PRUEFE(c.zelnr >= 0 && c.zelnr < ZELMODELS);
    // The handshake and the rate cell send a few dozen bytes; the rest is the file.
    PRUEFE(fakesent() <= (long)size + 200);
    return 0;
}
