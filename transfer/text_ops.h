#pragma once
// Text operations of the main unit. Every text holds Windows-1250 bytes;
// positions count from 1; an empty searched text never occurs.
#include <cstdint>
#include <functional>
#include <string>

// Upper case of a-z only (the substring masks of the file search).
std::string UpperAscii(const std::string& s);
// Upper case under the Windows-1250 letter pairs (a-z and the accented pairs).
unsigned char Upper1250(unsigned char c);
std::string Upper1250(const std::string& s);

// Leading and trailing characters of code 0 to 32 removed.
std::string Trim(const std::string& s);
// Position (from 1) of the first occurrence of what in s, 0 for none.
std::size_t Pos(const std::string& what, const std::string& s);
inline bool Occurs(const std::string& what, const std::string& s) { return Pos(what, s) != 0; }

std::string Str_cut_at_char(const std::string& text, char c, bool deleteIt);
std::string Str_field(const std::string& text, const std::string& separator, std::uint8_t n);
std::string Str_replace_all(const std::string& text, const std::string& searched,
                            const std::string& replacement, int limit);
int Str_poc_vyskytu(const std::string& text, const std::string& searched);
int Str_nth_position(const std::string& text, const std::string& searched, std::uint8_t n);
std::string Str_drop_extension(const std::string& text);
std::string ReplaceText(const std::string& text, const std::string& searched,
                        const std::string& replacement, bool ignoreCase);

// The runtime's conversion of text to a 32-bit integer: an optional sign,
// then decimal digits, or hexadecimal ones after '$', 'x', 'X' or "0x".
// whole: every character must belong to the number and a decimal one must
// fit 32 bits, else false. Otherwise the number ends at the first character
// that does not belong to it, or where it would overflow; false without digits.
bool TextToInt(const std::string& text, bool whole, std::int32_t& value);

// Where the counting operations show "Cannot use Str_poc_vyskytu procedure ...".
// The program routes it to a plain message box; unset, the text goes nowhere.
void SetTextOpsMessageSink(std::function<void(const std::string&)> sink);
