// The hundredths clock and the wait built on it.
#include "seriowin.h"

// Only changes of the value are ever compared, so the wrap of the
// millisecond clock does no harm.
int clockhs(void)
{
    return (int)(portms() / 10u);
}

// The count of clock changes, not the pauses, decides how long this is.
// Each tick costs at least one pause, so a port can see the wait.
void wartehs(int n)
{
    int t = clockhs();
    for (; n >= 0; n--) {
        int jetzt;
        do
            portpause(PAUSE_ZEIT);
        while ((jetzt = clockhs()) == t);
        t = jetzt;
    }
}
