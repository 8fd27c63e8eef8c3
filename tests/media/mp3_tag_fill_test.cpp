#include <windows.h>

#include <gtest/gtest.h>

#include "media/ID3v2.h"
#include "media/mp3_tag.h"
#include "platform/errors.h"
#include "platform/text.h"
#include "tests/app/gui_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kAudio = "\xFF\xFB\x90\x44 some audio frames";

class FillMp3 : public ::testing::Test {
protected:
    TempTree tree;
    std::string song;
    void SetUp() override {
        tree.Dir("Music");
        tree.Dir("Music\\Band");
        tree.Dir("Music\\Band\\Live");
        song = tree.Path("Music\\Band\\Live\\Track 05 - Intro.mp3");
        PutFile(song, kAudio);
    }
    TID3v2 TagOf(const std::string& path) {
        TID3v2 t;
        t.ReadTag(path);
        return t;
    }
};

TEST_F(FillMp3, WorkedExampleWritesTheTagAndReports) {
    std::string line;
    FillMp3Tag(song, song, false, line);
    EXPECT_EQ(line, "Written TAG: Track: 5, Title: Track 05 - Intro, Artist: Band, Album: Live, Genre: ");
    TID3v2 t = TagOf(song);
    EXPECT_EQ(t.Title, "Track 05 - Intro");
    EXPECT_EQ(t.Track, 5);
    EXPECT_EQ(t.Comment, "Tag put automatically by Kolvar_files of Tamrelovinska");
    const std::string data = GetFile(song);
    EXPECT_EQ(data.substr(static_cast<std::size_t>(t.TagSize)), kAudio);

    // A tag that already has a track keeps it (the title follows the new name);
    // read mode reports without writing.
    FillMp3Tag(song, tree.Path("Music\\Band\\Live\\Track 09.mp3"), false, line);
    EXPECT_EQ(TagOf(song).Track, 5);
    const std::string before = GetFile(song);
    FillMp3Tag(song, song, true, line);
    EXPECT_EQ(line, "Read TAG: Track: 5, Title: Track 09, Artist: Band, Album: Live, Genre: ");
    EXPECT_EQ(GetFile(song), before);
}

TEST_F(FillMp3, Mp3TagTxtNearestFolderWins) {
    struct Case { std::vector<std::pair<std::string, std::string>> files; std::string genre, artist; };
    const std::vector<Case> cases = {
        {{{"Music\\Band\\Live\\mp3_tag.txt", "Own\r\nOwnArtist"}}, "Own", "OwnArtist"},
        {{{"Music\\Band\\mp3_tag.txt", "Parent"}}, "Parent", "Band"},
        {{{"Music\\mp3_tag.txt", "Grand\n\nGrandAlbum"}}, "Grand", "Band"},
        {{{"Music\\Band\\mp3_tag.txt", "Parent"}, {"Music\\mp3_tag.txt", "Grand"}}, "Parent", "Band"},
        {{{"Music\\Band\\Live\\mp3_tag.txt", "\r\nX"}, {"Music\\Band\\mp3_tag.txt", "Parent"}}, "", "X"},
    };
    for (const auto& c : cases) {
        for (const char* p : {"Music\\Band\\Live\\mp3_tag.txt", "Music\\Band\\mp3_tag.txt", "Music\\mp3_tag.txt"})
            DeleteFileW(Widen(tree.Path(p)).c_str());
        for (const auto& [p, text] : c.files) PutFile(tree.Path(p), text);
        PutFile(song, kAudio);
        std::string line;
        FillMp3Tag(song, song, false, line);
        TID3v2 t = TagOf(song);
        EXPECT_EQ(t.Genre, c.genre) << c.files[0].first;
        EXPECT_EQ(t.Artist, c.artist) << c.files[0].first;
    }
}

TEST_F(FillMp3, OnlyMpegAudioIsTagged) {
    // The report line's beginning: none for a file that is not handled.
    struct Case { std::string name, content, report; };
    const std::string notWritten = "Tag not written: ";
    const std::vector<Case> cases = {
        {"song.MP3", kAudio, ""},                                      // upper-case extension
        {"voice.m4a", std::string("\0\0\0\x18" "ftypM4A ", 12), ""},    // no "mp" at all
        {"film.mpg", kAudio, "Written TAG: "},
        {"tagged.mp3", std::string("ID3\x03\0\0\0\0\0\0", 10) + kAudio, "Written TAG: "},
        {"clip.mp4", std::string("\0\0\0\x18" "ftypmp42", 12) + kAudio, notWritten},  // ISO media
        {"movie.mp4", std::string("\0\0\0\x08" "moov", 8) + kAudio, notWritten},
        {"other.mp2", std::string("\0\0\0\x18" "ftyp", 8) + kAudio, notWritten},
        {"pic.bmp", std::string("BM\x36\0\0\0\0\0", 8) + kAudio, notWritten},
        {"pic.xmp", "<x:xmpmeta xmlns:x='adobe:ns:meta/'>", notWritten},
        {"work.tmp", "\xFF\x1F half a sync", notWritten},
        {"empty.mp3", "", notWritten},
    };
    for (const auto& c : cases) {
        const std::string path = tree.Path("Music\\" + c.name);
        PutFile(path, c.content);
        std::string line = "stale";
        const bool ok = FillMp3Tag(path, path, false, line);
        EXPECT_EQ(line.substr(0, c.report.size()), c.report) << c.name;
        EXPECT_EQ(line.empty(), c.report.empty()) << c.name;
        EXPECT_EQ(ok, c.report != notWritten) << c.name;
        EXPECT_EQ(GetFile(path) == c.content, c.report != "Written TAG: ") << c.name;
    }
    // Read mode still reads an ISO media file with "mp" in its extension.
    std::string line;
    FillMp3Tag(tree.Path("Music\\clip.mp4"), tree.Path("Music\\clip.mp4"), true, line);
    EXPECT_EQ(line, "Read TAG: Track: 0, Title: , Artist: , Album: , Genre: ");
}

TEST_F(FillMp3, MissingFilesAndALockedMp3TagTxt) {
    std::string line;
    FillMp3Tag(tree.Path("Music\\absent.mp3"), song, true, line);
    EXPECT_EQ(line, "Read TAG: Track: 0, Title: , Artist: , Album: , Genre: ");
    EXPECT_FALSE(FillMp3Tag(tree.Path("Music\\absent.mp3"), song, false, line));
    EXPECT_EQ(line, "Tag not written: Track: 5, Title: Track 05 - Intro, Artist: Band, Album: Live, Genre: ");
    EXPECT_EQ(GetFileAttributesW(Widen(tree.Path("Music\\absent.mp3")).c_str()), INVALID_FILE_ATTRIBUTES);

    // A TagFile that another program holds: the line as documented, the file intact.
    HANDLE held = CreateFileW(Widen(song).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FillMp3Tag(song, song, false, line));
    CloseHandle(held);
    EXPECT_EQ(line, "Tag not written: Track: 5, Title: Track 05 - Intro, Artist: Band, Album: Live, Genre: ");
    EXPECT_EQ(GetFile(song), kAudio);

    const std::string txt = tree.Path("Music\\Band\\Live\\mp3_tag.txt");
    PutFile(txt, "Rock");
    HANDLE h = CreateFileW(Widen(txt).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    line = "stale";
    try {
        FillMp3Tag(song, song, false, line);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.ClassName(), "EFOpenError");
        EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + txt + "\". ", 0), 0u);
    }
    CloseHandle(h);
    EXPECT_EQ(GetFile(song), kAudio);  // nothing written
    EXPECT_TRUE(line.empty());
}

}  // namespace
