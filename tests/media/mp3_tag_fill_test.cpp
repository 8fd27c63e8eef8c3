#include <windows.h>

#include <gtest/gtest.h>

#include "media/ID3v2.h"
#include "media/mp3_tag.h"
#include "platform/errors.h"
#include "platform/text.h"
#include "tests/app/gui_fixture.h"
#include "tests/text_1250/text_1250.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// One whole MPEG frame (MPEG-2 layer III, 8 kbit/s, 24 kHz: 24 bytes).
const std::string kAudio = "\xFF\xF3\x14\x44 audio: one frame...";

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
    EXPECT_EQ(t.Title, u"Track 05 - Intro");
    EXPECT_EQ(t.Track, 5);
    EXPECT_EQ(t.Comment, u"Tag put automatically by Kolvar_files of Tamrelovinska");
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
        EXPECT_EQ(t.Genre, From1250(c.genre)) << c.files[0].first;
        EXPECT_EQ(t.Artist, From1250(c.artist)) << c.files[0].first;
    }
}

// Folder and file names beyond Windows-1250 and a UTF-8 mp3_tag.txt: the
// tag and the report line hold every letter whole.
TEST_F(FillMp3, NamesOfAnyLetterAndAUtf8Mp3TagTxt) {
    auto wide = [](const Text& t) { return std::wstring(t.begin(), t.end()); };
    const Text music = From1250(tree.Root()) + u"\\\u041C\u0443\u0437\u044B\u043A\u0430",
               band = u"\u0413\u0440\u0443\u043F\u043F\u0430", live = u"\u041A\u043E\u043D\u0446\u0435\u0440\u0442 \U0001F3B5",
               title = u"Track 03 \u0416\u0438\u0437\u043D\u044C c\u030C";
    const Text genre = u"\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC", album = u"\u6771\u4EAC \U0001F600";
    ASSERT_TRUE(CreateDirectoryW(wide(music).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(wide(music + u"\\" + band).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(wide(music + u"\\" + band + u"\\" + live).c_str(), nullptr));
    const Text path = music + u"\\" + band + u"\\" + live + u"\\" + title + u".mp3";
    auto put = [&](const Text& p, const std::string& bytes) {
        HANDLE h = CreateFileW(wide(p).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD done = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
        CloseHandle(h);
    };
    put(path, kAudio);
    put(music + u"\\" + band + u"\\mp3_tag.txt", "\xEF\xBB\xBF" + ToUtf8(genre + u"\r\n\r\n" + album + u"\r\n"));
    Text line;
    EXPECT_TRUE(FillMp3Tag(path, path, false, line));
    EXPECT_EQ(line, u"Written TAG: Track: 3, Title: " + title + u", Artist: " + band + u", Album: " + album +
                        u", Genre: " + genre);
    TID3v2 t;
    ASSERT_TRUE(t.ReadTag(path));
    EXPECT_EQ(t.Title, title);
    EXPECT_EQ(t.Track, 3);
    EXPECT_EQ(t.Artist, band);
    EXPECT_EQ(t.Album, album);
    EXPECT_EQ(t.Genre, genre);
    FillMp3Tag(path, path, true, line);
    EXPECT_EQ(line, u"Read TAG: Track: 3, Title: " + title + u", Artist: " + band + u", Album: " + album +
                        u", Genre: " + genre);
}

TEST_F(FillMp3, OnlyMpegAudioIsTagged) {
    // The report line's beginning and its reason: none for a file that is not handled.
    struct Case { std::string name, content, report, reason; };
    const std::string notWritten = "Tag not written: ", written = "Written TAG: ";
    const std::string notAudio = "it is not MPEG audio", badHeader = "its ID3 header is not valid";
    const std::vector<Case> cases = {
        {"song.MP3", kAudio, "", ""},                                      // upper-case extension
        {"voice.m4a", std::string("\0\0\0\x18" "ftypM4A ", 12), "", ""},    // no "mp" at all
        {"film.mpg", kAudio, written, ""},
        {"mpeg2.mp2", "\xFF\xF5\x80\xC4" + std::string(413, 'a') + "\xFF\xF5\x80\xC4", written, ""},  // 417-byte frames
        {"tagged.mp3", std::string("ID3\x03\0\0\0\0\0\0", 10) + kAudio, written, ""},
        {"clip.mp4", std::string("\0\0\0\x18" "ftypmp42", 12) + kAudio, notWritten, notAudio},  // ISO media
        {"movie.mp4", std::string("\0\0\0\x08" "moov", 8) + kAudio, notWritten, notAudio},
        {"other.mp2", std::string("\0\0\0\x18" "ftyp", 8) + kAudio, notWritten, notAudio},
        {"pic.bmp", std::string("BM\x36\0\0\0\0\0", 8) + kAudio, notWritten, notAudio},
        {"pic.xmp", "<x:xmpmeta xmlns:x='adobe:ns:meta/'>", notWritten, notAudio},
        {"work.tmp", "\xFF\x1F half a sync", notWritten, notAudio},
        {"empty.mp3", "", notWritten, notAudio},
        // A UTF-16 text: its byte-order mark FF FE has the sync bits, "N" a reserved sample
        // rate; "h" makes a whole layer I frame header, but no frame follows it.
        {"notes.tmp", std::string("\xFF\xFEN\0o\0t\0e\0s\0", 12), notWritten, notAudio},
        {"notes.mpx", std::string("\xFF\xFEh\0e\0l\0l\0o\0 \0w\0o\0r\0l\0d\0", 24), notWritten, notAudio},
        {"reserved.mp3", "\xFF\xFB\xF0\x44 bad bit rate", notWritten, notAudio},
        {"header.mp3", "\xFF\xFB\x90\x44 one header, no frame", notWritten, notAudio},
        {"v5.mp3", std::string("ID3\x05\0\0\0\0\0\0", 10) + kAudio, notWritten, badHeader},
        {"size.mp3", std::string("ID3\x03\0\0\0\0\0\x80", 10) + kAudio, notWritten, badHeader},
        {"flags.mp3", std::string("ID3\x03\0\x10\0\0\0\0", 10) + kAudio, notWritten, badHeader},
        {"short.mp3", "ID3\x03", notWritten, badHeader},
    };
    for (const auto& c : cases) {
        const std::string path = tree.Path("Music\\" + c.name);
        PutFile(path, c.content);
        std::string line = "stale";
        const bool ok = FillMp3Tag(path, path, false, line);
        EXPECT_EQ(line.substr(0, c.report.size()), c.report) << c.name;
        EXPECT_EQ(line.empty(), c.report.empty()) << c.name;
        const std::string reason = ", Reason: " + c.reason;
        const bool endsWithReason = line.size() >= reason.size() && line.substr(line.size() - reason.size()) == reason;
        EXPECT_EQ(endsWithReason, !c.reason.empty()) << c.name << ": " << line;
        EXPECT_EQ(ok, c.report != notWritten) << c.name;
        EXPECT_EQ(GetFile(path) == c.content, c.report != written) << c.name;
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
    EXPECT_EQ(line, "Tag not written: Track: 5, Title: Track 05 - Intro, Artist: Band, Album: Live, Genre: , "
                    "Reason: the file is not there");
    EXPECT_EQ(GetFileAttributesW(Widen(tree.Path("Music\\absent.mp3")).c_str()), INVALID_FILE_ATTRIBUTES);

    // A TagFile that another program holds: the line as documented, the file intact.
    HANDLE held = CreateFileW(Widen(song).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FillMp3Tag(song, song, false, line));
    CloseHandle(held);
    EXPECT_EQ(line, "Tag not written: Track: 5, Title: Track 05 - Intro, Artist: Band, Album: Live, Genre: , "
                    "Reason: the file cannot be rewritten");
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

namespace {

// The rewrite of a large file keeps the window answering: an Escape pressed
// meanwhile asks its question and marks the run to stop, and the file is
// still rewritten whole.
class FillMp3InARun : public MainWindowTest {};

TEST_F(FillMp3InARun, EscapeDuringALargeRewrite) {
    tree->Dir("Band");
    tree->Dir("Band\\Live");
    const std::string song = tree->Path("Band\\Live\\Track 07.mp3");
    // Noise in 417-byte MPEG frames (MPEG-1 layer III, 128 kbit/s, 44.1 kHz).
    const char header[] = "\xFF\xFB\x90";
    std::string audio;
    audio.reserve(6u << 20);
    for (std::uint32_t i = 0; audio.size() < (6u << 20); ++i)
        audio += i % 417 < 3 ? header[i % 417] : static_cast<char>((i * 2654435761u) >> 24);
    PutFile(song, audio);
    form->Tag = 999;  // a run is going on
    dialogs.answers = {MsgResult::Yes};
    PostMessageW(form->Edit1.hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    std::string line;
    EXPECT_TRUE(FillMp3Tag(song, song, false, line));
    EXPECT_EQ(form->Tag, 555);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].text.rfind("Terminate the process?", 0), 0u);
    TID3v2 t;
    ASSERT_TRUE(t.ReadTag(song));
    EXPECT_EQ(t.Track, 7);
    EXPECT_TRUE(GetFile(song).substr(static_cast<std::size_t>(t.TagSize)) == audio);
}

}  // namespace
