#pragma once
// The EXIF block of a JPEG file read into a flat record of picture facts.
// A small, tolerant walker: the APP1 segment is found at fixed positions
// and by a bounded scan, and only the first and the Exif directory are read.
#include <cstdint>
#include <string>

#include "text/text.h"

#include "media/byte_source.h"

class TExif {
public:
    TExif() = default;  // every field starts reset

    std::string ImageDescription, Make, Model;
    std::uint8_t Orientation = 0;
    std::string OrientationText, RightsNotice;
    bool HasExif = false;
    std::string DateTime, DateTimeOriginal, DateTimeDigitized, UserComment, ExposureTime,
        FNumber, ShutterSpeed, Aperture, MaxAperture;
    std::uint8_t ExposureProgram = 0;
    std::string ExposureProgramText;
    std::uint32_t ImageWidth = 0, ImageHeight = 0, XResolution = 0, YResolution = 0;
    std::uint8_t MeteringMode = 0;
    std::string MeteringModeText;
    std::uint8_t LightSource = 0;
    std::string LightSourceText;
    std::uint8_t Flash = 0;
    std::string FlashText;
    std::uint16_t IsoSpeed = 0;
    std::string Software, Artist, CompressedBitsPerPixel;
    std::uint32_t ExifIfdOffset = 0;
    bool MotorolaOrder = false;

    void Reset();
    // Reads the file at path (nothing happens when there is none). Throws
    // EInOutError when it cannot be opened or ends during the walk.
    void ReadExif(const Text& path);
    void ReadExif(const std::string& path) { ReadExif(From1250(path)); }  // a Windows-1250 path
    // The walk itself, over any source of bytes.
    void ReadExifFrom(ByteSource& source);

private:
    struct DirectoryEntry {
        std::uint16_t tag, type;
        std::uint32_t count, value;
    };
    enum class RationalMode { Fraction, Decimal };
    struct ValueBudget;  // what the value readers of one read may still take

    DirectoryEntry ReadEntry(ByteReader& in) const;
    std::string ReadText(ByteReader& in, ValueBudget& budget, std::uint64_t position,
                         std::uint32_t count) const;
    std::uint32_t ReadLong(ByteReader& in, ValueBudget& budget, std::uint64_t position) const;
    std::string ReadRationalText(ByteReader& in, ValueBudget& budget, std::uint64_t position,
                                 RationalMode mode) const;
    float ReadRationalValue(ByteReader& in, ValueBudget& budget, std::uint64_t position) const;
    bool ReadRational(ByteReader& in, ValueBudget& budget, std::uint64_t position,
                      std::uint32_t& num, std::uint32_t& den) const;
};

// The name tables.
const char* OrientationName(unsigned value);
const char* ExposureProgramName(unsigned value);
const char* MeteringModeName(unsigned value);
const char* LightSourceName(unsigned value);
const char* FlashName(unsigned value);
// "1/128 seconds" from an APEX value; empty when 2^v is out of range.
std::string ShutterSpeedText(float v);
