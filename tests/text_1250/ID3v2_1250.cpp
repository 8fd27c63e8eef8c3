#include "tests/text_1250/ID3v2_1250.h"

#include "media/ID3v2.h"
#include "media/id3_text.h"
#include "media/tag_text.h"
#include "transfer/text_ops.h"

std::string FirstNonEmpty(const std::string& a, const std::string& b) {
    return To1250(FirstNonEmpty(From1250(a), From1250(b)));
}
std::int32_t ParseTrack(const std::string& s) { return ParseTrack(From1250(s)); }
std::string ParseYear(const std::string& year, const std::string& date) {
    return To1250(ParseYear(From1250(year), From1250(date)));
}
std::string ParseGenre(const std::string& s) { return To1250(ParseGenre(From1250(s))); }
std::string ParseComment(const std::string& data) {
    return To1250(Trim(DecodeFrameData("COMM", data.data(), data.size(), data.size()).text));
}
std::string ParseLink(const std::string& data) {
    return To1250(Trim(DecodeFrameData("WXXX", data.data(), data.size(), data.size()).text));
}
