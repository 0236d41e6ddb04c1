// Builds monochrome bitmap files byte by byte for the picture tests.
#ifndef ZELCOMP_TESTS_BMPBAU_H
#define ZELCOMP_TESTS_BMPBAU_H

#include <cstdint>
#include <string>
#include <vector>

inline void setlw(std::string &s, size_t off, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        s[off + i] = (char)(v >> 8 * i);
}

inline void setiw(std::string &s, size_t off, unsigned v)
{
    s[off] = (char)v;
    s[off + 1] = (char)(v >> 8);
}

// A 1-bit bitmap of w x h pixels. zeilen lists the rows from the top, one
// character per pixel, '1' for colour index 1 (missing rows and pixels are
// 0). kopf is the length of the information header; the two palette
// entries follow it, then the rows bottom-up, each padded to 32 bits.
inline std::string bmpdatei(int w, int h, const std::vector<std::string> &zeilen,
                            uint32_t pal0 = 0, int kopf = 40, uint32_t pal1 = 0xFFFFFF)
{
    size_t stride = (w + 31) / 32 * 4;
    size_t daten = 14 + kopf + 8;
    std::string s(daten + stride * h, '\0');
    s[0] = 'B';
    s[1] = 'M';
    setlw(s, 2, (uint32_t)s.size());
    setlw(s, 10, (uint32_t)daten);
    setlw(s, 14, kopf);
    setlw(s, 18, w);
    setlw(s, 22, h);
    setiw(s, 26, 1);
    setiw(s, 28, 1);
    setlw(s, 34, (uint32_t)(stride * h));
    setlw(s, 14 + kopf, pal0);
    setlw(s, 18 + kopf, pal1);
    for (int y = 0; y < h && y < (int)zeilen.size(); y++) {
        size_t zeile = daten + stride * (h - 1 - y);
        for (int x = 0; x < w && x < (int)zeilen[y].size(); x++)
            if (zeilen[y][x] == '1')
                s[zeile + x / 8] |= (char)(0x80 >> x % 8);
    }
    return s;
}

// The bitmap bmpdatei built, with its rows stored top row first and a
// negative height.
inline std::string vonoben(const std::string &bmp, int w, int h)
{
    size_t stride = (w + 31) / 32 * 4, daten = bmp.size() - stride * h;
    std::string s = bmp;
    for (int y = 0; y < h; y++)
        s.replace(daten + stride * y, stride, bmp, daten + stride * (h - 1 - y), stride);
    setlw(s, 22, (uint32_t)-h);
    return s;
}

// An OS/2 bitmap of w x h pixels: the 12-byte core header with 16-bit
// fields, 3-byte palette entries, then the rows as bmpdatei has them.
inline std::string os2datei(int w, int h, const std::vector<std::string> &zeilen,
                            uint32_t pal0 = 0, int bits = 1)
{
    std::string win = bmpdatei(w, h, zeilen, pal0);
    std::string s = win.substr(0, 26) + std::string(6, '\0') + win.substr(62);
    setlw(s, 2, (uint32_t)s.size());
    setlw(s, 10, 32);
    setlw(s, 14, 12);
    setiw(s, 18, w);
    setiw(s, 20, h);
    setiw(s, 22, 1);
    setiw(s, 24, bits);
    for (int i = 0; i < 3; i++) {
        s[26 + i] = (char)(pal0 >> 8 * i);
        s[29 + i] = (char)0xFF;
    }
    return s;
}

#endif
