// Builds FNT font images byte by byte for the font tests.
#ifndef ZELCOMP_TESTS_FNTBAU_H
#define ZELCOMP_TESTS_FNTBAU_H

#include <map>
#include <string>
#include <vector>

// A complete FNT image of 256 glyphs of `stride` bytes each; glyphen gives
// the leading bytes of some glyphs as they stand in the file.
inline std::string fntdatei(int w, int h, int stride,
                            const std::map<int, std::vector<int>> &glyphen = {})
{
    std::string s(8 + 256 * stride, '\0');
    s[0] = '\xAA';
    s[1] = '\x55';
    s[2] = (char)w;
    s[4] = (char)h;
    s[6] = (char)stride;
    for (const auto &g : glyphen)
        for (size_t i = 0; i < g.second.size(); i++)
            s[8 + g.first * stride + i] = (char)g.second[i];
    return s;
}

#endif
