#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "media/ID3v2.h"
#include "platform/text.h"
#include "tests/app/gui_fixture.h"
#include "tests/text_1250/text_1250.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A path of any letter and length in the form the W API takes beyond 260 characters.
std::wstring LongForm(const Text& path) { return L"\\\\?\\" + std::wstring(path.begin(), path.end()); }

void PutWide(const std::wstring& path, const Bytes& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(h);
}

void Put(const std::string& path, const Bytes& bytes) { PutWide(Widen(path), bytes); }

Bytes GetWide(const std::wstring& path) {
    Bytes out;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return out;
    std::uint8_t buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) out.insert(out.end(), buf, buf + got);
    CloseHandle(h);
    return out;
}

Bytes Get(const std::string& path) { return GetWide(Widen(path)); }

// The temporary files of a rewrite left in folder: none after a rewrite that worked or failed.
int TemporariesIn(const Text& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(LongForm(folder + u"\\~Kolvar_files-*.tmp").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int n = 1;
    while (FindNextFileW(h, &fd)) ++n;
    FindClose(h);
    return n;
}

const Bytes kSongTag = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0x0F, 'T', 'I', 'T', '2', 0, 0, 0, 5, 0, 0, 0, 'S', 'o', 'n', 'g'};

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ID3v2File, RewritesKeepTheAudioAndReplaceTheOldTag) {
    TempTree tree;
    TID3v2 song;
    song.SetTitle(u"Song");
    const Bytes audio = {0xFF, 0xFB, 0x90, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 'T', 'A', 'G'};
    struct Case { std::string name; Bytes before, after; };
    Bytes oldTag = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 20};
    oldTag.resize(30, 0);
    Bytes oversized = {'I', 'D', '3', 3, 0, 0, 0, 0, 0x7F, 0x7F, 9, 9};
    // A version 4 tag appended with its footer, before an ID3v1 tag: it goes.
    const Bytes frames = {'T', 'I', 'T', '2', 0, 0, 0, 4, 0, 0, 0, 'O', 'l', 'd'};
    const Bytes appended = Concat(Concat(Bytes{'I', 'D', '3', 4, 0, 0x10, 0, 0, 0, 14}, frames),
                                  Bytes{'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 14});
    Bytes v1 = {'T', 'A', 'G'};
    v1.resize(128, 0);
    const Bytes frameAudio(audio.begin(), audio.end() - 3);
    const std::vector<Case> cases = {
        {"plain.mp3", audio, Concat(kSongTag, audio)},                 // no tag: put in front
        {"tagged.mp3", Concat(oldTag, audio), Concat(kSongTag, audio)},  // old tag and padding go
        {"only.mp3", oldTag, kSongTag},                                  // nothing but a tag
        {"oversized.mp3", oversized, Concat(kSongTag, oversized)},       // size beyond the file: kept
        {"appended.mp3", Concat(Concat(frameAudio, appended), v1), Concat(Concat(kSongTag, frameAudio), v1)},
    };
    for (const auto& c : cases) {
        const std::string path = tree.Path(c.name);
        Put(path, c.before);
        EXPECT_TRUE(song.WriteTag(path)) << c.name;
        EXPECT_EQ(Get(path), c.after) << c.name;
        EXPECT_EQ(TemporariesIn(From1250(tree.Root())), 0) << c.name;
    }
    TID3v2 back;
    EXPECT_TRUE(back.ReadTag(tree.Path("plain.mp3")));
    EXPECT_EQ(back.Title, u"Song");
    EXPECT_EQ(back.TagSize, 25);
}

// Names beyond Windows-1250 (letters, pairs, combining marks), paths beyond
// 260 characters and a name of 255 letters, the longest a folder holds: the
// tag is written at the file itself and read back.
TEST(ID3v2File, NamesOfAnyLetterAndLongPaths) {
    TempTree tree;
    const Text title = u"\u0416\u0438\u0437\u043D\u044C \U0001F3B5";
    TID3v2 song;
    song.SetTitle(title);
    const Bytes audio = {0xFF, 0xFB, 0x90, 0x00, 1, 2, 3, 4, 5, 6, 7, 8};
    const Text root = From1250(tree.Root());
    const Text folder = root + u"\\\u0395\u03BB\u03BB\u03AC\u03B4\u03B1 \u6771\u4EAC";
    ASSERT_TRUE(CreateDirectoryW(LongForm(folder).c_str(), nullptr));
    Text deep = root;
    while (deep.size() < 300) {
        deep += u"\\" + Text(60, u'\u03B1');
        ASSERT_TRUE(CreateDirectoryW(LongForm(deep).c_str(), nullptr));
    }
    for (const Text& path : {root + u"\\\u0416\u0438\u0437\u043D\u044C \U0001F3B5.mp3",
                             folder + u"\\c\u030Cau.mp3", deep + u"\\\U0001F3B5 " + Text(20, u'\u03B2') + u".mp3",
                             root + u"\\" + Text(251, u'n') + u".mp3"}) {
        PutWide(LongForm(path), audio);
        std::string whyNot;
        EXPECT_TRUE(song.WriteTag(path, &whyNot)) << ToUtf8(path) << ": " << whyNot;
        TID3v2 back;
        EXPECT_TRUE(back.ReadTag(path)) << ToUtf8(path);
        EXPECT_EQ(back.Title, title) << ToUtf8(path);
        const Bytes bytes = GetWide(LongForm(path));
        EXPECT_EQ(Bytes(bytes.begin() + std::min<std::size_t>(bytes.size(), back.TagSize), bytes.end()), audio);
        EXPECT_EQ(TemporariesIn(path.substr(0, path.rfind(u'\\'))), 0) << ToUtf8(path);
    }
}

// Read-only, hidden and system are cleared for the rewrite and put back
// after it, whether it worked or not.
TEST(ID3v2File, AttributesComeBack) {
    TempTree tree;
    TID3v2 t;
    t.SetTitle(u"Song");
    const Bytes audio = {0xFF, 0xFB, 0x90, 0x44, 5, 6, 7, 8, 9, 10, 11};
    struct Case { std::string name; DWORD attributes; bool blocked; };
    const std::vector<Case> cases = {
        {"ro.mp3", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, false},
        {"system.mp3", FILE_ATTRIBUTE_SYSTEM, false},
        {"plain.mp3", FILE_ATTRIBUTE_ARCHIVE, false},
        {"failed.mp3", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, true},
    };
    const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    for (const auto& c : cases) {
        const std::string path = tree.Path(c.name);
        Put(path, audio);
        SetFileAttributesW(Widen(path).c_str(), c.attributes);
        // Another program reading the file keeps the rewrite from replacing it.
        HANDLE reader = c.blocked ? CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr)
                                  : INVALID_HANDLE_VALUE;
        EXPECT_EQ(t.WriteTag(path), !c.blocked) << c.name;
        if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
        EXPECT_EQ(GetFileAttributesW(Widen(path).c_str()) & kept, c.attributes & kept) << c.name;
        SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(Get(path), c.blocked ? audio : Concat(kSongTag, audio)) << c.name;
    }
}

TEST(ID3v2File, FailuresLeaveTheFileAsItWas) {
    TempTree tree;
    TID3v2 t;
    t.SetTitle(u"Song");

    EXPECT_FALSE(t.WriteTag(tree.Path("missing.mp3")));
    TID3v2 r;
    EXPECT_FALSE(r.ReadTag(tree.Path("missing.mp3")));

    const std::string shortFile = tree.Path("short.mp3");
    Put(shortFile, {'I', 'D', '3', 3});
    EXPECT_FALSE(t.WriteTag(shortFile));
    EXPECT_EQ(Get(shortFile), (Bytes{'I', 'D', '3', 3}));
    EXPECT_FALSE(r.ReadTag(shortFile));
    EXPECT_FALSE(r.TagPresent);

    // Another program holds the file: nothing changes, no temporary file remains.
    const std::string locked = tree.Path("locked.mp3");
    const Bytes content = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2};
    Put(locked, content);
    HANDLE h = CreateFileW(Widen(locked).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(t.WriteTag(locked));
    CloseHandle(h);
    EXPECT_EQ(Get(locked), content);
    EXPECT_EQ(TemporariesIn(From1250(tree.Root())), 0);

    // Entries named as the file with a "~" (a folder, a file) are the user's:
    // the rewrite goes beside them and leaves them as they were.
    const std::string beside = tree.Path("beside.mp3");
    Put(beside, content);
    ASSERT_TRUE(CreateDirectoryW(Widen(beside + "~").c_str(), nullptr));
    Put(beside + "~~", Bytes(5000, 0xEE));
    EXPECT_TRUE(t.WriteTag(beside));
    EXPECT_EQ(Get(beside), Concat(kSongTag, content));
    EXPECT_EQ(GetFileAttributesW(Widen(beside + "~").c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Get(beside + "~~"), Bytes(5000, 0xEE));
}

}  // namespace

namespace {

TEST(ID3v2File, FilesOf2GiBAndMore) {
    TempTree tree;
    const std::string path = tree.Path("long.mp3");
    Put(path, kSongTag);
    HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 3LL << 30;  // sparse: the audio reads as zeros
    SetFilePointerEx(h, size, nullptr, FILE_BEGIN);
    SetEndOfFile(h);
    CloseHandle(h);
    TID3v2 t;
    EXPECT_TRUE(t.ReadTag(path));
    EXPECT_EQ(t.TagSize, 25);
    EXPECT_EQ(t.Title, u"Song");
}

}  // namespace
