#include "media/tag_text.h"

#include <algorithm>


Text FirstUnits(TextView s, std::size_t n) {
    if (n >= s.size()) return Text(s);
    if (n > 0 && IsHighSurrogate(s[n - 1]) && IsLowSurrogate(s[n])) --n;
    return Text(s.substr(0, n));
}

int CountOf(TextView text, char16_t c) { return static_cast<int>(std::count(text.begin(), text.end(), c)); }

int NthPositionOf(TextView text, char16_t c, std::uint8_t n) {
    int pos = 0;
    int left = n;
    for (std::size_t i = 0; i < text.size() && left > 0; ++i)
        if (text[i] == c) {
            pos = static_cast<int>(i) + 1;
            --left;
        }
    return pos;
}
