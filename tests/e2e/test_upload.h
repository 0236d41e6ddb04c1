// The virtual module for the upload tests: a zelsim process on its own
// pseudo-terminal, and a plain host end of the line to talk to it directly.
#ifndef ZELCOMP_TEST_UPLOAD_H
#define ZELCOMP_TEST_UPLOAD_H

#include "testutil.h"

#include <string>
#include <sys/types.h>
#include <vector>

#ifdef ZELSIM_BIN

// zelsim started with the given options, its EEPROM written to dump at exit
// and its log (with -v) collected.
struct zelsimproc {
    pid_t pid = -1;
    int outfd = -1, errfd = -1;
    std::string path;          // the line, for ZEL_COM1
    std::string dump;
    std::string log;

    zelsimproc(const tempdir &d, const std::vector<std::string> &args);
    ~zelsimproc();
    std::string env() const { return "ZEL_COM1=" + path; }
    bool waitlog(const std::string &text);   // until the log holds text
    int wait();                // until it ends by itself; its exit status
    int stop();                // SIGTERM, then wait
    std::string eeprom() const { return readfile(dump); }
};

#endif

// The host's end of the line, raw 8N1 at a rate.
struct hostline {
    int fd = -1;
    hostline(const std::string &path, long rate);
    ~hostline();
    void rate(long rate);
    size_t send(const std::string &b);   // the bytes sent within 5 s
    std::string recv(size_t n);          // up to n bytes, waiting at most 5 s
};

// Runs prog in dir with standard error on a terminal (a pseudo-terminal
// in raw mode, read here) and standard output on a pipe; err holds what
// the terminal showed.
runresult runpty(const std::string &dir, const std::string &prog,
                 const std::vector<std::string> &args, const std::vector<std::string> &env = {});

// An upload file as the compiler writes it, for the image bytes from
// address 16 up to the size of image; model names the display.
std::string eepfile(int model, const std::string &image);

#endif
