// The serial port and the hundredths clock. One port at a time.
//
// Port n is the device named in the environment variable ZEL_COMn when
// that is set, else /dev/ttyS<n-1>. Every time-out counts changes of
// clockhs, whatever the port does meanwhile.
#ifndef ZELCOMP_SERIOWIN_H
#define ZELCOMP_SERIOWIN_H

extern int _comtohs;                // ticks COMwrite waits for the line at most

int clockhs(void);
void wartehs(int n);
int COMopen(int n, long baud);
void COMclose(void);
void COMbaudrate(long baud);
int COMread(int t);
int CTS(void);
int COMwrite(int c);
int COMwrblk(const unsigned char *p, int len);
int COMoutq(void);                  // bytes written but not yet on the wire; 0 when unknown

#endif
