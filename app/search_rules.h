#pragma once
// The text rules of the file search: mask kinds, row building, the edit rule.
// A mask is kept as typed: a letter of any script stays itself (never a '?',
// which would make it a wildcard mask).
#include <vector>

#include "text/text.h"

struct SearchPattern {
    Text pattern;    // what is enumerated in each directory
    Text substring;  // a substring mask, empty for a wildcard mask
};

// A mask with "*" or "?" is enumerated as it stands; any other mask lists
// "*.*" and filters the rows by the mask text.
SearchPattern PatternForMask(const Text& mask);

// The directory with a backslash appended unless it already ends in one.
Text WithTrailingBackslash(const Text& dir);

// The part of a pattern up to and including its last backslash or colon,
// empty when the pattern holds no backslash.
Text PatternDirPart(const Text& pattern);

// Whether a file's own name is one that the pattern names (its part after
// the last backslash or colon), by the rules Windows applies to long names:
// '*' any run of letters, '?' one letter, "*.*" every name, a trailing dot
// names without an extension, letters in either case. A search of the file
// system matches 8.3 short names as well, so its entries are checked by this.
bool LongNameMatches(const Text& pattern, const Text& name);
// The same, the pattern read once for the names of a whole folder.
class LongNamePattern {
public:
    explicit LongNamePattern(const Text& pattern);
    bool Matches(TextView name) const;

private:
    std::vector<int> p_;
    mutable Text upper_;  // room reused from one name to the next
    mutable std::vector<char> can_;
};
// A pattern that every name matches ("*", "*.*"): its entries need no check.
bool MatchesEveryName(const Text& pattern);

// Whether a row passes the substring filter (already upper-cased if asked).
bool RowMatches(const Text& comparisonText, const Text& substring);

// The edit rule: the text a directory edit shows in the current path mode.
// bareDriveAllowed is the output edit's exception for a text such as "D:".
Text DirectoryEditText(const Text& text, const Text& baseDir, bool fullPaths, bool bareDriveAllowed);

