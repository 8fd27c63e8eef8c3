#include <cstring>

#include "media/ID3v2.h"
#include "media/mp3_tag.h"
#include "media/mp3_tag_rules.h"
#include "platform/errors.h"
#include "platform/file_source.h"
#include "platform/fs.h"

namespace {

// ISO base media files (MP4, M4A, MOV, 3GP) keep absolute offsets in their
// sample tables; a tag put in front of them would break them.
bool IsIsoMediaFile(const std::string& path) {
    try {
        FileSource file(path);
        char box[4];
        return file.ReadAt(4, box, 4) == 4 && std::memcmp(box, "ftyp", 4) == 0;
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

void FillMp3Tag(const std::string& tagFile, const std::string& namePath, bool readOnly, std::string& line) {
    line.clear();
    if (PathExtension(tagFile).find("mp") == std::string::npos) return;
    if (!readOnly && IsIsoMediaFile(tagFile)) return;
    TID3v2 tag;
    tag.ReadTag(tagFile);
    if (readOnly) {
        line = ReportLine("Read TAG: ", tag);
        return;
    }
    FillTagFromPath(tag, namePath);
    const auto candidates = Mp3TagCandidates(namePath);
    std::string found = candidates[0];
    if (!FileExists(found)) found = candidates[1];
    if (!FileExists(found)) found = candidates[2];
    if (FileExists(found)) ApplyMp3TagRows(tag, LoadText(found));
    tag.WriteTag(tagFile);
    line = ReportLine("Written TAG: ", tag);
}
