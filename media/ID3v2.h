#pragma once
// ID3 version 2 tags: read for major versions 2 to 4, written as version 3.
// Frame texts are decoded by their encoding into Windows-1250 and written as
// 8-bit text when plain ASCII, else as UTF-16 (media/id3_text.h).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "media/byte_source.h"

// The working record of one read or write.
struct TagInfo {
    std::array<std::uint8_t, 10> header{};  // "ID3", version, revision, flags, 4 size bytes
    std::int64_t FileSize = 0;
    std::array<std::string, 16> Frames;     // slots 1 to 16 at indexes 0 to 15

    std::string Id() const { return std::string(header.begin(), header.begin() + 3); }
    std::uint8_t Version() const { return header[3]; }
    std::uint8_t Flags() const { return header[5]; }
};

extern const char* const FrameIdsV23[16];
extern const char* const FrameIdsV22[16];

// The whole tag's length (header, frames, footer); 0 when it exceeds the file.
std::int64_t TotalTagSize(const TagInfo& info);
// Read the frames after the tag header into the slots (10-byte frame headers
// with 4-byte sizes, or 6-byte ones with 3-byte sizes); damage ends it silently.
void ReadFramesV23(ByteSource& source, TagInfo& info);
void ReadFramesV22(ByteSource& source, TagInfo& info);
void StoreFrame(const std::string& identifier, const std::string& text, TagInfo& info);
void BuildTagHeader(TagInfo& info);
// The tag as written: the header, then the frames of the non-empty slots.
std::vector<std::uint8_t> SerializeTagBytes(TagInfo& info);

// The file operations (media/id3v2_file.cpp).
bool ReadTagHeader(const std::string& fileName, TagInfo& info);
bool SerializeTag(const std::string& fileName, TagInfo& info);
bool ReplaceTagInFile(const std::string& fileName, const std::vector<std::uint8_t>& newTag);

std::string FirstNonEmpty(const std::string& a, const std::string& b);
std::int32_t ParseTrack(const std::string& s);
std::string ParseYear(const std::string& year, const std::string& date);
std::string ParseGenre(const std::string& s);
std::string ParseComment(const std::string& s);
std::string ParseLink(const std::string& s);

class TID3v2 {
public:
    TID3v2() = default;  // every field starts cleared

    bool TagPresent = false;
    std::uint8_t MajorVersion = 0;
    std::int64_t TagSize = 0;
    std::string Title, Artist, Album;
    std::uint8_t Track = 0;
    std::string Year, Genre, Comment, Composer, Encoder, Rights, Language, Link;

    void Clear() { *this = TID3v2(); }
    void SetTitle(const std::string& text);
    void SetArtist(const std::string& text);
    void SetAlbum(const std::string& text);
    void SetGenre(const std::string& text);
    void SetComment(const std::string& text);
    void SetTrack(int value) { Track = static_cast<std::uint8_t>(value); }

    // Clears the fields and reads the tag at the start of the file; false
    // when the file cannot be opened or read or is shorter than ten bytes.
    bool ReadTag(const std::string& fileName);
    // Puts a version 3 tag built from the fields in front of the audio in
    // place of any tag there; true when the file was rewritten.
    bool WriteTag(const std::string& fileName) const;

    // The read over any source: false when fewer than ten bytes are there.
    bool ReadTagFrom(ByteSource& source);
    // The slots a write starts from, filled from the fields.
    TagInfo TagInfoForWrite() const;
};
