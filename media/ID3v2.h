#pragma once
// ID3 version 2 tags: read for major versions 2 to 4, written as version 3.
// Frame texts are decoded by their encoding into Text (8-bit text as
// Windows-1250) and written as 8-bit text when plain ASCII, else as UTF-16
// (media/id3_text.h). A write
// puts anew only the fields that were set or changed; every other frame of
// the old tag stays as it was (media/id3_frames.h).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "media/byte_source.h"
#include "media/id3_frames.h"
#include "media/id3_text.h"
#include "text/text.h"

// The working record of one read or write.
struct TagInfo {
    std::array<std::uint8_t, 10> header{};  // "ID3", version, revision, flags, 4 size bytes
    std::int64_t FileSize = 0;
    std::array<FrameText, 16> Frames;       // slots 1 to 16 at indexes 0 to 15
    // The slots a write puts anew: each replaces the old tag's frames of its
    // identifier (for COMM and WXXX only those without a description), even
    // when its text is empty. A slot with a text always does.
    std::array<bool, 16> Replace{};
    std::vector<Id3Frame> Kept;             // the old tag's frames as version 3 holds them

    std::string Id() const { return std::string(header.begin(), header.begin() + 3); }
    std::uint8_t Version() const { return header[3]; }
    std::uint8_t Flags() const { return header[5]; }
};

extern const char* const FrameIdsV23[16];
extern const char* const FrameIdsV22[16];

// The whole tag's length (header, frames, footer); 0 when it exceeds the file.
std::int64_t TotalTagSize(const TagInfo& info);
// A frame of the tag, as a version 3 tag holds it, into the slot of its
// identifier (the table of the tag's version: a version 2 tag's frames come
// with their twins' names): its first 250 bytes of data, decoded. A
// compressed or encrypted frame gives no text.
void StoreFrame(const Id3Frame& frame, TagInfo& info);
// A version 3 header for frames of framesSize bytes.
void BuildTagHeader(TagInfo& info, std::uint32_t framesSize);
// The tag as written: the header, the frames of the non-empty slots, then
// the kept frames that no slot replaces. Empty when the frames would exceed
// the 28-bit size of a tag.
std::vector<std::uint8_t> SerializeTagBytes(TagInfo& info);

// A whole MPEG audio frame header: the sync bits, and a version, a layer, a
// bit rate and a sample rate that are not reserved. header: 4 bytes.
bool ValidMpegFrameHeader(const std::uint8_t* header);
// The length of the frame that a valid header describes, padding included;
// 0 for a free bit rate, which no header tells.
std::uint32_t MpegFrameLength(const std::uint8_t* header);
// MPEG audio as decoders and taggers take it, not trusting one header: a
// whole frame header at the start, and at the end of the frame it describes
// either the end of the source or the header of the next frame of the same
// stream (version, layer and sample rate).
bool StartsWithMpegAudio(ByteSource& source);

// The bytes of a file that a written tag takes the place of: its first front
// bytes (the tag at its start), and a tag appended at its end (appendedSize
// 0: none), which goes: the written tag is then the file's only one.
struct OldTagBytes {
    std::int64_t front = 0;
    std::int64_t appendedAt = 0, appendedSize = 0;
};

// The file operation (media/id3v2_file.cpp): newTag in place of the old
// tag bytes of the file. The copy goes to a temporary file that replaces
// the file in one step; on failure the file stays as it was.
bool ReplaceTagInFile(const Text& fileName, const std::vector<std::uint8_t>& newTag, const OldTagBytes& old);

// The field of a slot, or of its stand-in when the slot holds no text.
Text FirstNonEmpty(const Text& a, const Text& b);
std::int32_t ParseTrack(const Text& s);
// The year frame, else the first four characters of the date frame.
Text ParseYear(const Text& year, const Text& date);
// What follows the last ')': "(17)Rock" is "Rock".
Text ParseGenre(const Text& s);

class TID3v2 {
public:
    TID3v2() = default;  // every field starts cleared

    bool TagPresent = false;
    std::uint8_t MajorVersion = 0;
    std::int64_t TagSize = 0;
    Text Title, Artist, Album;
    std::uint8_t Track = 0;
    Text Year, Genre, Comment, Composer, Encoder, Rights, Language, Link;

    void Clear() { *this = TID3v2(); }
    // The setters mark their field as set: a write puts it anew.
    void SetTitle(const Text& text);
    void SetArtist(const Text& text);
    void SetAlbum(const Text& text);
    void SetGenre(const Text& text);
    void SetComment(const Text& text);
    void SetTrack(int value);

    // Clears the fields and reads the tag at the start of the file, or, where
    // none is there, a version 4 tag appended at its end (TagPresent and
    // TagSize then stay false and 0); false when the file cannot be opened or
    // read or is shorter than ten bytes. The fields are read from the frames
    // that a write keeps, as a version 3 tag holds them.
    bool ReadTag(const Text& fileName);
    // Puts a version 3 tag in front of the audio in place of any tag there
    // (or of a tag appended at the end, which goes): the fields set or
    // changed since the read, then every other frame of the old tag. The
    // file's attributes are cleared for the rewrite and put back after it.
    // True when the file was rewritten; otherwise whyNot, when given, gets
    // the reason.
    bool WriteTag(const Text& fileName, std::string* whyNot = nullptr) const;
    // The same with a Windows-1250 path, for the tests (tests/text_1250/id3v2_file_1250.cpp).
    bool ReadTag(const std::string& fileName);
    bool WriteTag(const std::string& fileName, std::string* whyNot = nullptr) const;

    // The read over any source: false when fewer than ten bytes are there.
    bool ReadTagFrom(ByteSource& source);
    // The slots a write puts anew, filled from the fields.
    TagInfo TagInfoForWrite() const;
    // The tag a write puts in place of the old tag bytes of source (none when
    // there is no tag). Empty when none can be put there: whyNot says why.
    std::vector<std::uint8_t> TagBytesFor(ByteSource& source, OldTagBytes& old, std::string& whyNot) const;

private:
    // The slot texts of slots 1 to 12 from the fields.
    std::array<FrameText, 12> SlotTexts() const;
    std::array<FrameText, 12> readSlots_{};  // as the read left them
    std::uint16_t setSlots_ = 0;               // one bit a slot, set by the setters
};

