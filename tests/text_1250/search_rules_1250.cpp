#include "tests/text_1250/search_rules_1250.h"

#include "app/search_rules.h"

SearchPattern1250 PatternForMask(const std::string& mask) {
    const SearchPattern p = PatternForMask(From1250(mask));
    return {To1250(p.pattern), To1250(p.substring)};
}

std::string WithTrailingBackslash(const std::string& dir) { return To1250(WithTrailingBackslash(From1250(dir))); }

std::string PatternDirPart(const std::string& pattern) { return To1250(PatternDirPart(From1250(pattern))); }

bool RowMatches(const std::string& comparisonText, const std::string& substring) {
    return RowMatches(From1250(comparisonText), From1250(substring));
}

std::string DirectoryEditText(const std::string& text, const std::string& baseDir,
                              bool fullPaths, bool bareDriveAllowed) {
    return To1250(DirectoryEditText(From1250(text), From1250(baseDir), fullPaths, bareDriveAllowed));
}
