#include "transfer/destination.h"

#include <cmath>

#include "transfer/name_transforms.h"
#include "transfer/text_ops.h"

namespace {

std::size_t AfterLastSeparator(const std::string& path) {
    const std::size_t p = path.find_last_of("\\:");
    return p == std::string::npos ? 0 : p + 1;
}

// The untrimmed output directory and a backslash, or nothing when it is blank.
std::string Prefix(const TransferOptions& o) {
    return Trim(o.OutputDir).empty() ? std::string() : o.OutputDir + "\\";
}

// The rest of the path after the first InputDir + "\\", empty when there is none.
// A folder further down that bears the input directory's name stays in it.
std::string BelowInputDir(const TransferOptions& o, const std::string& sourcePath) {
    const std::size_t p = sourcePath.find(o.InputDir + "\\");
    return p == std::string::npos ? std::string() : sourcePath.substr(p + o.InputDir.size() + 1);
}

}  // namespace

std::string FileNameOf(const std::string& path) { return path.substr(AfterLastSeparator(path)); }
std::string FolderOf(const std::string& path) { return path.substr(0, AfterLastSeparator(path)); }

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string DestinationByMode(const TransferOptions& o, const std::string& sourcePath,
                              const std::string& baseDir) {
    const bool haveInputDir = !Trim(o.InputDir).empty();
    std::string n;
    switch (o.Mode) {
    case TransferMode::AddSubdirNames:
        n = haveInputDir ? BelowInputDir(o, sourcePath) : sourcePath;
        if (o.AddFolderNames) n = FlattenFolderNames(sourcePath, baseDir, o.Delimiter);
        if (n.empty()) n = sourcePath;
        n = Str_replace_all(n, "\\", o.Delimiter, 0);
        n = Str_replace_all(n, ":", "_", 0);
        n = Str_replace_all(n, "/", o.Delimiter, 0);
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

std::string WithoutLeadingBackslash(const std::string& path) {
    return !path.empty() && path[0] == '\\' ? Str_cut_at_char(path, '\\', true) : path;
}

std::string CzRule(const TransferOptions& o, const std::string& targetPath,
                   const std::string& sourcePath) {
    std::string target = targetPath;
    std::string m = o.OutputDir + "\\" + FileNameOf(sourcePath);
    if (o.ReplaceInNames) m = ReplaceText(m, o.CharsToReplace, o.NewChars, false);
    // A file that would land straight in the output directory stays where it is.
    // Only the leading output directory is swapped: a file name that holds
    // the same letters keeps them.
    if (target == m)
        target = StartsWith(target, o.OutputDir + "\\")
                     ? o.InputDir + target.substr(o.OutputDir.size())
                     : ReplaceText(target, o.OutputDir, o.InputDir, true);
    const std::string inputPrefix = o.InputDir + "\\";
    const bool belowInput = StartsWith(target, inputPrefix);
    const std::string r = CzechToAscii(belowInput ? target.substr(inputPrefix.size()) : target);
    return belowInput ? target.substr(0, inputPrefix.size()) + r : r;
}

std::string TransformedTarget(const TransferOptions& o, const std::string& targetPath,
                              const std::string& sourcePath) {
    std::string target = targetPath;
    if ((!o.CharsToReplace.empty() || !o.NewChars.empty()) && o.ReplaceInNames)
        target = ReplaceCharsInTarget(target, o.OutputDir, o.CharsToReplace, o.NewChars);
    if (o.CzRename) target = CzRule(o, target, sourcePath);
    return target;
}

bool HasExtension(const std::string& destination) {
    return FileNameOf(destination).find('.') != std::string::npos;
}

std::string PrefixWithDate(const std::string& destination, const std::string& dateTime) {
    std::string name = Str_field(dateTime, " ", 1) + "_" + FileNameOf(destination);
    name = ReplaceText(name, ":", "", true);
    return FolderOf(destination) + name;
}

int ProgressPosition(int row, int listCount) {
    if (listCount <= 1) return 0;
    // nearbyint rounds in the default mode: to nearest, halves to even.
    return static_cast<int>(std::nearbyint(row * 100.0 / (listCount - 1)));
}

int TopRowAfter(int row) { return row >= 6 ? row - 6 : row; }
