#pragma once
// The tag's parsers with Windows-1250 texts, for callers that still hold
// them: each converts, calls the Text form (media/ID3v2.h) and converts back.
#include <cstdint>
#include <string>

std::string FirstNonEmpty(const std::string& a, const std::string& b);
std::int32_t ParseTrack(const std::string& s);
std::string ParseYear(const std::string& year, const std::string& date);
std::string ParseGenre(const std::string& s);
// The text of a comment frame's, and the URL of a link frame's, 8-bit data:
// encoding byte, (language,) description, zero byte, text.
std::string ParseComment(const std::string& data);
std::string ParseLink(const std::string& data);
