#pragma once
// Rewriting the head of a file in place, and a file's attributes put back
// after a change: the file operations of the tag writer.
#include <cstdint>
#include <vector>

#include "text/text.h"

// The bytes of a file from begin up to end (up to its end when end is negative).
struct ByteRange {
    std::int64_t begin = 0, end = -1;
};

// The file made anew: newHead, then the ranges of it that are kept, in
// order. The copy goes to a new file beside it (named as a cut-off copy is)
// that replaces the file in one step once it is complete and flushed; on
// failure the file stays as it was. The window answers between two blocks of a
// large file.
bool RewriteFile(const Text& fileName, const std::vector<std::uint8_t>& newHead, const std::vector<ByteRange>& kept);

// Puts back the attributes a file had (those that can be set) when it goes
// out of scope.
class RestoredAttributes {
public:
    RestoredAttributes(const Text& file, std::uint32_t attributes) : file_(file), attributes_(attributes) {}
    ~RestoredAttributes();
    RestoredAttributes(const RestoredAttributes&) = delete;
    RestoredAttributes& operator=(const RestoredAttributes&) = delete;

private:
    Text file_;
    std::uint32_t attributes_;
};
