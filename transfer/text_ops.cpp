#include "transfer/text_ops.h"

#include <algorithm>
#include <array>

#include "platform/errors.h"

namespace {

constexpr unsigned char kBlot = 250;  // the letter ú: marks a counted occurrence

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

std::array<unsigned char, 256> MakeUpper1250() {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<unsigned char>(c - 32);
    // Accented pairs of the code page whose capital is not 32 positions lower.
    const unsigned char pairs[][2] = {
        {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D}, {0x9E, 0x8E}, {0x9F, 0x8F},  // š ś ť ž ź
        {0xB3, 0xA3}, {0xB9, 0xA5}, {0xBA, 0xAA}, {0xBE, 0xBC}, {0xBF, 0xAF},  // ł ą ş ľ ż
    };
    for (const auto& p : pairs) t[p[0]] = p[1];
    // à to ţ: capitals at À to Ţ, except ß (no capital) and ÷ (not a letter).
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7) t[c] = static_cast<unsigned char>(c - 32);
    return t;
}

const std::array<unsigned char, 256>& Upper1250Table() {
    static const auto table = MakeUpper1250();
    return table;
}

bool IsBlank(unsigned char c) { return c <= 32; }

// Count or locate occurrences the way the blotting algorithm does: the first
// character of each leftmost occurrence is overwritten by the marker, so
// overlapping occurrences count. Resuming |searched|-1 characters before the
// blot is the same as rescanning from the start (nothing earlier can match
// unless it covers the blot), and a searched text that itself begins with the
// marker moves on by one instead of finding the same place for ever.
// Calls visit(position from 1) for each occurrence while it returns true.
template <typename Visit>
void EachBlottedOccurrence(const std::string& text, const std::string& searched, Visit visit) {
    if (searched.empty()) return;
    std::string copy = text;
    std::size_t from = 0;
    const bool startsWithBlot = static_cast<unsigned char>(searched[0]) == kBlot;
    for (;;) {
        std::size_t p = copy.find(searched, from);
        if (p == std::string::npos) return;
        if (!visit(p + 1)) return;
        copy[p] = static_cast<char>(kBlot);
        from = startsWithBlot ? p + 1 : (p + 1 >= searched.size() ? p + 1 - searched.size() : 0);
    }
}

}  // namespace

void SetTextOpsMessageSink(std::function<void(const std::string&)> sink) {
    MessageSink() = std::move(sink);
}

std::string UpperAscii(const std::string& s) {
    std::string r = s;
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}

unsigned char Upper1250(unsigned char c) { return Upper1250Table()[c]; }

std::string Upper1250(const std::string& s) {
    std::string r = s;
    for (char& c : r) c = static_cast<char>(Upper1250(static_cast<unsigned char>(c)));
    return r;
}

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && IsBlank(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::size_t Pos(const std::string& what, const std::string& s) {
    if (what.empty()) return 0;
    std::size_t p = s.find(what);
    return p == std::string::npos ? 0 : p + 1;
}

bool TextToInt(const std::string& t, bool whole, std::int32_t& value) {
    value = 0;
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    int base = 10;
    if (i < t.size() && (t[i] == '$' || t[i] == 'x' || t[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    std::uint64_t v = 0;
    std::size_t digits = 0;
    for (; i < t.size(); ++i, ++digits) {
        const char c = t[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
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

std::string Str_cut_at_char(const std::string& text, char c, bool deleteIt) {
    const std::size_t len = text.size();
    std::size_t i = len == 0 ? 1 : len;
    for (std::size_t k = 0; k + 1 < len; ++k)
        if (text[k] == c) { i = k + 1; break; }
    if (deleteIt) return i >= len ? std::string() : text.substr(i);
    return text.substr(0, std::min(i, len));
}

std::string Str_field(const std::string& text, const std::string& separator, std::uint8_t n) {
    std::string t = text;
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

std::string Str_replace_all(const std::string& text, const std::string& searched,
                            const std::string& replacement, int limit) {
    if (searched.empty()) return text;
    // A replacement that brings the searched text back would be found again
    // for ever; without a limit such a call is one left-to-right pass.
    if (limit == 0 && replacement.find(searched) != std::string::npos)
        return ReplaceText(text, searched, replacement, false);
    std::string t = text;
    std::size_t from = 0;
    long long count = 0;
    // Rescanning can in principle run away on contrived input; past this many
    // replacements the text is returned as it stands.
    const long long guard = 1000000LL + 16LL * static_cast<long long>(text.size());
    for (;;) {
        std::size_t p = t.find(searched, from);
        if (p == std::string::npos) break;
        ++count;
        if ((limit != 0 && count > limit) || count > guard) break;
        t.replace(p, searched.size(), replacement);
        // Text before p - |searched| + 1 held no occurrence and still holds none.
        from = p + 1 >= searched.size() ? p + 1 - searched.size() : 0;
    }
    return t;
}

int Str_poc_vyskytu(const std::string& text, const std::string& searched) {
    if (searched.size() == 1 && static_cast<unsigned char>(searched[0]) == kBlot) {
        ShowCannotUse();
        return 0;
    }
    int count = 0;
    EachBlottedOccurrence(text, searched, [&](std::size_t) { ++count; return true; });
    return count;
}

int Str_nth_position(const std::string& text, const std::string& searched, std::uint8_t n) {
    if (searched.size() == 1 && static_cast<unsigned char>(searched[0]) == kBlot) {
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

std::string Str_drop_extension(const std::string& text) {
    std::size_t i = text.size() > 1 ? text.find('.', 1) : std::string::npos;
    if (i == std::string::npos) return text;
    std::string r = text;
    r.erase(i, 4);
    return r;
}

std::string ReplaceText(const std::string& text, const std::string& searched,
                        const std::string& replacement, bool ignoreCase) {
    if (searched.empty()) return text;
    const std::string hay = ignoreCase ? Upper1250(text) : text;
    const std::string needle = ignoreCase ? Upper1250(searched) : searched;
    std::string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (;;) {
        std::size_t p = hay.find(needle, from);
        if (p == std::string::npos) break;
        out.append(text, from, p - from);
        out += replacement;
        from = p + needle.size();
    }
    out.append(text, from, std::string::npos);
    return out;
}
