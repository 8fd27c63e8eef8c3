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

void StoreFrame(const std::string& identifier, const FrameText& frame, TagInfo& info) {
    const char* const* ids = info.Version() <= 2 ? FrameIdsV22 : FrameIdsV23;
    for (int slot = 0; slot < 16; ++slot)
        if (identifier == ids[slot]) {
            info.Frames[static_cast<std::size_t>(slot)] = frame;
            return;
        }
}

namespace {

// The one frame loop of both versions; v2 frames have 6-byte headers with a
// 3-byte identifier and a 24-bit size.
void ReadFrameLoop(ByteSource& source, TagInfo& info, bool v2) {
    const std::size_t headerSize = v2 ? 6 : 10;
    const std::size_t idSize = v2 ? 3 : 4;
    const std::int64_t total = TotalTagSize(info);
    const std::uint64_t fileSize = source.Size();
    // Positions are 64-bit: a declared size near 2^32 cannot wrap them back.
    std::uint64_t pos = 10;
    std::uint8_t header[10];
    char buffer[kFrameBuffer];
    while (static_cast<std::int64_t>(pos) < total && pos < fileSize) {
        if (source.ReadAt(pos, header, headerSize) != headerSize) return;
        if (header[0] < 'A' || header[0] > 'Z') return;
        const std::uint64_t dataSize =
            v2 ? (std::uint64_t{header[3]} << 16) | (std::uint64_t{header[4]} << 8) | header[5]
               : (std::uint64_t{header[4]} << 24) | (std::uint64_t{header[5]} << 16) |
                     (std::uint64_t{header[6]} << 8) | header[7];
        const std::uint64_t p = pos + headerSize;
        std::memset(buffer, 0, sizeof buffer);
        const std::size_t want = dataSize < kFrameBuffer ? static_cast<std::size_t>(dataSize) : kFrameBuffer;
        if (source.ReadAt(p, buffer, want) != want) return;
        const std::string identifier(reinterpret_cast<char*>(header), idSize);
        StoreFrame(identifier, DecodeFrameData(identifier, buffer, want, kFrameBuffer), info);
        pos = p + dataSize;
    }
}

}  // namespace

void ReadFramesV23(ByteSource& source, TagInfo& info) { ReadFrameLoop(source, info, false); }
void ReadFramesV22(ByteSource& source, TagInfo& info) { ReadFrameLoop(source, info, true); }

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
    if (info.Id() != "ID3") return true;
    TagPresent = true;
    MajorVersion = info.Version();
    TagSize = TotalTagSize(info);
    if (MajorVersion < 2 || MajorVersion > 4 || TagSize == 0) return true;
    if (MajorVersion == 2) ReadFramesV22(source, info);
    else ReadFramesV23(source, info);
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

std::vector<std::uint8_t> TID3v2::TagBytesFor(ByteSource& source, std::int64_t& skip, std::string& whyNot) const {
    TagInfo info = TagInfoForWrite();
    skip = 0;
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
        skip = TotalTagSize(info);  // 0 when it reaches past the file: then it stays, as audio
        if (skip > 0) info.Kept = FramesForV23(ReadTagFrames(source));
    }
    std::vector<std::uint8_t> tag = SerializeTagBytes(info);
    if (tag.empty()) whyNot = "the tag would exceed 256 MB";
    return tag;
}
