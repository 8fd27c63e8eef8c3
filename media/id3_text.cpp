#include "media/id3_text.h"

#include <algorithm>
#include <string_view>

namespace {

enum class FrameKind { Text, Comment, Link };

// COMM and COM hold a comment, WXXX and WXX a link; the slots hold no other kinds.
FrameKind KindOf(const std::string& identifier) {
    if (!identifier.empty() && identifier[0] == 'C') return FrameKind::Comment;
    if (!identifier.empty() && identifier[0] == 'W') return FrameKind::Link;
    return FrameKind::Text;
}

// UTF-8; a byte-order mark at the start of a string (at the start, or after
// a zero byte) is skipped; a sequence that the end of the bytes cuts short
// is dropped; a byte that begins no sound sequence, or a sequence broken off
// by another byte, is U+FFFD.
void AppendUtf8(Text& out, const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n;) {
        const std::uint8_t b = p[i];
        if (b == 0xEF && (i == 0 || p[i - 1] == 0) && n - i >= 3 && p[i + 1] == 0xBB && p[i + 2] == 0xBF) {
            i += 3;
            continue;
        }
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        }
        const std::size_t extra = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 0;
        if (extra == 0) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        char32_t c = b & (0x3F >> extra);
        std::size_t k = 1;
        for (; k <= extra && i + k < n && (p[i + k] & 0xC0) == 0x80; ++k) c = (c << 6) | (p[i + k] & 0x3F);
        i += k;
        if (k <= extra) {
            if (i < n) out += u'\uFFFD';
            continue;
        }
        const bool overlong = (extra == 1 && c < 0x80) || (extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000);
        if (overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) out += u'\uFFFD';
        else AppendCodePoint(out, c);
    }
}

// UTF-16 code units; a byte-order mark (at the start of each string of a
// frame) sets the byte order, a lone surrogate is U+FFFD, and an odd last
// byte or a first half of a pair at the end is no text.
void AppendUtf16(Text& out, const std::uint8_t* p, std::size_t n, bool bigEndian) {
    const std::size_t units = n / 2;
    auto unit = [&](std::size_t i) {
        return static_cast<char16_t>(bigEndian ? (p[2 * i] << 8) | p[2 * i + 1] : p[2 * i] | (p[2 * i + 1] << 8));
    };
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t u = unit(i);
        if (u == 0xFEFF) continue;
        if (u == 0xFFFE) {
            bigEndian = !bigEndian;
            continue;
        }
        if (IsHighSurrogate(u) && i + 1 < units && IsLowSurrogate(unit(i + 1))) {
            out += u;
            out += unit(++i);
            continue;
        }
        if (IsHighSurrogate(u) && i + 1 == units) break;  // the end cuts the pair off
        out += IsHighSurrogate(u) || IsLowSurrogate(u) ? u'\uFFFD' : u;
    }
}

Text Decoded(std::uint8_t encoding, const std::uint8_t* p, std::size_t n) {
    Text out;
    if (encoding == 3) AppendUtf8(out, p, n);
    else AppendUtf16(out, p, n, encoding == 2);
    return out;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}
bool IsAscii(TextView text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
}

void AppendUtf16Le(std::vector<std::uint8_t>& out, TextView text) {
    out.push_back(0xFF);
    out.push_back(0xFE);
    for (char16_t u : text) {
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    }
}

// The 8-bit layout, read from the whole zero-filled buffer: what follows
// the encoding byte (and a comment's language) is the description up to the
// first zero byte and the text after it, or all text without a zero byte.
FrameText DecodeEightBit(FrameKind kind, std::string_view all) {
    FrameText frame;
    if (kind == FrameKind::Text) {
        frame.text = From1250(all);
        return frame;
    }
    std::string_view rest = all.substr(std::min<std::size_t>(1, all.size()));
    if (kind == FrameKind::Comment) {
        frame.language = std::string(rest.substr(0, 3));
        rest = rest.substr(std::min<std::size_t>(3, rest.size()));
    }
    const std::size_t zero = rest.find('\0');
    if (zero == std::string_view::npos) {
        frame.text = From1250(rest);
    } else {
        frame.description = From1250(rest.substr(0, zero));
        frame.text = From1250(rest.substr(zero + 1));
    }
    return frame;
}

}  // namespace

// The length of the string at p before its terminator (one zero byte, or two
// at an even offset in UTF-16), and the terminator's length (0: none).
std::size_t TerminatedLength(const std::uint8_t* p, std::size_t n, bool wide, std::size_t& terminator) {
    terminator = wide ? 2 : 1;
    if (wide) {
        for (std::size_t i = 0; i + 1 < n; i += 2)
            if (p[i] == 0 && p[i + 1] == 0) return i;
    } else {
        for (std::size_t i = 0; i < n; ++i)
            if (p[i] == 0) return i;
    }
    terminator = 0;
    return n;
}

FrameText DecodeFrameData(const std::string& identifier, const char* buffer, std::size_t got,
                          std::size_t bufferSize) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(buffer);
    const FrameKind kind = KindOf(identifier);
    if (got == 0 || p[0] < 1 || p[0] > 3) return DecodeEightBit(kind, std::string_view(buffer, bufferSize));
    const std::uint8_t encoding = p[0];
    FrameText frame;
    std::size_t at = 1;
    if (kind == FrameKind::Comment) {
        const std::size_t language = got - at < 3 ? got - at : 3;
        frame.language.assign(buffer + at, language);
        at += language;
    }
    if (kind != FrameKind::Text) {
        std::size_t terminator = 0;
        const std::size_t length = TerminatedLength(p + at, got - at, encoding != 3, terminator);
        frame.description = Decoded(encoding, p + at, length);
        at += length + terminator;
        if (kind == FrameKind::Link) {
            for (; at < got; ++at) frame.text += static_cast<char16_t>(p[at]);
            return frame;
        }
    }
    frame.text = Decoded(encoding, p + at, got - at);
    return frame;
}

std::vector<std::uint8_t> EncodeFrameData(const std::string& identifier, const FrameText& frame) {
    const FrameKind kind = KindOf(identifier);
    std::string language = frame.language;
    language.resize(3, 'X');
    std::vector<std::uint8_t> out;
    if (IsAscii(language) && IsAscii(frame.description) && IsAscii(frame.text)) {
        out.push_back(0);
        if (kind == FrameKind::Comment) out.insert(out.end(), language.begin(), language.end());
        if (kind != FrameKind::Text) {
            for (char16_t c : frame.description) out.push_back(static_cast<std::uint8_t>(c));
            out.push_back(0);
        }
        for (char16_t c : frame.text) out.push_back(static_cast<std::uint8_t>(c));
        return out;
    }
    out.push_back(1);
    if (kind == FrameKind::Comment) out.insert(out.end(), language.begin(), language.end());
    if (kind != FrameKind::Text) {
        AppendUtf16Le(out, frame.description);
        out.push_back(0);
        out.push_back(0);
    }
    if (kind != FrameKind::Link) {
        AppendUtf16Le(out, frame.text);
        return out;
    }
    for (std::size_t i = 0; i < frame.text.size(); ++i) {
        const char16_t u = frame.text[i];
        if (IsHighSurrogate(u) && i + 1 < frame.text.size() && IsLowSurrogate(frame.text[i + 1])) ++i;
        out.push_back(u <= 0xFF ? static_cast<std::uint8_t>(u) : '?');
    }
    return out;
}
