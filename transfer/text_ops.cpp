#include "transfer/text_ops.h"

#include <algorithm>
#include <array>

#include "platform/errors.h"

namespace {

constexpr char16_t kBlot = u'\u00FA';  // the letter ú: marks a counted occurrence

std::function<void(const std::string&)>& MessageSink() {
    static std::function<void(const std::string&)> sink;
    return sink;
}

void ShowCannotUse() {
    try {
        if (MessageSink()) MessageSink()("Cannot use Str_poc_vyskytu procedure ...");
    } catch (const Exception&) {
        // The counting operations return what they have; a failing box changes nothing.
    }
}

// The small letters of the Windows-1250 pairs and, at the same index, their
// capitals. ß has no capital and ÷ is no letter; every other character,
// within the code page or beyond it, keeps its case.
constexpr char16_t kSmall[] = u"šśťžźłąşľżŕáâăäĺćçčéęëěíîďđńňóôőöřůúűüýţ";
constexpr char16_t kCapital[] = u"ŠŚŤŽŹŁĄŞĽŻŔÁÂĂÄĹĆÇČÉĘËĚÍÎĎĐŃŇÓÔŐÖŘŮÚŰÜÝŢ";
static_assert(sizeof kSmall == sizeof kCapital);

// Every letter of the pairs lies below U+0180 (Latin Extended-A).
constexpr char16_t kPairsEnd = 0x180;

std::array<char16_t, kPairsEnd> MakeUpper1250() {
    std::array<char16_t, kPairsEnd> t{};
    for (char16_t c = 0; c < kPairsEnd; ++c) t[c] = c;
    for (char16_t c = u'a'; c <= u'z'; ++c) t[c] = static_cast<char16_t>(c - 32);
    for (std::size_t i = 0; kSmall[i] != 0; ++i) t[kSmall[i]] = kCapital[i];
    return t;
}

const std::array<char16_t, kPairsEnd>& Upper1250Table() {
    static const auto table = MakeUpper1250();
    return table;
}

// A place between the two halves of a surrogate pair.
bool SplitsPair(const Text& t, std::size_t i) {
    return i > 0 && i < t.size() && IsHighSurrogate(t[i - 1]) && IsLowSurrogate(t[i]);
}

// The first occurrence of what at or after from that takes whole characters
// of text. A well-formed searched text never meets a pair halfway; one that
// holds a lone half (pasted text) is kept from cutting a pair in two.
std::size_t FindWhole(const Text& text, const Text& what, std::size_t from) {
    for (std::size_t p = text.find(what, from); p != Text::npos; p = text.find(what, p + 1))
        if (!SplitsPair(text, p) && !SplitsPair(text, p + what.size())) return p;
    return Text::npos;
}

bool IsBlankUnit(char16_t c) { return c <= 32; }

// Count or locate occurrences the way the blotting algorithm does: the first
// character of each leftmost occurrence is overwritten by the marker, so
// overlapping occurrences count. Resuming |searched|-1 characters before the
// blot is the same as rescanning from the start (nothing earlier can match
// unless it covers the blot), and a searched text that itself begins with the
// marker moves on by one instead of finding the same place for ever.
// Calls visit(position from 1) for each occurrence while it returns true.
template <typename Visit>
void EachBlottedOccurrence(const Text& text, const Text& searched, Visit visit) {
    if (searched.empty()) return;
    Text copy = text;
    std::size_t from = 0;
    const bool startsWithBlot = searched[0] == kBlot;
    for (;;) {
        std::size_t p = copy.find(searched, from);
        // The copy's pairs are judged by the text: a blot may stand on a half.
        while (p != Text::npos && (SplitsPair(text, p) || SplitsPair(text, p + searched.size())))
            p = copy.find(searched, p + 1);
        if (p == Text::npos) return;
        if (!visit(p + 1)) return;
        copy[p] = kBlot;
        from = startsWithBlot ? p + 1 : (p + 1 >= searched.size() ? p + 1 - searched.size() : 0);
    }
}

}  // namespace

void SetTextOpsMessageSink(std::function<void(const std::string&)> sink) {
    MessageSink() = std::move(sink);
}

Text UpperAscii(const Text& s) {
    Text r = s;
    for (char16_t& c : r)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    return r;
}

char16_t Upper1250(char16_t c) { return c < kPairsEnd ? Upper1250Table()[c] : c; }

Text Upper1250(const Text& s) {
    Text r = s;
    for (char16_t& c : r) c = Upper1250(c);
    return r;
}

Text Trim(const Text& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlankUnit(s[b])) ++b;
    while (e > b && IsBlankUnit(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::size_t Pos(const Text& what, const Text& s) {
    if (what.empty()) return 0;
    std::size_t p = FindWhole(s, what, 0);
    return p == Text::npos ? 0 : p + 1;
}
bool TextToInt(const Text& t, bool whole, std::int32_t& value) {
    value = 0;
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) negative = t[i++] == u'-';
    int base = 10;
    if (i < t.size() && (t[i] == u'$' || t[i] == u'x' || t[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < t.size() && t[i] == u'0' && (t[i + 1] == u'x' || t[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    std::uint64_t v = 0;
    std::size_t digits = 0;
    for (; i < t.size(); ++i, ++digits) {
        const char16_t c = t[i];
        int d;
        if (c >= u'0' && c <= u'9') d = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f') d = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F') d = c - u'A' + 10;
        else if (whole) return false;
        else break;
        const std::uint64_t next = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        if (next > 0xFFFFFFFFull) {
            if (whole) return false;
            break;
        }
        v = next;
    }
    if (digits == 0) return false;
    if (whole && base == 10 && v > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return false;
    // Hexadecimal digits fill all 32 bits, the sign bit included.
    const auto bits = static_cast<std::uint32_t>(v);
    value = static_cast<std::int32_t>(negative ? 0u - bits : bits);
    return true;
}

// c is a whole character: a surrogate half never matches, so no pair is cut.
Text Str_cut_at_char(const Text& text, char16_t c, bool deleteIt) {
    const std::size_t len = text.size();
    std::size_t i = len == 0 ? 1 : len;
    if (!IsHighSurrogate(c) && !IsLowSurrogate(c))
        for (std::size_t k = 0; k + 1 < len; ++k)
            if (text[k] == c) { i = k + 1; break; }
    if (deleteIt) return i >= len ? Text() : text.substr(i);
    return text.substr(0, std::min(i, len));
}

Text Str_field(const Text& text, const Text& separator, std::uint8_t n) {
    Text t = text;
    const std::uint8_t rounds = static_cast<std::uint8_t>(n - 1);  // n = 0 makes 255 rounds
    for (int r = 0; r < rounds; ++r) {
        std::size_t p = Pos(separator, t);
        if (p == 0) { t.clear(); break; }
        t = t.substr(p - 1 + separator.size());
    }
    std::size_t p = Pos(separator, t);
    if (p != 0) t = t.substr(0, p - 1);
    return t;
}

Text Str_replace_all(const Text& text, const Text& searched, const Text& replacement, int limit) {
    if (searched.empty()) return text;
    // A replacement that brings the searched text back would be found again
    // for ever; without a limit such a call is one left-to-right pass.
    if (limit == 0 && replacement.find(searched) != Text::npos)
        return ReplaceText(text, searched, replacement, false);
    Text t = text;
    std::size_t from = 0;
    long long count = 0;
    // Rescanning can in principle run away on contrived input; past this many
    // replacements the text is returned as it stands.
    const long long guard = 1000000LL + 16LL * static_cast<long long>(text.size());
    for (;;) {
        std::size_t p = FindWhole(t, searched, from);
        if (p == Text::npos) break;
        ++count;
        if ((limit != 0 && count > limit) || count > guard) break;
        t.replace(p, searched.size(), replacement);
        // Text before p - |searched| + 1 held no occurrence and still holds none.
        from = p + 1 >= searched.size() ? p + 1 - searched.size() : 0;
    }
    return t;
}

int Str_poc_vyskytu(const Text& text, const Text& searched) {
    if (searched.size() == 1 && searched[0] == kBlot) {
        ShowCannotUse();
        return 0;
    }
    int count = 0;
    EachBlottedOccurrence(text, searched, [&](std::size_t) { ++count; return true; });
    return count;
}

int Str_nth_position(const Text& text, const Text& searched, std::uint8_t n) {
    if (searched.size() == 1 && searched[0] == kBlot) {
        ShowCannotUse();
        return 0;
    }
    int pos = 0;
    int left = n;
    EachBlottedOccurrence(text, searched, [&](std::size_t p) {
        if (left < 1) return false;
        pos = static_cast<int>(p);
        --left;
        return left >= 1;
    });
    return pos;
}

Text Str_drop_extension(const Text& text) {
    std::size_t i = text.size() > 1 ? text.find(u'.', 1) : Text::npos;
    if (i == Text::npos) return text;
    Text r = text;
    // Three characters after the dot: a pair at the end goes whole.
    r.erase(i, SplitsPair(r, i + 4) ? 5 : 4);
    return r;
}

Text ReplaceText(const Text& text, const Text& searched, const Text& replacement, bool ignoreCase) {
    if (searched.empty()) return text;
    // Upper-casing keeps every unit in its place and leaves surrogates alone.
    const Text hay = ignoreCase ? Upper1250(text) : text;
    const Text needle = ignoreCase ? Upper1250(searched) : searched;
    Text out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (;;) {
        std::size_t p = FindWhole(hay, needle, from);
        if (p == Text::npos) break;
        out.append(text, from, p - from);
        out += replacement;
        from = p + needle.size();
    }
    out.append(text, from, Text::npos);
    return out;
}
