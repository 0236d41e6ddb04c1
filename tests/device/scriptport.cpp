// The scripted port: the platform port under the serial layer, over the
// module of scriptport.h. The layer's own clock loops, waits and
// time-outs run unchanged on it.
#include "scriptport.h"
#include "serial/seriowin.h"
#include "device/device.h"

#include <cstdio>

scriptmodul sm;

static std::string heard;
// wartehs(n) pauses for the clock at least once a tick with no port call
// in between: the pauses since the last port call, less one, are the n of
// a wait that has just ended.
static int stille;

void scriptreset()
{
    COMclose();
    sm = scriptmodul();
    modulstart(sm.m, 3);
    heard.clear();
    stille = 0;
    _comtohs = 50;
}

std::string sentbytes()
{
    std::string s;
    for (const gesendet &g : sm.sent)
        s.push_back((char)g.byte);
    return s;
}

std::string sentbytes(long rate)
{
    std::string s;
    for (const gesendet &g : sm.sent)
        if (g.rate == rate)
            s.push_back((char)g.byte);
    return s;
}

std::string heardbytes()
{
    return heard;
}

static void event(const char *fmt, long v)
{
    char buf[80];
    snprintf(buf, sizeof buf, fmt, v);
    sm.events.push_back(std::string(buf) + " after " + std::to_string(sm.sent.size()));
}

// The settings a test made go to the model before each byte, and what
// the byte changed comes back.
static void modul(int b)
{
    heard.push_back((char)b);
    for (int i = 0; i < 3; i++)
        sm.m.ident[i] = sm.ident[i];
    sm.m.eepsize = sm.eepsize;
    sm.m.wp = sm.writeprotected;
    sm.m.leseantworten = sm.readanswers;
    sm.m.baud = baudindex(sm.rate);
    long n = modulbyte(sm.m, b);
    for (long i = 0; i < n; i++)
        sm.replies.push_back(sm.m.antwort[i]);
    sm.readanswers = sm.m.leseantworten;
    if (zelbaud[sm.m.baud] != sm.rate) {
        sm.rate = zelbaud[sm.m.baud];
        event("module rate %ld", sm.rate);
    }
    auto it = sm.streamreply.find(sm.m.streampos);
    if (sm.m.streampos > 0 && it != sm.streamreply.end())
        sm.replies.push_back(it->second);
    for (const auto &c : sm.badcell)
        sm.m.eep[c.first] = (unsigned char)c.second;
    if (sm.m.fertig && sm.trailervt < 0)
        sm.trailervt = sm.vt;
}

static void portruf()
{
    if (stille > 0)
        event("wait %ld", stille - 1);
    stille = 0;
}

unsigned portms(void)
{
    return (unsigned)++sm.vt * 10u;
}

void portpause(portpausegrund g)
{
    if (g == PAUSE_ZEIT)
        stille++;
}

int portauf(int n, long baud)
{
    portruf();
    char buf[40];
    snprintf(buf, sizeof buf, "open COM%d %ld", n, baud);
    sm.events.push_back(buf);
    if (sm.openfails)
        return 0;
    sm.open = true;
    sm.hostrate = baud;
    return 1;
}

void portzu(int)
{
    portruf();
    sm.events.push_back("close");
    sm.open = false;
}

int portrate(long baud)
{
    portruf();
    sm.hostrate = baud;
    event("rate %ld", baud);
    return 1;
}

int portlesen(void)
{
    portruf();
    if (sm.latereply >= 0 && sm.trailervt >= 0 && sm.vt >= sm.trailervt + sm.lateafter) {
        sm.replies.push_back(sm.latereply);
        sm.latereply = -1;
    }
    if (sm.replies.empty())
        return -1;
    int b = sm.replies.front();
    sm.replies.pop_front();
    return b;
}

int porthalt(void)
{
    portruf();
    auto it = sm.ctshold.find((long)sm.sent.size());
    if (it == sm.ctshold.end())
        return 0;
    if (sm.holdat != sm.sent.size()) {
        sm.holdat = sm.sent.size();
        sm.holdend = sm.vt + it->second;
    }
    return sm.vt < sm.holdend;
}

int portblock(void)
{
    return sm.block;
}

// A block goes out up to the next byte that CTS holds, as the driver holds
// it there; the layer sees the hold before its next write.
int portschreiben(const unsigned char *p, int n)
{
    portruf();
    int i = 0;
    while (i < n && (i == 0 || !sm.ctshold.count((long)sm.sent.size()))) {
        sm.sent.push_back({p[i], sm.hostrate});
        if (sm.present && sm.hostrate == sm.rate)
            modul(p[i]);
        i++;
    }
    return i;
}

long portrest(void)
{
    portruf();
    if (sm.trailervt < 0 || sm.outq == 0)
        return 0;
    return sm.outqstuck ? sm.outq : sm.outq--;
}

const char *portgrund(void)
{
    return sm.opengrund.c_str();
}

void portnotaus(void)
{
    portzu(1);
}
