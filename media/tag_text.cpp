#include "media/tag_text.h"

#include <algorithm>

#include "transfer/text_ops.h"

Text TrimText(TextView s) {
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] <= 32) ++b;
    while (e > b && s[e - 1] <= 32) --e;
    return Text(s.substr(b, e - b));
}

Text FirstUnits(TextView s, std::size_t n) {
    if (n >= s.size()) return Text(s);
    if (n > 0 && IsHighSurrogate(s[n - 1]) && IsLowSurrogate(s[n])) --n;
    return Text(s.substr(0, n));
}

Text FieldOf(TextView text, TextView separator, std::uint8_t n) {
    TextView t = text;
    const std::uint8_t rounds = static_cast<std::uint8_t>(n - 1);
    for (int r = 0; r < rounds; ++r) {
        const std::size_t p = t.find(separator);
        if (p == TextView::npos) return Text();
        t = t.substr(p + separator.size());
    }
    return Text(t.substr(0, t.find(separator)));
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

Text DropExtension(TextView text) {
    const std::size_t i = text.size() > 1 ? text.find(u'.', 1) : TextView::npos;
    Text r(text);
    if (i == TextView::npos) return r;
    std::size_t end = std::min(i + 4, r.size());
    if (end < r.size() && IsHighSurrogate(r[end - 1]) && IsLowSurrogate(r[end])) ++end;
    r.erase(i, end - i);
    return r;
}

bool TextToIntOf(TextView text, bool whole, std::int32_t& value) { return TextToInt(To1250(text), whole, value); }
