#pragma once
// The texts of ID3 frames in their four encodings. Pure functions over
// bytes: nothing is read past the bytes given.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "text/text.h"

// The texts of one frame of a slot, whatever its encoding: a text frame has
// only text; a comment (COMM, COM) a language, a description and its text;
// a link (WXXX, WXX) a description and its URL in text.
struct FrameText {
    std::string language;  // three ISO-8859-1 bytes, as they stand in the frame
    Text description;
    Text text;
    bool operator==(const FrameText&) const = default;
};

// The texts of one frame whose first got bytes of data (the encoding byte
// first) stand in a zero-filled buffer of bufferSize bytes.
// Encoding 0 (8-bit text, read as Windows-1250) and unknown encodings: the
// whole buffer as it stands, the encoding byte and the zeros after the data
// included; a comment's language is the three bytes after the encoding byte,
// and its description (and a link's) runs to the first zero byte; without
// one, all of it is the text. Encodings 1 (UTF-16 with a byte-order mark),
// 2 (UTF-16 big-endian) and 3 (UTF-8): decoded whole (byte-order marks
// skipped; U+FFFD for a broken sequence or a lone surrogate; a character
// that the end of the bytes cuts off left out); a description ends at the
// encoding's terminator, and a link's URL is ISO-8859-1 in every encoding.
FrameText DecodeFrameData(const std::string& identifier, const char* buffer, std::size_t got,
                          std::size_t bufferSize);

// The length of the string at p before its terminator (one zero byte, or two
// at an even offset in UTF-16), and the terminator's length (0: none).
std::size_t TerminatedLength(const std::uint8_t* p, std::size_t n, bool wide, std::size_t& terminator);

// The data of a version 3 frame: when every text is plain ASCII, encoding 0
// and the texts' bytes; otherwise encoding 1, each text with the byte-order
// mark FF FE in UTF-16 little-endian, a description with its two-byte
// terminator, a link's URL in ISO-8859-1 ('?' beyond U+00FF). A comment's
// language is three bytes.
std::vector<std::uint8_t> EncodeFrameData(const std::string& identifier, const FrameText& frame);
