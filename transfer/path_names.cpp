#include "transfer/path_names.h"

#include <vector>

#include "transfer/text_ops.h"

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

char16_t (*nameUpperCase)(char16_t) = nullptr;

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

std::vector<Text> Parts(const Text& text) {
    std::vector<Text> parts(1);
    for (char16_t c : text) {
        if (IsSeparator(c)) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

// CON, PRN, AUX, NUL, COM0-9 and LPT0-9, with any extension: Windows opens
// the device instead of a file (a copy to "nul.txt" writes nothing). Windows
// takes the superscript digits ¹ ² ³ for 1 2 3 there as well.
bool IsDeviceName(const Text& part) {
    Text base = UpperAscii(part.substr(0, part.find(u'.')));
    while (!base.empty() && base.back() == u' ') base.pop_back();
    if (base == u"CON" || base == u"PRN" || base == u"AUX" || base == u"NUL" || base == u"CONIN$" ||
        base == u"CONOUT$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, u"COM") == 0 || base.compare(0, 3, u"LPT") == 0) &&
           ((base[3] >= u'0' && base[3] <= u'9') || base[3] == u'¹' || base[3] == u'²' || base[3] == u'³');
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
        if (Trim(*dir).empty()) continue;
        const Text prefix = *dir + u"\\";
        if (destination.compare(0, prefix.size(), prefix) == 0 && prefix.size() > below) below = prefix.size();
    }
    if (below == 0 && IsAbsolutePath(destination)) {
        below = RootLength(destination);
        if (below < destination.size() && IsSeparator(destination[below])) ++below;
    }
    return destination.substr(below);
}

bool IsSafeBuiltPart(const Text& part) {
    for (const Text& p : Parts(part)) {
        if (p.empty() || p == u"." || p == u".." || p.back() == u'.' || p.back() == u' ') return false;
        if (IsDeviceName(p)) return false;
        for (char16_t c : p)
            if (c < 32 || TextView(u":*?\"<>|").find(c) != TextView::npos) return false;
    }
    return true;
}

std::vector<Text> FolderLevels(const Text& fullPath) {
    std::vector<Text> levels;
    for (std::size_t i = RootLength(fullPath) + 1; i < fullPath.size(); ++i)
        if (fullPath[i] == u'\\') levels.push_back(fullPath.substr(0, i));
    return levels;
}

void SetNameUpperCase(char16_t (*upper)(char16_t)) { nameUpperCase = upper; }

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
    // Unit by unit, as the file system's own upper-case table works; the two
    // halves of a pair are left as they are.
    if (nameUpperCase) {
        for (char16_t& c : key)
            if (!IsHighSurrogate(c) && !IsLowSurrogate(c)) c = nameUpperCase(c);
    } else {
        for (char16_t& c : key) c = Upper1250(c);
    }
    return key;
}
