#pragma once
// The rules that turn an audio file's path and the rows of mp3_tag.txt into
// tag values, and the report line.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "media/ID3v2.h"
#include "text/text.h"

// The runtime's path splitting: extension from the last dot of the name part
// (dot included), name part after the last '\' or ':', folder part up to it.
Text PathExtension(const Text& path);
Text PathName(const Text& path);
Text PathFolder(const Text& path);

// The text-to-integer conversion with its error ignored: leading blanks
// skipped, then the number up to the first character that does not belong
// to it ('$1F', '0x1F' read as hexadecimal); 0 when there is none.
std::int32_t ValIgnoringError(const Text& text);

// Title, track (only when the tag has none), album, artist and the fixed comment.
void FillTagFromPath(TID3v2& tag, const Text& namePath);
// Where mp3_tag.txt is looked for: own folder, parent, the folder above.
std::array<Text, 3> Mp3TagCandidates(const Text& namePath);
// Rows 1 to 4 (genre, artist, album, comment) of the bytes of mp3_tag.txt,
// each when not blank. The bytes are Windows-1250, or UTF-8 when they start
// with its byte-order mark.
void ApplyMp3TagRows(TID3v2& tag, const std::string& fileBytes);
std::vector<Text> SplitRows(const Text& text);  // CR LF, LF or CR
Text ReportLine(const Text& prefix, const TID3v2& tag);

extern const char* const kAutomaticComment;

