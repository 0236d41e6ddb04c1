// The diagnostic sink: a caller (an editor, a language server) collects
// every diagnostic with its file, line, column, kind and text instead of
// the printed form; the console and the error count stay as they are.
#include "testutil.h"
#include "driver/driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct gesammelt {
    std::string datei, art, text, quelltext;
    int zeile, spalte;
    bool operator==(const gesammelt &o) const
    {
        return datei == o.datei && art == o.art && text == o.text && quelltext == o.quelltext &&
               zeile == o.zeile && spalte == o.spalte;
    }
};

static std::ostream &operator<<(std::ostream &os, const gesammelt &g)
{
    return os << g.datei << ":" << g.zeile << ":" << g.spalte << ": " << g.art << ": " << g.text << " | "
              << g.quelltext;
}

static void sammeln(void *ziel, const zeldiag &d)
{
    auto *v = static_cast<std::vector<gesammelt> *>(ziel);
    v->push_back({d.datei ? d.datei : "", d.art, d.text, d.quelltext ? d.quelltext : "", d.zeile, d.spalte});
}

// Compiles the file a.mac in d line by line, as a run does.
static void uebersetzen(testctx &t, const tempdir &d)
{
    chdirguard g(d.path);
    ASSERT_TRUE(openfile(t.c(), "a.mac"));
    while (t->filenr >= 0)
        if (readzeile(t.c()))
            dispatch(t.c());
        else
            closeaktfile(t.c());
}

TEST(Senke, CollectsEveryDiagnosticInsteadOfPrinting)
{
    tempdir d;
    writefile(d / "a.mac", "MAKRO 1\n#RR 1,2,3\nX = 1 2\n  PIC 1\n");
    testctx t;
    std::vector<gesammelt> v;
    t->senke = sammeln;
    t->senkeziel = &v;
    t->batch = 1;
    FILE *diag = tmpfile();
    t->diag = diag;
    uebersetzen(t, d);
    std::vector<gesammelt> soll = {
        {"a.mac", "error", "wrong number of parameters (RR takes 4, got 3)", "#RR 1,2,3", 2, 5},
        {"a.mac", "warning", "blank inside a number: \"1 2\" read as 12", "X = 1 2", 3, 5},
        {"a.mac", "error", "Unknown Command !", "  PIC 1", 4, 3},
    };
    EXPECT_EQ(v, soll);
    EXPECT_EQ(t->errors, 2);
    EXPECT_EQ(ftell(diag), 0L);   // nothing printed
    fclose(diag);
    EXPECT_NE(t.out().find("\n--> #RR 1,2,3wrong number of parameters\n"), std::string::npos) << t.out();
}

// The printed form of one diagnostic.
TEST(Senke, PrintedForm)
{
    struct {
        zeldiag d;
        const char *soll;
    } cases[] = {
        {{"a.mac", 3, 5, "error", "text", "X = NIX"}, "a.mac:3:5: error: text\nX = NIX\n    ^\n"},
        {{"a.mac", 3, 3, "warning", "text", "\t\tX"}, "a.mac:3:3: warning: text\n\t\tX\n\t\t^\n"},
        {{"a\nb", 1, 1, "error", "text", ""}, "a b:1:1: error: text\n"},
        {{nullptr, 0, 0, "error", "Cannot write file a.EEP !", nullptr}, "zelcomp: error: Cannot write file a.EEP !\n"},
    };
    for (auto &k : cases) {
        FILE *f = tmpfile();
        diagdrucken(f, k.d);
        long n = ftell(f);
        rewind(f);
        std::string s(n, 0);
        ASSERT_EQ(fread(&s[0], 1, n, f), (size_t)n);
        fclose(f);
        EXPECT_EQ(s, k.soll);
    }
}
