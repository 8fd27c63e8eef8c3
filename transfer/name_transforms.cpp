#include "transfer/name_transforms.h"

#include "transfer/text_ops.h"

Text WithoutLeadingDir(const Text& path, const Text& dir) {
    if (dir.empty() || path.compare(0, dir.size(), dir) != 0) return path;
    const bool whole = dir.back() == u'\\' || path.size() == dir.size() || path[dir.size()] == u'\\';
    return whole ? path.substr(dir.size()) : path;
}

Text StripBaseDir(const Text& path, const Text& baseDir) {
    const Text prefix = baseDir + u"\\";
    return path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
}

Text FlattenFolderNames(const Text& path, const Text& baseDir, const Text& delimiter) {
    Text n = WithoutLeadingDir(path, baseDir);
    if (!n.empty() && n[0] == u'\\') n = Str_cut_at_char(n, u'\\', true);
    n = Str_replace_all(n, u"\\", delimiter, 0);
    return Str_replace_all(n, u"/", delimiter, 0);
}

Text DecodeFolderNames(const Text& name, const Text& dirsDelimiter) {
    return Str_replace_all(name, dirsDelimiter, u"\\", 0);
}

Text ReplaceCharsInTarget(const Text& destination, const Text& outputDir, const Text& charsToReplace,
                          const Text& newChars) {
    const Text prefix = outputDir + u"\\";
    // Everything after the output directory is changed, also past a folder
    // that bears the output directory's name again.
    if (destination.compare(0, prefix.size(), prefix) == 0)
        return destination.substr(0, prefix.size()) +
               ReplaceText(destination.substr(prefix.size()), charsToReplace, newChars, false);
    return ReplaceText(destination, charsToReplace, newChars, false);
}

Text CzechToAscii(const Text& text) {
    // In the order the replacements are applied.
    static const char16_t* const kTable[][2] = {
        {u"ě", u"e"}, {u"š", u"s"}, {u"č", u"c"}, {u"ř", u"r"}, {u"ž", u"z"},
        {u"ý", u"y"}, {u"á", u"a"}, {u"í", u"i"}, {u"é", u"e"}, {u"ů", u"u"},
        {u"ú", u"u"}, {u"ň", u"n"}, {u"ď", u"d"}, {u"ť", u"t"}, {u"´", u"_"},
        {u"&", u"_"}, {u" ", u"_"}, {u"-", u"_"},
    };
    Text t = text;
    for (const auto& row : kTable) t = ReplaceText(t, row[0], row[1], true);
    return t;
}
