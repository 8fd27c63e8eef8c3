#include "media/id3_text.h"

#include "text/cp1250.h"

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
// by another byte, is '?'.
void AppendUtf8(std::string& out, const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n;) {
        const std::uint8_t b = p[i];
        if (b == 0xEF && (i == 0 || p[i - 1] == 0) && n - i >= 3 && p[i + 1] == 0xBB && p[i + 2] == 0xBF) {
            i += 3;
            continue;
        }
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        const std::size_t extra = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 0;
        if (extra == 0) {
            out += '?';
            ++i;
            continue;
        }
        char32_t c = b & (0x3F >> extra);
        std::size_t k = 1;
        for (; k <= extra && i + k < n && (p[i + k] & 0xC0) == 0x80; ++k) c = (c << 6) | (p[i + k] & 0x3F);
        i += k;
        if (k <= extra) {
            if (i < n) out += '?';
            continue;
        }
        const bool overlong = (extra == 1 && c < 0x80) || (extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000);
        out += overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) ? '?' : Cp1250Of(c);
    }
}

// UTF-16 code units; a byte-order mark (at the start of each string of a
// frame) sets the byte order, a lone surrogate is '?', and an odd last byte
// is no text.
void AppendUtf16(std::string& out, const std::uint8_t* p, std::size_t n, bool bigEndian) {
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
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            ++i;  // a pair: no Windows-1250 character lies beyond the first plane
            out += '?';
            continue;
        }
        out += u >= 0xD800 && u <= 0xDFFF ? '?' : Cp1250Of(u);
    }
}

void AppendDecoded(std::string& out, std::uint8_t encoding, const std::uint8_t* p, std::size_t n) {
    if (encoding == 3) AppendUtf8(out, p, n);
    else AppendUtf16(out, p, n, encoding == 2);
}

bool IsAscii(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

void AppendUtf16Le(std::vector<std::uint8_t>& out, const std::string& text) {
    out.push_back(0xFF);
    out.push_back(0xFE);
    for (unsigned char c : text) {
        const char32_t u = UnicodeOf1250(c);
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    }
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

std::string Utf8As1250(const std::string& bytes) {
    std::string out;
    AppendUtf8(out, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return out;
}

std::string DecodeFrameData(const std::string& identifier, const char* buffer, std::size_t got,
                            std::size_t bufferSize) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(buffer);
    if (got == 0 || p[0] < 1 || p[0] > 3) return std::string(buffer, bufferSize);
    const std::uint8_t encoding = p[0];
    const FrameKind kind = KindOf(identifier);
    std::string slot(1, '\0');
    std::size_t at = 1;
    if (kind == FrameKind::Comment) {
        const std::size_t language = got - at < 3 ? got - at : 3;
        slot.append(buffer + at, language);
        at += language;
    }
    if (kind != FrameKind::Text) {
        std::size_t terminator = 0;
        const std::size_t length = TerminatedLength(p + at, got - at, encoding != 3, terminator);
        AppendDecoded(slot, encoding, p + at, length);
        at += length + terminator;
        slot += '\0';
        if (kind == FrameKind::Link) {
            for (; at < got; ++at) slot += Cp1250Of(p[at]);
            return slot;
        }
    }
    AppendDecoded(slot, encoding, p + at, got - at);
    return slot;
}

std::vector<std::uint8_t> EncodeFrameData(const std::string& identifier, const std::string& text) {
    std::vector<std::uint8_t> out;
    if (IsAscii(text)) {
        out.push_back(0);
        out.insert(out.end(), text.begin(), text.end());
        return out;
    }
    out.push_back(1);
    const FrameKind kind = KindOf(identifier);
    if (kind == FrameKind::Text) {
        AppendUtf16Le(out, text);
        return out;
    }
    std::string rest = text;
    if (kind == FrameKind::Comment) {
        const std::string language = rest.substr(0, 3);
        out.insert(out.end(), language.begin(), language.end());
        rest = rest.size() > 3 ? rest.substr(3) : std::string();
    }
    const std::size_t zero = rest.find('\0');
    const std::string description = zero == std::string::npos ? std::string() : rest.substr(0, zero);
    const std::string value = zero == std::string::npos ? rest : rest.substr(zero + 1);
    AppendUtf16Le(out, description);
    out.push_back(0);
    out.push_back(0);
    if (kind == FrameKind::Comment) {
        AppendUtf16Le(out, value);
    } else {
        for (unsigned char c : value) {
            const char32_t u = UnicodeOf1250(c);
            out.push_back(u <= 0xFF ? static_cast<std::uint8_t>(u) : '?');
        }
    }
    return out;
}
