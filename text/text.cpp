#include "text/text.h"

#include <array>
#include <vector>

#include "text/cp1250.h"

namespace {

// Both directions as tables made once from the Windows-1250 table: a list of
// 100,000 rows converts every row more than once.
struct Tables {
    std::array<char16_t, 256> toText{};
    std::vector<unsigned char> toBytes = std::vector<unsigned char>(65536, '?');
    std::vector<bool> fits = std::vector<bool>(65536, false);
    Tables() {
        for (int b = 0; b < 256; ++b) toText[b] = static_cast<char16_t>(UnicodeOf1250(static_cast<unsigned char>(b)));
        for (int b = 255; b >= 0; --b) {
            toBytes[toText[b]] = static_cast<unsigned char>(b);
            fits[toText[b]] = true;
        }
    }
};

const Tables& T() {
    static const Tables tables;
    return tables;
}

void PutUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

void AppendCodePoint(Text& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

Text From1250(std::string_view bytes) {
    const Tables& t = T();
    Text text(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) text[i] = t.toText[static_cast<unsigned char>(bytes[i])];
    return text;
}

std::string To1250(TextView text) {
    const Tables& t = T();
    std::string bytes(text.size(), '?');
    for (std::size_t i = 0; i < text.size(); ++i) bytes[i] = static_cast<char>(t.toBytes[text[i]]);
    return bytes;
}

bool Fits1250(TextView text) {
    const Tables& t = T();
    for (char16_t c : text)
        if (!t.fits[c]) return false;
    return true;
}

Text FromUtf8(std::string_view bytes) {
    Text text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        int more = b < 0x80 ? 0 : b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : -1;
        if (more < 0) {
            text += u'\uFFFD';
            ++i;
            continue;
        }
        char32_t cp = more == 0 ? b : more == 1 ? (b & 0x1F) : more == 2 ? (b & 0x0F) : (b & 0x07);
        std::size_t j = 1;
        for (; j <= static_cast<std::size_t>(more) && i + j < bytes.size(); ++j) {
            const auto c = static_cast<unsigned char>(bytes[i + j]);
            if ((c & 0xC0) != 0x80) break;
            cp = (cp << 6) | (c & 0x3F);
        }
        const bool whole = j == static_cast<std::size_t>(more) + 1;
        const bool shortest = more < 2 || (more == 2 && cp >= 0x800) || (more == 3 && cp >= 0x10000);
        if (!whole || !shortest || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            text += u'\uFFFD';
            i += j;  // the bytes read so far; a byte that broke the sequence starts anew
            continue;
        }
        AppendCodePoint(text, cp);
        i += j;
    }
    return text;
}

std::string ToUtf8(TextView text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            PutUtf8(bytes, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            PutUtf8(bytes, 0xFFFD);
        } else {
            PutUtf8(bytes, c);
        }
    }
    return bytes;
}
