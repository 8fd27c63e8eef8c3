#include "platform/text.h"

#include <windows.h>

char16_t SystemUpperCase(char16_t c) {
    if (IsHighSurrogate(c) || IsLowSurrogate(c)) return c;
    wchar_t w = static_cast<wchar_t>(c);
    CharUpperBuffW(&w, 1);
    return static_cast<char16_t>(w);
}
