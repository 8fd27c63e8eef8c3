#include "transfer/name_transforms.h"

#include "transfer/text_ops.h"

std::string WithoutLeadingDir(const std::string& path, const std::string& dir) {
    if (dir.empty() || path.compare(0, dir.size(), dir) != 0) return path;
    const bool whole = dir.back() == '\\' || path.size() == dir.size() || path[dir.size()] == '\\';
    return whole ? path.substr(dir.size()) : path;
}

std::string StripBaseDir(const std::string& path, const std::string& baseDir) {
    const std::string prefix = baseDir + "\\";
    return path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
}

std::string FlattenFolderNames(const std::string& path, const std::string& baseDir,
                               const std::string& delimiter) {
    std::string n = WithoutLeadingDir(path, baseDir);
    if (!n.empty() && n[0] == '\\') n = Str_cut_at_char(n, '\\', true);
    n = Str_replace_all(n, "\\", delimiter, 0);
    return Str_replace_all(n, "/", delimiter, 0);
}

std::string DecodeFolderNames(const std::string& name, const std::string& dirsDelimiter) {
    return Str_replace_all(name, dirsDelimiter, "\\", 0);
}

std::string ReplaceCharsInTarget(const std::string& destination, const std::string& outputDir,
                                 const std::string& charsToReplace, const std::string& newChars) {
    const std::string prefix = outputDir + "\\";
    // Everything after the output directory is changed, also past a folder
    // that bears the output directory's name again.
    if (destination.compare(0, prefix.size(), prefix) == 0)
        return destination.substr(0, prefix.size()) +
               ReplaceText(destination.substr(prefix.size()), charsToReplace, newChars, false);
    return ReplaceText(destination, charsToReplace, newChars, false);
}

std::string CzechToAscii(const std::string& text) {
    // Windows-1250 bytes, in the order the replacements are applied.
    static const char* const kTable[][2] = {
        {"\xEC", "e"}, {"\x9A", "s"}, {"\xE8", "c"}, {"\xF8", "r"}, {"\x9E", "z"},
        {"\xFD", "y"}, {"\xE1", "a"}, {"\xED", "i"}, {"\xE9", "e"}, {"\xF9", "u"},
        {"\xFA", "u"}, {"\xF2", "n"}, {"\xEF", "d"}, {"\x9D", "t"}, {"\xB4", "_"},
        {"&", "_"},    {" ", "_"},    {"-", "_"},
    };
    std::string t = text;
    for (const auto& row : kTable) t = ReplaceText(t, row[0], row[1], true);
    return t;
}
