#pragma once
// The text operations on Windows-1250 bytes: each converts with From1250,
// calls the Text form and converts back with To1250.
#include <cstdint>
#include <string>

std::string UpperAscii(const std::string& s);
unsigned char Upper1250(unsigned char c);
std::string Upper1250(const std::string& s);
std::string Trim(const std::string& s);
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
bool TextToInt(const std::string& text, bool whole, std::int32_t& value);
