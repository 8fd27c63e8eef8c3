#include "media/mp3_tag_rules.h"

#include "media/id3_text.h"
#include "transfer/text_ops.h"

const char* const kAutomaticComment = "Tag put automatically by Kolvar_files of Tamrelovinska";

namespace {

std::size_t NameStart(const std::string& path) {
    const std::size_t p = path.find_last_of("\\:");
    return p == std::string::npos ? 0 : p + 1;
}

std::string First30Trimmed(const std::string& s) { return Trim(s.substr(0, 30)); }

}  // namespace

std::string PathExtension(const std::string& path) {
    const std::size_t start = NameStart(path);
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos || dot < start ? "" : path.substr(dot);
}

std::string PathName(const std::string& path) { return path.substr(NameStart(path)); }
std::string PathFolder(const std::string& path) { return path.substr(0, NameStart(path)); }

std::int32_t ValIgnoringError(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::int32_t v = 0;
    TextToInt(text.substr(i), false, v);
    return v;
}

void FillTagFromPath(TID3v2& tag, const std::string& namePath) {
    tag.SetTitle(First30Trimmed(PathName(namePath)));
    tag.SetTitle(Str_drop_extension(tag.Title));
    // Without a number in the name nothing is set, and a track frame that
    // holds no number (a side "A1") stays as it was.
    if (tag.Track == 0) {
        const std::int32_t track = ValIgnoringError(Str_field(tag.Title, "rack", 2));
        if (track != 0) tag.SetTrack(track);
    }
    const int b = Str_poc_vyskytu(namePath, "\\");
    tag.SetAlbum(First30Trimmed(Str_field(namePath, "\\", static_cast<std::uint8_t>(b))));
    tag.SetArtist(First30Trimmed(Str_field(namePath, "\\", static_cast<std::uint8_t>(b - 1))));
    tag.SetComment(kAutomaticComment);
}

std::array<std::string, 3> Mp3TagCandidates(const std::string& namePath) {
    const int b = Str_poc_vyskytu(namePath, "\\");
    auto before = [&](int n) {
        const int p = Str_nth_position(namePath, "\\", static_cast<std::uint8_t>(n));
        return Trim(namePath.substr(0, p > 0 ? static_cast<std::size_t>(p - 1) : 0)) + "\\mp3_tag.txt";
    };
    return {PathFolder(namePath) + "mp3_tag.txt", before(b - 1), before(b - 2)};
}

std::vector<std::string> SplitRows(const std::string& text) {
    std::vector<std::string> rows;
    std::string row;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            rows.push_back(row);
            row.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            row += c;
        }
    }
    if (!row.empty()) rows.push_back(row);
    return rows;
}

void ApplyMp3TagRows(TID3v2& tag, const std::string& fileText) {
    // Windows-1250, unless a UTF-8 byte-order mark says otherwise.
    const bool utf8 = fileText.compare(0, 3, "\xEF\xBB\xBF") == 0;
    const std::vector<std::string> rows = SplitRows(utf8 ? Utf8As1250(fileText) : fileText);
    auto row = [&](std::size_t i) { return i < rows.size() ? Trim(rows[i]) : std::string(); };
    if (!row(0).empty()) tag.SetGenre(row(0));
    if (!row(1).empty()) tag.SetArtist(row(1));
    if (!row(2).empty()) tag.SetAlbum(row(2));
    if (!row(3).empty()) tag.SetComment(row(3));
}

std::string ReportLine(const std::string& prefix, const TID3v2& tag) {
    return prefix + "Track: " + std::to_string(tag.Track) + ", Title: " + tag.Title +
           ", Artist: " + tag.Artist + ", Album: " + tag.Album + ", Genre: " + tag.Genre;
}
