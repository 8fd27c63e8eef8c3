#include "media/Exif.h"

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "tests/media/exif_builder.h"
#include "tests/text_1250/text_1250.h"

namespace {

TExif Read(const std::vector<std::uint8_t>& bytes) {
    TExif x;
    MemorySource src(bytes);
    x.ReadExifFrom(src);
    return x;
}

const std::vector<std::uint8_t> kWorkedExample = {
    0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x30, 0x45, 0x78, 0x69, 0x66, 0x00, 0x00,  // 0..11
    0x49, 0x49, 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00,                          // 12: header
    0x01, 0x00,                                                              // 20: count
    0x32, 0x01, 0x02, 0x00, 0x14, 0x00, 0x00, 0x00, 0x1A, 0x00, 0x00, 0x00,  // 22: entry
    0x00, 0x00, 0x00, 0x00,                                                  // 34: link
    '2', '0', '0', '4', ':', '0', '5', ':', '0', '6', ' ', '1', '2', ':', '3', '4', ':', '5', '6', 0,
};

TEST(Exif, WorkedExampleAndItsBigEndianTwin) {
    TExif le = Read(kWorkedExample);
    EXPECT_TRUE(le.HasExif);
    EXPECT_FALSE(le.MotorolaOrder);
    EXPECT_EQ(le.DateTime, "2004:05:06 12:34:56");
    EXPECT_EQ(le.ExifIfdOffset, 0u);
    EXPECT_EQ(le.Make, "");
    EXPECT_EQ(le.IsoSpeed, 0);

    TiffLayout be;
    be.bigEndian = true;
    be.data = {Bytes(std::string("2004:05:06 12:34:56") + '\0')};
    be.first = {{0x0132, 2, 20, 0, 0}};
    TExif b = Read(BuildJpeg(be));
    EXPECT_TRUE(b.MotorolaOrder);
    EXPECT_EQ(b.DateTime, "2004:05:06 12:34:56");
}

// Puts the worked example's APP1 block at another position of a JPEG.
std::vector<std::uint8_t> WithApp1At(std::size_t pos, bool app0) {
    std::vector<std::uint8_t> f = {0xFF, 0xD8};
    if (app0) {
        const std::uint8_t jfif[] = {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
        f.insert(f.end(), std::begin(jfif), std::end(jfif));
    }
    while (f.size() < pos) f.push_back(0x11);
    f.insert(f.end(), kWorkedExample.begin() + 2, kWorkedExample.end());
    // The scan reads pairs from 11 on; an odd length makes them end at the end.
    if (f.size() % 2 == 0) f.push_back(0x11);
    return f;
}

TEST(Exif, FindingTheApp1Segment) {
    struct Case { std::size_t pos; bool app0, found; };
    const std::vector<Case> cases = {
        {2, false, true},     // right after the start marker
        {20, true, true},     // behind a 16-byte APP0
        {41, false, true},    // found by the scan at an odd position
        {41, true, true},
        {40, false, false},   // an even position is never seen
        {2011, false, true},  // the 1001st pair
        {2013, false, false}, // beyond the scan
    };
    for (const auto& c : cases) {
        TExif x = Read(WithApp1At(c.pos, c.app0));
        EXPECT_EQ(x.HasExif, c.found) << c.pos;
        EXPECT_EQ(x.DateTime, c.found ? "2004:05:06 12:34:56" : "") << c.pos;
    }
    EXPECT_FALSE(Read(Bytes("GIF89a and more bytes than enough for a block")).HasExif);

    // A scan that meets a file with one byte left fails like any short read.
    std::vector<std::uint8_t> odd = {0xFF, 0xD8, 0xFF, 0xDB, 0, 0, 0, 0, 0, 0, 0, 0x22, 0x33, 0x44};
    TExif x;
    MemorySource src(odd);
    EXPECT_THROW(x.ReadExifFrom(src), EInOutError);
    EXPECT_FALSE(x.HasExif);
}

TEST(Exif, TextsAreTrimmedAndBounded) {
    TiffLayout s;
    s.data = {Bytes(std::string("Canon   ") + '\0'), Bytes("XY"), Bytes("Q"),
              Bytes(std::string("ASCII\0\0\0Hello", 13)), Bytes(std::string("A\0B", 3))};
    s.first = {
        {0x010F, 2, 9, 0, 0},        // terminator and trailing blanks removed
        {0x0110, 2, 1, 0, 2},        // count 1 reads one byte
        {0x010E, 2, 0, 0, 1},        // count 0: empty
        {0x0131, 2, 20, 0xFFFFF0},   // past the end: empty, the walk goes on
        {0x013B, 2, 3, 0, 4},        // stops after the NUL
        {0x8298, 2, 100000, 0, 1},   // a huge count reads what is there
        {0x8769, 4, 1, 0},
    };
    s.exif = {{0x9286, 7, 13, 0, 3}};
    TExif x = Read(BuildJpeg(s));
    EXPECT_EQ(x.Make, "Canon");
    EXPECT_EQ(x.Model, "Q");
    EXPECT_EQ(x.ImageDescription, "");
    EXPECT_EQ(x.Software, "");
    EXPECT_EQ(x.Artist, "A");
    EXPECT_EQ(x.UserComment, "ASCII");
    EXPECT_EQ(x.RightsNotice.substr(0, 2), "XY");
    EXPECT_LE(x.RightsNotice.size(), 65535u);
}

TEST(Exif, RationalsInBothModesAndOrders) {
    for (bool be : {false, true}) {
        TiffLayout s;
        s.bigEndian = be;
        s.data = {Rational(be, 1, 125), Rational(be, 28, 10), Rational(be, 7, 1), Rational(be, 314, 100),
                  Rational(be, 8, 1), Rational(be, 5, 0), Rational(be, 33333, 1000000), Rational(be, 72, 1)};
        s.first = {{0x011A, 5, 1, 0, 7}, {0x011B, 5, 1, 0, 4}, {0x8769, 4, 1, 0}};
        s.exif = {{0x829A, 5, 1, 0, 0}, {0x829D, 5, 1, 0, 1}, {0x9201, 10, 1, 0, 2},
                  {0x9202, 5, 1, 0, 3}, {0x9205, 5, 1, 0, 4}, {0x9102, 5, 1, 0, 5}};
        TExif x = Read(BuildJpeg(s));
        EXPECT_EQ(x.ExposureTime, "1/125 seconds") << be;
        EXPECT_EQ(x.FNumber, "2.8");
        EXPECT_EQ(x.ShutterSpeed, "1/128 seconds");
        EXPECT_EQ(x.Aperture, "3.14");
        EXPECT_EQ(x.MaxAperture, "8.0");
        EXPECT_EQ(x.CompressedBitsPerPixel, "");  // zero denominator
        EXPECT_EQ(x.XResolution, 72u);             // the numerator only
        EXPECT_EQ(x.YResolution, 8u);

        s.data = {Rational(be, 33333, 1000000), Rational(be, 0, 1), Rational(be, 1, 0), Rational(be, 0, 0),
                  Rational(be, 56, 10)};
        s.exif = {{0x829A, 5, 1, 0, 0}, {0x829D, 5, 1, 0, 4}, {0x9201, 10, 1, 0, 2},
                  {0x9202, 5, 1, 0, 1}, {0x9205, 5, 1, 0, 3}};
        x = Read(BuildJpeg(s));
        EXPECT_EQ(x.ExposureTime, "0 seconds");
        EXPECT_EQ(x.FNumber, "5.6");
        EXPECT_EQ(x.ShutterSpeed, "1/1 seconds");  // zero denominator: v = 0
        EXPECT_EQ(x.Aperture, "0.0");
        EXPECT_EQ(x.MaxAperture, "");
    }
    TiffLayout z;
    z.data = {Rational(false, 1, 0)};
    z.first = {{0x8769, 4, 1, 0}};
    z.exif = {{0x829A, 5, 1, 0, 0}};
    EXPECT_EQ(Read(BuildJpeg(z)).ExposureTime, " seconds");
}

TEST(Exif, ShutterSpeedPowers) {
    EXPECT_EQ(ShutterSpeedText(7.0f), "1/128 seconds");
    EXPECT_EQ(ShutterSpeedText(0.0f), "1/1 seconds");
    EXPECT_EQ(ShutterSpeedText(62.0f), "1/4611686018427387904 seconds");
    EXPECT_EQ(ShutterSpeedText(63.0f), "");      // 2^63 is not below 2^63
    EXPECT_EQ(ShutterSpeedText(65534.0f), "");
    EXPECT_EQ(ShutterSpeedText(65535.0f), "1 seconds");
    EXPECT_EQ(ShutterSpeedText(4294967295.0f), "1 seconds");  // a negative APEX value read unsigned
}

TEST(Exif, NameTablesWordForWord) {
    const std::vector<std::pair<unsigned, std::string>> orientation = {
        {0, "Unknown"}, {1, "Normal"}, {2, "Mirrored"}, {3, "Rotated 180"}, {4, "Rotated 180, mirrored"},
        {5, "Rotated 90 left, mirrored"}, {6, "Rotated 90 right"}, {7, "Rotated 90 right, mirrored"},
        {8, "Rotated 90 left"}, {9, "Unknown"}};
    for (const auto& [v, n] : orientation) EXPECT_EQ(OrientationName(v), n) << v;
    const std::vector<std::pair<unsigned, std::string>> program = {
        {0, "Unknown"}, {1, "Manual Control"}, {2, "Normal Program"}, {3, "Aperture Priority"},
        {4, "Shutter Priority"}, {5, "Creative Program"}, {6, "Action Program"}, {7, "Portrait Mode"},
        {8, "Landscape Mode"}, {9, "Unknown"}};
    for (const auto& [v, n] : program) EXPECT_EQ(ExposureProgramName(v), n) << v;
    const std::vector<std::pair<unsigned, std::string>> metering = {
        {0, "Unknown"}, {1, "Average"}, {2, "Center Weighted Average"}, {3, "Spot"}, {4, "Multi Spot"},
        {5, "Pattern"}, {6, "Partial"}, {7, "Other"}, {8, "Unknown"}, {255, "Unknown"}};
    for (const auto& [v, n] : metering) EXPECT_EQ(MeteringModeName(v), n) << v;
    const std::vector<std::pair<unsigned, std::string>> light = {
        {0, "Unknown"}, {1, "Daylight"}, {2, "Flourescent"}, {3, "Tungsten"}, {4, "Unknown"},
        {10, "Flash"}, {17, "Standard Light A"}, {18, "Standard Light B"}, {19, "Standard Light C"},
        {20, "D55"}, {21, "D65"}, {22, "D75"}, {23, "Unknown"}, {255, "Other"}};
    for (const auto& [v, n] : light) EXPECT_EQ(LightSourceName(v), n) << v;
    const std::vector<std::pair<unsigned, std::string>> flash = {
        {0, "No Flash"}, {1, "Flash"}, {5, "Flash No Strobe"}, {7, "Flash Strobe"},
        {16, "No Flash"}, {25, "Flash (Auto)"}, {9, "No Flash"}};
    for (const auto& [v, n] : flash) EXPECT_EQ(FlashName(v), n) << v;
}

TEST(Exif, ShortAndByteValuesAreReducedExceptTheIsoSpeed) {
    for (bool be : {false, true}) {
        TiffLayout s;
        s.bigEndian = be;
        s.first = {{0x0112, 3, 1, 6}, {0x8769, 4, 1, 0}};
        s.exif = {{0x8827, 3, 1, 400}, {0xA002, 3, 1, 1600}, {0xA003, 4, 1, 1600},
                  {0x8822, 3, 1, 8}, {0x9207, 3, 1, 255}, {0x9208, 3, 1, 255}, {0x9209, 3, 1, 16}};
        TExif x = Read(BuildJpeg(s));
        EXPECT_EQ(x.Orientation, 6) << be;
        EXPECT_EQ(x.OrientationText, "Rotated 90 right");
        EXPECT_EQ(x.IsoSpeed, 400);
        EXPECT_EQ(x.ImageWidth, 64u);   // SHORT 1600: its low byte
        EXPECT_EQ(x.ImageHeight, 1600u);
        EXPECT_EQ(x.ExposureProgramText, "Landscape Mode");
        EXPECT_EQ(x.MeteringModeText, "Unknown");
        EXPECT_EQ(x.LightSourceText, "Other");
        EXPECT_EQ(x.FlashText, "No Flash");
    }
}

TEST(Exif, FirstDirectoryElsewhereAndCountZero) {
    // Offset 12 instead of 8: four filler bytes, then the directory.
    std::vector<std::uint8_t> f(kWorkedExample.begin(), kWorkedExample.begin() + 16);
    const std::uint8_t rest[] = {0x0C, 0x00, 0x00, 0x00, 0xAA, 0xBB, 0xCC, 0xDD, 0x01, 0x00,
                                 0x32, 0x01, 0x02, 0x00, 0x05, 0x00, 0x00, 0x00, 0x1E, 0x00, 0x00, 0x00,
                                 0, 0, 0, 0, '2', '0', '0', '4', 0};
    f.insert(f.end(), std::begin(rest), std::end(rest));
    EXPECT_EQ(Read(f).DateTime, "2004");

    // Count 0 reads on (up to 100 entries) until a tag 0.
    std::vector<std::uint8_t> g = kWorkedExample;
    g[20] = 0;
    TExif x = Read(g);
    EXPECT_EQ(x.DateTime, "2004:05:06 12:34:56");  // the link's tag 0 stopped it
}

TEST(Exif, TruncatedAtEveryLength) {
    for (std::size_t n = 0; n < kWorkedExample.size(); ++n) {
        std::vector<std::uint8_t> cut(kWorkedExample.begin(), kWorkedExample.begin() + n);
        TExif x;
        MemorySource src(cut);
        bool failed = false;
        try {
            x.ReadExifFrom(src);
        } catch (const EInOutError& e) {
            failed = true;
            EXPECT_STREQ(e.ClassName(), "EInOutError");
        }
        EXPECT_EQ(failed, n < 34) << n;       // the walk, the header, the count or the entry ends
        EXPECT_EQ(x.HasExif, n >= 11) << n;
        EXPECT_EQ(x.DateTime, n >= 57 ? "2004:05:06 12:34:56" : "") << n;
    }
}

// A memory source that counts what the walker asks of it.
class CountingSource : public MemorySource {
public:
    using MemorySource::MemorySource;
    std::size_t ReadAt(std::uint64_t pos, void* buffer, std::size_t n) override {
        ++calls;
        bytes += n;
        return MemorySource::ReadAt(pos, buffer, n);
    }
    std::uint64_t calls = 0, bytes = 0;
};

TEST(Exif, HostileDirectoriesEndCleanly) {
    // An Exif directory that points at itself with 65535 entries: the entries
    // run out of file and the read ends with the input/output error.
    TiffLayout s;
    s.first = {{0x8769, 4, 1, 0}};
    s.exif = {{0x9209, 3, 1, 1}};
    auto f = BuildJpeg(s);
    f[12 + 8 + 2 + 12 + 4] = 0xFF;
    f[12 + 8 + 2 + 12 + 4 + 1] = 0xFF;
    TExif x;
    MemorySource src(f);
    EXPECT_THROW(x.ReadExifFrom(src), EInOutError);
    EXPECT_EQ(x.FlashText, "Flash");  // set before the error, kept

    // A first directory at a negative offset counts by its magnitude.
    std::vector<std::uint8_t> g = kWorkedExample;
    g[16] = 0xF8; g[17] = 0xFF; g[18] = 0xFF; g[19] = 0xFF;  // -8
    EXPECT_NO_THROW(Read(g));
    EXPECT_EQ(Read(g).DateTime, "2004:05:06 12:34:56");

    // A directory of 65535 values at one offset, texts of 65535 bytes or
    // longs: the value readers stop at a few MiB and a thousand reads instead
    // of asking for four billion bytes or making a call per entry.
    for (const TiffEntry value : {TiffEntry{0x010F, 2, 65535, 0, 0}, TiffEntry{0x011A, 5, 1, 0, 1}}) {
        TiffLayout h;
        h.data = {std::vector<std::uint8_t>(65534, 'A'), Rational(false, 72, 1)};
        h.first.assign(65535, value);
        CountingSource big(BuildJpeg(h));
        TExif y;
        y.ReadExifFrom(big);
        EXPECT_LT(big.bytes, 65535u * 12 + (8u << 20)) << value.tag;
        EXPECT_LT(big.calls, 65535u + 4096) << value.tag;
    }
}

}  // namespace
