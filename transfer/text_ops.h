#pragma once
// Text operations of the main unit. Positions count from 1; an empty
// searched text never occurs. A search never finds a place that starts or
// ends between the two halves of a surrogate pair, so no cut, replacement or
// position splits one.
#include <cstdint>
#include <functional>
#include <string>

#include "text/text.h"

// Upper case of a-z only (the substring masks of the file search).
Text UpperAscii(const Text& s);
// Upper case under the Windows-1250 letter pairs (a-z and the accented
// pairs); every other character keeps its case.
char16_t Upper1250(char16_t c);
Text Upper1250(const Text& s);

// Leading and trailing characters of code 0 to 32 removed.
Text Trim(const Text& s);
// Position (from 1) of the first occurrence of what in s, 0 for none.
std::size_t Pos(const Text& what, const Text& s);
inline bool Occurs(const Text& what, const Text& s) { return Pos(what, s) != 0; }

Text Str_cut_at_char(const Text& text, char16_t c, bool deleteIt);
Text Str_field(const Text& text, const Text& separator, std::uint8_t n);
Text Str_replace_all(const Text& text, const Text& searched, const Text& replacement, int limit);
int Str_poc_vyskytu(const Text& text, const Text& searched);
int Str_nth_position(const Text& text, const Text& searched, std::uint8_t n);
Text Str_drop_extension(const Text& text);
Text ReplaceText(const Text& text, const Text& searched, const Text& replacement, bool ignoreCase);

// The runtime's conversion of text to a 32-bit integer: an optional sign,
// then decimal digits, or hexadecimal ones after '$', 'x', 'X' or "0x".
// whole: every character must belong to the number and a decimal one must
// fit 32 bits, else false. Otherwise the number ends at the first character
// that does not belong to it, or where it would overflow; false without digits.
bool TextToInt(const Text& text, bool whole, std::int32_t& value);

// Where the counting operations show "Cannot use Str_poc_vyskytu procedure ...".
// The program routes it to a plain message box; unset, the text goes nowhere.
void SetTextOpsMessageSink(std::function<void(const std::string&)> sink);

