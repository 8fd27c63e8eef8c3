#pragma once
// The text rules of the file search: mask kinds, row building, the edit rule.
#include <string>

struct SearchPattern {
    std::string pattern;    // what is enumerated in each directory
    std::string substring;  // a substring mask, empty for a wildcard mask
};

// A mask with "*" or "?" is enumerated as it stands; any other mask lists
// "*.*" and filters the rows by the mask text.
SearchPattern PatternForMask(const std::string& mask);

// The directory with a backslash appended unless it already ends in one.
std::string WithTrailingBackslash(const std::string& dir);

// The part of a pattern up to and including its last backslash or colon,
// empty when the pattern holds no backslash.
std::string PatternDirPart(const std::string& pattern);

// Whether a row passes the substring filter (already upper-cased if asked).
bool RowMatches(const std::string& comparisonText, const std::string& substring);

// The edit rule: the text a directory edit shows in the current path mode.
// bareDriveAllowed is the output edit's exception for a text such as "D:".
std::string DirectoryEditText(const std::string& text, const std::string& baseDir,
                              bool fullPaths, bool bareDriveAllowed);
