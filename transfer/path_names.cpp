#include "transfer/path_names.h"

#include <vector>

#include "transfer/text_ops.h"

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The name upper case of every UTF-16 unit, asked of the installed function
// once, so that a key costs a table read per unit.
std::vector<char16_t> MakeNameUpperTable(char16_t (*upper)(char16_t)) {
    std::vector<char16_t> table(0x10000);
    for (std::size_t c = 0; c < table.size(); ++c) {
        const auto unit = static_cast<char16_t>(c);
        // The halves of a pair are left as they are, as the file system's table does.
        table[c] = IsHighSurrogate(unit) || IsLowSurrogate(unit) ? unit : upper ? upper(unit) : Upper1250(unit);
    }
    return table;
}

std::vector<char16_t>& NameUpperTable() {
    static std::vector<char16_t> table = MakeNameUpperTable(nullptr);
    return table;
}

// The length of the root of a full path: "X:" or "\\server\share".
std::size_t RootLength(const Text& path) {
    if (path.size() >= 2 && path[1] == u':') return 2;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        std::size_t i = 2, parts = 0;
        while (i < path.size() && parts < 2) {
            while (i < path.size() && !IsSeparator(path[i])) ++i;
            if (++parts < 2 && i < path.size()) ++i;
        }
        return i;
    }
    return 0;
}


// CON, PRN, AUX, NUL, COM0-9 and LPT0-9, with any extension: Windows opens
// the device instead of a file (a copy to "nul.txt" writes nothing). Windows
// takes the superscript digits ¹ ² ³ for 1 2 3 there as well.
bool IsDeviceName(TextView part) {
    TextView base = part.substr(0, part.find(u'.'));
    while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
    // The name in capitals, when it is short enough to be a device's.
    char16_t up[8] = {};
    if (base.size() > 7) return false;
    for (std::size_t i = 0; i < base.size(); ++i)
        up[i] = base[i] >= u'a' && base[i] <= u'z' ? static_cast<char16_t>(base[i] - 32) : base[i];
    const TextView name(up, base.size());
    if (name == u"CON" || name == u"PRN" || name == u"AUX" || name == u"NUL" || name == u"CONIN$" ||
        name == u"CONOUT$")
        return true;
    return name.size() == 4 && (name.substr(0, 3) == u"COM" || name.substr(0, 3) == u"LPT") &&
           ((name[3] >= u'0' && name[3] <= u'9') || name[3] == u'¹' || name[3] == u'²' || name[3] == u'³');
}

}  // namespace

bool IsAbsolutePath(const Text& path) { return RootLength(path) > 0; }

Text ResolvedAgainst(const Text& base, const Text& path) {
    if (path.empty() || IsAbsolutePath(path)) return path;
    if (IsSeparator(path[0])) return base.substr(0, RootLength(base)) + path;
    if (!base.empty() && IsSeparator(base.back())) return base + path;
    return base + u"\\" + path;
}

Text BuiltPart(const Text& destination, const Text& outputDir, const Text& inputDir) {
    std::size_t below = 0;
    for (const Text* dir : {&outputDir, &inputDir}) {
        if (IsBlank(*dir)) continue;
        // dir and a backslash lead the destination.
        if (destination.size() > dir->size() && destination[dir->size()] == u'\\' &&
            destination.compare(0, dir->size(), *dir) == 0 && dir->size() + 1 > below)
            below = dir->size() + 1;
    }
    if (below == 0 && IsAbsolutePath(destination)) {
        below = RootLength(destination);
        if (below < destination.size() && IsSeparator(destination[below])) ++below;
    }
    return destination.substr(below);
}

bool IsSafeBuiltPart(const Text& part) {
    // Windows reads a '/' as a folder boundary, but no folder is made for it
    // (an EXIF date written 2011/04/15): the name could never be given.
    if (part.find(u'/') != Text::npos) return false;
    for (std::size_t i = 0; i <= part.size();) {
        std::size_t j = i;
        while (j < part.size() && !IsSeparator(part[j])) ++j;
        const TextView p = TextView(part).substr(i, j - i);
        if (p.empty() || p == u"." || p == u".." || p.back() == u'.' || p.back() == u' ') return false;
        if (p.size() > kLongestPart) return false;
        if (IsDeviceName(p)) return false;
        for (char16_t c : p)
            if (c < 32 || TextView(u":*?\"<>|").find(c) != TextView::npos) return false;
        i = j + 1;
    }
    return true;
}

std::vector<Text> FolderLevels(const Text& fullPath) {
    std::vector<Text> levels;
    for (std::size_t i = RootLength(fullPath) + 1; i < fullPath.size(); ++i)
        if (fullPath[i] == u'\\') levels.push_back(fullPath.substr(0, i));
    return levels;
}

void SetNameUpperCase(char16_t (*upper)(char16_t)) { NameUpperTable() = MakeNameUpperTable(upper); }

Text NameKey(const Text& fullPath) {
    // One pass: each part is appended, "." skipped, ".." takes the last part
    // off again (never the root), trailing dots and blanks left behind.
    const std::size_t root = RootLength(fullPath);
    Text key = fullPath.substr(0, root);
    key.reserve(fullPath.size() + 1);
    for (std::size_t i = root; i <= fullPath.size();) {
        std::size_t j = i;
        while (j < fullPath.size() && !IsSeparator(fullPath[j])) ++j;
        if (j - i == 2 && fullPath[i] == u'.' && fullPath[i + 1] == u'.') {
            const std::size_t cut = key.rfind(u'\\');
            if (cut != Text::npos && cut >= root) key.resize(cut);
        } else {
            std::size_t end = j;
            while (end > i && (fullPath[end - 1] == u'.' || fullPath[end - 1] == u' ')) --end;
            if (end > i) {
                key += u'\\';
                key.append(fullPath, i, end - i);
            }
        }
        i = j + 1;
    }
    // Unit by unit, as the file system's own upper-case table works.
    const std::vector<char16_t>& upper = NameUpperTable();
    for (char16_t& c : key) c = upper[c];
    return key;
}

char16_t NameUpper(char16_t c) { return NameUpperTable()[c]; }

namespace {
constexpr TextView kTempHead = u"~Kolvar_files-", kTempTail = u".tmp";
constexpr std::size_t kTempDigits = 8;
}  // namespace

Text CopyTempName(std::uint32_t n) {
    Text name(kTempHead);
    for (int shift = 28; shift >= 0; shift -= 4) name += u"0123456789abcdef"[(n >> shift) & 15];
    return name += kTempTail;
}

bool IsCopyTempName(TextView name) {
    if (name.size() != kTempHead.size() + kTempDigits + kTempTail.size()) return false;
    if (name.substr(0, kTempHead.size()) != kTempHead || name.substr(name.size() - kTempTail.size()) != kTempTail)
        return false;
    for (char16_t c : name.substr(kTempHead.size(), kTempDigits))
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'))) return false;
    return true;
}

void FolderSpellings::Add(const Text& spelt, const Text& own) {
    if (own.empty()) return;
    Text from = NameKey(spelt), to = NameKey(own);
    if (from != to) keys_.emplace_back(std::move(from), std::move(to));
}

Text FolderSpellings::Key(const Text& fullPath) const {
    Text key = NameKey(fullPath);
    const std::pair<Text, Text>* best = nullptr;
    for (const auto& k : keys_) {
        const Text& from = k.first;
        if (key.size() >= from.size() && key.compare(0, from.size(), from) == 0 &&
            (key.size() == from.size() || key[from.size()] == u'\\') && (!best || from.size() > best->first.size()))
            best = &k;
    }
    if (best) key.replace(0, best->first.size(), best->second);
    return key;
}

bool MayBeShortName(TextView name) {
    const std::size_t dot = name.find(u'.');
    const TextView base = name.substr(0, dot), ext = dot == TextView::npos ? TextView() : name.substr(dot + 1);
    return !base.empty() && base.size() <= 8 && ext.size() <= 3 && ext.find(u'.') == TextView::npos &&
           base.find(u'~') != TextView::npos;
}
