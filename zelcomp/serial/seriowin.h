// The serial port and the hundredths clock. One port at a time.
#ifndef ZELCOMP_SERIOWIN_H
#define ZELCOMP_SERIOWIN_H

extern int _comtohs;

int clockhs(void);
void wartehs(int n);
int COMopen(int n, long baud);
void COMclose(void);
void COMbaudrate(long baud);
int COMread(int t);
int CTS(void);
int COMwrite(int c);
int COMwrblk(const unsigned char *p, int len);

#endif
