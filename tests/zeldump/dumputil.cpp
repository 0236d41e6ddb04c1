#include "dumputil.h"

#include "device/device.h"

#include <dirent.h>

runresult rundump(const std::string &dir, const std::vector<std::string> &args,
                  const std::vector<std::string> &env)
{
    std::string cmd = std::string("exec '") + ZELDUMP_BIN + "'";
    for (const std::string &a : args)
        cmd += " '" + a + "'";
    return runprog(dir, "/bin/sh", {"-c", cmd + " 2>&1"}, "", env);
}

std::string overview(const std::string &out)
{
    size_t a = out.find("EEPROM-Memory overview:");
    size_t e = out.find(" bytes used", a);
    return a == std::string::npos || e == std::string::npos ? "" : out.substr(a, e - a);
}

std::string macrosource(const std::string &dir, int m)
{
    std::string quelle = std::string(ZEL_TESTDATA) + "/e2e/macros/";
    DIR *d = opendir(quelle.c_str());
    while (dirent *e = d ? readdir(d) : nullptr)
        if (e->d_name[0] != '.')
            writefile(dir + "/" + e->d_name, readfile(quelle + e->d_name));
    if (d)
        closedir(d);
    writefile(dir + "/macros.mac",
              std::string(zel[m].name) + "\n" + readfile(quelle + "macros.mac"));
    return "macros";
}
