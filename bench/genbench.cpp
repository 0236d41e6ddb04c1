// genbench: writes a macro source for a ZEL530-5 that fills the data area
// of the EEPROM image to its last byte, with every file it needs, into a
// directory, for timing the compiler:
//   genbench DIR        then: cd DIR && zelcomp bench.mac
//
// bench.mac includes inc1.inc, which includes inc2.inc and so on down to
// inc9.inc: ten files open at the deepest point, as many as the compiler
// takes. Read in order, they hold
//   inc9  993 constants, all the table has room for besides the predefined
//   inc8  2000 more definitions: expressions over the constants
//   inc7  16 fonts: the five internal ones and eleven FNT files
//   inc6  32 pictures: monochrome bitmaps and raw picture files
//   inc5 .. inc1  256 macros, every display command of the model in each
//         of its forms, with expressions for parameters
//   bench.mac  256 touch macros, then port macros that fill what is left.
// The generator counts every byte the compiler will store, so the image
// comes out at exactly 65536 bytes.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const long DATA = 61904;       // bytes of the data area

std::string dir;
long used = 0;                  // bytes of the data area used so far
long lines = 0;

struct datei {
    FILE *f;
    std::string name;
};

datei neu(const std::string &name)
{
    std::string pfad = dir + "/" + name;
    FILE *f = fopen(pfad.c_str(), "wb");
    if (!f) {
        perror(pfad.c_str());
        exit(1);
    }
    return {f, name};
}

void zu(datei &d)
{
    if (fclose(d.f) != 0) {
        perror(d.name.c_str());
        exit(1);
    }
}

void zeile(datei &d, const std::string &s)
{
    if (s.size() > 200) {
        fprintf(stderr, "genbench: line too long in %s: %s\n", d.name.c_str(), s.c_str());
        exit(1);
    }
    fprintf(d.f, "%s\n", s.c_str());
    lines++;
}

void binaer(const std::string &name, const std::string &bytes)
{
    datei d = neu(name);
    fwrite(bytes.data(), 1, bytes.size(), d.f);
    zu(d);
}

std::string n2s(long v)
{
    return std::to_string(v);
}

void le16(std::string &s, long v)
{
    s += (char)(v & 0xFF);
    s += (char)(v >> 8 & 0xFF);
}

void le32(std::string &s, long v)
{
    le16(s, v & 0xFFFF);
    le16(s, v >> 16 & 0xFFFF);
}

// ---- files -------------------------------------------------------------

// A monochrome bitmap of w x h dots: a frame, a diagonal and a circle.
std::string bmp(int w, int h)
{
    long stride = (w + 31) / 32 * 4, daten = stride * h, off = 14 + 40 + 8;
    std::string s = "BM";
    le32(s, off + daten);
    le32(s, 0);
    le32(s, off);
    le32(s, 40);
    le32(s, w);
    le32(s, h);
    le16(s, 1);
    le16(s, 1);
    le32(s, 0);
    le32(s, daten);
    le32(s, 2835);
    le32(s, 2835);
    le32(s, 2);
    le32(s, 0);
    le32(s, 0x000000);          // index 0 black: a 0 bit is a dark dot
    le32(s, 0xFFFFFF);
    std::string pix((size_t)daten, '\xFF');
    long r = (w < h ? w : h) / 2;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            long dx = 2 * x - w, dy = 2 * y - h;
            bool dunkel = x == 0 || y == 0 || x == w - 1 || y == h - 1 || x * h / w == y ||
                          std::labs(dx * dx + dy * dy - 4 * r * r) < 4 * r;
            if (dunkel)
                pix[(size_t)((h - 1 - y) * stride + x / 8)] &= (char)~(0x80 >> x % 8);
        }
    return s + pix;
}

long bmprecord(int w, int h)
{
    return (w + 7) / 8 * h + 2;
}

// A raw picture record for a horizontal display: width, height, rows.
std::string blh(int w, int h)
{
    std::string s;
    s += (char)w;
    s += (char)h;
    int bpr = (w + 7) / 8;
    for (int y = 0; y < h; y++)
        for (int b = 0; b < bpr; b++)
            s += (char)((y * 37 + b * 11) & 0xFF);
    return s;
}

// An FNT font of 256 glyphs of w x h dots: each glyph a box around its code.
std::string fnt(int w, int h, int stride)
{
    std::string s;
    s += '\xAA';
    s += '\x55';
    le16(s, w);
    le16(s, h);
    le16(s, stride);
    int bpr = w > 8 ? 2 : 1;
    for (int c = 0; c < 256; c++) {
        std::string g((size_t)stride, '\0');
        for (int y = 0; y < h; y++) {
            unsigned row = y == 0 || y == h - 1 ? 0xFFFFu : 0x8001u | (unsigned)c << (y % 8);
            row &= 0xFFFFu << (16 - w);     // column 0 in bit 15
            if (bpr == 2) {
                g[(size_t)(y * 2)] = (char)(row & 0xFF);
                g[(size_t)(y * 2 + 1)] = (char)(row >> 8);
            } else {
                g[(size_t)y] = (char)(row >> 8);
            }
        }
        s += g;
    }
    return s;
}

// ---- constants ---------------------------------------------------------

const char *const praefix[] = {"X", "Y", "WIDTH", "HEIGHT", "COL", "ROW", "PIC", "FNT", "BAR",
                               "TIME", "SPEED", "LEVEL", "ICON", "MENU", "ITEM", "PAGE",
                               "_TMP", "Offset", "limit", "Step"};
const int NPRAEFIX = sizeof praefix / sizeof praefix[0];
const int KONSTANTEN = 1024 - 31 - 2;   // and M_FIRST and T_FIRST

std::vector<std::string> namen;

std::string name(int i)
{
    return std::string(praefix[i % NPRAEFIX]) + "_" + n2s(i / NPRAEFIX);
}

// An expression over constants defined before; k varies its form.
std::string ausdruck(long k)
{
    const std::string &a = namen[(size_t)(k * 7 % namen.size())];
    const std::string &b = namen[(size_t)(k * 13 % namen.size())];
    switch (k % 8) {
    case 0: return a;
    case 1: return "(" + a + "+" + n2s(k % 50) + ")";
    case 2: return a + "*2/3";
    case 3: return "$" + std::string("1F");
    case 4: return "%1011";
    case 5: return "(" + a + "-" + b + ")/4";
    case 6: return n2s(k % 200);
    default: return "-" + b;
    }
}

void konstanten(datei &d)
{
    zeile(d, "; " + n2s(KONSTANTEN + 2) + " constants, all the table has room for");
    zeile(d, "M_FIRST = 0");
    zeile(d, "T_FIRST = 0");
    for (int i = 0; i < KONSTANTEN; i++) {
        std::string n = name(i);
        std::string wert = namen.empty() ? "1" : ausdruck(i) + " + " + n2s(i);
        zeile(d, n + " = " + wert);
        namen.push_back(n);
    }
}

void definitionen(datei &d)
{
    zeile(d, "; definitions over the constants, in every form of expression");
    for (int i = 0; i < 2000; i++)
        zeile(d, namen[(size_t)(i * 31 % namen.size())] + " = " + ausdruck(i) + " + " +
                     ausdruck(i + 3) + " * 3 - " + ausdruck(i + 5));
}

// ---- fonts and pictures ------------------------------------------------

void fonts(datei &d)
{
    struct { int w, h, stride; } fnts[] = {
        {5, 7, 7}, {6, 10, 10}, {7, 12, 12}, {8, 8, 8}, {8, 14, 14}, {9, 12, 24},
        {10, 16, 32}, {12, 12, 24}, {12, 16, 32}, {14, 16, 32}, {16, 16, 32},
    };
    struct { const char *name; int stride; } intern[] = {
        {"INTERN4x6", 6}, {"INTERN5x6", 6}, {"INTERN6x8", 8}, {"INTERN8x8", 8}, {"INTERN8x16", 16},
    };
    zeile(d, "; 16 fonts: the internal ones and FNT files");
    int nr = 1;
    for (auto &k : intern) {
        int erst = 32, letzt = nr == 1 ? 255 : 127;
        zeile(d, "FONT " + n2s(nr) + ", " + n2s(erst) + ", " + n2s(letzt) + ", " + k.name);
        used += (long)(letzt - erst + 1) * k.stride + 8;
        nr++;
    }
    for (auto &f : fnts) {
        std::string datei = "font" + n2s(nr) + ".fnt";
        binaer(datei, fnt(f.w, f.h, f.stride));
        int erst = nr % 2 ? '0' : ' ', letzt = nr % 2 ? 'Z' : '~';
        zeile(d, "FONT FNT_" + n2s(nr) + "*0+" + n2s(nr) + ", '" + (char)erst + "', '" +
                     (char)letzt + "' <" + datei + ">");
        used += (long)(letzt - erst + 1) * f.stride + 8;
        nr++;
    }
}

void bilder(datei &d)
{
    struct { int w, h; } bmps[] = {
        {240, 128}, {240, 64}, {128, 64}, {120, 32}, {64, 64}, {100, 50}, {33, 17}, {48, 48},
        {20, 10}, {17, 33}, {64, 8}, {31, 31}, {96, 96}, {8, 8}, {1, 1}, {239, 127},
    };
    struct { int w, h; } raws[] = {
        {240, 64}, {128, 64}, {64, 32}, {32, 32}, {16, 16}, {24, 10}, {80, 40}, {120, 30},
        {9, 9}, {200, 20}, {56, 56}, {40, 100}, {72, 24}, {12, 12}, {8, 1}, {100, 20},
    };
    zeile(d, "; 32 pictures: monochrome bitmaps and raw picture files");
    int nr = 0;
    // one picture file of w x h dots and its line; nummer is what stands behind PICTURE
    auto bild = [&](const char *endung, const std::string &daten, const std::string &nummer,
                    int w, int h) {
        std::string datei = "pic" + n2s(nr) + endung;
        binaer(datei, daten);
        zeile(d, "PICTURE " + nummer + " <" + datei + ">");
        used += bmprecord(w, h);
        nr++;
    };
    for (auto &b : bmps)
        bild(".bmp", bmp(b.w, b.h), n2s(nr), b.w, b.h);
    for (auto &r : raws)
        bild(".blh", blh(r.w, r.h), "PIC_0*0+" + n2s(nr) + ", 1, 2", r.w, r.h);
}

// ---- macros ------------------------------------------------------------

enum art { FEST, TEXT, DATEN, DATEI, IWORT, BILD, BILDDATEI, MODELL4 };

struct befehl {
    const char *name;
    int n;          // values; for TEXT the leading values before the text
    art a;
};

// Every command the ZEL530-5 knows, with the count its rule wants, and the
// two of the QO417 that no other model has.
const befehl befehle[] = {
    {"O", 2, FEST}, {"F", 3, FEST}, {"FT", 1, FEST}, {"L", 2, FEST}, {"E", 3, FEST},
    {"V", 1, FEST}, {"P", 2, FEST}, {"G", 4, FEST}, {"W", 2, FEST}, {"H", 4, FEST},
    {"X", 1, FEST}, {"J", 1, FEST}, {"B", 2, FEST}, {"BL", 8, FEST}, {"BO", 8, FEST},
    {"BR", 8, FEST}, {"BU", 8, FEST}, {"ZL", 2, TEXT}, {"ZM", 2, TEXT}, {"ZO", 2, TEXT},
    {"ZR", 2, TEXT}, {"ZU", 2, TEXT}, {"ZZ", 2, TEXT}, {"ZT", 5, FEST}, {"RI", 4, FEST},
    {"RL", 4, FEST}, {"RN", 4, FEST}, {"RR", 4, FEST}, {"RS", 4, FEST}, {"RJ", 5, FEST},
    {"RM", 5, FEST}, {"RO", 5, FEST}, {"UE", 3, FEST}, {"UL", 0, BILD}, {"UL", 2, BILDDATEI},
    {"DA", 0, FEST}, {"DE", 0, FEST}, {"DI", 0, FEST}, {"DL", 0, FEST}, {"DS", 0, FEST},
    {"DC", 0, FEST}, {"DN", 0, FEST}, {"DR", 0, FEST}, {"DK", 1, MODELL4}, {"MA", 3, FEST},
    {"MJ", 3, FEST}, {"MN", 1, FEST}, {"MP", 1, FEST}, {"MT", 1, FEST}, {"CB", 0, FEST},
    {"CR", 0, FEST}, {"CK", 2, FEST}, {"CS", 4, FEST}, {"TA", 1, FEST}, {"TI", 1, FEST},
    {"TM", 1, FEST}, {"TS", 1, FEST}, {"TP", 0, FEST}, {"TR", 0, FEST}, {"TW", 0, FEST},
    {"TH", 4, TEXT}, {"TV", 4, TEXT}, {"NA", 0, FEST}, {"NI", 0, FEST}, {"NN", 0, FEST},
    {"NP", 0, FEST}, {"NS", 0, FEST}, {"NM", 1, FEST}, {"NH", 3, TEXT}, {"NV", 3, TEXT},
    {"YA", 1, FEST}, {"YI", 1, FEST}, {"YR", 1, FEST}, {"YW", 2, FEST}, {"YL", 1, FEST},
    {"QC", 1, FEST}, {"QZ", 1, FEST}, {"QD", 4, FEST}, {"QM", 1, FEST}, {"KA", 1, FEST},
    {"KD", 1, FEST}, {"KS", 1, FEST}, {"IR", 2, FEST}, {"IW", 6, IWORT}, {"S", 5, DATEN},
    {"S", 0, DATEI}, {"?", 0, FEST}, {"!", 1, FEST}, {"+", 1, FEST}, {"&E", 5, FEST},
};
const int NBEFEHLE = sizeof befehle / sizeof befehle[0];

// Values for a command: the first a number or in parentheses, so that it
// cannot run on into the command's letters.
std::string werte(int n, long k)
{
    std::string s;
    for (int i = 0; i < n; i++) {
        if (i)
            s += ",";
        s += i ? ausdruck(k + i) : "(" + ausdruck(k) + ")";
    }
    return s;
}

const char *const texte[] = {"Hello", "zelcomp benchmark", "12:00 o clock", "MENU 1", "",
                             "Temperature", "x", "Page 3 of 9"};

// Writes command b and counts its bytes; k varies the values.
void befehlszeile(datei &d, const befehl &b, long k)
{
    std::string z = "#" + std::string(b.name);
    long bytes = 1 + (long)std::string(b.name).size();
    switch (b.a) {
    case FEST:
        if (b.n)
            z += " " + werte(b.n, k);
        bytes += b.n;
        break;
    case TEXT: {
        const char *t = texte[k % 8];
        z += " " + werte(b.n, k) + ",'" + t + "'";
        bytes += b.n + (long)std::string(t).size() + 1;
        break;
    }
    case DATEN:
    case IWORT:                // a count byte in front of the values
        z += " " + werte(b.n, k);
        bytes += 1 + b.n;
        break;
    case DATEI: {
        long n = 20 + k % 300;     // one or two chunks
        z += " <data" + n2s(n) + ".bin>";
        bytes = 0;
        for (long rest = n; rest > 0; rest -= 256)
            bytes += 3 + (rest < 256 ? rest : 256);
        break;
    }
    case BILD: {
        int w = 8 + (int)(k % 20), h = 1 + (int)(k % 5), n = (w + 7) / 8 * h;
        z += " (" + n2s(k % 100) + ")," + n2s(k % 50) + "," + n2s(w) + "," + n2s(h);
        for (int i = 0; i < n; i++)
            z += "," + n2s((k + i * 29) & 0xFF);
        bytes += 4 + n;
        break;
    }
    case BILDDATEI: {
        int p = 32 + (int)(k % 8);
        z += " " + werte(2, k) + " <icon" + n2s(p) + ".blh>";
        bytes += 2 + bmprecord(p % 8 + 8, p % 5 + 4);
        break;
    }
    case MODELL4:
        zeile(d, "QO417-2R8");
        zeile(d, "#DK " + werte(1, k));
        zeile(d, "#DX " + werte(1, k + 1));
        zeile(d, "ZEL530-5");
        used += 8;
        return;
    }
    zeile(d, z);
    used += bytes;
}

void makros(std::vector<datei> &dateien)
{
    const int PRO = 6;      // commands per macro
    for (int m = 0; m < 256; m++) {
        datei &d = dateien[(size_t)(m * (int)dateien.size() / 256)];
        zeile(d, m % 2 ? "MAKRO " + n2s(m) : "MAKRO M_FIRST+" + n2s(m));
        for (int j = 0; j < PRO; j++)
            befehlszeile(d, befehle[(m * PRO + j) % NBEFEHLE], m * PRO + j);
    }
}

void touchmakros(datei &d)
{
    zeile(d, "; 256 touch macros");
    for (int m = 0; m < 256; m++) {
        zeile(d, "TOUCHMAKRO T_FIRST+" + n2s(m));
        befehlszeile(d, befehle[(m * 5 + 1) % NBEFEHLE], m);
        befehlszeile(d, {"ZL", 2, TEXT}, m);
    }
}

// Port macros of data commands take what is left, to the last byte.
void rest(datei &d)
{
    zeile(d, "; port macros that fill the data area to its last byte");
    long bleibt = DATA - used;
    if (bleibt < 0 || bleibt == 1) {
        fprintf(stderr, "genbench: %ld bytes left, no command fits\n", bleibt);
        exit(1);
    }
    int nr = 0;
    while (bleibt > 0) {
        zeile(d, "PORTMAKRO " + n2s(nr++));
        // A file of up to 4096 bytes in chunks of 256, then small commands.
        long datei = 0;
        while (datei < 4096 && bleibt - (datei + 256 + 3) >= 4) {
            datei += 256;
            bleibt -= 259;
        }
        if (datei) {
            std::string name = "fill" + n2s(nr) + ".bin";
            std::string s((size_t)datei, '\0');
            for (size_t i = 0; i < s.size(); i++)
                s[i] = (char)(i * 7 + nr);
            binaer(name, s);
            zeile(d, "#S <" + name + ">");
            used += datei + datei / 256 * 3;
        }
        // #S with 1 to 60 values is 4 to 63 bytes; #? is 2, #DL 3.
        while (bleibt >= 4 && datei < 4096) {
            long n = bleibt - 3 > 60 ? 60 : bleibt - 3;
            if (bleibt - (n + 3) == 1)
                n--;
            std::string z = "#S 1";
            for (long i = 1; i < n; i++)
                z += "," + n2s(i * 7 % 100);
            zeile(d, z);
            used += n + 3;
            bleibt -= n + 3;
        }
        if (datei >= 4096)
            continue;
        if (bleibt == 3) {
            zeile(d, "#DL");
            used += 3;
            bleibt = 0;
        } else if (bleibt == 2) {
            zeile(d, "#?");
            used += 2;
            bleibt = 0;
        }
    }
}

// The small files that commands in macros name.
void kleinedateien()
{
    for (long n = 20; n < 320; n++) {
        std::string s((size_t)n, '\0');
        for (long i = 0; i < n; i++)
            s[(size_t)i] = (char)(i * 13 + n);
        binaer("data" + n2s(n) + ".bin", s);
    }
    for (int p = 32; p < 40; p++)
        binaer("icon" + n2s(p) + ".blh", blh(p % 8 + 8, p % 5 + 4));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: genbench DIR\n");
        return 2;
    }
    dir = argv[1];
    kleinedateien();

    std::vector<datei> inc;
    for (int i = 1; i <= 9; i++)
        inc.push_back(neu("inc" + n2s(i) + ".inc"));
    datei haupt = neu("bench.mac");
    zeile(haupt, "; generated by genbench: fills the data area of a ZEL530-5 to its last byte");
    zeile(haupt, "ZEL530-5");
    zeile(haupt, "INCLUDE <inc1.inc>");
    for (int i = 0; i < 9; i++) {
        zeile(inc[(size_t)i], "; level " + n2s(i + 1) + " of the include nesting");
        if (i < 8)
            zeile(inc[(size_t)i], "INCLUDE <inc" + n2s(i + 2) + ".inc>");
    }
    konstanten(inc[8]);
    definitionen(inc[7]);
    fonts(inc[6]);
    bilder(inc[5]);
    std::vector<datei> makrodateien(inc.rbegin() + 4, inc.rend());   // inc5 .. inc1
    makros(makrodateien);
    touchmakros(haupt);
    rest(haupt);
    for (datei &d : inc)
        zu(d);
    zu(haupt);
    printf("%ld lines, %ld bytes of data\n", lines, used);
    return used == DATA ? 0 : 1;
}
