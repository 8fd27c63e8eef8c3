#include "transfer/path_names.h"

#include <string_view>
#include <vector>

#include "transfer/text_ops.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The length of the root of a full path: "X:" or "\\server\share".
std::size_t RootLength(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return 2;
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

std::vector<std::string> Parts(const std::string& text) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (IsSeparator(c)) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

// CON, PRN, AUX, NUL, COM0-9 and LPT0-9, with any extension: Windows opens
// the device instead of a file (a copy to "nul.txt" writes nothing).
bool IsDeviceName(const std::string& part) {
    std::string base = UpperAscii(part.substr(0, part.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" || base == "CONOUT$")
        return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '0' && base[3] <= '9';
}

}  // namespace

bool IsAbsolutePath(const std::string& path) { return RootLength(path) > 0; }

std::string ResolvedAgainst(const std::string& base, const std::string& path) {
    if (path.empty() || IsAbsolutePath(path)) return path;
    if (IsSeparator(path[0])) return base.substr(0, RootLength(base)) + path;
    if (!base.empty() && IsSeparator(base.back())) return base + path;
    return base + "\\" + path;
}

std::string BuiltPart(const std::string& destination, const std::string& outputDir,
                      const std::string& inputDir) {
    std::size_t below = 0;
    for (const std::string* dir : {&outputDir, &inputDir}) {
        if (Trim(*dir).empty()) continue;
        const std::string prefix = *dir + "\\";
        if (destination.compare(0, prefix.size(), prefix) == 0 && prefix.size() > below) below = prefix.size();
    }
    if (below == 0 && IsAbsolutePath(destination)) {
        below = RootLength(destination);
        if (below < destination.size() && IsSeparator(destination[below])) ++below;
    }
    return destination.substr(below);
}

bool IsSafeBuiltPart(const std::string& part) {
    for (const std::string& p : Parts(part)) {
        if (p.empty() || p == "." || p == ".." || p.back() == '.' || p.back() == ' ') return false;
        if (IsDeviceName(p)) return false;
        for (char c : p)
            if (static_cast<unsigned char>(c) < 32 || std::string_view(":*?\"<>|").find(c) != std::string_view::npos)
                return false;
    }
    return true;
}

std::vector<std::string> FolderLevels(const std::string& fullPath) {
    std::vector<std::string> levels;
    for (std::size_t i = RootLength(fullPath) + 1; i < fullPath.size(); ++i)
        if (fullPath[i] == '\\') levels.push_back(fullPath.substr(0, i));
    return levels;
}

std::string NameKey(const std::string& fullPath) {
    // One pass: each part is appended, "." skipped, ".." takes the last part
    // off again (never the root), trailing dots and blanks left behind.
    const std::size_t root = RootLength(fullPath);
    std::string key = fullPath.substr(0, root);
    key.reserve(fullPath.size() + 1);
    for (std::size_t i = root; i <= fullPath.size();) {
        std::size_t j = i;
        while (j < fullPath.size() && !IsSeparator(fullPath[j])) ++j;
        if (j - i == 2 && fullPath[i] == '.' && fullPath[i + 1] == '.') {
            const std::size_t cut = key.rfind('\\');
            if (cut != std::string::npos && cut >= root) key.resize(cut);
        } else {
            std::size_t end = j;
            while (end > i && (fullPath[end - 1] == '.' || fullPath[end - 1] == ' ')) --end;
            if (end > i) {
                key += '\\';
                key.append(fullPath, i, end - i);
            }
        }
        i = j + 1;
    }
    for (char& c : key) c = static_cast<char>(Upper1250(static_cast<unsigned char>(c)));
    return key;
}
