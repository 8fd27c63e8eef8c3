#include "app/search_rules.h"

#include "transfer/name_transforms.h"
#include "transfer/text_ops.h"

SearchPattern PatternForMask(const std::string& mask) {
    if (mask.find_first_of("*?") == std::string::npos) return {"*.*", mask};
    return {mask, ""};
}

std::string WithTrailingBackslash(const std::string& dir) {
    if (!dir.empty() && dir.back() == '\\') return dir;
    return dir + "\\";
}

std::string PatternDirPart(const std::string& pattern) {
    if (pattern.find('\\') == std::string::npos) return "";
    std::size_t p = pattern.find_last_of("\\:");
    return pattern.substr(0, p + 1);
}

bool RowMatches(const std::string& comparisonText, const std::string& substring) {
    return Trim(substring).empty() || Occurs(substring, comparisonText);
}

std::string DirectoryEditText(const std::string& text, const std::string& baseDir,
                              bool fullPaths, bool bareDriveAllowed) {
    if (!fullPaths) return WithoutLeadingDir(text, baseDir);
    if (Occurs(":\\", text)) return text;
    if (bareDriveAllowed && text.size() >= 2 && text[1] == ':') return text;
    return baseDir + text;
}
