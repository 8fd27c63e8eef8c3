// The tag's file operations with a Windows-1250 path, for callers that still
// hold one: each converts and calls the Text form (media/id3v2_file.cpp).
#include "media/ID3v2.h"

bool TID3v2::ReadTag(const std::string& fileName) { return ReadTag(From1250(fileName)); }

bool TID3v2::WriteTag(const std::string& fileName, std::string* whyNot) const {
    return WriteTag(From1250(fileName), whyNot);
}
