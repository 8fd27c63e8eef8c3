#include "media/mp3_tag_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(Mp3TagRules, WorkedExample) {
    const std::string path = "D:\\Music\\Band\\Live\\Track 05 - Intro.mp3";
    TID3v2 tag;
    FillTagFromPath(tag, path);
    EXPECT_EQ(tag.Title, "Track 05 - Intro");
    EXPECT_EQ(tag.Track, 5);
    EXPECT_EQ(tag.Album, "Live");
    EXPECT_EQ(tag.Artist, "Band");
    EXPECT_EQ(tag.Comment, "Tag put automatically by Kolvar_files of Tamrelovinska");
    const auto c = Mp3TagCandidates(path);
    EXPECT_EQ(c[0], "D:\\Music\\Band\\Live\\mp3_tag.txt");
    EXPECT_EQ(c[1], "D:\\Music\\Band\\mp3_tag.txt");
    EXPECT_EQ(c[2], "D:\\Music\\mp3_tag.txt");
    EXPECT_EQ(ReportLine("Written TAG: ", tag),
              "Written TAG: Track: 5, Title: Track 05 - Intro, Artist: Band, Album: Live, Genre: ");
}

TEST(Mp3TagRules, TitlesAndTracksFromNames) {
    struct Case { std::string path; std::string title; int track; };
    const std::vector<Case> cases = {
        {"C:\\a\\b\\song.mpeg", "songg", 0},
        {"C:\\a\\b\\01. Intro.mp3", "01tro.mp3", 0},
        {"C:\\a\\b\\" + std::string(40, 'n') + ".mp3", std::string(30, 'n'), 0},
        {"C:\\a\\b\\Track 300.mp3", "Track 300", 44},
        {"C:\\a\\b\\TRACK 3.mp3", "TRACK 3", 0},         // the search text is lower case
        {"C:\\a\\b\\track$1F x.mp3", "track$1F x", 31},
        {"C:\\a\\b\\  spaced .mp3", "spaced", 0},
    };
    for (const auto& c : cases) {
        TID3v2 tag;
        FillTagFromPath(tag, c.path);
        EXPECT_EQ(tag.Title, c.title) << c.path;
        EXPECT_EQ(tag.Track, c.track) << c.path;
    }
    TID3v2 kept;
    kept.Track = 7;
    FillTagFromPath(kept, "C:\\a\\b\\Track 05.mp3");
    EXPECT_EQ(kept.Track, 7);
}

TEST(Mp3TagRules, DriveRootAndFolderNames) {
    TID3v2 tag;
    FillTagFromPath(tag, "C:\\song.mp3");
    EXPECT_EQ(tag.Album, "C:");
    EXPECT_EQ(tag.Artist, "");
    const auto c = Mp3TagCandidates("C:\\song.mp3");
    EXPECT_EQ(c[0], "C:\\mp3_tag.txt");
    EXPECT_EQ(c[1], "\\mp3_tag.txt");
    EXPECT_EQ(c[2], "C:\\mp3_tag.txt");

    TID3v2 longNames;
    FillTagFromPath(longNames, "C:\\" + std::string(35, 'A') + "\\" + std::string(33, 'b') + "\\x.mp3");
    EXPECT_EQ(longNames.Artist, std::string(30, 'A'));
    EXPECT_EQ(longNames.Album, std::string(30, 'b'));
}

TEST(Mp3TagRules, RowsOfMp3TagTxt) {
    struct Case { std::string text; std::string genre, artist, album, comment; };
    const std::string longRow(45, 'L');
    const std::vector<Case> cases = {
        {"Rock\r\nBand\r\nLive\r\nNice\r\nignored\r\n", "Rock", "Band", "Live", "Nice"},
        {"Rock\nBand\nLive\nNice", "Rock", "Band", "Live", "Nice"},
        {"Rock\rBand\rLive\rNice\r", "Rock", "Band", "Live", "Nice"},
        {"\r\nBand\r\n", "Old", "Band", "FolderAlbum", "auto"},       // empty first row
        {"  \r\n\t\r\n" + longRow + "\r\n", "Old", "FolderArtist", longRow, "auto"},
        {"", "Old", "FolderArtist", "FolderAlbum", "auto"},
        // Windows-1250 bytes, unless a UTF-8 byte-order mark leads.
        {"\xC8" "ech\r\nP\xEDse\xF2\r\n", "\xC8" "ech", "P\xEDse\xF2", "FolderAlbum", "auto"},
        {"\xEF\xBB\xBF" "\xC4\x8C" "ech\r\nP\xC3\xADse\xC5\x88\r\n\xD0\x96\r\n", "\xC8" "ech", "P\xEDse\xF2", "?", "auto"},
    };
    for (const auto& c : cases) {
        TID3v2 tag;
        tag.Genre = "Old";
        tag.Artist = "FolderArtist";
        tag.Album = "FolderAlbum";
        tag.Comment = "auto";
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
    EXPECT_EQ(tag.Title, "Track 2");
    EXPECT_EQ(tag.Track, 2);
    EXPECT_EQ(tag.Album, "");
    EXPECT_EQ(tag.Artist, "");
    const auto c = Mp3TagCandidates("Track 2.mp3");
    EXPECT_EQ(c[0], "mp3_tag.txt");
    EXPECT_EQ(c[1], "\\mp3_tag.txt");
    EXPECT_EQ(c[2], "\\mp3_tag.txt");
}

}  // namespace
