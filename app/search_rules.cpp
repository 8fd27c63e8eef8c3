#include "app/search_rules.h"

#include <vector>

#include "transfer/name_transforms.h"
#include "transfer/path_names.h"
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

namespace {

// The wildcards as Windows reads a search pattern: a '*' before a dot stops
// at the name's last dot, a dot before a wildcard may also stand for the end
// of the name, and a '?' stands for nothing at a dot or at the end.
enum : int { kStar = -1, kStarToLastDot = -2, kOneLetter = -3, kDotOrEnd = -4 };

std::vector<int> WindowsWildcards(TextView mask) {
    TextView kept = mask;
    while (!kept.empty() && (kept.back() == u'.' || kept.back() == u' ')) kept.remove_suffix(1);
    if (kept == u"*.*") return {kStar};
    std::vector<int> p;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const char16_t next = i + 1 < mask.size() ? mask[i + 1] : u'\0';
        switch (kept[i]) {
        case u'?': p.push_back(kOneLetter); break;
        case u'*': p.push_back(next == u'.' ? kStarToLastDot : kStar); break;
        case u'.': p.push_back(next == u'?' || next == u'*' ? int{kDotOrEnd} : int{u'.'}); break;
        default: p.push_back(NameUpper(kept[i]));
        }
    }
    return p;
}

std::vector<int> WildcardsOfName(const Text& pattern) {
    const std::size_t cut = pattern.find_last_of(u"\\:");
    return WindowsWildcards(cut == Text::npos ? TextView(pattern) : TextView(pattern).substr(cut + 1));
}

}  // namespace

bool MatchesEveryName(const Text& pattern) {
    const std::vector<int> p = WildcardsOfName(pattern);
    return p.size() == 1 && p[0] == kStar;
}

LongNamePattern::LongNamePattern(const Text& pattern) : p_(WildcardsOfName(pattern)) {}

bool LongNamePattern::Matches(TextView name) const {
    const std::vector<int>& p = p_;
    if (p.size() == 1 && p[0] == kStar) return true;
    Text& n = upper_;
    n.assign(name);
    for (char16_t& c : n) c = NameUpper(c);
    const std::size_t lastDot = n.rfind(u'.');
    // can[i][j]: the pattern from i matches the name from j; filled from the ends.
    const std::size_t P = p.size(), N = n.size();
    std::vector<char>& can = can_;
    can.assign((P + 1) * (N + 1), 0);
    auto at = [&](std::size_t i, std::size_t j) -> char& { return can[i * (N + 1) + j]; };
    at(P, N) = 1;
    for (std::size_t i = P; i-- > 0;) {
        for (std::size_t j = N + 1; j-- > 0;) {
            bool m = false;
            switch (p[i]) {
            case kStar:
                m = at(i + 1, j) || (j < N && at(i, j + 1));
                break;
            case kStarToLastDot: {
                // Letters up to the last dot, or every letter when none lies ahead.
                const std::size_t end = lastDot != Text::npos && lastDot >= j ? lastDot : N;
                for (std::size_t k = j; k <= end && !m; ++k) m = at(i + 1, k);
                break;
            }
            case kOneLetter:
                if (j < N && n[j] != u'.') m = at(i + 1, j + 1);
                else {
                    std::size_t k = i;
                    while (k < P && p[k] == kOneLetter) ++k;
                    m = at(k, j);
                }
                break;
            case kDotOrEnd:
                m = j == N ? at(i + 1, j) : n[j] == u'.' && at(i + 1, j + 1);
                break;
            default: m = j < N && n[j] == static_cast<char16_t>(p[i]) && at(i + 1, j + 1);
            }
            at(i, j) = m;
        }
    }
    return at(0, 0) != 0;
}

bool LongNameMatches(const Text& pattern, const Text& name) { return LongNamePattern(pattern).Matches(name); }
