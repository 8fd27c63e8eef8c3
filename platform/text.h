#pragma once
// The boundary between the program's text and the W API. On Windows wchar_t
// is a UTF-16 unit, so Text crosses as it is.
#include <string>

#include "text/text.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the W API takes UTF-16 units");

inline const wchar_t* W(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline Text FromW(const wchar_t* w) { return Text(reinterpret_cast<const char16_t*>(w)); }
inline Text FromW(const wchar_t* w, std::size_t n) { return Text(reinterpret_cast<const char16_t*>(w), n); }
inline Text FromW(const std::wstring& w) { return FromW(w.data(), w.size()); }
inline std::wstring ToW(const Text& text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

// Windows-1250 text for the W API and back: the program's own captions, hints and dates.
inline std::wstring Widen(const std::string& s) { return ToW(From1250(s)); }
inline std::string Narrow(const std::wstring& w) { return To1250(FromW(w)); }

// The upper case Windows gives one UTF-16 unit, as the file system compares
// names; a unit of a surrogate pair stays as it is.
char16_t SystemUpperCase(char16_t c);
