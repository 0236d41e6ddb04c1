// Runs of zeldump and zelcomp in a directory, and sources made ready there.
#ifndef ZELDUMP_TEST_DUMPUTIL_H
#define ZELDUMP_TEST_DUMPUTIL_H

#include "testutil.h"

#include <string>
#include <vector>

// zeldump with its error output after its standard output.
runresult rundump(const std::string &dir, const std::vector<std::string> &args,
                  const std::vector<std::string> &env = {});

// The lines of zelcomp's memory overview in out, from its heading to
// "bytes used".
std::string overview(const std::string &out);

// The test source of the macro tests with the model line of model m in
// front, and its files, in dir; returns the source's name without .mac.
std::string macrosource(const std::string &dir, int m);

#endif
