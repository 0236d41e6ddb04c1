// The module model that zelsim, the scripted port and the fuzz port share:
// what it answers to a stream of bytes.
#include "testutil.h"
#include "zelsim.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct modul_case {
    const char *name;
    std::string in;                 // bytes the module hears
    std::string reply;              // what it answers to all of them
    long eepsize;
    long erradr;
};

static void PrintTo(const modul_case &k, std::ostream *os) { *os << k.name; }

static std::string lesen(int adr, int n)
{
    return bytes({27, '&', 'E', adr & 255, adr >> 8, n, 0, 'R'});
}

static std::string schreiben(int adr, const std::string &d)
{
    return bytes({27, '&', 'E', adr & 255, adr >> 8, (int)d.size(), 0, 'W'}) + d;
}

static const std::string IDENT = bytes({27, '?'});
static const std::string KENNUNG = bytes({240, 128, 'H'});

class Modul : public ::testing::TestWithParam<modul_case> {};

TEST_P(Modul, Answers)
{
    const modul_case &k = GetParam();
    std::unique_ptr<zelmodul> m(new zelmodul);
    modulstart(*m, 3);
    m->eepsize = k.eepsize;
    m->erradr = k.erradr;
    std::string reply;
    for (char ch : k.in) {
        long n = modulbyte(*m, (unsigned char)ch);
        reply.append((const char *)m->antwort, n);
    }
    EXPECT_EQ(reply, k.reply);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, Modul,
    ::testing::Values(
        modul_case{"identify", IDENT, KENNUNG, 65536, -1},
        // a command it does not know is dropped, and the byte after it is text
        modul_case{"unknown_dropped", bytes({27, 'Z', '?'}) + IDENT, KENNUNG, 65536, -1},
        // an ESC inside an unknown command starts the next one
        modul_case{"esc_restarts", bytes({27, '&', 'X'}) + bytes({27, '?'}), KENNUNG, 65536, -1},
        modul_case{"unknown_two_letters", bytes({27, 'Q', 'Z'}) + IDENT, KENNUNG, 65536, -1},
        modul_case{"write_then_read", schreiben(100, "ab") + lesen(100, 3), "ab\xFF", 65536, -1},
        // data bytes of a write are never commands
        modul_case{"data_not_command", schreiben(5, IDENT) + lesen(5, 2), IDENT, 65536, -1},
        modul_case{"read_past_end", lesen(16383, 2) + lesen(16384, 1), "\xFF", 16384, -1},
        modul_case{"error_reply", schreiben(40, "xyz"), "E", 65536, 41},
        modul_case{"display_commands", bytes({27, 'Q', 'C', '0', 27, 'O', 1, 2, 27, 'B', 'R', 1, 2, 3,
                                              4, 5, 6, 7, 8}) + IDENT,
                   KENNUNG, 65536, -1}),
    [](const ::testing::TestParamInfo<modul_case> &i) { return std::string(i.param.name); });

TEST(Modul, BaudCommandAndUploadPosition)
{
    std::unique_ptr<zelmodul> m(new zelmodul);
    modulstart(*m, 0);
    EXPECT_EQ(m->baud, 3);
    for (char ch : bytes({27, '+', 7, 27, '+', 8}))
        modulbyte(*m, (unsigned char)ch);
    EXPECT_EQ(m->baud, 7);          // index 8 is no rate and changes nothing
    EXPECT_EQ(m->streampos, -1);
    for (char ch : std::string("\x0cprogram"))
        modulbyte(*m, (unsigned char)ch);
    EXPECT_EQ(m->streampos, 8);
}

} // namespace
