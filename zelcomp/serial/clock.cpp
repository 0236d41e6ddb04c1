// The hundredths clock and the wait built on it.
#include "seriowin.h"

#include <cstdint>
#include <poll.h>
#include <time.h>

// Milliseconds of a monotonic clock, wrapping like a 32-bit tick counter;
// only changes of the value are ever compared.
int clockhs(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint32_t ms = (uint32_t)ts.tv_sec * 1000u + (uint32_t)(ts.tv_nsec / 1000000);
    return (int)(ms / 10u);
}

// Sleeps a millisecond at a time rather than spinning: the count of
// clock changes, not the sleep, decides how long the wait is.
void wartehs(int n)
{
    int t = clockhs();
    for (; n >= 0; n--) {
        int jetzt;
        while ((jetzt = clockhs()) == t)
            poll(nullptr, 0, 1);
        t = jetzt;
    }
}
