#pragma once
// The file search's text rules on Windows-1250 bytes, through their Text forms.
#include <string>

// SearchPattern with its texts as Windows-1250 bytes.
struct SearchPattern1250 {
    std::string pattern;
    std::string substring;
};

SearchPattern1250 PatternForMask(const std::string& mask);
std::string WithTrailingBackslash(const std::string& dir);
std::string PatternDirPart(const std::string& pattern);
bool RowMatches(const std::string& comparisonText, const std::string& substring);
std::string DirectoryEditText(const std::string& text, const std::string& baseDir,
                              bool fullPaths, bool bareDriveAllowed);
