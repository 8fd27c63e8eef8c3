#pragma once
// Builds JPEG files with an EXIF block byte by byte, in either byte order:
// FF D8, then APP1 at 2 ("Exif" header), so that TiffBase is 12. The first
// directory stands at 8, the Exif directory right behind it, then the data.
#include <cstdint>
#include <string>
#include <vector>

struct TiffEntry {
    std::uint16_t tag, type;
    std::uint32_t count;
    std::uint32_t value;  // a value, or with data >= 0 the index of a data blob
    int data = -1;
};

struct TiffLayout {
    bool bigEndian = false;
    std::vector<TiffEntry> first, exif;  // exif entries need a 0x8769 entry in first
    std::vector<std::vector<std::uint8_t>> data;
};

inline std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

inline std::vector<std::uint8_t> Rational(bool be, std::uint32_t num, std::uint32_t den) {
    std::vector<std::uint8_t> out;
    for (std::uint32_t v : {num, den})
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (be ? 24 - 8 * i : 8 * i)));
    return out;
}

inline std::vector<std::uint8_t> BuildTiff(const TiffLayout& layout) {
    std::vector<std::uint8_t> t;
    auto u16 = [&](std::uint32_t v) {
        if (layout.bigEndian) { t.push_back(v >> 8 & 0xFF); t.push_back(v & 0xFF); }
        else { t.push_back(v & 0xFF); t.push_back(v >> 8 & 0xFF); }
    };
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            t.push_back(static_cast<std::uint8_t>(v >> (layout.bigEndian ? 24 - 8 * i : 8 * i)));
    };
    const std::uint32_t firstSize = 2 + 12 * static_cast<std::uint32_t>(layout.first.size()) + 4;
    const std::uint32_t exifAt = 8 + firstSize;
    const std::uint32_t exifSize = layout.exif.empty() ? 0 : 2 + 12 * static_cast<std::uint32_t>(layout.exif.size()) + 4;
    std::vector<std::uint32_t> dataAt;
    std::uint32_t at = exifAt + exifSize;
    for (const auto& d : layout.data) { dataAt.push_back(at); at += static_cast<std::uint32_t>(d.size()); }

    if (layout.bigEndian) { t.push_back('M'); t.push_back('M'); } else { t.push_back('I'); t.push_back('I'); }
    u16(42);
    u32(8);
    auto directory = [&](const std::vector<TiffEntry>& entries) {
        u16(static_cast<std::uint32_t>(entries.size()));
        for (const auto& e : entries) {
            u16(e.tag);
            u16(e.type);
            u32(e.count);
            const std::uint32_t v = e.data >= 0 ? dataAt[static_cast<std::size_t>(e.data)]
                                    : e.tag == 0x8769 ? exifAt : e.value;
            if ((e.type == 1 || e.type == 3) && e.data < 0) { u16(v); u16(0); }  // left-justified
            else u32(v);
        }
        u32(0);
    };
    directory(layout.first);
    if (!layout.exif.empty()) directory(layout.exif);
    for (const auto& d : layout.data) t.insert(t.end(), d.begin(), d.end());
    return t;
}

// FF D8, APP1 at 2 with its length and "Exif\0\0", then the TIFF block.
inline std::vector<std::uint8_t> BuildJpeg(const TiffLayout& layout) {
    std::vector<std::uint8_t> f = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x00, 'E', 'x', 'i', 'f', 0, 0};
    const auto tiff = BuildTiff(layout);
    f.insert(f.end(), tiff.begin(), tiff.end());
    return f;
}
