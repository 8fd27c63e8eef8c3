#include "media/ID3v2.h"

#include <algorithm>
#include <cstring>

#include "media/id3_text.h"
#include "media/tag_text.h"
#include "transfer/text_ops.h"

const char* const FrameIdsV23[16] = {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM", "TCOM",
                                     "TENC", "TCOP", "TLAN", "WXXX", "TDRC", "TOPE", "TIT1", "TOAL"};
const char* const FrameIdsV22[16] = {"TT2", "TP1", "TAL", "TRK", "TYE", "TCO", "COM", "TCM",
                                     "TEN", "TCR", "TLA", "WXX", "TOR", "TOA", "TT1", "TOT"};

namespace {

constexpr std::size_t kFrameBuffer = 250;

}  // namespace

std::int64_t TotalTagSize(const TagInfo& info) {
    const auto& h = info.header;
    std::int64_t size = (std::int64_t{h[6]} << 21) + (std::int64_t{h[7]} << 14) +
                        (std::int64_t{h[8]} << 7) + h[9] + 10;
    if (info.Flags() & 0x10) size += 10;  // footer
    return size > info.FileSize ? 0 : size;
}

void StoreFrame(const Id3Frame& frame, TagInfo& info) {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    if (!FrameContent(frame, data, size)) return;
    for (std::size_t slot = 0; slot < 16; ++slot) {
        const char* id = info.Version() <= 2 ? V23Twin(FrameIdsV22[slot]) : FrameIdsV23[slot];
        if (frame.id != id) continue;
        // The zero fill of the buffer is part of an 8-bit text: trimming takes it off.
        char buffer[kFrameBuffer] = {};
        const std::size_t got = size < kFrameBuffer ? size : kFrameBuffer;
        std::memcpy(buffer, data, got);
        info.Frames[slot] = DecodeFrameData(frame.id, buffer, got, kFrameBuffer);
        return;
    }
}

void BuildTagHeader(TagInfo& info, std::uint32_t s) {
    info.header = {'I', 'D', '3', 3, 0, 0,
                   static_cast<std::uint8_t>((s >> 21) & 0x7F), static_cast<std::uint8_t>((s >> 14) & 0x7F),
                   static_cast<std::uint8_t>((s >> 7) & 0x7F), static_cast<std::uint8_t>(s & 0x7F)};
}

namespace {

// Whether a slot written anew takes the place of a kept frame.
bool Replaced(const TagInfo& info, const Id3Frame& frame) {
    for (std::size_t slot = 0; slot < 16; ++slot) {
        if (!info.Replace[slot] && info.Frames[slot].text.empty()) continue;
        if (frame.id != FrameIdsV23[slot]) continue;
        if (frame.id == "COMM" || frame.id == "WXXX") return HasEmptyDescription(frame);
        return true;
    }
    return false;
}

}  // namespace

std::vector<std::uint8_t> SerializeTagBytes(TagInfo& info) {
    std::vector<std::uint8_t> out(10, 0);
    for (int slot = 0; slot < 16; ++slot) {
        const FrameText& frame = info.Frames[static_cast<std::size_t>(slot)];
        if (frame.text.empty()) continue;
        out.insert(out.end(), FrameIdsV23[slot], FrameIdsV23[slot] + 4);
        const std::vector<std::uint8_t> data = EncodeFrameData(FrameIdsV23[slot], frame);
        const auto size = static_cast<std::uint32_t>(data.size());
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(size >> shift));
        out.push_back(0);  // flags
        out.push_back(0);
        out.insert(out.end(), data.begin(), data.end());
    }
    for (const Id3Frame& frame : info.Kept)
        if (!Replaced(info, frame)) AppendFrameV23(out, frame);
    const std::size_t framesSize = out.size() - 10;
    if (framesSize > 0x0FFFFFFF) return {};
    BuildTagHeader(info, static_cast<std::uint32_t>(framesSize));
    std::copy(info.header.begin(), info.header.end(), out.begin());
    return out;
}

bool ValidMpegFrameHeader(const std::uint8_t* h) {
    const bool sync = h[0] == 0xFF && (h[1] & 0xE0) == 0xE0;
    const bool version = ((h[1] >> 3) & 3) != 1, layer = ((h[1] >> 1) & 3) != 0;
    const bool bitRate = (h[2] >> 4) != 15, sampleRate = ((h[2] >> 2) & 3) != 3;
    return sync && version && layer && bitRate && sampleRate;
}

std::uint32_t MpegFrameLength(const std::uint8_t* h) {
    if (!ValidMpegFrameHeader(h)) return 0;
    // kbit/s by MPEG-1 or MPEG-2 and 2.5, then layer I, II, III.
    static constexpr std::uint16_t kBitRates[2][3][15] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    static constexpr std::uint32_t kSampleRates[3] = {44100, 48000, 32000};
    const int version = (h[1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const int layer = 3 - ((h[1] >> 1) & 3);  // 0 layer I, 1 layer II, 2 layer III
    const std::uint32_t bitRate = 1000u * kBitRates[version == 3 ? 0 : 1][layer][h[2] >> 4];
    const std::uint32_t sampleRate = kSampleRates[(h[2] >> 2) & 3] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    const std::uint32_t padding = (h[2] >> 1) & 1;
    if (layer == 0) return (12 * bitRate / sampleRate + padding) * 4;
    const std::uint32_t factor = layer == 2 && version != 3 ? 72 : 144;
    return factor * bitRate / sampleRate + padding;
}

bool StartsWithMpegAudio(ByteSource& source) {
    std::uint8_t first[4], next[4];
    if (source.ReadAt(0, first, 4) != 4 || !ValidMpegFrameHeader(first)) return false;
    const std::uint32_t length = MpegFrameLength(first);
    if (length == 0) return false;
    if (source.Size() == length) return true;
    if (source.ReadAt(length, next, 4) != 4 || !ValidMpegFrameHeader(next)) return false;
    // The same version, layer and sample rate.
    return (first[1] & 0xFE) == (next[1] & 0xFE) && (first[2] & 0x0C) == (next[2] & 0x0C);
}

Text FirstNonEmpty(const Text& a, const Text& b) {
    Text t = Trim(a);
    return t.empty() ? Trim(b) : t;
}

std::int32_t ParseTrack(const Text& s) {
    Text t = Trim(s);
    const std::size_t slash = t.find(u'/');
    if (slash != Text::npos) t = t.substr(0, slash);
    std::int32_t v = 0;
    return TextToInt(t, true, v) ? v : 0;
}

Text ParseYear(const Text& year, const Text& date) {
    Text y = Trim(year);
    return y.empty() ? FirstUnits(Trim(date), 4) : y;
}

Text ParseGenre(const Text& s) {
    Text t = Trim(s);
    const std::size_t close = t.rfind(u')');
    return close == Text::npos ? t : t.substr(close + 1);
}

// The slot of each setter's field: TIT2, TPE1, TALB, TRCK, TCON, COMM.
void TID3v2::SetTitle(const Text& text) {
    Title = Trim(text);
    setSlots_ |= 1u << 0;
}
void TID3v2::SetArtist(const Text& text) {
    Artist = Trim(text);
    setSlots_ |= 1u << 1;
}
void TID3v2::SetAlbum(const Text& text) {
    Album = Trim(text);
    setSlots_ |= 1u << 2;
}
void TID3v2::SetTrack(int value) {
    Track = static_cast<std::uint8_t>(value);
    setSlots_ |= 1u << 3;
}
void TID3v2::SetGenre(const Text& text) {
    Genre = Trim(text);
    setSlots_ |= 1u << 5;
}
void TID3v2::SetComment(const Text& text) {
    Comment = Trim(text);
    setSlots_ |= 1u << 6;
}

bool TID3v2::ReadTagFrom(ByteSource& source) {
    Clear();
    TagInfo info;
    if (source.ReadAt(0, info.header.data(), 10) != 10) return false;
    info.FileSize = static_cast<std::int64_t>(source.Size());
    std::vector<Id3Frame> frames;
    if (info.Id() == "ID3") {
        TagPresent = true;
        MajorVersion = info.Version();
        TagSize = TotalTagSize(info);
        frames = ReadTagFrames(source);  // none where the header or its size is not sound
    } else {
        std::uint64_t at = 0, size = 0;
        if (!FindAppendedTag(source, at, size) || source.ReadAt(at, info.header.data(), 10) != 10) return true;
        MajorVersion = info.Version();
        frames = ReadTagFrames(source, at);
    }
    // The frames a write keeps: what the fill reads is what stays.
    for (const Id3Frame& frame : FramesForV23(frames)) StoreFrame(frame, info);
    const auto& f = info.Frames;
    Title = FirstNonEmpty(f[0].text, f[14].text);
    Artist = FirstNonEmpty(f[1].text, f[13].text);
    Album = FirstNonEmpty(f[2].text, f[15].text);
    Track = static_cast<std::uint8_t>(ParseTrack(f[3].text));
    Year = ParseYear(f[4].text, f[12].text);
    Genre = ParseGenre(f[5].text);
    Comment = Trim(f[6].text);
    Composer = Trim(f[7].text);
    Encoder = Trim(f[8].text);
    Rights = Trim(f[9].text);
    Language = Trim(f[10].text);
    Link = Trim(f[11].text);
    readSlots_ = SlotTexts();
    return true;
}

std::array<FrameText, 12> TID3v2::SlotTexts() const {
    auto text = [](const Text& t) { return FrameText{"", Text(), t}; };
    std::string track = Track > 0 ? std::to_string(Track) : "";
    return {text(Title),
            text(Artist),
            text(Album),
            text(Text(track.begin(), track.end())),
            text(Year),
            text(Genre),
            Comment.empty() ? FrameText{} : FrameText{"eng", Text(), Comment},
            text(Composer),
            text(Encoder),
            text(Rights),
            text(Language),
            text(Link)};
}

TagInfo TID3v2::TagInfoForWrite() const {
    TagInfo info;
    const std::array<FrameText, 12> texts = SlotTexts();
    for (std::size_t slot = 0; slot < texts.size(); ++slot) {
        if (!((setSlots_ >> slot) & 1) && texts[slot] == readSlots_[slot]) continue;
        info.Frames[slot] = texts[slot];
        info.Replace[slot] = true;
    }
    return info;
}

std::vector<std::uint8_t> TID3v2::TagBytesFor(ByteSource& source, OldTagBytes& old, std::string& whyNot) const {
    TagInfo info = TagInfoForWrite();
    old = OldTagBytes{};
    info.FileSize = static_cast<std::int64_t>(source.Size());
    if (source.ReadAt(0, info.header.data(), 10) != 10) {
        whyNot = "the file is shorter than ten bytes";
        return {};
    }
    if (info.Id() == "ID3") {
        // An old tag goes only when it is sound: bytes behind a damaged header may be anything.
        if (!ValidTagHeader(info.header.data())) {
            whyNot = "its ID3 header is not valid";
            return {};
        }
        old.front = TotalTagSize(info);  // 0 when it reaches past the file: then it stays, as audio
        if (old.front > 0) info.Kept = FramesForV23(ReadTagFrames(source));
    } else if (std::uint64_t at = 0, size = 0; FindAppendedTag(source, at, size)) {
        old.appendedAt = static_cast<std::int64_t>(at);
        old.appendedSize = static_cast<std::int64_t>(size);
        info.Kept = FramesForV23(ReadTagFrames(source, at));
    }
    std::vector<std::uint8_t> tag = SerializeTagBytes(info);
    if (tag.empty()) whyNot = "the tag would exceed 256 MB";
    return tag;
}
