// The upload file of an image, made by the compiler's own writer from the
// tables and the data area up to the end of the last record, and written
// as every output of zeldump is.
#include "zeldump.h"
#include "driver/driver.h"

#include <cstring>
#include <memory>

int schreibeeep(const abbild &a, const ausgabeart &w, const char *name, FILE *con)
{
    std::unique_ptr<zelctx> c(new zelctx);
    zelinit(*c);
    c->zelnr = a.zelnr;
    memcpy(c->font, a.eep + FONTADR, FONTTAB);
    memcpy(c->bild, a.eep + BILDADR, BILDTAB);
    memcpy(c->makro, a.eep + MAKROADR, MAKROTAB);
    c->adresse = (int)(a.ende - SYSSIZE);
    memcpy(c->eeprom, a.eep + SYSSIZE, c->adresse);
    std::string bytes;
    eepbytes(*c, bytes);
    fprintf(con, "\nWrite EEPROM Upload File %s\n", name);
    return schreibe(w, name, bytes.data(), bytes.size());
}
