#pragma once
// The tag rules with Windows-1250 texts, for callers that still hold them:
// each converts, calls the Text form (media/mp3_tag_rules.h) and converts back.
#include <array>
#include <cstdint>
#include <string>

class TID3v2;

std::string PathExtension(const std::string& path);
std::string PathName(const std::string& path);
std::string PathFolder(const std::string& path);
std::int32_t ValIgnoringError(const std::string& text);
void FillTagFromPath(TID3v2& tag, const std::string& namePath);
std::array<std::string, 3> Mp3TagCandidates(const std::string& namePath);
std::string ReportLine(const std::string& prefix, const TID3v2& tag);
