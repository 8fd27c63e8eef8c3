#pragma once
// The text operations of the tag fields and rules over Text, by the rules of
// transfer/text_ops: cuts and searches count UTF-16 units, which are the
// bytes of a Windows-1250 text, and a cut never lands inside a surrogate pair.
#include <cstdint>

#include "text/text.h"

// Leading and trailing characters of code 0 to 32 removed (Trim).
Text TrimText(TextView s);
// The first n units; one fewer when the last of them starts a surrogate pair.
Text FirstUnits(TextView s, std::size_t n);
// Field n (from 1) between separators; n = 0 makes 255 rounds (Str_field).
Text FieldOf(TextView text, TextView separator, std::uint8_t n);
// How often c occurs, and the position (from 1) of its nth occurrence or of
// its last one when there are fewer (Str_poc_vyskytu, Str_nth_position).
int CountOf(TextView text, char16_t c);
int NthPositionOf(TextView text, char16_t c, std::uint8_t n);
// The first '.' after the first character and the three characters after
// it removed, a surrogate pair whole (Str_drop_extension).
Text DropExtension(TextView text);
// TextToInt over Text: a number is ASCII, so any other letter ends it.
bool TextToIntOf(TextView text, bool whole, std::int32_t& value);
