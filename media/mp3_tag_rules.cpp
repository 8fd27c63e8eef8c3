#include "media/mp3_tag_rules.h"

#include "media/tag_text.h"
#include "transfer/text_ops.h"

const char* const kAutomaticComment = "Tag put automatically by Kolvar_files of Tamrelovinska";

namespace {

std::size_t NameStart(const Text& path) {
    const std::size_t p = path.find_last_of(u"\\:");
    return p == Text::npos ? 0 : p + 1;
}

Text First30Trimmed(const Text& s) { return Trim(FirstUnits(s, 30)); }

Text Ascii(const char* s) { return From1250(s); }

}  // namespace

Text PathExtension(const Text& path) {
    const std::size_t start = NameStart(path);
    const std::size_t dot = path.rfind(u'.');
    return dot == Text::npos || dot < start ? Text() : path.substr(dot);
}

Text PathName(const Text& path) { return path.substr(NameStart(path)); }
Text PathFolder(const Text& path) { return path.substr(0, NameStart(path)); }

std::int32_t ValIgnoringError(const Text& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    std::int32_t v = 0;
    TextToInt(Text(TextView(text).substr(i)), false, v);
    return v;
}

void FillTagFromPath(TID3v2& tag, const Text& namePath) {
    tag.SetTitle(First30Trimmed(PathName(namePath)));
    tag.SetTitle(Str_drop_extension(tag.Title));
    // Without a number in the name nothing is set, and a track frame that
    // holds no number (a side "A1") stays as it was.
    if (tag.Track == 0) {
        const std::int32_t track = ValIgnoringError(Str_field(tag.Title, u"rack", 2));
        if (track != 0) tag.SetTrack(track);
    }
    const int b = CountOf(namePath, u'\\');
    tag.SetAlbum(First30Trimmed(Str_field(namePath, u"\\", static_cast<std::uint8_t>(b))));
    tag.SetArtist(First30Trimmed(Str_field(namePath, u"\\", static_cast<std::uint8_t>(b - 1))));
    tag.SetComment(Ascii(kAutomaticComment));
}

std::array<Text, 3> Mp3TagCandidates(const Text& namePath) {
    const int b = CountOf(namePath, u'\\');
    auto before = [&](int n) {
        const int p = NthPositionOf(namePath, u'\\', static_cast<std::uint8_t>(n));
        return Trim(namePath.substr(0, p > 0 ? static_cast<std::size_t>(p - 1) : 0)) +
               u"\\mp3_tag.txt";
    };
    return {PathFolder(namePath) + u"mp3_tag.txt", before(b - 1), before(b - 2)};
}

std::vector<Text> SplitRows(const Text& text) {
    std::vector<Text> rows;
    Text row;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            rows.push_back(row);
            row.clear();
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            row += c;
        }
    }
    if (!row.empty()) rows.push_back(row);
    return rows;
}

void ApplyMp3TagRows(TID3v2& tag, const std::string& fileBytes) {
    // Windows-1250, unless a UTF-8 byte-order mark says otherwise.
    const bool utf8 = fileBytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    const std::vector<Text> rows = SplitRows(utf8 ? FromUtf8(fileBytes) : From1250(fileBytes));
    auto row = [&](std::size_t i) { return i < rows.size() ? Trim(rows[i]) : Text(); };
    if (!row(0).empty()) tag.SetGenre(row(0));
    if (!row(1).empty()) tag.SetArtist(row(1));
    if (!row(2).empty()) tag.SetAlbum(row(2));
    if (!row(3).empty()) tag.SetComment(row(3));
}

Text ReportLine(const Text& prefix, const TID3v2& tag) {
    const std::string track = std::to_string(tag.Track);
    return prefix + u"Track: " + Text(track.begin(), track.end()) + u", Title: " + tag.Title + u", Artist: " +
           tag.Artist + u", Album: " + tag.Album + u", Genre: " + tag.Genre;
}
