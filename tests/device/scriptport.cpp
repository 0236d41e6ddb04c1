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

// Total length of the command in cmd, 0 while that is not known yet.
static size_t befehlslaenge(const std::vector<unsigned char> &b)
{
    if (b.size() < 2)
        return 0;
    switch (b[1]) {
    case '?': return 2;
    case '+': return 3;
    case 'X': return 3;
    case 'Q': return 4;
    case 'O': return 4;
    case 'R': return 8;
    case 'B': return b.size() < 3 ? 0 : b[2] == 'R' ? 11 : 4;
    case '&': return b.size() < 8 ? 0 : b[7] == 'W' ? 8 + (b[5] | b[6] << 8) : 8;
    default: return 2;
    }
}

static void eepzugriff(const std::vector<unsigned char> &b)
{
    long adr = b[3] | b[4] << 8;
    long len = b[5] | b[6] << 8;
    for (long i = 0; i < len; i++) {
        long a = adr + i;
        if (b[7] == 'R' && a < sm.eepsize && sm.readanswers != 0) {
            if (sm.readanswers > 0)
                sm.readanswers--;
            sm.replies.push_back(sm.eeprom[a]);
        }
        if (b[7] == 'W' && a < sm.eepsize && !sm.writeprotected)
            sm.eeprom[a] = sm.badcell.count(a) ? sm.badcell[a] : b[8 + i];
    }
}

static void ausfuehren(const std::vector<unsigned char> &b)
{
    if (b[1] == '?')
        for (int v : sm.ident)
            if (v >= 0)
                sm.replies.push_back(v);
    if (b[1] == '+' && b[2] < ZELBAUDS) {
        sm.rate = zelbaud[b[2]];
        event("module rate %ld", sm.rate);
    }
    if (b[1] == '&' && b[2] == 'E')
        eepzugriff(b);
    if (b[1] == '&' && b[2] == 'E' && b[7] == 'J')
        sm.trailervt = sm.vt;
}

static void modul(int b)
{
    heard.push_back((char)b);
    if (sm.streampos < 0 && sm.cmd.empty() && b == 0x0C)
        sm.streampos = 0;
    if (sm.streampos >= 0) {
        sm.streampos++;
        auto it = sm.streamreply.find(sm.streampos);
        if (it != sm.streamreply.end())
            sm.replies.push_back(it->second);
    }
    if (sm.cmd.empty() && b != 0x1B)
        return;                     // text for the display
    sm.cmd.push_back((unsigned char)b);
    size_t n = befehlslaenge(sm.cmd);
    if (n && sm.cmd.size() >= n) {
        ausfuehren(sm.cmd);
        sm.cmd.clear();
    }
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

int portschreiben(int c)
{
    portruf();
    sm.sent.push_back({c, sm.hostrate});
    if (sm.present && sm.hostrate == sm.rate)
        modul(c);
    return 1;
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
