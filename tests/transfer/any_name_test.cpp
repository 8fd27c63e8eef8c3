// Every file Windows can hold, end to end: names in Cyrillic, Greek, CJK,
// an emoji, a combining mark and Cyrillic case pairs, as files and as
// folders, through every operation of the main window. Each operation is
// checked against a snapshot of every file under the test folder: exactly
// the files it names change, each by content.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

#include "app/counts_line.h"
#include "media/ID3v2.h"
#include "platform/text.h"
#include "platform/file_stream.h"
#include "transfer/run_journal.h"
#include "tests/app/gui_fixture.h"
#include "tests/media/exif_builder.h"

namespace {

using Path = std::wstring;  // relative to the test folder
using Snapshot = std::map<Path, std::string>;  // every file: its bytes
const std::string kAny = "\x01(any content)";  // a file whose bytes a case checks itself

Text Tx(const std::wstring& w) { return Text(w.begin(), w.end()); }
std::wstring Wd(TextView t) { return std::wstring(t.begin(), t.end()); }
std::string U8(const std::wstring& w) { return ToUtf8(Tx(w)); }
// Every call goes by the \\?\ form, so that paths past 260 characters work.
std::wstring Long(const std::wstring& full) { return L"\\\\?\\" + full; }

std::string ReadAll(const std::wstring& full) {
    try {
        return ReadWholeFile(Tx(Long(full)));
    } catch (const Exception&) {
        return std::string();
    }
}

void Snap(const std::wstring& root, const Path& rel, Snapshot& s) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(Long(root + (rel.empty() ? L"" : L"\\" + rel) + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        // The files a run keeps for its undo are the undo test's.
        if (IsKeptName(TextView(reinterpret_cast<const char16_t*>(name.data()), name.size()))) continue;
        const Path child = rel.empty() ? name : rel + L"\\" + name;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Snap(root, child, s);
        else s[child] = ReadAll(root + L"\\" + child);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

// What an operation does to the files (and the row it leaves, "from -> to").
struct Op {
    enum Kind { Copy, Move, Remove, Made } kind;
    Path from, to;
    bool row = true;
};

// The names, each beside what sets it apart; the same ones as folders.
// One whole MPEG frame (MPEG-2 layer III, 8 kbit/s, 24 kHz: 24 bytes).
const std::string kAudio = "\xFF\xF3\x14\x44 audio: one frame...";
std::string Jpeg() {
    TiffLayout s;
    s.data = {Bytes(std::string("2011:04:15 10:20:30") + '\0')};
    s.first = {{0x0132, 2, 20, 0, 0}};
    const auto j = BuildJpeg(s);
    return {j.begin(), j.end()};
}
const std::vector<std::pair<Path, std::string>> kFiles = {
    {L"Фото\\пример.txt", "cyrillic"},
    {L"xα.txt", "alpha"},
    {L"xβ.txt", "beta"},  // x?.txt in Windows-1250, as is xα.txt
    {L"日本\\写真.jpg", Jpeg()},
    {L"Фото\\日本\\smile 😀.mp3", kAudio},
    {L"c\u030C.txt", "combining"},
    {L"č.txt", "precomposed"},
    {L"Ж.txt", "zhe"},
    {L"Фото\\xα\\日本\\smile 😀\\č\\Ж deep.txt", "deep"},
    {L"plain.txt", "plain"},
    {L"sub\\plain2.txt", "plain 2"},
};
bool Ascii(const Path& p) {
    for (wchar_t c : p)
        if (c > 127) return false;
    return true;
}

struct Case {
    const char* name;
    std::function<void()> act;
    std::function<std::vector<Op>()> ops;
    std::function<void()> check;
    bool dry = false;  // the ops name rows only; no file changes
};

class AnyName : public MainWindowTest {
protected:
    std::wstring root;
    std::wstring Full(const Path& rel) const { return root + L"\\" + rel; }
    void Write(const Path& rel, const std::string& bytes) {
        for (std::size_t at = rel.find(L'\\'); at != Path::npos; at = rel.find(L'\\', at + 1))
            CreateDirectoryW(Long(Full(rel.substr(0, at))).c_str(), nullptr);
        HANDLE h = CreateFileW(Long(Full(rel)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << U8(rel);
        DWORD done = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
        CloseHandle(h);
    }
    Snapshot Now() const {
        Snapshot s;
        Snap(root, L"", s);
        return s;
    }
    void List(const Path& dir, const std::wstring& mask) {
        form->Edit1.SetText(Tx(Full(dir)));
        form->Edit2.SetText(Tx(mask));
        form->CheckBox1.SetChecked(true);
        form->Button1Click();
        Pump();
    }
    void Options(const Path& out, TransferMode mode = TransferMode::UsualCopy, bool move = false,
                 bool exif = false, bool tag = false) {
        form->Edit3.SetText(Tx(Full(out)));
        form->RadioButton1.SetChecked(mode == TransferMode::AddSubdirNames);
        form->RadioButton2.SetChecked(mode == TransferMode::UsualCopy);
        form->RadioButton3.SetChecked(mode == TransferMode::IntoRoot);
        form->CheckBox2.SetChecked(move);
        form->CheckBox_exif.SetChecked(exif);
        form->CheckBox_tag.SetChecked(tag);
    }
    int RowOf(const std::wstring& text) const {
        for (int i = 0; i < form->ListBox1.Count(); ++i)
            if (form->ListBox1.Item(i) == Tx(text)) return i;
        return -1;
    }
    int RowOf(const Path& from, const Path& to) const { return RowOf(Full(from) + L" -> " + Full(to)); }
    void Deselect(const std::function<bool(const Path&)>& which) {
        for (int i = 0; i < form->ListBox1.Count(); ++i)
            if (which(Wd(form->ListBox1.Item(i)).substr(root.size() + 1))) form->ListBox1.SetSelected(i, false);
    }
    // The rows the run left selected, as its closing box names them, each with its reason.
    void ExpectLeftSelected(const std::vector<Path>& rows, const std::string& reason) {
        ASSERT_FALSE(dialogs.calls.empty());
        const auto box = std::find_if(dialogs.calls.begin(), dialogs.calls.end(), [](const DialogCall& c) {
            return c.wideText.rfind(u"These files were left selected:", 0) == 0;
        });
        ASSERT_NE(box, dialogs.calls.end());
        EXPECT_EQ(box->kind, MsgKind::Warning);
        for (const Path& r : rows) {
            EXPECT_NE(box->wideText.find(u"\r" + Tx(Full(r)) + u"\r    (" + From1250(reason)), Text::npos) << U8(r);
            EXPECT_TRUE(RowOf(Full(r)) >= 0 && form->ListBox1.Selected(RowOf(Full(r)))) << U8(r);
        }
    }
    // Each case acts, then every file under the test folder is what its ops
    // say: exactly the files they name change, each by content.
    void Check(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            dialogs.calls.clear();
            const Snapshot before = Now();
            c.act();
            const std::vector<Op> ops = c.ops();
            Snapshot expected = before;
            for (const Op& op : ops) {
                if (op.row && (op.kind == Op::Copy || op.kind == Op::Move)) {
                    const int row = RowOf(op.from, op.to);
                    EXPECT_TRUE(row >= 0 && !form->ListBox1.Selected(row)) << "row " << U8(op.from) << " -> " << U8(op.to);
                }
                if (c.dry) continue;
                if (op.kind == Op::Made) expected[op.from] = kAny;
                if (op.kind == Op::Copy || op.kind == Op::Move) expected[op.to] = before.count(op.from) ? before.at(op.from) : "(none)";
                if (op.kind == Op::Move || op.kind == Op::Remove) expected.erase(op.from);
            }
            const Snapshot after = Now();
            std::string diff;
            for (const auto& [path, bytes] : expected)
                if (!after.count(path)) diff += "\n  missing " + U8(path);
                else if (bytes != kAny && after.at(path) != bytes) diff += "\n  changed " + U8(path);
            for (const auto& [path, bytes] : after)
                if (!expected.count(path)) diff += "\n  unexpected " + U8(path);
            EXPECT_EQ(diff, "");
            c.check();
        }
    }
    void SetUp() override {
        MainWindowTest::SetUp();
        root = Widen(tree->Root());
    }
};

std::vector<Op> Each(Op::Kind kind, const Path& from, const Path& to, bool (*keep)(const Path&) = nullptr) {
    std::vector<Op> ops;
    for (const auto& f : kFiles)
        if (!keep || keep(f.first)) ops.push_back({kind, from + L"\\" + f.first, to + L"\\" + f.first});
    return ops;
}

TEST_F(AnyName, EveryOperationOnEveryName) {
    // The test's own probe: a UTF-8 line after chcp 65001 names its file.
    Write(L"probe\\probe.bat", "@chcp 65001 >nul 2>&1\r\n@echo x>\"%~dp0\xD0\x96.txt\"\r\n");
    RunProcess(nullptr, L"cmd /c \"" + Full(L"probe\\probe.bat") + L"\"", root.c_str(), CREATE_NO_WINDOW);
    const bool utf8 = !ReadAll(Full(L"probe\\Ж.txt")).empty();
    std::printf("cmd reads UTF-8 lines after chcp 65001: %s\n", utf8 ? "yes" : "no");
    RemoveTree(Full(L"probe"));

    for (const auto& f : kFiles) Write(L"in\\" + f.first, f.second);
    Write(L"keep.txt", "bystander");
    Write(L"commands_ini.txt", "@echo off");
    Write(L"commands_to_process.txt", "copy \"%file1%\" \"%file2%\" >nul");
    // About 400 characters in all, a name beyond Windows-1250 at the end.
    Path deep = L"long";
    while (root.size() + deep.size() < 390) deep += L"\\Фото папка ξ 0123456789";
    deep += L"\\Ж 😀 long.txt";
    Write(deep, "long path");
    const Path deepName = deep.substr(5);
    // The one-name rule: two Ж.txt flat into one folder, ж.txt as a source.
    Write(L"names\\ж.txt", "small");
    Write(L"names\\a\\Ж.txt", "from a");
    Write(L"names\\b\\Ж.txt", "from b");
    Write(L"flat\\ж.txt", "old");

    const Path cz = L"Фото\\xα\\日本\\smile 😀\\č\\Ж deep.txt";
    const std::vector<Case> cases = {
        {"listing", [&] { List(L"in", L"*.*"); }, [] { return std::vector<Op>{}; },
         [&] {
             std::vector<Text> rows = form->AllRows(), named;
             std::uint64_t bytes = 0;
             for (const auto& f : kFiles) {
                 named.push_back(Tx(Full(L"in\\" + f.first)));
                 bytes += f.second.size();
             }
             std::sort(rows.begin(), rows.end());
             std::sort(named.begin(), named.end());
             EXPECT_EQ(rows, named);
             EXPECT_EQ(form->lblNumberFound.Text1250(), std::to_string(kFiles.size()) + " files found , " +
                                                            GroupDigits(bytes) + " bytes in selected files");
         }},
        {"Try", [&] { List(L"in", L"*.*"); Options(L"out"); form->Button3Click(); },
         [] { return Each(Op::Copy, L"in", L"out"); }, [] {}, true},
        {"Copy", [&] { List(L"in", L"*.*"); Options(L"out"); form->Button2Click(); },
         [] { return Each(Op::Copy, L"in", L"out"); }, [] {}},
        {"Move", [&] { List(L"out", L"*.*"); Options(L"moved", TransferMode::UsualCopy, true); form->Button2Click(); },
         [] { return Each(Op::Move, L"out", L"moved"); }, [] {}},
        {"CZ",
         [&] {
             List(L"moved", L"*.*");
             Options(L"moved");
             dialogs.answers = {MsgResult::Yes};
             form->Button7Click();
         },
         [&] {
             return std::vector<Op>{{Op::Move, L"moved\\č.txt", L"moved\\c.txt"},
                                    {Op::Move, L"moved\\Фото\\日本\\smile 😀.mp3", L"moved\\Фото\\日本\\smile_😀.mp3"},
                                    {Op::Move, L"moved\\" + cz, L"moved\\Фото\\xα\\日本\\smile_😀\\c\\Ж_deep.txt"}};
         },
         [&] {  // the combining form is no Czech letter: in place, selected
             EXPECT_TRUE(form->ListBox1.Selected(RowOf(Full(L"moved\\c\u030C.txt"))));
             EXPECT_TRUE(form->ListBox1.Selected(RowOf(Full(L"moved\\Ж.txt"))));
         }},
        {"EXIF date",
         [&] { List(L"in", L"*.jpg"); Options(L"exif", TransferMode::UsualCopy, false, true); form->Button2Click(); },
         [] { return std::vector<Op>{{Op::Copy, L"in\\日本\\写真.jpg", L"exif\\日本\\20110415_写真.jpg"}}; }, [] {}},
        {"tag fill",
         [&] { List(L"in", L"*.mp3"); Options(L"tagged", TransferMode::UsualCopy, false, false, true); form->Button2Click(); },
         [] { return std::vector<Op>{{Op::Made, L"tagged\\Фото\\日本\\smile 😀.mp3", L"", false}}; },
         [&] {
             const Path song = L"Фото\\日本\\smile 😀.mp3";
             EXPECT_FALSE(form->ListBox1.Selected(RowOf(L"in\\" + song, L"tagged\\" + song)));
             TID3v2 tag;
             ASSERT_TRUE(tag.ReadTag(Tx(Full(L"tagged\\" + song))));
             EXPECT_EQ(tag.Title, u"smile 😀");
             EXPECT_EQ(tag.Album, u"日本");
             EXPECT_EQ(tag.Artist, u"Фото");
             const std::string bytes = ReadAll(Full(L"tagged\\" + song));
             EXPECT_EQ(bytes.substr(bytes.size() - kAudio.size()), kAudio);
         }},
        {"Save, UTF-8", [&] { List(L"in", L"*.*"); form->BitBtn5Click(); },
         [] { return std::vector<Op>{{Op::Made, L"content.txt", L"", false}}; },
         [&] {
             std::string bytes = "\xEF\xBB\xBF";
             for (const Text& row : form->AllRows()) bytes += ToUtf8(row) + "\r\n";
             EXPECT_EQ(ReadAll(Full(L"content.txt")), bytes);
             ASSERT_EQ(dialogs.calls.size(), 1u);
             EXPECT_EQ(dialogs.calls[0].wideText, Tx(L"Saved to: \r" + root + L"\\\rcontent.txt\rSaved as UTF-8: "
                                                     L"some names hold letters that Windows-1250 lacks."));
         }},
        {"Save, Windows-1250", [&] { List(L"in", L"č.txt"); form->BitBtn5Click(); },
         [] { return std::vector<Op>{{Op::Made, L"content.txt", L"", false}}; },
         [&] {
             EXPECT_EQ(ReadAll(Full(L"content.txt")), Narrow(root) + "\\in\\\xE8.txt\r\n");
             ASSERT_EQ(dialogs.calls.size(), 1u);
             EXPECT_EQ(dialogs.calls[0].wideText, Tx(L"Saved to: \r" + root + L"\\\rcontent.txt"));
         }},
        {"Delete",
         [&] {
             List(L"moved", L"*.*");
             Deselect([](const Path& p) { return p.find(L"plain") != Path::npos; });  // bystanders
             dialogs.answers = {MsgResult::Yes};
             form->Button5Click();
         },
         [&] {
             std::vector<Op> ops;
             for (const wchar_t* p : {L"c.txt", L"xα.txt", L"xβ.txt", L"c\u030C.txt", L"Ж.txt", L"Фото\\пример.txt",
                                   L"日本\\写真.jpg", L"Фото\\日本\\smile_😀.mp3", L"Фото\\xα\\日本\\smile_😀\\c\\Ж_deep.txt"})
                 ops.push_back({Op::Remove, L"moved\\" + std::wstring(p), L"", false});
             return ops;
         },
         [&] { EXPECT_EQ(form->ListBox1.Count(), 2); }},
        {"Go",
         [&] {
             List(L"in", L"*.*");
             Deselect([](const Path& p) { return p == L"in\\č.txt"; });  // cmd here misreads Windows-1250 letters
             Options(L"gout");
             form->Button6Click();
             // The batch is run here, as the user's Yes would run it.
             RunProcess(nullptr, L"cmd /c \"" + Full(L"commands_to_run.bat") + L"\"", root.c_str(), CREATE_NO_WINDOW);
         },
         [&] {
             std::vector<Op> ops = Each(Op::Copy, L"in", L"gout", utf8 ? nullptr : Ascii);
             ops.erase(std::remove_if(ops.begin(), ops.end(), [](const Op& o) { return o.from == L"in\\č.txt"; }),
                       ops.end());
             ops.push_back({Op::Made, L"temp.bat", L"", false});
             ops.push_back({Op::Made, L"commands_to_run.bat", L"", false});
             return ops;
         },
         [&] {
             if (utf8) return;
             std::vector<Path> refused;
             for (const auto& f : kFiles)
                 if (!Ascii(f.first) && f.first != L"č.txt") refused.push_back(L"in\\" + f.first);
             ExpectLeftSelected(refused, "A batch cannot give cmd this name");
         }},
        {"long path, listed", [&] { List(L"long", L"*.*"); }, [] { return std::vector<Op>{}; },
         [&] {
             EXPECT_EQ(form->AllRows(), std::vector<Text>{Tx(Full(deep))});
             EXPECT_GE(Full(deep).size(), 400u);
             EXPECT_EQ(form->lblNumberFound.Text1250(), "1 files found , 9 bytes in selected files");
         }},
        {"long path, copied", [&] { List(L"long", L"*.*"); Options(L"longout"); form->Button2Click(); },
         [&] { return std::vector<Op>{{Op::Copy, deep, L"longout\\" + deepName}}; }, [] {}},
        {"long path, moved",
         [&] { List(L"longout", L"*.*"); Options(L"longmoved", TransferMode::UsualCopy, true); form->Button2Click(); },
         [&] { return std::vector<Op>{{Op::Move, L"longout\\" + deepName, L"longmoved\\" + deepName}}; }, [] {}},
        {"long path, deleted",
         [&] { List(L"longmoved", L"*.*"); dialogs.answers = {MsgResult::Yes}; form->Button5Click(); },
         [&] { return std::vector<Op>{{Op::Remove, L"longmoved\\" + deepName, L"", false}}; },
         [&] { EXPECT_EQ(form->ListBox1.Count(), 0); }},
        // Two Ж.txt flat into a folder that holds ж.txt: the first row's
        // replaces it (one name to Windows), the second is refused.
        {"one name, two sources",
         [&] {
             List(L"names", L"*.*");
             Deselect([](const Path& p) { return p == L"names\\ж.txt"; });
             Options(L"flat", TransferMode::IntoRoot);
             form->Button2Click();
         },
         [&] {
             const bool aFirst = RowOf(Full(L"names\\b\\Ж.txt")) >= 0;
             return std::vector<Op>{{Op::Copy, aFirst ? L"names\\a\\Ж.txt" : L"names\\b\\Ж.txt", L"flat\\ж.txt", false}};
         },
         [&] {
             const bool aFirst = RowOf(Full(L"names\\b\\Ж.txt")) >= 0;
             EXPECT_GE(RowOf(aFirst ? L"names\\a\\Ж.txt" : L"names\\b\\Ж.txt", L"flat\\Ж.txt"), 0);
             ExpectLeftSelected({aFirst ? L"names\\b\\Ж.txt" : L"names\\a\\Ж.txt"},
                                "another file of this run takes the new name: ");
         }},
        {"one name, a source in the way",
         [&] {
             List(L"names", L"*.*");
             Options(L"names", TransferMode::IntoRoot);
             dialogs.answers = {MsgResult::Yes};
             form->Button2Click();
         },
         [] { return std::vector<Op>{}; },
         [&] {
             ExpectLeftSelected({L"names\\a\\Ж.txt", L"names\\b\\Ж.txt"},
                                "the new name is that of a file this run takes: ");
         }},
    };
    Check(cases);
}

// A file is only what its own name names. Windows gives a file other names
// too: a path not in the "\\?\" form loses its trailing dots and blanks
// (a.txt. is then a.txt), and an 8.3 name opens the file it was made for.
// The run acts on each row's own file, never writes over a file reached by
// its 8.3 name, and asks the same-folder question for any spelling of the
// input folder; a copy goes under a name of its own until it is whole.
TEST_F(AnyName, OnlyWhatItsOwnNameNames) {
    for (const wchar_t* name : {L"a.txt", L"a.txt.", L"b.txt", L"b.txt ", L"c.txt"})
        Write(std::wstring(L"dots\\") + name, U8(name) + " bytes");
    Write(L"Album folder\\Long name.txt", "first");
    wchar_t shortPath[1024] = {};
    GetShortPathNameW(Long(Full(L"Album folder\\Long name.txt")).c_str(), shortPath, 1024);
    const std::wstring shortName = Wd(FileNameOf(Tx(shortPath)));
    ASSERT_NE(shortName, L"Long name.txt") << "this file system gives no 8.3 names";
    Write(L"Album folder\\sub\\" + shortName, "second");
    GetShortPathNameW(Full(L"Album folder").c_str(), shortPath, 1024);
    const std::wstring shortAlbum = shortPath;
    CreateDirectoryW(Long(Full(L"root")).c_str(), nullptr);
    const std::wstring name255 = std::wstring(251, L'n') + L".txt";
    Write(L"l255\\" + name255, "new");
    Write(L"l255\\z.txt", "z");
    Write(L"o255\\" + name255, "old");
    const Path cutOff = L"cut\\~Kolvar_files-00c0ffee.tmp", leftOver = L"cutout\\~Kolvar_files-0badf00d.tmp";
    Write(cutOff, "half");
    Write(L"cut\\x.txt", "x");
    Write(leftOver, "half");
    Write(L"Фото\\content.txt", "read-only");
    SetFileAttributesW(Long(Full(L"Фото\\content.txt")).c_str(), FILE_ATTRIBUTE_READONLY);
    // Many rows of one folder, read once by a Try, and rows that its listing never shows.
    for (const wchar_t* name : {L"one.txt", L"two.txt", L"Three.txt", L"Long name.txt", L"dot.txt"})
        Write(std::wstring(L"exist\\") + name, "e");
    CreateDirectoryW(Long(Full(L"exist\\dir.txt")).c_str(), nullptr);
    GetShortPathNameW(Long(Full(L"exist\\Long name.txt")).c_str(), shortPath, 1024);
    const std::wstring shortExist = Wd(FileNameOf(Tx(shortPath)));
    auto only = [&](std::vector<Path> rows) {
        Deselect([rows](const Path& p) { return std::find(rows.begin(), rows.end(), p) == rows.end(); });
    };
    const std::vector<Case> cases = {
        {"listed and counted under their own names", [&] { List(L"dots", L"*.*"); }, [] { return std::vector<Op>{}; },
         [&] {
             std::vector<Text> rows = form->AllRows(), named;
             for (const wchar_t* n : {L"a.txt", L"a.txt.", L"b.txt", L"b.txt ", L"c.txt"}) named.push_back(Tx(Full(L"dots\\" + std::wstring(n))));
             std::sort(rows.begin(), rows.end());
             std::sort(named.begin(), named.end());
             EXPECT_EQ(rows, named);
             only({L"dots\\a.txt."});
             form->ListBox1Click();
             EXPECT_EQ(form->lblNumberFound.Text1250(), "5 files found (1 selected), 12 bytes in selected files");
         }},
        {"a copy copies its own file's bytes",
         [&] {
             List(L"dots", L"*.*");
             only({L"dots\\a.txt."});
             Options(L"out");
             form->CheckBox_repl.SetChecked(true);
             form->Edit_chartoreplace.SetText(u".");
             form->Edit_newchar.SetText(u"_");
             form->Button2Click();
             form->CheckBox_repl.SetChecked(false);
         },
         [] { return std::vector<Op>{{Op::Copy, L"dots\\a.txt.", L"out\\a_txt_"}}; }, [] {}},
        {"Try finds a row's file as the system does, its folder read once",
         [&] {
             List(L"exist", L"*.*");
             Deselect([](const Path& p) { return p == L"exist\\Three.txt"; });
             for (const Path& p : std::vector<Path>{L"exist\\THREE.TXT", L"exist\\" + shortExist, L"exist\\dir.txt",
                                                    L"exist\\dot.txt.", L"exist\\gone.txt"}) {
                 form->ListBox1.Add(Tx(Full(p)));
                 form->ListBox1.SetSelected(form->ListBox1.Count() - 1, true);
             }
             Options(L"out");
             form->CheckBox_repl.SetChecked(true);
             form->Edit_chartoreplace.SetText(u".");
             form->Edit_newchar.SetText(u"_");
             form->Button3Click();
             form->CheckBox_repl.SetChecked(false);
         },
         [&] {
             std::vector<Op> ops;
             for (Path name : {Path(L"one.txt"), Path(L"two.txt"), Path(L"Long name.txt"), Path(L"dot.txt"), Path(L"THREE.TXT"), shortExist}) {
                 const Path from = L"exist\\" + name;
                 std::replace(name.begin(), name.end(), L'.', L'_');
                 ops.push_back({Op::Copy, from, L"out\\" + name});
             }
             return ops;
         },
         [&] {
             // Another letter case and an 8.3 name are the file; a folder, a
             // trailing dot and a name that is not there are no file.
             for (const Path p : {L"exist\\dir.txt", L"exist\\dot.txt.", L"exist\\gone.txt"})
                 EXPECT_TRUE(RowOf(Full(p)) >= 0 && form->ListBox1.Selected(RowOf(Full(p)))) << U8(p);
         },
         true},
        {"a delete deletes its own file",
         [&] {
             List(L"dots", L"*.*");
             only({L"dots\\a.txt.", L"dots\\b.txt "});
             dialogs.answers = {MsgResult::Yes};
             form->Button5Click();
         },
         [] { return std::vector<Op>{{Op::Remove, L"dots\\a.txt.", L"", false}, {Op::Remove, L"dots\\b.txt ", L"", false}}; },
         [] {}},
        {"an 8.3 name of another file of the run is not written over",
         [&] { List(L"Album folder", L"*.*"); Options(L"root", TransferMode::IntoRoot); form->Button2Click(); },
         [] { return std::vector<Op>{{Op::Copy, L"Album folder\\Long name.txt", L"root\\Long name.txt"}}; },
         [&] {
             ExpectLeftSelected({L"Album folder\\sub\\" + shortName}, "the new name is the short name of another file: ");
         }},
        {"the 8.3 spelling of the input folder is the same folder",
         [&] {
             List(L"Album folder", L"*.*");
             form->Edit3.SetText(Tx(shortAlbum));
             dialogs.answers = {MsgResult::No};
             form->Button2Click();
         },
         [] { return std::vector<Op>{}; },
         [&] {
             ASSERT_EQ(dialogs.calls.size(), 1u);
             EXPECT_EQ(dialogs.calls[0].text, "Source and output directory is the same!\rAre you sure you want to continue?");
         }},
        {"a name of 255 letters is replaced and the run goes on",
         [&] { List(L"l255", L"*.*"); Options(L"o255"); form->Button2Click(); },
         [&] {
             return std::vector<Op>{{Op::Copy, L"l255\\" + name255, L"o255\\" + name255},
                                    {Op::Copy, L"l255\\z.txt", L"o255\\z.txt"}};
         },
         [&] { EXPECT_TRUE(dialogs.calls.empty()); }},
        {"a cut-off copy is never listed, and a run into its folder removes it",
         [&] {
             List(L"cut", L"*.*");
             EXPECT_EQ(form->AllRows(), std::vector<Text>{Tx(Full(L"cut\\x.txt"))});
             Options(L"cutout");
             form->Button2Click();
         },
         [&] { return std::vector<Op>{{Op::Copy, L"cut\\x.txt", L"cutout\\x.txt"}, {Op::Remove, leftOver, L"", false}}; },
         [] {}},
        {"an error box names a file by its name",
         [&] {
             const Text base = form->BaseDir;
             form->BaseDir = Tx(Full(L"Фото"));
             SendMessageW(form->BitBtn5.hwnd, BM_CLICK, 0, 0);  // Save, as a click raises it
             form->BaseDir = base;
         },
         [] { return std::vector<Op>{}; },
         [&] {
             ASSERT_EQ(dialogs.calls.size(), 1u);
             EXPECT_EQ(dialogs.calls[0].wideText, u"Cannot create file " + Tx(Full(L"Фото\\content.txt")));
         }},
    };
    Check(cases);
}

}  // namespace
