// The promise of every run, tried on generated trees: a run reads, writes,
// moves and deletes only the files of the rows that were selected when it
// started, at the places that Try shows for them; a failure leaves each file
// as it was and its row selected.
//
// Each case comes from a seed: a small tree of real files with awkward names,
// random options, a random selection, and for some runs an Escape answered
// No, a Ctrl+A, Mark All or a close while the run goes on. The whole tree is
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
#include "tests/app/gui_fixture.h"
#include "transfer/text_ops.h"
#include "tests/text_1250/text_1250.h"

namespace {

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

enum class Op { Copy, Move, Cz, Delete };
enum class Place { Sibling, Missing, SameAsInput, InsideInput, OtherVolume };
enum class Input { None, EscapeNo, CtrlA, MarkAll, Close };

// A path below the case's folder; one that begins with '|' (which no name
// holds) lies on the small volume of its own.
struct File {
    std::string path, bytes;
    bool selected = false, readOnly = false;
    int shortOf = -1;  // named, in its folder, by the 8.3 name of that file (known once it is made)
};

struct Case {
    std::uint32_t seed = 0;
    std::vector<std::string> dirs;  // parents first
    std::vector<File> files;
    Op op = Op::Copy;
    Place place = Place::Sibling;
    std::string output;
    int spelling = 0;  // the output folder typed as it is (0), in capitals (1), by its 8.3 path (2)
    TransferMode mode = TransferMode::UsualCopy;
    std::string delimiter, dirsDelimiter, from, to;
    bool replace = false, addFolderNames = false, relative = false, untickRelative = false, decoy = false;
    Input input = Input::None;
    bool escapeInEdit = false;
    int inputAfter = -1;  // rows done (Delete: "Cannot delete" boxes) before the input; -1: before the first
};

// Pieces of names in Windows-1250: Czech letters of both cases, what cmd and
// masks treat specially, dots, blanks and the folder delimiter.
const char* const kPieces[] = {"a", "b", "A", "x", "\xE8", "\xC8", "\xF8", "\x9E", "\xED", "\xCD", " ", "-",
                               "&", "(", ")", "!", "%", "^", "~", "..", ".", "_", "'", "\xB4"};

// The draws of later kinds of case come from a second stream, so that a
// seed still makes the tree, options and selection it made before.
class Gen {
public:
    explicit Gen(std::uint32_t seed) : rng_(seed), more_(seed * 2654435761u + 1) {}
    int More(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(more_); }
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(int percent) { return Int(1, 100) <= percent; }
    std::string Pick(std::initializer_list<const char*> items) {
        return *(items.begin() + Int(0, static_cast<int>(items.size()) - 1));
    }
    // A folder's name ends in no dot or blank; a file's may (other systems,
    // shares and archives make such names), and may be 250 to 255 letters
    // long, all a file system holds.
    std::string Name(bool file) {
        std::string n;
        for (int k = Int(1, 4); k > 0; --k) n += kPieces[Int(0, std::size(kPieces) - 1)];
        while (!n.empty() && (n.back() == '.' || n.back() == ' ')) n.pop_back();
        if (n.empty()) n = "n";
        if (!file) return n;
        n += Pick({".txt", ".mp3", ".TXT", ""});
        if (More(1, 100) <= 5) {  // as many letters as a name holds, also where a letter beyond ASCII takes two bytes (Linux)
            int wide = 0;
            for (unsigned char ch : n) wide += ch >= 0x80;
            n.insert(0, static_cast<std::size_t>(std::max(0, More(250, 255) - wide - static_cast<int>(n.size()))), 'L');
        } else if (More(1, 100) <= 10) {
            n += More(0, 2) == 0 ? "." : More(0, 1) ? " " : "..";
        }
        return n;
    }

private:
    std::mt19937 rng_, more_;
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

// The same name in the other letter case, as Windows-1250 pairs the letters.
std::string OtherCase(std::string name) {
    static const std::string lower = "abcdefghijklmnopqrstuvwxyz\xE8\xF8\x9E\xED";
    static const std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC8\xD8\x8E\xCD";
    for (char& ch : name) {
        if (auto p = lower.find(ch); p != std::string::npos) ch = upper[p];
        else if (auto q = upper.find(ch); q != std::string::npos) ch = lower[q];
    }
    return name;
}

Case Generate(std::uint32_t seed) {
    Gen g(seed);
    Case c;
    c.seed = seed;
    const int op = g.Int(1, 100);
    c.op = op <= 35 ? Op::Copy : op <= 65 ? Op::Move : op <= 80 ? Op::Cz : Op::Delete;
    std::set<std::wstring> taken;
    std::vector<std::string> inputDirs = {"in"};
    c.dirs = {"in", "by", "|"};
    for (int k = g.Int(0, 3); k > 0; --k) {
        const std::string parent = inputDirs[g.Int(0, static_cast<int>(inputDirs.size()) - 1)];
        const std::string dir = parent + "\\" + g.Name(false);
        if (std::count(parent.begin(), parent.end(), '\\') < 2 && taken.insert(Key(dir)).second) {
            inputDirs.push_back(dir);
            c.dirs.push_back(dir);
        }
    }
    auto add = [&](const std::string& path, bool selected, int readOnlyPercent, int size) {
        if (ToUtf8(From1250(FileNameOf(path))).size() > 255) return;  // more than the file system below holds
        if (!taken.insert(Key(path)).second) return;
        c.files.push_back({path, "seed " + std::to_string(seed) + " file " + std::to_string(c.files.size()) + "\n",
                           selected, g.Chance(readOnlyPercent)});
        c.files.back().bytes.resize(c.files.back().bytes.size() + size, static_cast<char>('a' + c.files.size() % 26));
    };
    c.place = static_cast<Place>(g.Int(0, 4));
    if (c.op == Op::Cz && g.Chance(60)) c.place = Place::SameAsInput;
    c.mode = static_cast<TransferMode>(g.Int(0, 2));
    c.delimiter = g.Pick({"_", "-", ".", ".."});
    c.dirsDelimiter = g.Pick({"", "", "~", "~", "("});
    c.replace = g.Chance(40);
    c.from = g.Pick({" ", "a", "~", ".", "\xE8", "-"});
    c.to = g.Pick({"_", ".", "..", "\\", " ", "", "A"});
    const bool big = c.place == Place::OtherVolume;
    for (int files = g.Int(4, 12), tries = 0; static_cast<int>(c.files.size()) < files && tries < 50; ++tries) {
        std::string name = g.Name(true), dir = inputDirs[g.Int(0, static_cast<int>(inputDirs.size()) - 1)];
        const std::string other = c.files.empty() ? "" : c.files[g.Int(0, static_cast<int>(c.files.size()) - 1)].path;
        const bool twin = other.rfind("in\\", 0) == 0;  // a name made from an input file's
        const int kind = g.Int(1, 100);
        if (kind <= 12) {
            name = "..~by~" + name;  // with the folder delimiter ~ it climbs out of the output folder
            if (g.Chance(50)) add("by\\" + name.substr(6), false, 0, 10);
        } else if (twin && kind <= 17) {
            name = "x~..~" + FileNameOf(other);  // with ~ it names the other file of its folder
            dir = FolderOf(other).substr(0, FolderOf(other).size() - 1);
        } else if (twin && kind <= 32) {
            name = OtherCase(FileNameOf(other));  // a case twin in another folder
        } else if (twin && kind <= 42) {
            // The name that the other file of its folder gets by the replacement.
            name = FileNameOf(other);
            for (std::size_t p = 0; (p = name.find(c.from, p)) != std::string::npos; p += c.to.size())
                name.replace(p, c.from.size(), c.to);
            dir = FolderOf(other).substr(0, FolderOf(other).size() - 1);
            if (name.empty() || name.find('\\') != std::string::npos || name.back() == '.' || name.back() == ' ')
                continue;
        }
        const bool selected = g.Chance(75);
        const int size = big && g.Chance(40) ? g.Int(20000, 70000) : g.Int(0, 64);
        add(dir + "\\" + name, selected, 10, size);
    }
    add("by\\" + g.Name(true), false, 0, 10);
    // A file named by another's 8.3 name, in another folder: flat into one
    // folder the two meet under one name to Windows.
    if (g.More(1, 100) <= 30) {
        std::vector<int> longNamed;
        for (int i = 0; i < static_cast<int>(c.files.size()); ++i)
            if (c.files[i].path.rfind("in\\", 0) == 0 && FileNameOf(c.files[i].path).size() > 12) longNamed.push_back(i);
        if (!longNamed.empty() && inputDirs.size() > 1) {
            File f{inputDirs[g.More(0, static_cast<int>(inputDirs.size()) - 1)] + "\\(8.3 name)", "the 8.3 twin\n", g.More(0, 3) > 0};
            f.shortOf = longNamed[g.More(0, static_cast<int>(longNamed.size()) - 1)];
            if (FolderOf(f.path) != FolderOf(c.files[f.shortOf].path)) {
                c.files.push_back(f);
                c.files[f.shortOf].selected = true;
                if (g.More(1, 100) <= 70) c.mode = TransferMode::IntoRoot;  // where the two meet
            }
        }
    }
    std::vector<File> inputFiles;
    std::copy_if(c.files.begin(), c.files.end(), std::back_inserter(inputFiles),
                 [](const File& f) { return f.path.rfind("in\\", 0) == 0; });
    auto someInputName = [&] { return FileNameOf(inputFiles[g.Int(0, static_cast<int>(inputFiles.size()) - 1)].path); };
    switch (c.place) {
    case Place::Sibling:
    case Place::Missing:
        c.output = "out";
        if (c.place == Place::Missing) break;
        c.dirs.push_back("out");
        for (int k = g.Int(0, 2); k > 0; --k) add("out\\" + someInputName(), false, 30, 5);
        break;
    case Place::SameAsInput:
        c.output = "in";
        c.spelling = std::max(0, g.More(-1, 2));
        break;
    case Place::InsideInput:
        c.output = "in\\out";
        c.dirs.push_back("in\\out");
        if (g.Chance(50)) {
            const std::string name = someInputName();
            add("in\\out\\" + name, g.Chance(75), 30, 5);
        }
        break;
    case Place::OtherVolume:
        c.output = "|out";
        c.dirs.push_back("|out");
        if (g.Chance(50)) add("|out\\" + someInputName(), false, 30, 5);
        break;
    }
    c.addFolderNames = g.Chance(15);
    c.relative = g.Chance(30);
    c.untickRelative = c.relative && g.Chance(40);
    c.decoy = c.relative && g.Chance(60);
    if (c.decoy) {  // the same relative paths below another current directory
        for (const std::string& d : std::vector<std::string>(c.dirs))
            if (d.rfind("in", 0) == 0) c.dirs.push_back("cwd\\" + d);
        c.dirs.insert(c.dirs.begin(), "cwd");
        for (const File& f : inputFiles) c.files.push_back({"cwd\\" + f.path, "decoy of " + f.bytes, false, false});
    }
    const int input = g.Int(1, 100);
    c.input = input <= 50 ? Input::None : input <= 65 ? Input::EscapeNo : input <= 75 ? Input::CtrlA
            : input <= 85 ? Input::MarkAll : Input::Close;
    c.escapeInEdit = g.Chance(40);
    int anchors = 0;
    for (const File& f : c.files)
        if (f.selected && (c.op != Op::Delete || f.readOnly)) ++anchors;
    c.inputAfter = g.Int(-1, anchors - 1);
    return c;
}

std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char ch : text) {
        if (ch >= 0x20 && ch < 0x7F) out += static_cast<char>(ch);
        else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", ch);
            out += hex;
        }
    }
    return out;
}

std::string Describe(const Case& c) {
    static const char* const ops[] = {"Copy", "Move", "CZ", "Delete"};
    static const char* const modes[] = {"add subdir names", "usual", "into root"};
    static const char* const inputs[] = {"none", "Escape answered No", "Ctrl+A", "Mark All", "close"};
    std::ostringstream o;
    o << "seed " << c.seed << ": " << ops[static_cast<int>(c.op)] << " into " << Printable(c.output) << ", mode "
      << modes[static_cast<int>(c.mode)] << ", delimiter '" << c.delimiter << "', folder delimiter '"
      << c.dirsDelimiter << "'";
    if (c.spelling) o << (c.spelling == 1 ? ", typed in capitals" : ", typed as its 8.3 path");
    if (c.replace) o << ", replace '" << Printable(c.from) << "' by '" << Printable(c.to) << "'";
    if (c.addFolderNames) o << ", add folder names";
    if (c.relative) o << ", relative paths" << (c.untickRelative ? " unticked after listing" : "");
    if (c.decoy) o << ", another current directory";
    o << ", input: " << inputs[static_cast<int>(c.input)];
    if (c.input != Input::None) o << " after " << c.inputAfter << (c.escapeInEdit ? " (in the output box)" : "");
    o << "\n";
    for (const File& f : c.files)
        o << "  " << (f.selected ? "[x] " : "[ ] ") << Printable(f.path) << ", " << f.bytes.size() << " bytes"
          << (f.readOnly ? ", read-only" : "") << "\n";
    return o.str();
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

std::uint32_t EnvNumber(const char* name, std::uint32_t otherwise) {
    const char* value = std::getenv(name);
    return value && *value ? static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10)) : otherwise;
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
    const std::uint32_t first = EnvNumber("KOLVAR_PROPERTY_SEED", 0), count = EnvNumber("KOLVAR_PROPERTY_CASES", 40);
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
// next Copy into the folder ends with every file whole and nothing of the
// cut-off copy left. Some destinations exist already (a copy that
// replaces), some do not; the sizes and the moment of the kill come from
// the seed.
TEST_F(RunProperty, ACopyKilledAtAnyMomentLeavesNoShortFile) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring child = exe;
    child.resize(child.rfind(L'\\') + 1);
    child += L"copy_child.exe";
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Gen g(seed);
        const std::unique_ptr<TempTree> own = std::make_unique<TempTree>();
        own->Dir("in");
        own->Dir("out");
        std::map<std::string, std::string> sources, before;  // name: bytes
        for (int k = g.Int(2, 4); k > 0; --k) {
            const std::string name = "f" + std::to_string(k) + ".bin";
            std::string bytes(static_cast<std::size_t>(g.Int(1, 24)) << 20, static_cast<char>('a' + k));
            bytes.replace(0, name.size(), name);  // each file its own bytes
            sources[name] = bytes;
            PutFile(own->Path("in\\" + name), bytes);
            if (g.Chance(50)) {
                before[name] = "old " + name;
                PutFile(own->Path("out\\" + name), before[name]);
            }
        }
        std::wstring line = L"\"" + child + L"\" \"" + Widen(own->Path("in")) + L"\" \"" + Widen(own->Path("out")) + L"\"";
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
                if (fd.cFileName[0] != L'.') left.insert(Narrow(fd.cFileName));
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
