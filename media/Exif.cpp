#include "media/Exif.h"

#include <cmath>
#include <cstdio>

#include "platform/errors.h"

namespace {

constexpr std::uint16_t kIsoSpeedTag = 0x8827;
constexpr std::size_t kMaxText = 65535;  // texts are read with a 16-bit counter
constexpr int kScanReads = 1001;
// All value readers of one file share these. A camera file reads a few dozen
// values that lie in one 64 KiB segment; a crafted directory of 65535 long
// texts would ask for billions of bytes. A value beyond them reads as one
// that lies outside the file.
constexpr unsigned kMaxValueReads = 1024;
constexpr std::uint64_t kMaxValueBytes = 4 << 20;

// Value readers go to a position and always come back, also after a failure,
// so the walk over the entries goes on where it was.
class PositionGuard {
public:
    explicit PositionGuard(ByteReader& in) : in_(in), saved_(in.Position()) {}
    ~PositionGuard() { in_.Seek(saved_); }

private:
    ByteReader& in_;
    std::uint64_t saved_;
};

bool IsApp1(const std::uint8_t* marker) { return marker[0] == 0xFF && marker[1] == 0xE1; }

}  // namespace

const char* OrientationName(unsigned v) {
    static const char* const names[] = {"Normal", "Mirrored", "Rotated 180", "Rotated 180, mirrored",
                                        "Rotated 90 left, mirrored", "Rotated 90 right",
                                        "Rotated 90 right, mirrored", "Rotated 90 left"};
    return v >= 1 && v <= 8 ? names[v - 1] : "Unknown";
}

const char* ExposureProgramName(unsigned v) {
    static const char* const names[] = {"Unknown", "Manual Control", "Normal Program",
                                        "Aperture Priority", "Shutter Priority", "Creative Program",
                                        "Action Program", "Portrait Mode", "Landscape Mode"};
    return v <= 8 ? names[v] : "Unknown";
}

const char* MeteringModeName(unsigned v) {
    static const char* const names[] = {"Unknown", "Average", "Center Weighted Average", "Spot",
                                        "Multi Spot", "Pattern", "Partial", "Other"};
    return v <= 7 ? names[v] : "Unknown";
}

const char* LightSourceName(unsigned v) {
    switch (v) {
        case 0: return "Unknown";
        case 1: return "Daylight";
        case 2: return "Flourescent";
        case 3: return "Tungsten";
        case 10: return "Flash";
        case 17: return "Standard Light A";
        case 18: return "Standard Light B";
        case 19: return "Standard Light C";
        case 20: return "D55";
        case 21: return "D65";
        case 22: return "D75";
        case 255: return "Other";
        default: return "Unknown";
    }
}

const char* FlashName(unsigned v) {
    switch (v) {
        case 1: return "Flash";
        case 5: return "Flash No Strobe";
        case 7: return "Flash Strobe";
        case 25: return "Flash (Auto)";
        default: return "No Flash";
    }
}

std::string ShutterSpeedText(float v) {
    if (v >= 65535.0f) return "1 seconds";
    const double p = std::pow(2.0, static_cast<double>(v));
    if (!std::isfinite(p) || p >= 9223372036854775808.0) return "";
    // Round half to even, as the original rounding did.
    const long long whole = std::llrint(p);
    return "1/" + std::to_string(whole) + " seconds";
}

struct TExif::ValueBudget {
    unsigned reads = kMaxValueReads;
    std::uint64_t bytes = kMaxValueBytes;

    // Takes one value of n bytes; false when it does not fit.
    bool Take(std::uint64_t n) {
        if (reads == 0 || n > bytes) return false;
        --reads;
        bytes -= n;
        return true;
    }
};

void TExif::Reset() { *this = TExif(); }

void TExif::ReadExifFrom(ByteSource& source) {
    Reset();
    ByteReader in(source);
    ValueBudget budget;

    // The start-of-image marker.
    std::uint8_t soi[2];
    in.Read(soi, 2);
    if (soi[0] != 0xFF || soi[1] != 0xD8) return;

    // APP1 at 2, or at 20 behind an APP0 of length 16, or found by the scan.
    std::uint8_t block[9];
    std::uint64_t blockStart = in.Position();
    in.Read(block, 9);
    if (block[0] == 0xFF && block[1] == 0xE0) {
        blockStart = 20;
        in.Seek(blockStart);
        in.Read(block, 9);
    }
    if (!IsApp1(block)) {
        std::uint8_t pair[2] = {0, 0};
        for (int reads = 0; reads < kScanReads; ++reads) {
            in.Read(pair, 2);
            if (IsApp1(pair) || in.Position() >= source.Size()) break;
        }
        if (IsApp1(pair)) {
            blockStart = in.Position() - 2;
            in.Seek(blockStart);
            in.Read(block, 9);
        }
    }
    if (!IsApp1(block)) return;
    HasExif = true;
    const std::uint64_t tiffBase = blockStart + 10;

    // TIFF header: skipped byte, byte order, magic, first directory, 2 bytes.
    in.Seek(tiffBase - 1);
    std::uint8_t header[11];
    in.Read(header, 11);
    MotorolaOrder = header[1] == 0x4D && header[2] == 0x4D;
    std::uint32_t firstOffset = std::uint32_t{header[5]} | (std::uint32_t{header[6]} << 8) |
                                (std::uint32_t{header[7]} << 16) | (std::uint32_t{header[8]} << 24);
    std::uint16_t count = static_cast<std::uint16_t>(header[9] | (header[10] << 8));
    if (MotorolaOrder) {
        firstOffset = Swap32(firstOffset);
        count = Swap16(count);
    }
    if (firstOffset != 8) {
        const std::int32_t signedOffset = static_cast<std::int32_t>(firstOffset);
        const std::uint64_t magnitude = signedOffset < 0
                                            ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(signedOffset))
                                            : static_cast<std::uint64_t>(signedOffset);
        in.Seek(tiffBase + magnitude);
        count = in.U16LE();
        if (MotorolaOrder) count = Swap16(count);
    }
    const unsigned firstCount = count == 0 ? 100 : count;

    // First directory.
    for (unsigned i = 0; i < firstCount; ++i) {
        const DirectoryEntry e = ReadEntry(in);
        const std::uint64_t at = tiffBase + e.value;
        bool stop = false;
        switch (e.tag) {
            case 0x0000: stop = true; break;
            case 0x010E: ImageDescription = ReadText(in, budget, at, e.count); break;
            case 0x010F: Make = ReadText(in, budget, at, e.count); break;
            case 0x0110: Model = ReadText(in, budget, at, e.count); break;
            case 0x0112:
                Orientation = static_cast<std::uint8_t>(e.value);
                OrientationText = OrientationName(e.value);
                break;
            case 0x011A: XResolution = ReadLong(in, budget, at); break;
            case 0x011B: YResolution = ReadLong(in, budget, at); break;
            case 0x0131: Software = ReadText(in, budget, at, e.count); break;
            case 0x0132: DateTime = ReadText(in, budget, at, e.count); break;
            case 0x013B: Artist = ReadText(in, budget, at, e.count); break;
            case 0x8298: RightsNotice = ReadText(in, budget, at, e.count); break;
            case 0x8769: ExifIfdOffset = e.value; break;
            default: break;
        }
        if (stop) break;
    }

    // Exif directory.
    if (ExifIfdOffset == 0) return;
    in.Seek(tiffBase + ExifIfdOffset);
    count = in.U16LE();
    if (MotorolaOrder) count = Swap16(count);
    for (unsigned i = 0; i < count; ++i) {
        const DirectoryEntry e = ReadEntry(in);
        const std::uint64_t at = tiffBase + e.value;
        switch (e.tag) {
            case 0x0000: return;
            case 0x829A: ExposureTime = ReadRationalText(in, budget, at, RationalMode::Fraction) + " seconds"; break;
            case 0x829D: FNumber = ReadRationalText(in, budget, at, RationalMode::Decimal); break;
            case 0x8822:
                ExposureProgram = static_cast<std::uint8_t>(e.value);
                ExposureProgramText = ExposureProgramName(e.value);
                break;
            case kIsoSpeedTag: IsoSpeed = static_cast<std::uint16_t>(e.value); break;
            case 0x9003: DateTimeOriginal = ReadText(in, budget, at, e.count); break;
            case 0x9004: DateTimeDigitized = ReadText(in, budget, at, e.count); break;
            case 0x9102: CompressedBitsPerPixel = ReadRationalText(in, budget, at, RationalMode::Decimal); break;
            case 0x9201: ShutterSpeed = ShutterSpeedText(ReadRationalValue(in, budget, at)); break;
            case 0x9202: Aperture = ReadRationalText(in, budget, at, RationalMode::Decimal); break;
            case 0x9205: MaxAperture = ReadRationalText(in, budget, at, RationalMode::Decimal); break;
            case 0x9207:
                MeteringMode = static_cast<std::uint8_t>(e.value);
                MeteringModeText = MeteringModeName(e.value);
                break;
            case 0x9208:
                LightSource = static_cast<std::uint8_t>(e.value);
                LightSourceText = LightSourceName(e.value);
                break;
            case 0x9209:
                Flash = static_cast<std::uint8_t>(e.value);
                FlashText = FlashName(e.value);
                break;
            case 0x9286: UserComment = ReadText(in, budget, at, e.count); break;
            case 0xA002: ImageWidth = e.value; break;
            case 0xA003: ImageHeight = e.value; break;
            default: break;
        }
    }
}

TExif::DirectoryEntry TExif::ReadEntry(ByteReader& in) const {
    std::uint8_t b[12];
    in.Read(b, 12);
    DirectoryEntry e;
    e.tag = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    e.type = static_cast<std::uint16_t>(b[2] | (b[3] << 8));
    e.count = std::uint32_t{b[4]} | (std::uint32_t{b[5]} << 8) | (std::uint32_t{b[6]} << 16) |
              (std::uint32_t{b[7]} << 24);
    e.value = std::uint32_t{b[8]} | (std::uint32_t{b[9]} << 8) | (std::uint32_t{b[10]} << 16) |
              (std::uint32_t{b[11]} << 24);
    const bool byteOrShort = [&] {
        const std::uint16_t type = MotorolaOrder ? Swap16(e.type) : e.type;
        return type == 1 || type == 3;
    }();
    if (MotorolaOrder) {
        e.tag = Swap16(e.tag);
        e.type = Swap16(e.type);
        e.count = Swap32(e.count);
        if (byteOrShort)
            // The low byte of a big-endian SHORT; the ISO speed keeps both bytes.
            e.value = e.tag == kIsoSpeedTag ? std::uint32_t{b[8]} * 256 + b[9] : b[9];
        else
            e.value = Swap32(e.value);
    } else if (e.tag != kIsoSpeedTag && byteOrShort) {
        e.value &= 0xFF;
    }
    return e;
}

std::string TExif::ReadText(ByteReader& in, ValueBudget& budget, std::uint64_t position,
                            std::uint32_t count) const {
    if (count == 0) return "";
    std::size_t n = count >= 2 ? count - 1 : 1;
    if (n > kMaxText) n = kMaxText;
    // Only the bytes that are there are read and paid for.
    const std::uint64_t there = position < in.Size() ? in.Size() - position : 0;
    const std::size_t take = n < there ? n : static_cast<std::size_t>(there);
    if (!budget.Take(take)) return "";
    PositionGuard guard(in);
    in.Seek(position);
    std::string text(take, '\0');
    const std::size_t got = in.ReadUpTo(text.data(), take);
    // The text ends after its first NUL; one that runs out of file first is unreadable.
    const std::size_t nul = text.find('\0');
    if (nul < got) text.resize(nul + 1);
    else if (got < n) return "";
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.pop_back();
    return text;
}

std::uint32_t TExif::ReadLong(ByteReader& in, ValueBudget& budget, std::uint64_t position) const {
    if (!budget.Take(4)) return 0;
    PositionGuard guard(in);
    try {
        in.Seek(position);
        const std::uint32_t v = in.U32LE();
        return MotorolaOrder ? Swap32(v) : v;
    } catch (const EInOutError&) {
        return 0;
    }
}

bool TExif::ReadRational(ByteReader& in, ValueBudget& budget, std::uint64_t position,
                         std::uint32_t& num, std::uint32_t& den) const {
    if (!budget.Take(8)) return false;
    PositionGuard guard(in);
    try {
        in.Seek(position);
        num = in.U32LE();
        den = in.U32LE();
    } catch (const EInOutError&) {
        return false;
    }
    if (MotorolaOrder) {
        num = Swap32(num);
        den = Swap32(den);
    }
    return den != 0;
}

std::string TExif::ReadRationalText(ByteReader& in, ValueBudget& budget, std::uint64_t position,
                                    RationalMode mode) const {
    std::uint32_t num = 0, den = 0;
    if (!ReadRational(in, budget, position, num, den)) return "";
    if (mode == RationalMode::Fraction)
        return den == 1000000 ? "0" : std::to_string(num) + "/" + std::to_string(den);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(num) / den);
    std::string text = buf;
    if (!text.empty() && text.back() == '0') text.pop_back();
    return text;
}

float TExif::ReadRationalValue(ByteReader& in, ValueBudget& budget, std::uint64_t position) const {
    std::uint32_t num = 0, den = 0;
    if (!ReadRational(in, budget, position, num, den)) return 0.0f;
    return static_cast<float>(num) / static_cast<float>(den);
}
