#pragma once
// FillMp3Tag with Windows-1250 paths and report line, for callers that still
// hold them: it converts, calls the Text form (media/mp3_tag.h) and converts back.
#include <string>

bool FillMp3Tag(const std::string& tagFile, const std::string& namePath, bool readOnly, std::string& line);
