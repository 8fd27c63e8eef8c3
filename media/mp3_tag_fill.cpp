#include <cstring>

#include "media/ID3v2.h"
#include "media/mp3_tag.h"
#include "media/mp3_tag_rules.h"
#include "platform/errors.h"
#include "platform/file_source.h"
#include "platform/fs.h"

namespace {

// Only MPEG audio gets a tag in front: a file that starts with a sound tag
// header, or with a whole MPEG audio frame header. Any other file with "mp"
// in its extension (a bitmap, an MP4, a UTF-16 text whose byte-order mark
// FF FE looks like sync bits) would no longer open. Empty for MPEG audio,
// else why the file is not taken for it.
std::string WhyNotMpegAudio(const std::string& path) {
    if (!FileExists(path)) return "the file is not there";
    try {
        FileSource file(path);
        std::uint8_t head[10] = {};
        const std::size_t got = file.ReadAt(0, head, 10);
        if (got >= 3 && std::memcmp(head, "ID3", 3) == 0)
            return got == 10 && ValidTagHeader(head) ? "" : "its ID3 header is not valid";
        return got >= 4 && ValidMpegFrameHeader(head) ? "" : "it is not MPEG audio";
    } catch (const Exception&) {
        return "the file cannot be read";
    }
}

std::string LoadText(const std::string& path) {
    try {
        FileSource file(path);
        std::string text(static_cast<std::size_t>(file.Size()), '\0');
        if (file.ReadAt(0, text.data(), text.size()) != text.size())
            throw EReadError("Read error in \"" + path + "\"");
        return text;
    } catch (const EInOutError& e) {
        throw EFOpenError("Cannot open file \"" + path + "\". " + e.what());
    }
}

}  // namespace

bool FillMp3Tag(const std::string& tagFile, const std::string& namePath, bool readOnly, std::string& line) {
    line.clear();
    if (PathExtension(tagFile).find("mp") == std::string::npos) return true;
    TID3v2 tag;
    tag.ReadTag(tagFile);
    if (readOnly) {
        line = ReportLine("Read TAG: ", tag);
        return true;
    }
    FillTagFromPath(tag, namePath);
    const auto candidates = Mp3TagCandidates(namePath);
    std::string found = candidates[0];
    if (!FileExists(found)) found = candidates[1];
    if (!FileExists(found)) found = candidates[2];
    if (FileExists(found)) ApplyMp3TagRows(tag, LoadText(found));
    std::string whyNot = WhyNotMpegAudio(tagFile);
    const bool written = whyNot.empty() && tag.WriteTag(tagFile, &whyNot);
    line = written ? ReportLine("Written TAG: ", tag) : ReportLine("Tag not written: ", tag) + ", Reason: " + whyNot;
    return written;
}
