#include "platform/text.h"

#include <windows.h>

std::wstring Widen(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(1250, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(1250, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string Narrow(const std::wstring& w) {
    if (w.empty()) return {};
    // No best fit: a character without a Windows-1250 form becomes '?', so a
    // name such as "ø" is never taken for "o".
    int n = WideCharToMultiByte(1250, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()),
                                nullptr, 0, "?", nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(1250, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), s.data(),
                        n, "?", nullptr);
    return s;
}
