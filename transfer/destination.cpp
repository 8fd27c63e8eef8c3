#include "transfer/destination.h"

#include <cmath>

#include "transfer/name_transforms.h"
#include "transfer/text_ops.h"

namespace {

std::size_t AfterLastSeparator(const Text& path) {
    const std::size_t p = path.find_last_of(u"\\:");
    return p == Text::npos ? 0 : p + 1;
}

// The untrimmed output directory and a backslash, or nothing when it is blank.
Text Prefix(const TransferOptions& o) {
    return IsBlank(o.OutputDir) ? Text() : o.OutputDir + u"\\";
}

// The rest of the path after the first InputDir + "\\", empty when there is none.
// A folder further down that bears the input directory's name stays in it.
Text BelowInputDir(const TransferOptions& o, const Text& sourcePath) {
    const std::size_t n = o.InputDir.size();
    std::size_t p = sourcePath.find(o.InputDir);
    while (p != Text::npos && (p + n >= sourcePath.size() || sourcePath[p + n] != u'\\'))
        p = sourcePath.find(o.InputDir, p + 1);
    return p == Text::npos ? Text() : sourcePath.substr(p + o.InputDir.size() + 1);
}

}  // namespace

Text FileNameOf(const Text& path) { return path.substr(AfterLastSeparator(path)); }
Text FolderOf(const Text& path) { return path.substr(0, AfterLastSeparator(path)); }

bool StartsWith(const Text& text, const Text& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

Text DestinationByMode(const TransferOptions& o, const Text& sourcePath, const Text& baseDir) {
    const bool haveInputDir = !IsBlank(o.InputDir);
    Text n;
    switch (o.Mode) {
    case TransferMode::AddSubdirNames:
        n = haveInputDir ? BelowInputDir(o, sourcePath) : sourcePath;
        if (o.AddFolderNames) n = FlattenFolderNames(sourcePath, baseDir, o.Delimiter);
        if (n.empty()) n = sourcePath;
        n = Str_replace_all(n, u"\\", o.Delimiter, 0);
        n = Str_replace_all(n, u":", u"_", 0);
        n = Str_replace_all(n, u"/", o.Delimiter, 0);
        return Prefix(o) + n;
    case TransferMode::UsualCopy:
        n = haveInputDir && !o.AddFolderNames ? BelowInputDir(o, sourcePath) : sourcePath;
        if (o.AddFolderNames) n = FlattenFolderNames(sourcePath, baseDir, o.Delimiter);
        if (n.empty()) n = sourcePath;
        return Prefix(o) + DecodeFolderNames(n, o.DirsDelimiter);
    case TransferMode::IntoRoot:
        break;
    }
    return Prefix(o) + FileNameOf(sourcePath);
}

Text WithoutLeadingBackslash(const Text& path) {
    return !path.empty() && path[0] == u'\\' ? Str_cut_at_char(path, u'\\', true) : path;
}

Text CzRule(const TransferOptions& o, const Text& targetPath, const Text& sourcePath) {
    Text target = targetPath;
    Text m = o.OutputDir + u"\\" + FileNameOf(sourcePath);
    if (o.ReplaceInNames) m = ReplaceText(m, o.CharsToReplace, o.NewChars, false);
    // A file that would land straight in the output directory stays where it is.
    // Only the leading output directory is swapped: a file name that holds
    // the same letters keeps them.
    if (target == m)
        target = StartsWith(target, o.OutputDir + u"\\")
                     ? o.InputDir + target.substr(o.OutputDir.size())
                     : ReplaceText(target, o.OutputDir, o.InputDir, true);
    const Text inputPrefix = o.InputDir + u"\\";
    const bool belowInput = StartsWith(target, inputPrefix);
    const Text r = CzechToAscii(belowInput ? target.substr(inputPrefix.size()) : target);
    return belowInput ? target.substr(0, inputPrefix.size()) + r : r;
}

Text TransformedTarget(const TransferOptions& o, const Text& targetPath, const Text& sourcePath) {
    Text target = targetPath;
    if ((!o.CharsToReplace.empty() || !o.NewChars.empty()) && o.ReplaceInNames)
        target = ReplaceCharsInTarget(target, o.OutputDir, o.CharsToReplace, o.NewChars);
    if (o.CzRename) target = CzRule(o, target, sourcePath);
    return target;
}

bool HasExtension(const Text& destination) {
    return FileNameOf(destination).find(u'.') != Text::npos;
}

Text PrefixWithDate(const Text& destination, const Text& dateTime) {
    Text name = Str_field(dateTime, u" ", 1) + u"_" + FileNameOf(destination);
    name = ReplaceText(name, u":", u"", true);
    return FolderOf(destination) + name;
}

int ProgressPosition(int row, int listCount) {
    if (listCount <= 1) return 0;
    // nearbyint rounds in the default mode: to nearest, halves to even.
    return static_cast<int>(std::nearbyint(row * 100.0 / (listCount - 1)));
}

int TopRowAfter(int row) { return row >= 6 ? row - 6 : row; }
