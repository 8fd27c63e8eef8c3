#pragma once
// The cuts and counts of the tag rules over Text that transfer/text_ops has
// no form of: a cut never lands inside a surrogate pair.
#include <cstdint>

#include "text/text.h"

// The first n units; one fewer when the last of them starts a surrogate pair.
Text FirstUnits(TextView s, std::size_t n);
// How often c occurs, and the position (from 1) of its nth occurrence or of
// its last one when there are fewer (Str_poc_vyskytu, Str_nth_position).
int CountOf(TextView text, char16_t c);
int NthPositionOf(TextView text, char16_t c, std::uint8_t n);
