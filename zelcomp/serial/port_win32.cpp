// The platform port on the Win32 communications interface.
//
// Reads never wait (interval time-out MAXDWORD, no totals). Writes go in
// blocks: a write per byte costs more than the byte's wire time, and the
// driver's CTS flow control holds the bytes of a block back as the module
// asks. A write waits for CTS itself, its time-out the CTS time-out beyond
// the block's wire time; the layer still asks ClearCommError whether CTS
// holds the output before it writes. The millisecond clock is the
// multimedia timer.
#include "seriowin.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

HANDLE _comh;                   // the open port; null while none
DCB _dcb;                       // settings of the open port, re-applied on a rate change
COMMTIMEOUTS _cto;              // reads return at once; writes give up after the CTS time-out
static char _grund[MAX_PATH + 64]; // device and reason the last open failed; "" when none

unsigned portms(void)
{
    return timeGetTime();
}

// COMn is the device in ZEL_COMn when that is set, else \\.\COMn.
static int portname(int n, char *name, size_t size)
{
    char standard[32];
    snprintf(standard, sizeof standard, "\\\\.\\COM%d", n);
    return comgeraet(n, standard, name, size, _grund, sizeof _grund);
}

// Records why the device could not be opened, in the words a user knows.
static void grund(const char *name, DWORD fehler)
{
    char text[256] = "";
    if (fehler == ERROR_ACCESS_DENIED || fehler == ERROR_SHARING_VIOLATION)
        snprintf(text, sizeof text, "in use by another program");
    else if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             fehler, 0, text, sizeof text, nullptr))
        snprintf(text, sizeof text, "error %lu", (unsigned long)fehler);
    size_t n = strlen(text);
    while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == '.'))
        text[--n] = 0;
    snprintf(_grund, sizeof _grund, "%s: %s", name, text);
}

// 8N1, binary, output held by CTS, RTS as receive handshake, DTR off, DSR
// ignored, no XON/XOFF.
static void dcbfuellen(long baud)
{
    ZeroMemory(&_dcb, sizeof _dcb);
    _dcb.DCBlength = sizeof _dcb;
    BuildCommDCBA("96,n,8,1", &_dcb);
    _dcb.fBinary = TRUE;
    _dcb.fParity = FALSE;
    _dcb.fDsrSensitivity = FALSE;
    _dcb.fOutxDsrFlow = FALSE;
    _dcb.fDtrControl = DTR_CONTROL_DISABLE;
    _dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    _dcb.fOutxCtsFlow = TRUE;
    _dcb.fOutX = FALSE;
    _dcb.fInX = FALSE;
    _dcb.fNull = FALSE;
    _dcb.fAbortOnError = FALSE;
    _dcb.BaudRate = (DWORD)baud;
}

enum {
    SCHREIBBLOCK = 64,          // bytes one write carries: about 5 ms at 115200 bit/s
};

// A write of n bytes ends at the latest n wire times of a byte (10 bits,
// rounded up to whole milliseconds) and a tick more than the CTS time-out
// after it began.
static int einstellen(void)
{
    if (!SetCommState(_comh, &_dcb))
        return 0;
    _cto.ReadIntervalTimeout = MAXDWORD;
    _cto.ReadTotalTimeoutMultiplier = 0;
    _cto.ReadTotalTimeoutConstant = 0;
    _cto.WriteTotalTimeoutMultiplier = (10000 + _dcb.BaudRate - 1) / _dcb.BaudRate;
    _cto.WriteTotalTimeoutConstant = _comtohs >= 0 ? (DWORD)_comtohs * 10 + 10 : 0;
    return SetCommTimeouts(_comh, &_cto) != 0;
}

// Pauses of a millisecond need the finer timer while the port is open.
int portauf(int n, long baud)
{
    char name[MAX_PATH];
    _grund[0] = 0;
    if (!portname(n, name, sizeof name) || baudindex(baud) < 0)
        return 0;
    dcbfuellen(baud);
    // no sharing: the port is this process's alone while it is open
    HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        grund(name, GetLastError());
        return 0;
    }
    _comh = h;
    if (!einstellen()) {
        grund(name, GetLastError());
        CloseHandle(_comh);
        _comh = nullptr;
        return 0;
    }
    timeBeginPeriod(1);
    return 1;
}

void portzu(int verwerfen)
{
    if (!_comh)
        return;
    if (verwerfen)
        PurgeComm(_comh, PURGE_TXABORT | PURGE_TXCLEAR);
    CloseHandle(_comh);
    _comh = nullptr;
    timeEndPeriod(1);
}

const char *portgrund(void)
{
    return _grund;
}

// Runs in the console handler's thread while the program's own thread
// may still be in a port call; closing the handle ends that call.
void portnotaus(void)
{
    portzu(1);
}

int portrate(long baud)
{
    if (!_comh || baudindex(baud) < 0)
        return 0;
    _dcb.BaudRate = (DWORD)baud;
    return einstellen();
}

int portlesen(void)
{
    unsigned char b;
    DWORD n = 0;
    return ReadFile(_comh, &b, 1, &n, nullptr) && n == 1 ? b : -1;
}

int porthalt(void)
{
    DWORD fehler;
    COMSTAT st;
    if (!ClearCommError(_comh, &fehler, &st))
        return -1;
    return st.fCtsHold ? 1 : 0;
}

int portblock(void)
{
    return SCHREIBBLOCK;
}

// A write that ran into its time-out took what CTS let out, maybe nothing.
int portschreiben(const unsigned char *p, int n)
{
    DWORD da = 0;
    if (WriteFile(_comh, p, (DWORD)n, &da, nullptr) || da > 0)
        return (int)da;
    DWORD fehler = GetLastError();
    return fehler == ERROR_TIMEOUT || fehler == ERROR_SEM_TIMEOUT ? 0 : -1;
}

long portrest(void)
{
    DWORD fehler;
    COMSTAT st;
    return ClearCommError(_comh, &fehler, &st) ? (long)st.cbOutQue : 0;
}

void portpause(portpausegrund)
{
    Sleep(1);
}
