#include "media/mp3_tag_rules.h"
#include "tests/text_1250/text_1250.h"

#include <gtest/gtest.h>

namespace {

TEST(Mp3TagRules, WorkedExample) {
    const std::string path = "D:\\Music\\Band\\Live\\Track 05 - Intro.mp3";
    TID3v2 tag;
    FillTagFromPath(tag, path);
    EXPECT_EQ(tag.Title, u"Track 05 - Intro");
    EXPECT_EQ(tag.Track, 5);
    EXPECT_EQ(tag.Album, u"Live");
    EXPECT_EQ(tag.Artist, u"Band");
    EXPECT_EQ(tag.Comment, u"Tag put automatically by Kolvar_files of Tamrelovinska");
    const auto c = Mp3TagCandidates(path);
    EXPECT_EQ(c[0], "D:\\Music\\Band\\Live\\mp3_tag.txt");
    EXPECT_EQ(c[1], "D:\\Music\\Band\\mp3_tag.txt");
    EXPECT_EQ(c[2], "D:\\Music\\mp3_tag.txt");
    EXPECT_EQ(ReportLine("Written TAG: ", tag),
              "Written TAG: Track: 5, Title: Track 05 - Intro, Artist: Band, Album: Live, Genre: ");

    // Folder and file names beyond Windows-1250 give their letters whole.
    const Text music = u"\u041C\u0443\u0437\u044B\u043A\u0430", band = u"\u0393\u03BA\u03C1\u03BF\u03C5\u03C0",
               live = u"\u6771\u4EAC \U0001F3B5", title = u"Track 07 \u0416\u0438\u0437\u043D\u044C c\u030C";
    const Text wide = u"D:\\" + music + u"\\" + band + u"\\" + live + u"\\" + title + u".mp3";
    TID3v2 w;
    FillTagFromPath(w, wide);
    EXPECT_EQ(w.Title, title);
    EXPECT_EQ(w.Track, 7);
    EXPECT_EQ(w.Album, live);
    EXPECT_EQ(w.Artist, band);
    const auto cw = Mp3TagCandidates(wide);
    EXPECT_EQ(cw[0], u"D:\\" + music + u"\\" + band + u"\\" + live + u"\\mp3_tag.txt");
    EXPECT_EQ(cw[1], u"D:\\" + music + u"\\" + band + u"\\mp3_tag.txt");
    EXPECT_EQ(cw[2], u"D:\\" + music + u"\\mp3_tag.txt");
    EXPECT_EQ(ReportLine(u"Written TAG: ", w), u"Written TAG: Track: 7, Title: " + title + u", Artist: " + band +
                                                    u", Album: " + live + u", Genre: ");
}

TEST(Mp3TagRules, TitlesAndTracksFromNames) {
    struct Case { Text path; Text title; int track; };
    const Text emoji = u"\U0001F3B5";
    const std::vector<Case> cases = {
        {u"C:\\a\\b\\song.mpeg", u"songg", 0},
        {u"C:\\a\\b\\01. Intro.mp3", u"01tro.mp3", 0},
        {u"C:\\a\\b\\" + Text(40, u'n') + u".mp3", Text(30, u'n'), 0},
        {u"C:\\a\\b\\Track 300.mp3", u"Track 300", 44},
        {u"C:\\a\\b\\TRACK 3.mp3", u"TRACK 3", 0},         // the search text is lower case
        {u"C:\\a\\b\\track$1F x.mp3", u"track$1F x", 31},
        {u"C:\\a\\b\\  spaced .mp3", u"spaced", 0},
        // A pair is never halved: not by the cut at 30, nor by the dropped extension.
        {u"C:\\a\\b\\" + Text(29, u'n') + emoji + u".mp3", Text(29, u'n'), 0},
        {u"C:\\a\\b\\" + Text(28, u'n') + emoji + u".mp3", Text(28, u'n') + emoji, 0},
        {u"C:\\a\\b\\x.ab" + emoji + u"c.mp3", u"xc.mp3", 0},
        {u"C:\\a\\b\\\u0416 track 9 c\u030C.mp3", u"\u0416 track 9 c\u030C", 9},
    };
    for (const auto& c : cases) {
        TID3v2 tag;
        FillTagFromPath(tag, c.path);
        EXPECT_EQ(tag.Title, c.title) << ToUtf8(c.path);
        EXPECT_EQ(tag.Track, c.track) << ToUtf8(c.path);
    }
    TID3v2 kept;
    kept.Track = 7;
    FillTagFromPath(kept, "C:\\a\\b\\Track 05.mp3");
    EXPECT_EQ(kept.Track, 7);
}

TEST(Mp3TagRules, DriveRootAndFolderNames) {
    TID3v2 tag;
    FillTagFromPath(tag, "C:\\song.mp3");
    EXPECT_EQ(tag.Album, u"C:");
    EXPECT_EQ(tag.Artist, u"");
    const auto c = Mp3TagCandidates("C:\\song.mp3");
    EXPECT_EQ(c[0], "C:\\mp3_tag.txt");
    EXPECT_EQ(c[1], "\\mp3_tag.txt");
    EXPECT_EQ(c[2], "C:\\mp3_tag.txt");

    TID3v2 longNames;
    FillTagFromPath(longNames, "C:\\" + std::string(35, 'A') + "\\" + std::string(33, 'b') + "\\x.mp3");
    EXPECT_EQ(longNames.Artist, Text(30, u'A'));
    EXPECT_EQ(longNames.Album, Text(30, u'b'));
}

TEST(Mp3TagRules, RowsOfMp3TagTxt) {
    struct Case { std::string text; Text genre, artist, album, comment; };
    const std::string longRow(45, 'L');
    const Text cyrillic = u"\u0416\u0438\u0437\u043D\u044C", greek = u"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1",
               cjk = u"\u6771\u4EAC", other = u"\U0001F3B5 c\u030C";
    const std::vector<Case> cases = {
        {"Rock\r\nBand\r\nLive\r\nNice\r\nignored\r\n", u"Rock", u"Band", u"Live", u"Nice"},
        {"Rock\nBand\nLive\nNice", u"Rock", u"Band", u"Live", u"Nice"},
        {"Rock\rBand\rLive\rNice\r", u"Rock", u"Band", u"Live", u"Nice"},
        {"\r\nBand\r\n", u"Old", u"Band", u"FolderAlbum", u"auto"},       // empty first row
        {"  \r\n\t\r\n" + longRow + "\r\n", u"Old", u"FolderArtist", From1250(longRow), u"auto"},
        {"", u"Old", u"FolderArtist", u"FolderAlbum", u"auto"},
        // Windows-1250 bytes, unless a UTF-8 byte-order mark leads.
        {"\xC8" "ech\r\nP\xEDse\xF2\r\n", u"\u010Cech", u"P\u00EDse\u0148", u"FolderAlbum", u"auto"},
        {"\xEF\xBB\xBF" "\xC4\x8C" "ech\r\nP\xC3\xADse\xC5\x88\r\n\xD0\x96\r\n", u"\u010Cech", u"P\u00EDse\u0148", u"\u0416", u"auto"},
        {"\xEF\xBB\xBF" + ToUtf8(greek + u"\r\n" + cyrillic + u"\n" + cjk + u"\r" + other), greek, cyrillic, cjk, other},
    };
    for (const auto& c : cases) {
        TID3v2 tag;
        tag.Genre = u"Old";
        tag.Artist = u"FolderArtist";
        tag.Album = u"FolderAlbum";
        tag.Comment = u"auto";
        ApplyMp3TagRows(tag, c.text);
        EXPECT_EQ(tag.Genre, c.genre) << c.text;
        EXPECT_EQ(tag.Artist, c.artist) << c.text;
        EXPECT_EQ(tag.Album, c.album) << c.text;
        EXPECT_EQ(tag.Comment, c.comment) << c.text;
    }
}

TEST(Mp3TagRules, PathPartsAndConversion) {
    EXPECT_EQ(PathExtension("C:\\a.b\\song.MP3"), ".MP3");
    EXPECT_EQ(PathExtension("C:\\a.b\\noext"), "");
    EXPECT_EQ(PathName("C:\\a\\x.mp3"), "x.mp3");
    EXPECT_EQ(PathName("C:x.mp3"), "x.mp3");
    EXPECT_EQ(PathFolder("C:\\a\\x.mp3"), "C:\\a\\");
    const std::vector<std::pair<std::string, int>> vals = {
        {" 05 - Intro", 5}, {"", 0}, {"abc", 0}, {"$1F", 31}, {"0x1F", 31}, {"-3x", -3}, {"12a", 12}};
    for (const auto& [s, v] : vals) EXPECT_EQ(ValIgnoringError(s), v) << s;
}

}  // namespace

namespace {

TEST(Mp3TagRules, NamePathWithoutBackslash) {
    TID3v2 tag;
    FillTagFromPath(tag, "Track 2.mp3");
    EXPECT_EQ(tag.Title, u"Track 2");
    EXPECT_EQ(tag.Track, 2);
    EXPECT_EQ(tag.Album, u"");
    EXPECT_EQ(tag.Artist, u"");
    const auto c = Mp3TagCandidates("Track 2.mp3");
    EXPECT_EQ(c[0], "mp3_tag.txt");
    EXPECT_EQ(c[1], "\\mp3_tag.txt");
    EXPECT_EQ(c[2], "\\mp3_tag.txt");
}

}  // namespace
