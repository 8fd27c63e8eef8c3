#pragma once
// The rules that turn an audio file's path and the rows of mp3_tag.txt into
// tag values, and the report line.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "media/ID3v2.h"

// The runtime's path splitting: extension from the last dot of the name part
// (dot included), name part after the last '\' or ':', folder part up to it.
std::string PathExtension(const std::string& path);
std::string PathName(const std::string& path);
std::string PathFolder(const std::string& path);

// The text-to-integer conversion with its error ignored: leading blanks
// skipped, then the number up to the first character that does not belong
// to it ('$1F', '0x1F' read as hexadecimal); 0 when there is none.
std::int32_t ValIgnoringError(const std::string& text);

// Title, track (only when the tag has none), album, artist and the fixed comment.
void FillTagFromPath(TID3v2& tag, const std::string& namePath);
// Where mp3_tag.txt is looked for: own folder, parent, the folder above.
std::array<std::string, 3> Mp3TagCandidates(const std::string& namePath);
// Rows 1 to 4 (genre, artist, album, comment), each when not blank.
void ApplyMp3TagRows(TID3v2& tag, const std::string& fileText);
std::vector<std::string> SplitRows(const std::string& text);  // CR LF, LF or CR
std::string ReportLine(const std::string& prefix, const TID3v2& tag);

extern const char* const kAutomaticComment;
