#pragma once
// The program's text: names, paths and typed text are UTF-16, as the W API
// speaks it, so a name Windows can hold is held whole. Every Windows-1250
// character is one UTF-16 unit, so positions and lengths in such a text are
// those of its Windows-1250 bytes. Windows-1250 bytes (std::string) are met
// only where bytes are read or written: list files, batches and their
// templates, mp3_tag.txt, ID3 encoding 0, and the program's own messages.
#include <string>
#include <string_view>

using Text = std::u16string;
using TextView = std::u16string_view;

// Windows-1250 bytes as text.
Text From1250(std::string_view bytes);
// Text as Windows-1250 bytes; '?' for a character the code page lacks.
std::string To1250(TextView text);
// Every character of text has a Windows-1250 form.
bool Fits1250(TextView text);
// UTF-8 bytes as text: a leading byte-order mark skipped, every byte of an
// invalid sequence as U+FFFD.
Text FromUtf8(std::string_view bytes);
// Text as UTF-8 (no byte-order mark); a lone surrogate as U+FFFD.
std::string ToUtf8(TextView text);

// A code point appended as one UTF-16 unit, or as a surrogate pair beyond U+FFFF.
void AppendCodePoint(Text& text, char32_t codePoint);

// A UTF-16 unit that starts or ends a surrogate pair.
inline bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Nothing but characters of code 0 to 32 (what trimming removes).
inline bool IsBlank(TextView text) {
    for (char16_t c : text)
        if (c > 32) return false;
    return true;
}
