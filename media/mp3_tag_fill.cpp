#include <cstring>

#include "media/ID3v2.h"
#include "media/mp3_tag.h"
#include "media/mp3_tag_rules.h"
#include "platform/errors.h"
#include "platform/file_source.h"
#include "platform/fs.h"

namespace {

// Only MPEG audio gets a tag in front: a file that starts with a sound tag
// header, or with MPEG audio frames as decoders find them (a whole frame
// header, and the next one where that frame ends). Any other file with "mp"
// in its extension (a bitmap, an MP4, a UTF-16 text whose byte-order mark
// FF FE and first letter look like a frame header) would no longer open.
// Empty for MPEG audio, else why the file is not taken for it.
std::string WhyNotMpegAudio(const Text& path) {
    if (!FileExists(path)) return "the file is not there";
    try {
        FileSource file(path);
        std::uint8_t head[10] = {};
        const std::size_t got = file.ReadAt(0, head, 10);
        if (got >= 3 && std::memcmp(head, "ID3", 3) == 0)
            return got == 10 && ValidTagHeader(head) ? "" : "its ID3 header is not valid";
        return StartsWithMpegAudio(file) ? "" : "it is not MPEG audio";
    } catch (const Exception&) {
        return "the file cannot be read";
    }
}

// The bytes of mp3_tag.txt; the messages name the file by its name.
std::string LoadBytes(const Text& path) {
    try {
        FileSource file(path);
        std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
        if (file.ReadAt(0, bytes.data(), bytes.size()) != bytes.size())
            throw EReadError(u"Read error in \"" + path + u"\"");
        return bytes;
    } catch (const EInOutError& e) {
        throw EFOpenError(u"Cannot open file \"" + path + u"\". " + e.Message());
    }
}

}  // namespace

bool FillMp3Tag(const Text& tagFile, const Text& namePath, bool readOnly, Text& line) {
    line.clear();
    if (PathExtension(tagFile).find(u"mp") == Text::npos) return true;
    TID3v2 tag;
    tag.ReadTag(tagFile);
    if (readOnly) {
        line = ReportLine(u"Read TAG: ", tag);
        return true;
    }
    FillTagFromPath(tag, namePath);
    const auto candidates = Mp3TagCandidates(namePath);
    Text found = candidates[0];
    if (!FileExists(found)) found = candidates[1];
    if (!FileExists(found)) found = candidates[2];
    if (FileExists(found)) ApplyMp3TagRows(tag, LoadBytes(found));
    std::string whyNot = WhyNotMpegAudio(tagFile);
    const bool written = whyNot.empty() && tag.WriteTag(tagFile, &whyNot);
    line = written ? ReportLine(u"Written TAG: ", tag)
                   : ReportLine(u"Tag not written: ", tag) + u", Reason: " + From1250(whyNot);
    return written;
}
