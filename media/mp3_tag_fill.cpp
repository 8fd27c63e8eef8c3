#include <cstring>

#include "media/ID3v2.h"
#include "media/mp3_tag.h"
#include "media/mp3_tag_rules.h"
#include "platform/errors.h"
#include "platform/file_source.h"
#include "platform/fs.h"

namespace {

// Only MPEG audio gets a tag in front: a file that starts with a tag, or
// with a frame header (eleven set sync bits). Any other file with "mp" in its
// extension (a bitmap, an MP4, a temporary file) would no longer open.
bool IsMpegAudio(const std::string& path) {
    try {
        FileSource file(path);
        unsigned char head[3] = {};
        const std::size_t got = file.ReadAt(0, head, 3);
        if (got == 3 && std::memcmp(head, "ID3", 3) == 0) return true;
        return got >= 2 && head[0] == 0xFF && (head[1] & 0xE0) == 0xE0;
    } catch (const Exception&) {
        return false;
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
    const bool written = IsMpegAudio(tagFile) && tag.WriteTag(tagFile);
    line = ReportLine(written ? "Written TAG: " : "Tag not written: ", tag);
    return written;
}
