// The promise of every run, tried on generated trees: a run reads, writes,
// moves and deletes only the files of the rows that were selected when it
// started, at the places that Try shows for them; a failure leaves each file
// as it was and its row selected.
//
// Each case comes from a seed (tests/transfer/run_cases.h): a small tree of
// real files with awkward names, random options, a random selection, and for
// some runs an Escape answered No, a Ctrl+A, Mark All or a close while the
// run goes on. The engine's native test runs thousands of these cases on a
// file system in memory; this one runs them on real files, through the real
// window, its message queue and its closing. The whole tree is
// taken (path, size, hash) before and after, and the difference must be
// what the rows say was done. KOLVAR_PROPERTY_SEED (first seed) and
// KOLVAR_PROPERTY_CASES (default 40) choose the seeds; without a first seed
// the run takes seeds 1 to 40 and replays the seeds of earlier failures.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <utility>

#include "platform/fs.h"
#include "platform/text.h"
#include "transfer/run_journal.h"
#include "tests/app/gui_fixture.h"
#include "tests/transfer/run_cases.h"
#include "transfer/text_ops.h"
#include "tests/text_1250/text_1250.h"

namespace {

using namespace run_cases;

// Seeds that broke the promise once, with the first rule each broke.
const std::uint32_t kRegressions[] = {
    13,   // CZ with ~ sent a file to out\in_..\by\: a part that climbs and ends in a dot
    24,   // Delete of relative rows deleted the files of the current directory
    25,   // Escape answered No became a Space in the list: the rows after it were left
    38,   // a move onto a full volume left half files in the output folder
    91,   // Ctrl+A during a Copy added rows to the run
    250,  // a copy wrote over the source of a later row of the same run
    501,  // input = output, replace "." by "": !.mp3 replaced the listed !mp3
    846,  // relative rows: Try read the current directory, the Copy the base directory
};

// A path as the file system compares names: "." and ".." resolved, letters
// in one case. A part's trailing dots and blanks are its own: the program
// names every file in the literal form.
std::wstring Key(const std::string& path) {
    const std::wstring w = Widen(path);
    std::vector<std::wstring> parts;
    for (std::size_t start = 0; start <= w.size();) {
        std::size_t end = w.find(L'\\', start);
        if (end == std::wstring::npos) end = w.size();
        std::wstring part = w.substr(start, end - start);
        start = end + 1;
        if (part == L"..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        if (!part.empty() && part != L".") parts.push_back(part);
    }
    std::wstring key;
    for (const auto& part : parts) key += (key.empty() ? L"" : L"\\") + part;
    CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

struct Entry {
    std::string path;
    bool dir = false;
    std::uint64_t size = 0, hash = 0;
    bool operator==(const Entry&) const = default;
};
using Snapshot = std::map<std::wstring, Entry>;

void Walk(const std::wstring& dir, Snapshot& s) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(SystemPath(FromW(dir + L"\\*")).c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        // The files a run keeps for its undo are the undo test's.
        if (IsKeptName(TextView(reinterpret_cast<const char16_t*>(name.data()), name.size()))) continue;
        const std::string full = Narrow(dir + L"\\" + name);
        Entry e{full, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
        if (!e.dir) {
            const std::string bytes = GetFile(full);
            e.size = bytes.size();
            e.hash = 14695981039346656037ull;  // FNV-1a
            for (unsigned char b : bytes) e.hash = (e.hash ^ b) * 1099511628211ull;
        }
        s[Key(full)] = e;
        if (e.dir) Walk(dir + L"\\" + name, s);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

// A row's source and destination; no destination when it shows no transfer.
std::pair<std::string, std::string> Split(const std::string& row) {
    const std::size_t p = row.find(" -> ");
    if (p == std::string::npos) return {row, ""};
    return {row.substr(0, p), row.substr(p + 4)};
}

// The list's rows count the run's progress: the run sets each row's
// selection once it is done with it, and the input is posted after the chosen row.
struct RowCounter {
    static inline WNDPROC next = nullptr;
    static inline int left = 0;
    static inline std::function<void()> then;
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if ((m == LB_SETSEL || m == LB_SELITEMRANGEEX) && then && left-- == 0) {
            std::exchange(then, nullptr)();
            Sleep(15);  // the run's pump is due before the next row
        }
        return CallWindowProcW(next, h, m, w, l);
    }
};

class RunProperty : public MainWindowTest {
protected:
    std::string volume;  // a small file system of its own, when the machine lets the test mount one

    std::string Abs(const std::string& path) const {
        if (path.empty() || path[0] != '|') return tree->Path(path);
        const std::string root = volume.empty() ? tree->Path("vol") : volume;
        return path.size() == 1 ? root : root + "\\" + path.substr(1);
    }
    // Relative rows mean the base directory, the case's folder.
    std::string typedOutput, ownOutput;  // the output folder as typed, and its own path
    std::string Resolve(const std::string& row) const {
        if (!typedOutput.empty() && row.compare(0, typedOutput.size() + 1, typedOutput + "\\") == 0)
            return ownOutput + row.substr(typedOutput.size());
        if (row.size() >= 2 && row[1] == ':') return row;
        return tree->Path(!row.empty() && row[0] == '\\' ? row.substr(1) : row);
    }
    Snapshot Snap() const {
        Snapshot s;
        Walk(Widen(tree->Root()), s);
        if (!volume.empty()) Walk(Widen(volume), s);
        return s;
    }
    std::vector<bool> Selection() const {
        std::vector<bool> s;
        for (int i = 0; i < form->ListBox1.Count(); ++i) s.push_back(form->ListBox1.Selected(i));
        return s;
    }
    bool asked = true;  // the same-folder question came first, where the folders are one
    void Start(const Case& c, bool dry) {
        dialogs.answers.clear();
        if (c.op == Op::Delete) {
            dialogs.answers = {MsgResult::Yes};
            form->Button5Click();
            return;
        }
        const std::size_t first = dialogs.calls.size();
        struct Asked {
            RunProperty& t;
            const Case& c;
            std::size_t first;
            ~Asked() {
                if (c.place == Place::SameAsInput)
                    t.asked = t.asked && t.dialogs.calls.size() > first &&
                              t.dialogs.calls[first].text.rfind("Source and output directory is the same!", 0) == 0;
            }
        } note{*this, c, first};
        if (c.place == Place::SameAsInput) dialogs.answers = {MsgResult::Yes};
        form->CheckBox2.SetChecked(c.op == Op::Move);
        if (!dry) {
            if (c.op == Op::Cz) form->Button7Click();
            else form->Button2Click();
            return;
        }
        form->CheckBox_rename.SetChecked(c.op == Op::Cz);
        form->Button3Click();
        form->CheckBox_rename.SetChecked(false);
    }
    std::vector<std::string> Run(Case& c);
};

std::vector<std::string> RunProperty::Run(Case& c) {
    // A fresh folder, base directory and window for every case.
    form.reset();
    SetCurrentDir(savedDir);
    tree = std::make_unique<TempTree>();
    if (!volume.empty()) RemoveTree(Widen(volume));
    for (const std::string& d : c.dirs) CreateDirectoryW(Widen(Abs(d)).c_str(), nullptr);
    for (std::size_t i = 0; i < c.files.size(); ++i) {
        File& f = c.files[i];
        if (f.shortOf >= 0) {  // the 8.3 name the file system gave the other file
            wchar_t shortPath[1024] = {};
            GetShortPathNameW(SystemPath(Abs(c.files[f.shortOf].path)).c_str(), shortPath, 1024);
            const std::string shortName = FileNameOf(Narrow(shortPath));
            f.path = FolderOf(f.path) + shortName;
            if (shortName.empty() || shortName == FileNameOf(c.files[f.shortOf].path) || FileExists(Abs(f.path))) {
                c.files.erase(c.files.begin() + static_cast<std::ptrdiff_t>(i--));
                continue;
            }
        }
        PutFile(Abs(f.path), f.bytes);
        if (f.readOnly) SetFileAttributesW(Widen(Abs(f.path)).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    SetCurrentDir(tree->Root());
    form = std::make_unique<TfrMain>();
    frMain = form.get();
    form->Show();
    dialogs.calls.clear();
    dialogs.whileOpen = nullptr;

    form->RadioButton1.SetChecked(c.mode == TransferMode::AddSubdirNames);
    form->RadioButton2.SetChecked(c.mode == TransferMode::UsualCopy);
    form->RadioButton3.SetChecked(c.mode == TransferMode::IntoRoot);
    form->Edit_Delimiter.SetText(c.delimiter);
    form->Edit_DelimiterDirs.SetText(c.dirsDelimiter);
    form->CheckBox_repl.SetChecked(c.replace);
    form->Edit_chartoreplace.SetText(c.from);
    form->Edit_newchar.SetText(c.to);
    form->CheckBox5_rel.SetChecked(c.addFolderNames);
    if (c.relative) {
        form->CheckBox4_rel.SetChecked(true);
        form->CheckBox4_relClick();
    }
    List(tree->Path("in"), "*.*");
    ownOutput = typedOutput = Abs(c.output);
    if (c.spelling == 1) typedOutput = UpperAscii(typedOutput);
    if (c.spelling == 2) {
        wchar_t shortPath[1024] = {};
        GetShortPathNameW(Widen(ownOutput).c_str(), shortPath, 1024);
        typedOutput = Narrow(shortPath);
    }
    form->Edit3.SetText(typedOutput);
    asked = true;
    if (c.untickRelative) {  // with no row selected the rows stay relative
        form->ListBox1.SetAllSelected(false);
        form->CheckBox4_rel.SetChecked(false);
        form->CheckBox4_relClick();
    }
    std::map<std::wstring, bool> wanted;
    std::set<std::wstring> readOnly;
    for (const File& f : c.files) {
        wanted[Key(Abs(f.path))] = f.selected;
        if (f.readOnly) readOnly.insert(Key(Abs(f.path)));
    }
    for (int i = 0; i < form->ListBox1.Count(); ++i)
        form->ListBox1.SetSelected(i, wanted[Key(Resolve(form->ListBox1.Item1250(i)))]);
    const std::vector<std::string> listed = Rows();
    const std::vector<bool> start = Selection();
    auto enterCurrent = [&] { SetCurrentDir(c.decoy ? tree->Path("cwd") : tree->Root()); };
    enterCurrent();

    std::vector<std::string> v;
    auto fail = [&](const char* rule, const std::string& what) { v.push_back(std::string("[") + rule + "] " + Printable(what)); };
    const Snapshot before = Snap();
    // Try on the same rows and options shows where each row may go.
    std::vector<std::string> tried = listed;
    std::vector<bool> triedSelected = start;
    if (c.op != Op::Delete) {
        Start(c, true);
        tried = Rows();
        triedSelected = Selection();
        if (Snap() != before) fail("try", "Try changed files");
        form->ListBox1.Clear();
        for (const std::string& row : listed) form->ListBox1.Add(row);
        for (int i = 0; i < static_cast<int>(start.size()); ++i) form->ListBox1.SetSelected(i, start[i]);
        enterCurrent();
    }

    // The run, and the input that arrives while it goes on.
    auto inject = [&] {
        const HWND target = (c.escapeInEdit ? form->Edit3 : form->ListBox1).hwnd;
        // Windows translates the Space that Escape becomes by its key code,
        // Wine by the scan code: Space's lets Wine type the blank Windows would.
        if (c.input == Input::EscapeNo) PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00390001);
        if (c.input == Input::CtrlA) {
            BYTE keys[256] = {};
            keys[VK_CONTROL] = 0x80;
            SetKeyboardState(keys);
            PostMessageW(form->ListBox1.hwnd, WM_KEYDOWN, 'A', 0);
        }
        if (c.input == Input::MarkAll) PostMessageW(form->BitBtn4.hwnd, BM_CLICK, 0, 0);
        if (c.input == Input::Close) PostMessageW(form->hwnd, WM_CLOSE, 0, 0);
    };
    int boxes = c.inputAfter;
    std::function<void()> atBox = [&] {
        if (dialogs.calls.back().text.rfind("Cannot delete", 0) == 0 && boxes-- == 0) inject();
        else dialogs.whileOpen = atBox;
    };
    const HWND list = form->ListBox1.hwnd;
    if (c.input != Input::None) {
        (c.escapeInEdit ? form->Edit3 : form->ListBox1).SetFocus();
        if (c.inputAfter < 0) inject();
        else if (c.op == Op::Delete) dialogs.whileOpen = atBox;
        else {
            RowCounter::left = c.inputAfter;
            RowCounter::then = inject;
            RowCounter::next = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RowCounter::Proc)));
        }
    }
    Start(c, false);
    if (RowCounter::next) SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RowCounter::next));
    RowCounter::next = nullptr;
    RowCounter::then = nullptr;
    dialogs.whileOpen = nullptr;
    // Input the run did not take any more, and the close it passed on, are dropped.
    MSG m;
    while (PeekMessageW(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) ||
           PeekMessageW(&m, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE) ||
           PeekMessageW(&m, nullptr, BM_CLICK, BM_CLICK, PM_REMOVE)) {
    }
    BYTE released[256] = {};
    SetKeyboardState(released);
    const Snapshot after = Snap();
    const std::vector<std::string> rows = Rows();
    const std::vector<bool> selected = Selection();

    // Where the rows may go: below the output folder, in parts that Windows keeps as they are.
    // CZ leaves a file in the input folder that would go straight into the output folder.
    std::vector<std::string> ownRoots = {Abs(c.output)};
    if (c.op == Op::Cz) ownRoots.push_back(tree->Path("in"));
    if (!asked) fail("question", "no same-folder question for the output folder typed as " + typedOutput);
    auto inside = [&](const std::wstring& k) {
        for (const std::string& root : ownRoots) {
            const std::wstring r = Key(root);
            if (k.size() > r.size() && k.compare(0, r.size(), r) == 0 && k[r.size()] == L'\\') return true;
        }
        return false;
    };
    auto wellPlaced = [&](const std::string& destination) {
        const std::string path = Resolve(destination);
        for (const std::string& root : ownRoots) {
            if (path.compare(0, root.size() + 1, root + "\\") != 0) continue;
            const std::string below = path.substr(root.size() + 1) + "\\";
            bool kept = true;
            for (std::size_t start = 0, end; (end = below.find('\\', start)) != std::string::npos; start = end + 1) {
                const std::string part = below.substr(start, end - start);
                if (part.empty() || part == "." || part == ".." || part.back() == '.' || part.back() == ' ') kept = false;
            }
            if (kept) return true;
        }
        return false;
    };
    const bool selectionChanged = c.input == Input::CtrlA || c.input == Input::MarkAll;
    struct Write { int row; Entry source; };
    std::map<std::wstring, Write> writes;  // where done rows wrote, with what
    std::set<std::wstring> removed;        // sources the run may remove
    std::map<std::wstring, int> triedNames;
    for (int i = 0; i < static_cast<int>(listed.size()) && c.op != Op::Delete; ++i) {
        const auto [source, destination] = Split(tried[i]);
        if (!start[i] || destination.empty()) {
            if (tried[i] != listed[i] || triedSelected[i] != start[i])
                fail("try", "Try changed a row it did not do: " + tried[i]);
            continue;
        }
        if (triedSelected[i]) fail("selection", "Try left a row it did selected: " + tried[i]);
        if (!wellPlaced(destination)) fail("outside", "Try shows a destination off the output folder: " + tried[i]);
        const std::wstring k = Key(Resolve(destination));
        if (!triedNames.emplace(k, i).second) fail("one name", "Try shows two rows at one name: " + tried[i]);
        for (int j = 0; j < static_cast<int>(listed.size()); ++j)
            if (c.op == Op::Copy && j != i && start[j] && Key(Resolve(listed[j])) == k)
                fail("one name", "Try shows a row written over the source of another: " + tried[i]);
    }
    if (c.op == Op::Delete) {
        for (int i = 0; i < static_cast<int>(listed.size()); ++i)
            if (start[i]) removed.insert(Key(Resolve(listed[i])));
    } else if (rows.size() != listed.size()) {
        fail("selection", "the run changed the number of rows");
    } else {
        for (int i = 0; i < static_cast<int>(listed.size()); ++i) {
            const auto [source, destination] = Split(rows[i]);
            if (!start[i] || destination.empty()) {
                if (rows[i] != listed[i])
                    fail("selection", std::string(start[i] ? "a row not done changed: " : "a row not selected at the start was done: ") + rows[i]);
                else if (selected[i] != start[i] && !selectionChanged)
                    fail("selection", std::string(start[i] ? "a row not done ends deselected: " : "a row ends selected: ") + rows[i]);
                continue;
            }
            if (selected[i] && !selectionChanged) fail("selection", "a done row ends selected: " + rows[i]);
            if (rows[i] != tried[i]) fail("try", "the run's row " + rows[i] + " differs from Try's " + tried[i]);
            if (!wellPlaced(destination)) fail("outside", "a destination off the output folder: " + rows[i]);
            const std::wstring s = Key(Resolve(source)), d = Key(Resolve(destination));
            const auto b = before.find(s);
            if (b == before.end()) {
                fail("selection", "a done row's source was not there: " + rows[i]);
                continue;
            }
            if (!writes.emplace(d, Write{i, b->second}).second) fail("one name", "two rows end at one name: " + rows[i]);
            if (c.op != Op::Copy && s != d) removed.insert(s);
        }
        for (int i = 0; i < static_cast<int>(listed.size()); ++i) {
            const std::wstring s = Key(Resolve(listed[i]));
            const auto w = writes.find(s);
            if (start[i] && w != writes.end() && w->second.row != i && !removed.count(s))
                fail("one name", "the source of " + listed[i] + " written over by " + rows[w->second.row]);
        }
    }
    // The files on disk: what the rows say was done, and nothing else.
    std::set<std::wstring> keys;
    for (const auto& [k, e] : before) keys.insert(k);
    for (const auto& [k, e] : after) keys.insert(k);
    for (const std::wstring& k : keys) {
        const auto b = before.find(k), a = after.find(k);
        const Entry* was = b == before.end() ? nullptr : &b->second;
        const Entry* is = a == after.end() ? nullptr : &a->second;
        if (const auto w = writes.find(k); w != writes.end()) {
            const Entry& e = w->second.source;
            if (!is || is->dir || is->size != e.size || is->hash != e.hash)
                fail("bytes", "the destination does not hold the source's bytes: " + rows[w->second.row]);
            continue;
        }
        if (removed.count(k)) {
            const bool mayStay = c.op == Op::Delete && (readOnly.count(k) || c.input == Input::Close);
            if (is && !(mayStay && *is == *was))
                fail(c.op == Op::Delete ? "selection" : "bytes", "a file the run was to remove is there: " + is->path);
            continue;
        }
        if (was && is && *was == *is) continue;
        if (!was && is && is->dir && (inside(k) || k == Key(Abs(c.output)))) continue;  // a folder made for the output
        const std::string path = (is ? is : was)->path;
        if (!is) fail("deleted", "a file no done row names is gone: " + path);
        else if (!inside(k)) fail("outside", std::string(was ? "changed" : "made") + " outside the output folder: " + path);
        else fail("unnamed", std::string(was ? "changed" : "made") + " in the output folder, no done row names it: " + path);
    }
    return v;
}

// Seeds 1 to 40 and the regressions; KOLVAR_PROPERTY_SEED and
// KOLVAR_PROPERTY_CASES choose other seeds for a longer run by hand.
TEST_F(RunProperty, ARunActsOnlyOnTheFilesItNames) {
    // A small volume of its own: moves onto it go through a copy, and it fills up.
    const std::string mount = "/tmp/kolvar_vol_" + std::to_string(GetCurrentProcessId());
    struct Unmount {
        std::string dir;
        ~Unmount() { RunOnHost("umount " + dir + "; rmdir " + dir); }
    } unmount{mount};
    if (RunOnHost("mkdir -p " + mount + " && mount -t tmpfs -o size=128k kolvar_vol " + mount))
        volume = "Z:" + Str_replace_all(mount, "/", "\\", 0);
    // Without a first seed of its own the run replays the regressions too.
    const std::uint32_t first = run_cases::EnvNumber("KOLVAR_PROPERTY_SEED", 0);
    const std::uint32_t count = run_cases::EnvNumber("KOLVAR_PROPERTY_CASES", 40);
    std::vector<std::uint32_t> seeds;
    if (first == 0) seeds.assign(std::begin(kRegressions), std::end(kRegressions));
    for (std::uint32_t s = std::max(first, 1u); s < std::max(first, 1u) + count; ++s)
        if (std::find(seeds.begin(), seeds.end(), s) == seeds.end()) seeds.push_back(s);
    std::string failed;
    for (std::uint32_t seed : seeds) {
        Case c = Generate(seed);
        const std::vector<std::string> v = Run(c);
        if (v.empty()) continue;
        failed += " " + std::to_string(seed);
        std::string text;
        for (const std::string& line : v) text += "  " + line + "\n";
        ADD_FAILURE() << Describe(c) << text << "Replay: KOLVAR_PROPERTY_SEED=" << seed << " KOLVAR_PROPERTY_CASES=1";
    }
    EXPECT_EQ(failed, "") << "failing seeds";
}

// A Copy killed at a random moment (the program's own run in a process of
// its own, copy_child.exe) leaves under every destination name either the
// file that was there before or the whole new one, never a short one; the
// program started again (copy_child.exe once more) offers the cut-off run
// for undo and takes it back, the tree as it was before it; the next Copy
// into the folder ends with every file whole and nothing of the cut-off
// copy left. Some destinations exist already (a
// copy that replaces), some do not; the sizes and the moment of the kill
// come from the seed. The last seeds kill a Move of many small files.
TEST_F(RunProperty, ACopyKilledAtAnyMomentLeavesNoShortFile) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring child = exe;
    child.resize(child.rfind(L'\\') + 1);
    child += L"copy_child.exe";
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const bool move = seed > 6;
        struct {
            std::mt19937 rng;
            int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
            bool Chance(int percent) { return Int(1, 100) <= percent; }
        } g{std::mt19937(seed)};
        const std::unique_ptr<TempTree> own = std::make_unique<TempTree>();
        own->Dir("in");
        own->Dir("out");
        std::map<std::string, std::string> sources, before;  // name: bytes
        for (int k = move ? 300 : g.Int(2, 4); k > 0; --k) {
            const std::string name = "f" + std::to_string(k) + ".bin";
            std::string bytes(move ? 4096 : static_cast<std::size_t>(g.Int(1, 24)) << 20, static_cast<char>('a' + k % 26));
            bytes.replace(0, name.size(), name);  // each file its own bytes
            sources[name] = bytes;
            PutFile(own->Path("in\\" + name), bytes);
            if (g.Chance(50)) {
                before[name] = "old " + name;
                PutFile(own->Path("out\\" + name), before[name]);
            }
        }
        std::wstring line = L"\"" + child + L"\" \"" + Widen(own->Path("in")) + L"\" \"" + Widen(own->Path("out")) + L"\"" +
                            (move ? L" move" : L"");
        ForgetAllRuns();
        Snapshot beforeRun;
        Walk(Widen(own->Root()), beforeRun);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   Widen(own->Root()).c_str(), &si, &pi));
        // The kill comes once the copy has written a share of its bytes that the
        // seed picks, whatever names it writes them under.
        auto written = [&] {
            std::uint64_t sum = 0;
            WIN32_FIND_DATAW fd;
            HANDLE h = FindFirstFileW(Widen(own->Path("out\\*")).c_str(), &fd);
            if (h == INVALID_HANDLE_VALUE) return sum;
            do sum += (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
            while (FindNextFileW(h, &fd));
            FindClose(h);
            return sum;
        };
        std::uint64_t total = 0;
        for (const auto& [name, bytes] : sources) total += bytes.size();
        const std::uint64_t at = written() + total * static_cast<std::uint64_t>(g.Int(1, 99)) / 100;
        for (int i = 0; i < 20000 && written() < at && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; ++i) Sleep(1);
        TerminateProcess(pi.hProcess, 9);
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);

        auto check = [&](bool killed) {
            for (const auto& [name, bytes] : sources) {
                const std::string now = GetFile(own->Path("out\\" + name));
                const bool whole = now == bytes;
                const bool old = before.count(name) ? now == before[name] : !FileExists(own->Path("out\\" + name));
                EXPECT_TRUE(whole || (killed && old)) << name << ": " << now.size() << " of " << bytes.size() << " bytes";
            }
        };
        check(true);
        // Undone by the program started again, from its journal.
        const std::string boxes = own->Root() + "\\boxes.txt";
        std::wstring again = L"\"" + child + L"\" undo \"" + Widen(boxes) + L"\"";
        ASSERT_TRUE(CreateProcessW(nullptr, again.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   Widen(own->Root()).c_str(), &si, &pi));
        ASSERT_EQ(WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        EXPECT_EQ(code, 0u) << "3: the undo item was greyed at the start";
        const std::string said = GetFile(boxes);
        DeleteFileW(Widen(boxes).c_str());
        Snapshot undone;
        Walk(Widen(own->Root()), undone);
        EXPECT_TRUE(undone == beforeRun) << "the tree after the undo is not the one before the run";
        EXPECT_EQ(said.rfind("Undo the last run?", 0), 0u) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        // The next Copy into the folder, in this process.
        SetCurrentDir(own->Root());
        List(own->Path("in"), "*.*");
        form->Edit3.SetText(own->Path("out"));
        form->Button2Click();
        check(false);
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW(Widen(own->Path("out\\*")).c_str(), &fd);
        std::set<std::string> left;
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (fd.cFileName[0] != L'.' && !IsKeptName(reinterpret_cast<const char16_t*>(fd.cFileName)))
                    left.insert(Narrow(fd.cFileName));
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        std::set<std::string> names;
        for (const auto& [name, bytes] : sources) names.insert(name);
        EXPECT_EQ(left, names);
        SetCurrentDir(savedDir);
    }
}

}  // namespace
