#include "media/id3_frames.h"

#include <cstring>

#include "media/id3_text.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Version 3 frame flags (status byte, then format byte).
constexpr std::uint16_t kV3TagAlter = 0x8000, kV3Compressed = 0x0080, kV3Encrypted = 0x0040, kV3Grouped = 0x0020;
// Version 4 frame flags.
constexpr std::uint16_t kV4TagAlter = 0x4000, kV4FileAlter = 0x2000, kV4ReadOnly = 0x1000, kV4Grouped = 0x0040,
                        kV4Compressed = 0x0008, kV4Encrypted = 0x0004, kV4Unsynchronised = 0x0002,
                        kV4DataLength = 0x0001;
// Chapters inside chapters are kept as they are below this depth.
constexpr int kMaxChapterDepth = 4;

std::uint32_t Be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}
std::uint32_t Syncsafe32(const std::uint8_t* p) {
    return (std::uint32_t{p[0] & 0x7Fu} << 21) | (std::uint32_t{p[1] & 0x7Fu} << 14) |
           (std::uint32_t{p[2] & 0x7Fu} << 7) | (p[3] & 0x7Fu);
}
void PutBe32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

bool ValidId(const std::uint8_t* p, std::size_t n) {
    if (p[0] < 'A' || p[0] > 'Z') return false;
    for (std::size_t i = 1; i < n; ++i)
        if (!((p[i] >= 'A' && p[i] <= 'Z') || (p[i] >= '0' && p[i] <= '9'))) return false;
    return true;
}

bool AllZero(const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (p[i] != 0) return false;
    return true;
}

// Unsynchronisation undone: every FF 00 becomes FF.
Bytes Resynchronised(const std::uint8_t* p, std::size_t n) {
    Bytes out;
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back(p[i]);
        if (p[i] == 0xFF && i + 1 < n && p[i + 1] == 0) ++i;
    }
    return out;
}

const char* TwinOf(const std::string& v22);

// Whether a version 3 or 4 frame header holds a version 2 name ("TRK" and a
// zero byte, as some writers put it) of a frame that has a twin.
bool V22NameInside(const std::uint8_t* h) {
    return h[3] == 0 && ValidId(h, 3) && TwinOf(std::string(reinterpret_cast<const char*>(h), 3));
}

// Whether a version 3 or 4 walk with these sizes lands every frame on another
// frame's identifier, on padding to the end, or on the end.
bool LandsSoundly(const std::uint8_t* p, std::size_t n, bool syncsafe) {
    std::size_t pos = 0;
    while (n - pos >= 10 && p[pos] != 0) {
        const std::uint8_t* h = p + pos;
        if (!ValidId(h, 4) && !V22NameInside(h)) return false;
        if (syncsafe && ((h[4] | h[5] | h[6] | h[7]) & 0x80)) return false;
        const std::uint64_t size = syncsafe ? Syncsafe32(h + 4) : Be32(h + 4);
        if (size > n - pos - 10) return false;
        pos += 10 + static_cast<std::size_t>(size);
    }
    return AllZero(p + pos, n - pos);
}

// The frames of a tag body (or of a chapter's), walked as other readers walk
// them. Version 4 sizes are syncsafe, unless a writer put plain ones: that is
// decided once for the whole body, as the reading under which the frames
// land soundly. A zero byte where an identifier begins is padding and ends
// the walk; a frame whose identifier is malformed is passed over by its size
// (a version 2 name, as some writers put one into later tags, reads as that
// frame); a frame whose size reaches past the body ends the walk.
std::vector<Id3Frame> WalkFrames(const std::uint8_t* p, std::size_t n, std::uint8_t version, bool allUnsynchronised) {
    std::vector<Id3Frame> frames;
    const std::size_t headerSize = version == 2 ? 6 : 10;
    const std::size_t idSize = version == 2 ? 3 : 4;
    const bool syncsafe = version == 4 && (LandsSoundly(p, n, true) || !LandsSoundly(p, n, false));
    std::size_t pos = 0;
    while (n - pos >= headerSize && p[pos] != 0) {
        const std::uint8_t* h = p + pos;
        const std::uint64_t size = version == 2 ? (std::uint64_t{h[3]} << 16) | (std::uint64_t{h[4]} << 8) | h[5]
                                   : syncsafe   ? Syncsafe32(h + 4)
                                                : Be32(h + 4);
        if (size > n - pos - headerSize) break;
        const std::size_t length = static_cast<std::size_t>(size);
        pos += headerSize + length;
        Id3Frame frame;
        const std::uint16_t flags = version == 2 ? 0 : static_cast<std::uint16_t>((h[8] << 8) | h[9]);
        if (ValidId(h, idSize)) {
            frame.id.assign(reinterpret_cast<const char*>(h), idSize);
            frame.version = version;
            frame.flags = flags;
        } else if (version > 2 && flags == 0 && V22NameInside(h)) {
            frame.id.assign(reinterpret_cast<const char*>(h), 3);
            frame.version = 2;
        } else {
            continue;
        }
        if (length == 0) continue;  // a frame must hold a byte; readers skip empty ones
        const std::uint8_t* d = h + headerSize;
        if (version == 4 && (allUnsynchronised || (frame.flags & kV4Unsynchronised))) {
            frame.data = Resynchronised(d, length);
            frame.flags &= static_cast<std::uint16_t>(~kV4Unsynchronised);
        } else {
            frame.data.assign(d, d + length);
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

// --- Texts --------------------------------------------------------------

bool Wide(std::uint8_t encoding) { return encoding == 1 || encoding == 2; }

// The length of the string at p before its terminator, and the terminator's length (0: none).
std::size_t StringLength(const std::uint8_t* p, std::size_t n, std::uint8_t encoding, std::size_t& terminator) {
    return TerminatedLength(p, n, Wide(encoding), terminator);
}

constexpr char32_t kReplacement = 0xFFFD;

std::u32string DecodeUtf8(const std::uint8_t* p, std::size_t n) {
    std::u32string out;
    std::size_t i = 0;
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) i = 3;
    while (i < n) {
        const std::uint8_t b = p[i];
        const std::size_t extra =
            b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 4;
        if (extra == 4) {
            out += kReplacement;
            ++i;
            continue;
        }
        char32_t c = extra == 0 ? b : b & (0x3F >> extra);
        std::size_t k = 1;
        for (; k <= extra && i + k < n && (p[i + k] & 0xC0) == 0x80; ++k) c = (c << 6) | (p[i + k] & 0x3F);
        i += k;
        const bool overlong = (extra == 1 && c < 0x80) || (extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000);
        out += k <= extra || overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) ? kReplacement : c;
    }
    return out;
}

std::u32string DecodeUtf16(const std::uint8_t* p, std::size_t n, bool bigEndian) {
    std::u32string out;
    const std::size_t units = n / 2;
    auto unit = [&](std::size_t i) -> char32_t {
        return bigEndian ? (char32_t{p[2 * i]} << 8) | p[2 * i + 1] : p[2 * i] | (char32_t{p[2 * i + 1]} << 8);
    };
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t u = unit(i);
        if (i == 0 && u == 0xFEFF) continue;
        if (i == 0 && u == 0xFFFE) {
            bigEndian = !bigEndian;
            continue;
        }
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            out += 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
            continue;
        }
        out += u >= 0xD800 && u <= 0xDFFF ? kReplacement : u;
    }
    return out;
}

// One string of a frame (without its terminator) as code points.
std::u32string DecodeString(std::uint8_t encoding, const std::uint8_t* p, std::size_t n) {
    if (encoding == 3) return DecodeUtf8(p, n);
    if (Wide(encoding)) return DecodeUtf16(p, n, encoding == 2);
    std::u32string out;
    for (std::size_t i = 0; i < n; ++i) out += p[i];
    return out;
}

// Encoding 1: a byte-order mark, then UTF-16 little-endian.
void AppendUtf16(Bytes& out, const std::u32string& text) {
    out.push_back(0xFF);
    out.push_back(0xFE);
    auto put = [&](char32_t u) {
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    };
    for (char32_t c : text) {
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
}

// The layout of the frames that hold encoded texts, after the encoding byte:
// S an encoded string with its terminator, T encoded strings to the end,
// L a Latin-1 string with its terminator, a digit that many bytes as they
// are, Y synchronised texts (S and four bytes) to the end, R the rest as it is.
const char* LayoutOf(const std::string& id) {
    if (id == "TXXX") return "ST";
    if (id[0] == 'T' || id == "IPLS") return "T";
    if (id == "COMM" || id == "USLT") return "3ST";
    if (id == "USER") return "3T";
    if (id == "WXXX") return "SR";
    if (id == "APIC") return "L1SR";
    if (id == "GEOB") return "LSSR";
    if (id == "SYLT") return "311SY";
    if (id == "OWNE") return "L8T";
    if (id == "COMR") return "L8L1SSLR";
    return nullptr;
}

// The data of a frame with a layout, its texts in UTF-8 or UTF-16BE
// (encodings 3 and 2), as encoding 1.
Bytes WithUtf16Texts(const Bytes& d, const char* layout) {
    const std::uint8_t encoding = d[0];
    const std::size_t n = d.size();
    Bytes out{1};
    std::size_t at = 1;
    auto string = [&] {
        std::size_t terminator = 0;
        const std::size_t length = StringLength(d.data() + at, n - at, encoding, terminator);
        AppendUtf16(out, DecodeString(encoding, d.data() + at, length));
        if (terminator) {
            out.push_back(0);
            out.push_back(0);
        }
        at += length + terminator;
    };
    auto copy = [&](std::size_t count) {
        const std::size_t c = count < n - at ? count : n - at;
        const auto from = d.begin() + static_cast<std::ptrdiff_t>(at);
        out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(c));
        at += c;
    };
    for (const char* item = layout; *item && at < n; ++item) {
        switch (*item) {
        case 'S': string(); break;
        case 'T':
            while (at < n) string();
            break;
        case 'L': {
            std::size_t terminator = 0;
            copy(StringLength(d.data() + at, n - at, 0, terminator) + terminator);
            break;
        }
        case 'Y':
            while (at < n) {
                string();
                copy(4);
            }
            break;
        case 'R': copy(n - at); break;
        default: copy(static_cast<std::size_t>(*item - '0')); break;
        }
    }
    return out;
}

// The strings of a text frame (a trailing terminator ends the last one).
std::vector<std::u32string> TextsOf(const Bytes& d) {
    std::vector<std::u32string> texts;
    if (d.empty()) return texts;
    const std::uint8_t encoding = d[0];
    std::size_t at = 1;
    while (at < d.size()) {
        std::size_t terminator = 0;
        const std::size_t length = StringLength(d.data() + at, d.size() - at, encoding, terminator);
        texts.push_back(DecodeString(encoding, d.data() + at, length));
        at += length + terminator;
    }
    return texts;
}

// A text frame in encoding 0 when every character is Latin-1, else 1;
// each string ends with its terminator when terminated.
Id3Frame TextFrame(const std::string& id, const std::vector<std::u32string>& texts, bool terminated) {
    bool latin1 = true;
    for (const auto& t : texts)
        for (char32_t c : t) latin1 = latin1 && c <= 0xFF;
    Id3Frame f;
    f.id = id;
    f.data.push_back(latin1 ? 0 : 1);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (latin1) {
            for (char32_t c : texts[i]) f.data.push_back(static_cast<std::uint8_t>(c));
        } else {
            AppendUtf16(f.data, texts[i]);
        }
        if (terminated || i + 1 < texts.size()) f.data.insert(f.data.end(), latin1 ? 1 : 2, 0);
    }
    return f;
}

// --- Dates ----------------------------------------------------------------

// A version 4 timestamp, yyyy[-MM[-dd[THH[:mm[:ss]]]]], in its parts;
// false when it does not begin with a four-digit year.
bool ParseTimestamp(const std::u32string& t, std::string parts[5]) {
    static const char separators[] = {'-', '-', 'T', ':'};
    std::size_t at = 0;
    for (int part = 0; part < 5; ++part) {
        const std::size_t digits = part == 0 ? 4 : 2;
        if (part > 0) {
            const bool separator = at < t.size() && (t[at] == static_cast<char32_t>(separators[part - 1]) ||
                                                     (part == 3 && t[at] == ' '));
            if (!separator) break;
            ++at;
        }
        std::string value;
        for (std::size_t i = 0; i < digits && at < t.size() && t[at] >= '0' && t[at] <= '9'; ++i, ++at)
            value += static_cast<char>(t[at]);
        if (value.size() != digits) {
            if (part == 0) return false;
            break;
        }
        parts[part] = value;
    }
    return true;
}

// --- Version 2 ------------------------------------------------------------

struct Twin {
    const char* v22;
    const char* v23;
};
constexpr Twin kTwins[] = {
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"EQU", "EQUA"}, {"ETC", "ETCO"},
    {"GEO", "GEOB"}, {"GP1", "GRP1"}, {"IPL", "IPLS"}, {"LNK", "LINK"}, {"MCI", "MCDI"}, {"MLL", "MLLT"},
    {"MVI", "MVIN"}, {"MVN", "MVNM"}, {"PIC", "APIC"}, {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"},
    {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"},
    {"TCP", "TCMP"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"}, {"TFT", "TFLT"},
    {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"}, {"TOA", "TOPE"},
    {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"}, {"TP1", "TPE1"}, {"TP2", "TPE2"},
    {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"}, {"TRC", "TSRC"}, {"TRD", "TRDA"},
    {"TRK", "TRCK"}, {"TS2", "TSO2"}, {"TSA", "TSOA"}, {"TSC", "TSOC"}, {"TSI", "TSIZ"}, {"TSP", "TSOP"},
    {"TSS", "TSSE"}, {"TST", "TSOT"}, {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"},
    {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"},
    {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"}, {"WXX", "WXXX"},
};

const char* TwinOf(const std::string& v22) {
    for (const Twin& t : kTwins)
        if (v22 == t.v22) return t.v23;
    return nullptr;
}

// False when the frame has no version 3 twin.
bool FromV22(const Id3Frame& in, Id3Frame& out) {
    const char* twin = TwinOf(in.id);
    if (!twin) return false;
    out.id = twin;
    out.flags = 0;
    const Bytes& d = in.data;
    if (in.id == "PIC") {
        // Encoding, a three-letter image format, then as APIC: type, description, picture.
        if (d.size() < 5) return false;
        std::string format(d.begin() + 1, d.begin() + 4);
        for (char& c : format) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        const std::string mime = format == "jpg" ? "image/jpeg" : "image/" + format;
        out.data.assign(d.begin(), d.begin() + 1);
        out.data.insert(out.data.end(), mime.begin(), mime.end());
        out.data.push_back(0);
        out.data.insert(out.data.end(), d.begin() + 4, d.end());
        return true;
    }
    if (in.id == "LNK") {
        // The linked frame's three-character identifier becomes its twin.
        if (d.size() < 3) return false;
        const char* linked = TwinOf(std::string(d.begin(), d.begin() + 3));
        if (!linked) return false;
        out.data.assign(linked, linked + 4);
        out.data.insert(out.data.end(), d.begin() + 3, d.end());
        return true;
    }
    out.data = d;
    return true;
}

// --- Version 4 ------------------------------------------------------------

bool Holds(const std::vector<Id3Frame>& frames, const char* id) {
    for (const Id3Frame& f : frames)
        if (f.id == id) return true;
    return false;
}

bool Plain(const Id3Frame& f) { return !(f.flags & (kV4Compressed | kV4Encrypted)); }
// No extra bytes before the frame's own data.
bool Simple(const Id3Frame& f) { return Plain(f) && !(f.flags & (kV4Grouped | kV4DataLength)); }

std::vector<Id3Frame> ConvertFrames(const std::vector<Id3Frame>& frames, int depth);

// The frames of a chapter (CHAP) or a table of contents (CTOC) behind their
// own fields, converted as the tag's frames are.
Bytes ChapterForV23(const std::string& id, const Bytes& d, int depth) {
    std::size_t terminator = 0;
    std::size_t at = StringLength(d.data(), d.size(), 0, terminator) + terminator;
    if (id == "CHAP") {
        at += 16;
    } else {
        if (d.size() - at < 2) return d;
        const std::size_t entries = d[at + 1];
        at += 2;
        for (std::size_t i = 0; i < entries && at < d.size(); ++i)
            at += StringLength(d.data() + at, d.size() - at, 0, terminator) + terminator;
    }
    if (!terminator || at > d.size() || depth >= kMaxChapterDepth) return d;
    Bytes out(d.begin(), d.begin() + static_cast<std::ptrdiff_t>(at));
    for (const Id3Frame& sub : ConvertFrames(WalkFrames(d.data() + at, d.size() - at, 4, false), depth + 1))
        AppendFrameV23(out, sub);
    return out;
}

// The values that are not empty with "/" between them, as version 3
// separates people and as its readers take several values.
std::u32string Joined(const std::vector<std::u32string>& values) {
    std::u32string out;
    for (const std::u32string& v : values)
        if (!v.empty()) out += (out.empty() ? U"" : U"/") + v;
    return out;
}

// Genres in the version 3 form: numbers (and RX, CR) in parentheses first,
// then the names joined by "/".
std::u32string GenreForV23(const std::vector<std::u32string>& values) {
    std::u32string references;
    std::vector<std::u32string> names;
    for (const std::u32string& v : values) {
        bool number = !v.empty();
        for (char32_t c : v) number = number && c >= '0' && c <= '9';
        if (number || v == U"RX" || v == U"CR") references += U"(" + v + U")";
        else names.push_back(v);
    }
    return references + Joined(names);
}

// A version 4 text frame's data as version 3 readers read it: several values
// as one (a TXXX's after its description), a genre in the version 3 form,
// texts in UTF-8 or UTF-16BE as UTF-16.
Bytes TextForV23(const std::string& id, const Bytes& d) {
    std::vector<std::u32string> texts = TextsOf(d);
    const std::size_t first = id == "TXXX" ? 1 : 0;
    if (texts.size() > first) {
        const std::vector<std::u32string> values(texts.begin() + static_cast<std::ptrdiff_t>(first), texts.end());
        const std::u32string one = id == "TCON" ? GenreForV23(values) : Joined(values);
        if (values.size() > 1 || one != values[0]) {
            texts.resize(first);
            texts.push_back(one);
            return TextFrame(id, texts, false).data;
        }
    }
    return d[0] == 2 || d[0] == 3 ? WithUtf16Texts(d, LayoutOf(id)) : d;
}

// Version 4 text frames that version 3 has no frame for; a version 3 tag
// holds each as a TXXX named after it.
bool OnlyInV24(const std::string& id) {
    static const char* const kOnlyV24[] = {"TDEN", "TDOR", "TDRC", "TDRL", "TDTG", "TIPL", "TMCL",
                                           "TMOO", "TPRO", "TSOA", "TSOP", "TSOT", "TSST"};
    for (const char* only : kOnlyV24)
        if (id == only) return true;
    return false;
}

// Appends a version 4 frame as version 3 holds it, or the frames it becomes;
// nothing where version 3 cannot hold it. tag: the frames it came with.
void FromV24(const Id3Frame& in, const std::vector<Id3Frame>& tag, int depth, std::vector<Id3Frame>& out) {
    static const char* const kNoV23[] = {"ASPI", "EQU2", "RVA2", "SEEK", "SIGN"};
    for (const char* id : kNoV23)
        if (in.id == id) return;
    const Bytes& d = in.data;
    const std::uint16_t flags = in.flags;
    // Extra bytes after the header: group, encryption method, data length.
    std::size_t at = 0;
    std::uint8_t group = 0, method = 0;
    std::uint32_t dataLength = 0;
    const bool grouped = flags & kV4Grouped, encrypted = flags & kV4Encrypted, compressed = flags & kV4Compressed,
               withLength = flags & kV4DataLength;
    const std::size_t extra = (grouped ? 1 : 0) + (encrypted ? 1 : 0) + (withLength ? 4 : 0);
    if (d.size() <= extra) return;
    if (grouped) group = d[at++];
    if (encrypted) method = d[at++];
    if (withLength) {
        dataLength = Syncsafe32(d.data() + at);
        at += 4;
    }
    if (compressed && !withLength) return;  // version 3 needs the size after decompression

    Id3Frame f;
    f.id = in.id;
    f.flags = static_cast<std::uint16_t>(((flags & kV4FileAlter) << 1) | ((flags & kV4ReadOnly) << 1));
    Bytes content(d.begin() + static_cast<std::ptrdiff_t>(at), d.end());
    if (Plain(in)) {
        if (f.id == "TDRC" || f.id == "TDOR") {
            // A timestamp becomes the version 3 frames of its parts, each only
            // where the tag does not hold it already.
            const std::vector<std::u32string> texts = TextsOf(content);
            std::string parts[5];
            if (!texts.empty() && ParseTimestamp(texts[0], parts)) {
                auto add = [&](const char* id, const std::string& value) {
                    if (value.empty() || Holds(tag, id)) return;
                    out.push_back(TextFrame(id, {std::u32string(value.begin(), value.end())}, false));
                };
                if (f.id == "TDOR") {
                    add("TORY", parts[0]);
                } else {
                    add("TYER", parts[0]);
                    add("TDAT", parts[1].empty() || parts[2].empty() ? "" : parts[2] + parts[1]);
                    add("TIME", parts[3].empty() || parts[4].empty() ? "" : parts[3] + parts[4]);
                }
                return;
            }
        }
        if (OnlyInV24(f.id)) {
            const std::u32string name(f.id.begin(), f.id.end());
            content = TextFrame("TXXX", {name, Joined(TextsOf(content))}, false).data;
            f.id = "TXXX";
        } else if (f.id[0] == 'T') {
            content = TextForV23(f.id, content);
        } else if (f.id == "CHAP" || f.id == "CTOC") {
            content = ChapterForV23(f.id, content, depth);
        } else if (const char* layout = LayoutOf(f.id); layout && (content[0] == 2 || content[0] == 3)) {
            content = WithUtf16Texts(content, layout);
        }
    }
    f.flags |= (compressed ? kV3Compressed : 0) | (encrypted ? kV3Encrypted : 0) | (grouped ? kV3Grouped : 0);
    if (compressed) PutBe32(f.data, dataLength);
    if (encrypted) f.data.push_back(method);
    if (grouped) f.data.push_back(group);
    f.data.insert(f.data.end(), content.begin(), content.end());
    out.push_back(std::move(f));
}

// The involved people of the first TIPL and the first TMCL as one IPLS.
void AddPeople(const std::vector<Id3Frame>& tag, std::vector<Id3Frame>& out) {
    std::vector<std::u32string> people;
    for (const char* id : {"TIPL", "TMCL"})
        for (const Id3Frame& f : tag)
            if (f.id == id && Simple(f) && !(f.flags & kV4TagAlter)) {
                const auto texts = TextsOf(f.data);
                people.insert(people.end(), texts.begin(), texts.end());
                break;
            }
    if (!people.empty()) out.push_back(TextFrame("IPLS", people, true));
}

std::vector<Id3Frame> ConvertFrames(const std::vector<Id3Frame>& frames, int depth) {
    std::vector<Id3Frame> out;
    bool peopleDone = false;
    for (const Id3Frame& f : frames) {
        if (f.version == 3) {
            if (!(f.flags & kV3TagAlter)) out.push_back(f);
        } else if (f.version == 2) {
            Id3Frame twin;
            if (!FromV22(f, twin)) continue;
            // A version 2 name inside a version 4 tag may hold UTF-8.
            if (const char* layout = LayoutOf(twin.id); layout && (twin.data[0] == 2 || twin.data[0] == 3))
                twin.data = WithUtf16Texts(twin.data, layout);
            out.push_back(std::move(twin));
        } else if (!(f.flags & kV4TagAlter)) {
            // Where the tag holds an IPLS already, TIPL and TMCL become user texts (FromV24).
            if ((f.id == "TIPL" || f.id == "TMCL") && Simple(f) && !Holds(frames, "IPLS")) {
                if (!peopleDone) AddPeople(frames, out);
                peopleDone = true;
                continue;
            }
            FromV24(f, frames, depth, out);
        }
    }
    return out;
}

}  // namespace

bool ValidTagHeader(const std::uint8_t* h) {
    if (std::memcmp(h, "ID3", 3) != 0 || h[3] < 2 || h[3] > 4) return false;
    if ((h[6] | h[7] | h[8] | h[9]) & 0x80) return false;
    const std::uint8_t known = h[3] == 2 ? 0xC0 : h[3] == 3 ? 0xE0 : 0xF0;
    return (h[5] & ~known) == 0;
}

std::vector<Id3Frame> ReadTagFrames(ByteSource& source, std::uint64_t at) {
    std::uint8_t h[10];
    if (source.ReadAt(at, h, 10) != 10 || !ValidTagHeader(h)) return {};
    const std::uint8_t version = h[3];
    const std::uint32_t size = Syncsafe32(h + 6);
    if (source.Size() - at < 10ull + size) return {};
    // Version 2 defines no compression scheme: readers skip a compressed tag.
    if (version == 2 && (h[5] & 0x40)) return {};
    Bytes body(size);
    if (size > 0 && source.ReadAt(at + 10, body.data(), size) != size) return {};
    const bool unsynchronised = h[5] & 0x80;
    if (unsynchronised && version < 4) body = Resynchronised(body.data(), body.size());
    std::size_t start = 0;
    // An extended header, unless a frame stands there (some writers set the flag without one).
    if (version >= 3 && (h[5] & 0x40) && body.size() >= 4 && !ValidId(body.data(), 4)) {
        const std::uint64_t extended = version == 3 ? 4ull + Be32(body.data()) : Syncsafe32(body.data());
        if (extended > body.size()) return {};
        start = static_cast<std::size_t>(extended);
    }
    return WalkFrames(body.data() + start, body.size() - start, version, version == 4 && unsynchronised);
}

bool FindAppendedTag(ByteSource& source, std::uint64_t& at, std::uint64_t& size) {
    const std::uint64_t fileSize = source.Size();
    for (const std::uint64_t trailer : {std::uint64_t{0}, std::uint64_t{128}}) {
        if (fileSize < trailer + 20) continue;
        char v1[3] = {};
        if (trailer && (source.ReadAt(fileSize - trailer, v1, 3) != 3 || std::memcmp(v1, "TAG", 3) != 0)) continue;
        // The footer is the header's copy under the name "3DI".
        const std::uint64_t end = fileSize - trailer;
        std::uint8_t footer[10], header[10];
        if (source.ReadAt(end - 10, footer, 10) != 10 || std::memcmp(footer, "3DI", 3) != 0) continue;
        std::memcpy(footer, "ID3", 3);
        if (!ValidTagHeader(footer) || footer[3] != 4 || !(footer[5] & 0x10)) continue;
        const std::uint64_t whole = 20ull + Syncsafe32(footer + 6);
        if (whole > end) continue;
        if (source.ReadAt(end - whole, header, 10) != 10 || std::memcmp(header, footer, 10) != 0) continue;
        at = end - whole;
        size = whole;
        return true;
    }
    return false;
}

std::vector<Id3Frame> FramesForV23(const std::vector<Id3Frame>& frames) {
    std::vector<Id3Frame> out = ConvertFrames(frames, 0);
    for (Id3Frame& f : out) f.version = 3;
    return out;
}

void AppendFrameV23(std::vector<std::uint8_t>& out, const Id3Frame& frame) {
    out.insert(out.end(), frame.id.begin(), frame.id.end());
    PutBe32(out, static_cast<std::uint32_t>(frame.data.size()));
    out.push_back(static_cast<std::uint8_t>(frame.flags >> 8));
    out.push_back(static_cast<std::uint8_t>(frame.flags & 0xFF));
    out.insert(out.end(), frame.data.begin(), frame.data.end());
}

const char* V23Twin(const std::string& v22) { return TwinOf(v22); }

bool FrameContent(const Id3Frame& frame, const std::uint8_t*& data, std::size_t& size) {
    if (frame.flags & (kV3Compressed | kV3Encrypted)) return false;
    const std::size_t at = (frame.flags & kV3Grouped) ? 1 : 0;
    data = frame.data.data() + (at < frame.data.size() ? at : frame.data.size());
    size = frame.data.size() - static_cast<std::size_t>(data - frame.data.data());
    return true;
}

bool HasEmptyDescription(const Id3Frame& frame) {
    const std::uint8_t* d = nullptr;
    std::size_t n = 0;
    if ((frame.id != "COMM" && frame.id != "WXXX") || !FrameContent(frame, d, n)) return false;
    if (n == 0) return true;
    const std::uint8_t encoding = d[0];
    std::size_t at = frame.id == "COMM" ? 4 : 1;
    if (encoding == 1 && at + 1 < n && ((d[at] == 0xFF && d[at + 1] == 0xFE) || (d[at] == 0xFE && d[at + 1] == 0xFF)))
        at += 2;
    if (at >= n) return true;
    return Wide(encoding) ? d[at] == 0 && at + 1 < n && d[at + 1] == 0 : d[at] == 0;
}
