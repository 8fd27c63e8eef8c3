#include "app/search_rules.h"

#include "transfer/name_transforms.h"
#include "transfer/text_ops.h"

SearchPattern PatternForMask(const Text& mask) {
    if (mask.find_first_of(u"*?") == Text::npos) return {u"*.*", mask};
    return {mask, Text()};
}

Text WithTrailingBackslash(const Text& dir) {
    if (!dir.empty() && dir.back() == u'\\') return dir;
    return dir + u"\\";
}

Text PatternDirPart(const Text& pattern) {
    if (pattern.find(u'\\') == Text::npos) return Text();
    std::size_t p = pattern.find_last_of(u"\\:");
    return pattern.substr(0, p + 1);
}

bool RowMatches(const Text& comparisonText, const Text& substring) {
    return Trim(substring).empty() || Occurs(substring, comparisonText);
}

Text DirectoryEditText(const Text& text, const Text& baseDir, bool fullPaths, bool bareDriveAllowed) {
    if (!fullPaths) return WithoutLeadingDir(text, baseDir);
    if (Occurs(u":\\", text)) return text;
    if (bareDriveAllowed && text.size() >= 2 && text[1] == u':') return text;
    return baseDir + text;
}
