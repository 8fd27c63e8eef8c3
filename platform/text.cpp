#include "platform/text.h"

#include <windows.h>

#include <array>
#include <vector>

#include "text/cp1250.h"

namespace {

// Both directions as tables made once from the program's one Windows-1250
// table (media/cp1250). WideCharToMultiByte with WC_NO_BEST_FIT_CHARS takes
// over 100 us a path under Wine, which a list of 100,000 rows cannot afford.
struct Tables {
    std::array<wchar_t, 256> toWide{};
    std::vector<unsigned char> toNarrow = std::vector<unsigned char>(65536, '?');
    Tables() {
        for (int b = 0; b < 256; ++b) toWide[b] = static_cast<wchar_t>(UnicodeOf1250(static_cast<unsigned char>(b)));
        // Only exact round trips: no best fit, so "ø" never becomes "o".
        for (int b = 255; b >= 0; --b) toNarrow[toWide[b]] = static_cast<unsigned char>(b);
    }
};

const Tables& T() {
    static const Tables tables;
    return tables;
}

}  // namespace

std::wstring Widen(const std::string& s) {
    const Tables& t = T();
    std::wstring w(s.size(), L'\0');
    for (std::size_t i = 0; i < s.size(); ++i) w[i] = t.toWide[static_cast<unsigned char>(s[i])];
    return w;
}

bool FitsCp1250(const std::wstring& w) {
    const Tables& t = T();
    for (wchar_t c : w)
        if (c != L'?' && t.toNarrow[static_cast<unsigned short>(c)] == '?') return false;
    return true;
}

std::string Narrow(const std::wstring& w) {
    const Tables& t = T();
    std::string s(w.size(), '?');
    for (std::size_t i = 0; i < w.size(); ++i) s[i] = static_cast<char>(t.toNarrow[static_cast<unsigned short>(w[i])]);
    return s;
}
