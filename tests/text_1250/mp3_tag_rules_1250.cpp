#include "tests/text_1250/mp3_tag_rules_1250.h"

#include "media/mp3_tag_rules.h"

std::string PathExtension(const std::string& path) { return To1250(PathExtension(From1250(path))); }
std::string PathName(const std::string& path) { return To1250(PathName(From1250(path))); }
std::string PathFolder(const std::string& path) { return To1250(PathFolder(From1250(path))); }
std::int32_t ValIgnoringError(const std::string& text) { return ValIgnoringError(From1250(text)); }
void FillTagFromPath(TID3v2& tag, const std::string& namePath) { FillTagFromPath(tag, From1250(namePath)); }
std::array<std::string, 3> Mp3TagCandidates(const std::string& namePath) {
    const std::array<Text, 3> c = Mp3TagCandidates(From1250(namePath));
    return {To1250(c[0]), To1250(c[1]), To1250(c[2])};
}
std::string ReportLine(const std::string& prefix, const TID3v2& tag) {
    return To1250(ReportLine(From1250(prefix), tag));
}
