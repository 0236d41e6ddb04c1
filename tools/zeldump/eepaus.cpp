// The upload file of an image, written by the compiler's own writer from
// the tables and the data area up to the end of the last record.
#include "zeldump.h"
#include "driver/driver.h"

#include <cstring>
#include <memory>

int schreibeeep(const abbild &a, const char *name, FILE *con)
{
    std::unique_ptr<zelctx> c(new zelctx);
    zelinit(*c);
    c->con = con;
    c->zelnr = a.zelnr;
    memcpy(c->font, a.eep + FONTADR, FONTTAB);
    memcpy(c->bild, a.eep + BILDADR, BILDTAB);
    memcpy(c->makro, a.eep + MAKROADR, MAKROTAB);
    c->adresse = (int)(a.ende - SYSSIZE);
    memcpy(c->eeprom, a.eep + SYSSIZE, c->adresse);
    snprintf(c->outfile, sizeof c->outfile, "%s", name);
    writeeep(*c);
    fprintf(con, "\n");
    return c->errors == 0;
}
