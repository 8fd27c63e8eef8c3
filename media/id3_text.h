#pragma once
// The texts of ID3 frames in their four encodings, and the program's own
// Windows-1250 text. Pure functions over bytes: nothing is read past the
// bytes given.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The slot text of one frame whose first got bytes of data (the encoding
// byte first) stand in a zero-filled buffer of bufferSize bytes.
// Encoding 0 (8-bit text) and unknown encodings: the whole buffer as it
// stands. Encodings 1 (UTF-16 with a byte-order mark), 2 (UTF-16 big-endian)
// and 3 (UTF-8): the text decoded into Windows-1250 ('?' for a character it
// lacks; byte-order marks skipped; a character that the end of the bytes
// cuts off left out) in the layout of an encoding 0 frame, so the slot parsers read both
// alike: "\0" + text; a comment "\0" + language + description + "\0" + text;
// a link "\0" + description + "\0" + URL (always ISO-8859-1).
std::string DecodeFrameData(const std::string& identifier, const char* buffer, std::size_t got,
                            std::size_t bufferSize);

// The length of the string at p before its terminator (one zero byte, or two
// at an even offset in UTF-16), and the terminator's length (0: none).
std::size_t TerminatedLength(const std::uint8_t* p, std::size_t n, bool wide, std::size_t& terminator);

// UTF-8 bytes as Windows-1250 text, read as a UTF-8 frame is: the
// byte-order mark skipped, '?' for a character the code page lacks.
std::string Utf8As1250(const std::string& bytes);

// The data of a version 3 frame for a slot text in that layout: plain ASCII
// as encoding 0 and the text's bytes; any other text as encoding 1, each
// text with the byte-order mark FF FE in UTF-16 little-endian, a description
// with its two-byte terminator, a link's URL in ISO-8859-1.
std::vector<std::uint8_t> EncodeFrameData(const std::string& identifier, const std::string& text);
