// The run engine against a file system in memory: what each row becomes,
// what the run asks of its host, and the promise of every run on thousands
// of generated cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "app/search_rules.h"
#include "tests/text_1250/text_1250.h"
#include "tests/transfer/memory_host.h"
#include "tests/transfer/run_cases.h"
#include "transfer/run_engine.h"

namespace {

Text T(const std::string& bytes) { return From1250(bytes); }
std::string B(const Text& text) { return To1250(text); }

const char* OutcomeName(RowOutcome o) {
    static const char* const names[] = {"done", "done untagged", "in place", "missing", "not done", "refused"};
    return names[static_cast<int>(o)];
}

// A row as a test reads it: outcome, source -> target, and the reason.
std::string Line(const RowReport& r) {
    std::string line = std::to_string(r.row) + " " + OutcomeName(r.outcome) + ": " + B(r.source);
    if (!r.target.empty()) line += " -> " + B(r.target);
    if (!r.reason.empty()) line += " (" + B(r.reason) + ")";
    if (r.tagged) line += " [" + B(r.tagLine) + "]";
    return line;
}

std::vector<std::string> Lines(const std::vector<RowReport>& reports) {
    std::vector<std::string> lines;
    for (const RowReport& r : reports) lines.push_back(Line(r));
    return lines;
}
std::vector<std::string> Lines(const std::vector<Text>& texts) {
    std::vector<std::string> lines;
    for (const Text& t : texts) lines.push_back(B(t));
    return lines;
}

// Every row of the list, all selected unless a row begins with "-".
RunRequest Request(RunKind kind, const std::vector<std::string>& rows, const std::string& base = "C:\\w",
                   bool relative = false) {
    RunRequest r;
    r.kind = kind;
    r.rowCount = static_cast<int>(rows.size());
    r.baseDir = T(base);
    r.relativeRows = relative;
    for (int i = 0; i < r.rowCount; ++i)
        if (rows[i].rfind("-", 0) != 0) r.chosen.push_back({i, T(rows[i])});
    return r;
}

// A tree below C:\w: "in" with files a.txt, b.txt and sub\a.txt, "out" empty.
void StandardTree(MemoryHost& h) {
    for (const char* d : {"C:\\w", "C:\\w\\in", "C:\\w\\in\\sub", "C:\\w\\out"}) h.MakeDir(T(d));
    h.Put(u"C:\\w\\in\\a.txt", "A");
    h.Put(u"C:\\w\\in\\b.txt", "B");
    h.Put(u"C:\\w\\in\\sub\\a.txt", "SUB A");
}

TEST(RunEngine, EachRowsOutcomeAndWhatItAsks) {
    struct Case {
        const char* what;
        RunKind kind;
        std::function<void(MemoryHost&)> setUp;
        std::vector<std::string> rows;
        std::vector<std::string> reports, calls, refusals = {};
        bool relative = false;
    };
    const auto usual = [](MemoryHost& h) {
        h.options.InputDir = u"C:\\w\\in";
        h.options.OutputDir = u"C:\\w\\out";
    };
    const std::vector<Case> cases = {
        {"copy with folders, a missing row, an unchosen row", RunKind::Copy, usual,
         {"C:\\w\\in\\sub\\a.txt", "C:\\w\\in\\gone.txt", "-C:\\w\\in\\b.txt"},
         {"0 done: C:\\w\\in\\sub\\a.txt -> C:\\w\\out\\sub\\a.txt", "1 missing: C:\\w\\in\\gone.txt -> C:\\w\\out\\gone.txt"},
         {"mkdir C:\\w\\out\\sub", "copy C:\\w\\in\\sub\\a.txt > C:\\w\\out\\sub\\a.txt"}},
        {"Try asks for nothing that writes", RunKind::Try, usual,
         {"C:\\w\\in\\sub\\a.txt", "C:\\w\\in\\a.txt"},
         {"0 done: C:\\w\\in\\sub\\a.txt -> C:\\w\\out\\sub\\a.txt", "1 done: C:\\w\\in\\a.txt -> C:\\w\\out\\a.txt"},
         {}},
        {"into root: the second row of one name is refused, in Try as in Copy", RunKind::Try,
         [&](MemoryHost& h) { usual(h); h.options.Mode = TransferMode::IntoRoot; },
         {"C:\\w\\in\\a.txt", "C:\\w\\in\\sub\\a.txt"},
         {"0 done: C:\\w\\in\\a.txt -> C:\\w\\out\\a.txt",
          "1 refused: C:\\w\\in\\sub\\a.txt -> C:\\w\\out\\a.txt (another file of this run takes the new name: C:\\w\\out\\a.txt)"},
         {},
         {"C:\\w\\in\\sub\\a.txt: another file of this run takes the new name: C:\\w\\out\\a.txt"}},
        {"a copy onto a later row's source is refused", RunKind::Copy,
         [&](MemoryHost& h) { h.options.InputDir = u"C:\\w\\in\\sub"; h.options.OutputDir = u"C:\\w\\in"; },
         {"C:\\w\\in\\sub\\a.txt", "C:\\w\\in\\a.txt"},
         {"0 refused: C:\\w\\in\\sub\\a.txt -> C:\\w\\in\\a.txt (the new name is that of a file this run takes: C:\\w\\in\\a.txt)",
          "1 refused: C:\\w\\in\\a.txt -> C:\\w\\in\\C:\\w\\in\\a.txt (Windows cannot give a file this name: C:\\w\\in\\C:\\w\\in\\a.txt)"},
         {},
         {"C:\\w\\in\\sub\\a.txt: the new name is that of a file this run takes: C:\\w\\in\\a.txt",
          "C:\\w\\in\\a.txt: Windows cannot give a file this name: C:\\w\\in\\C:\\w\\in\\a.txt"}},
        {"a folder delimiter that climbs out of the output folder is refused", RunKind::Copy,
         [&](MemoryHost& h) { usual(h); h.options.DirsDelimiter = u"~"; h.Put(u"C:\\w\\in\\..~b.txt", "UP"); },
         {"C:\\w\\in\\..~b.txt"},
         {"0 refused: C:\\w\\in\\..~b.txt -> C:\\w\\out\\..\\b.txt (Windows cannot give a file this name: C:\\w\\out\\..\\b.txt)"},
         {},
         {"C:\\w\\in\\..~b.txt: Windows cannot give a file this name: C:\\w\\out\\..\\b.txt"}},
        {"the same folder in and out: in place, its tag read where it is", RunKind::Try,
         [](MemoryHost& h) { h.options.InputDir = h.options.OutputDir = u"C:\\w\\in"; h.options.Mp3Tag = true; },
         {"C:\\w\\in\\a.txt"},
         {"0 in place: C:\\w\\in\\a.txt -> C:\\w\\in\\a.txt [Tag of C:\\w\\in\\a.txt]"},
         {}},
        {"a move onto a taken name stays, the others go", RunKind::Copy,
         [&](MemoryHost& h) { usual(h); h.options.MoveFiles = true; h.Put(u"C:\\w\\out\\a.txt", "OLD"); },
         {"C:\\w\\in\\a.txt", "C:\\w\\in\\b.txt"},
         {"0 not done: C:\\w\\in\\a.txt -> C:\\w\\out\\a.txt", "1 done: C:\\w\\in\\b.txt -> C:\\w\\out\\b.txt"},
         {"move C:\\w\\in\\a.txt > C:\\w\\out\\a.txt", "move C:\\w\\in\\b.txt > C:\\w\\out\\b.txt"}},
        {"a copy without the tag asked for", RunKind::Copy,
         [&](MemoryHost& h) { usual(h); h.options.Mp3Tag = true; h.untaggable.insert(MemoryHost::Key(u"C:\\w\\out\\b.txt")); },
         {"C:\\w\\in\\a.txt", "C:\\w\\in\\b.txt"},
         {"0 done: C:\\w\\in\\a.txt -> C:\\w\\out\\a.txt", "1 done untagged: C:\\w\\in\\b.txt -> C:\\w\\out\\b.txt"},
         {"copy C:\\w\\in\\a.txt > C:\\w\\out\\a.txt", "tag C:\\w\\out\\a.txt", "copy C:\\w\\in\\b.txt > C:\\w\\out\\b.txt",
          "tag C:\\w\\out\\b.txt"}},
        {"a delete that fails goes on to the next row", RunKind::Delete,
         [](MemoryHost& h) { h.Put(u"C:\\w\\in\\ro.txt", "RO", true); },
         {"C:\\w\\in\\ro.txt", "C:\\w\\in\\a.txt"},
         {"0 not done: C:\\w\\in\\ro.txt", "1 done: C:\\w\\in\\a.txt"},
         {"delete C:\\w\\in\\ro.txt", "delete C:\\w\\in\\a.txt"}},
        {"relative rows are files of the base directory and are shown without it", RunKind::Copy,
         [&](MemoryHost& h) { h.options.InputDir = u"\\in"; h.options.OutputDir = u"C:\\w\\out"; },
         {"in\\a.txt", "\\in\\b.txt"},
         {"0 done: in\\a.txt -> out\\in\\a.txt", "1 done: in\\b.txt -> out\\b.txt"},
         {"mkdir C:\\w\\out\\in", "copy C:\\w\\in\\a.txt > C:\\w\\out\\in\\a.txt", "copy C:\\w\\in\\b.txt > C:\\w\\out\\b.txt"},
         {},
         true},
        {"Go writes the batch and copies nothing; a name it cannot carry is refused", RunKind::Go,
         [&](MemoryHost& h) { usual(h); h.batchRefusals[u"C:\\w\\in\\b.txt"] = u"no batch for b"; },
         {"C:\\w\\in\\a.txt", "C:\\w\\in\\b.txt"},
         {"0 done: C:\\w\\in\\a.txt -> C:\\w\\out\\a.txt", "1 refused: C:\\w\\in\\b.txt -> C:\\w\\out\\b.txt (no batch for b)"},
         {"batch head", "batch C:\\w\\in\\a.txt > C:\\w\\out\\a.txt"},
         {"C:\\w\\in\\b.txt: no batch for b"}},
        {"CZ renames by its kind alone", RunKind::Cz,
         [](MemoryHost& h) { h.options.InputDir = h.options.OutputDir = u"C:\\w\\in"; h.Put(T("C:\\w\\in\\\xC8" "ech - P\xED" "se\xF2.mp3"), "S"); },
         {"C:\\w\\in\\\xC8" "ech - P\xED" "se\xF2.mp3"},
         {"0 done: C:\\w\\in\\\xC8" "ech - P\xED" "se\xF2.mp3 -> C:\\w\\in\\cech___Pisen.mp3"},
         {"move C:\\w\\in\\\xC8" "ech - P\xED" "se\xF2.mp3 > C:\\w\\in\\cech___Pisen.mp3"}},
        {"the EXIF date is read from the source and put before the name", RunKind::Try,
         [&](MemoryHost& h) {
             usual(h);
             h.options.ExifDate = true;
             h.exifDates[MemoryHost::Key(u"C:\\w\\in\\a.txt")] = u"2011:04:15 10:20:30";
         },
         {"C:\\w\\in\\a.txt", "C:\\w\\in\\b.txt"},
         {"0 done: C:\\w\\in\\a.txt -> C:\\w\\out\\20110415_a.txt", "1 done: C:\\w\\in\\b.txt -> C:\\w\\out\\b.txt"},
         {}},
        {"a name that reaches another file by its 8.3 name is refused, the file left alone", RunKind::Copy,
         [&](MemoryHost& h) {
             usual(h);
             h.Put(u"C:\\w\\in\\LONGNA~1.TXT", "TWIN");
             h.Put(u"C:\\w\\out\\long name.txt", "LONG");
             h.shortNames[MemoryHost::Key(u"C:\\w\\out\\long name.txt")] = MemoryHost::ShortKey(u"LONGNA~1.TXT");
         },
         {"C:\\w\\in\\LONGNA~1.TXT", "C:\\w\\in\\a.txt"},
         {"0 refused: C:\\w\\in\\LONGNA~1.TXT -> C:\\w\\out\\LONGNA~1.TXT (the new name is the short name of another file: C:\\w\\out\\long name.txt)",
          "1 done: C:\\w\\in\\a.txt -> C:\\w\\out\\a.txt"},
         {"copy C:\\w\\in\\a.txt > C:\\w\\out\\a.txt"},
         {"C:\\w\\in\\LONGNA~1.TXT: the new name is the short name of another file: C:\\w\\out\\long name.txt"}},
        {"a name the file system refuses fails its row, not the run", RunKind::Copy,
         [&](MemoryHost& h) { usual(h); h.refusedNames.insert(MemoryHost::Key(u"C:\\w\\out\\a.txt")); },
         {"C:\\w\\in\\a.txt", "C:\\w\\in\\b.txt"},
         {"0 refused: C:\\w\\in\\a.txt -> C:\\w\\out\\a.txt (the file system cannot give the file this name: C:\\w\\out\\a.txt)",
          "1 done: C:\\w\\in\\b.txt -> C:\\w\\out\\b.txt"},
         {"copy C:\\w\\in\\a.txt > C:\\w\\out\\a.txt", "copy C:\\w\\in\\b.txt > C:\\w\\out\\b.txt"},
         {"C:\\w\\in\\a.txt: the file system cannot give the file this name: C:\\w\\out\\a.txt"}},
        {"a move into the input folder typed by another spelling leaves the file where it is", RunKind::Copy,
         [](MemoryHost& h) {
             h.options.InputDir = u"C:\\w\\in";
             h.options.OutputDir = u"C:\\w\\IN~1";
             h.options.MoveFiles = true;
             h.folders.Add(u"C:\\w\\IN~1", u"C:\\w\\in");
         },
         {"C:\\w\\in\\a.txt"},
         {"0 in place: C:\\w\\in\\a.txt -> C:\\w\\IN~1\\a.txt"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryHost h;
        StandardTree(h);
        c.setUp(h);
        RunRequest request = Request(c.kind, c.rows, "C:\\w", c.relative);
        request.folders = h.folders;
        const RunResult result = RunTransfer(request, h);
        EXPECT_EQ(Lines(h.reports), c.reports);
        EXPECT_EQ(Lines(h.calls), c.calls);
        // Cut-off copies are removed once from each folder a copy or move
        // goes into, before the first of them; nowhere else.
        std::vector<Text> folders;
        for (const Text& call : h.calls)
            if (call.rfind(u"copy ", 0) == 0 || call.rfind(u"move ", 0) == 0) {
                const Text folder = FolderOf(call.substr(call.find(u" > ") + 3));
                if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
            }
        EXPECT_EQ(h.swept, folders);
        std::vector<std::string> refusals;
        for (const auto& [row, why] : result.refusals) refusals.push_back(B(row) + ": " + B(why));
        EXPECT_EQ(refusals, c.refusals);
        EXPECT_EQ(Lines(h.relativePaths), std::vector<std::string>());
        EXPECT_FALSE(result.stopped);
    }
}

// Whole runs: a stop, options changed on the way, a failure part-way, and
// the files after a copy or a move.
TEST(RunEngine, RunsStopFailAndFollowTheOptions) {
    struct Case {
        const char* what;
        RunKind kind;
        std::function<void(MemoryHost&)> setUp;
        std::vector<std::string> reports;
        std::string error;  // the class of what the run threw
        std::map<std::string, std::string> files;  // after: path -> bytes
        bool stopped = false;
    };
    const std::vector<std::string> rows = {"C:\\w\\in\\a.txt", "C:\\w\\in\\b.txt", "C:\\w\\in\\sub\\a.txt"};
    const std::vector<Case> cases = {
        {"a stop asked before the second row", RunKind::Copy,
         [](MemoryHost& h) { h.before = [](int row) { return row == 1; }; },
         {"0 done: C:\\w\\in\\a.txt -> C:\\w\\out\\a.txt"},
         "",
         {{"C:\\w\\out\\a.txt", "A"}, {"C:\\w\\out\\b.txt", "(none)"}},
         true},
        {"a copy that a stop ended part-way leaves its row and nothing of itself", RunKind::Copy,
         [](MemoryHost& h) {
             h.stoppedCopies.insert(MemoryHost::Key(u"C:\\w\\in\\b.txt"));
             h.before = [](int row) { return row == 2; };
         },
         {"0 done: C:\\w\\in\\a.txt -> C:\\w\\out\\a.txt", "1 not done: C:\\w\\in\\b.txt -> C:\\w\\out\\b.txt"},
         "",
         {{"C:\\w\\out\\a.txt", "A"}, {"C:\\w\\out\\b.txt", "(none)"}},
         true},
        {"options changed while the run waits apply to the rows that follow", RunKind::Copy,
         [](MemoryHost& h) {
             h.before = [&h](int row) {
                 if (row == 1) h.options.MoveFiles = true;
                 if (row == 2) h.options.Mode = TransferMode::IntoRoot;
                 return false;
             };
         },
         {"0 done: C:\\w\\in\\a.txt -> C:\\w\\out\\a.txt", "1 done: C:\\w\\in\\b.txt -> C:\\w\\out\\b.txt",
          "2 refused: C:\\w\\in\\sub\\a.txt -> C:\\w\\out\\a.txt (another file of this run takes the new name: C:\\w\\out\\a.txt)"},
         "",
         {{"C:\\w\\out\\a.txt", "A"}, {"C:\\w\\in\\a.txt", "A"}, {"C:\\w\\in\\b.txt", "(none)"}, {"C:\\w\\out\\b.txt", "B"}}},
        {"a folder that cannot be made stops the run at its row", RunKind::Copy,
         [](MemoryHost& h) { h.Put(u"C:\\w\\out\\sub", "a file in the folder's place"); },
         {"0 done: C:\\w\\in\\a.txt -> C:\\w\\out\\a.txt", "1 done: C:\\w\\in\\b.txt -> C:\\w\\out\\b.txt"},
         "Exception",
         {{"C:\\w\\out\\sub\\a.txt", "(none)"}}},
        {"a full volume stops the run and leaves no part of the copy", RunKind::Copy,
         [](MemoryHost& h) {
             h.options.OutputDir = u"V:\\out";
             h.MakeDir(u"V:\\out");
             h.volumeSpace = 1;
         },
         {"0 done: C:\\w\\in\\a.txt -> V:\\out\\a.txt"},
         "EWriteError",
         {{"V:\\out\\a.txt", "A"}, {"V:\\out\\b.txt", "(none)"}, {"C:\\w\\in\\b.txt", "B"}}},
        {"a move to another volume whose source cannot go takes its copy back", RunKind::Copy,
         [](MemoryHost& h) {
             h.options.OutputDir = u"V:\\out";
             h.options.MoveFiles = true;
             h.MakeDir(u"V:\\out");
             h.files[MemoryHost::Key(u"C:\\w\\in\\a.txt")].readOnly = true;
         },
         {"0 not done: C:\\w\\in\\a.txt -> V:\\out\\a.txt", "1 done: C:\\w\\in\\b.txt -> V:\\out\\b.txt",
          "2 done: C:\\w\\in\\sub\\a.txt -> V:\\out\\sub\\a.txt"},
         "",
         {{"V:\\out\\a.txt", "(none)"}, {"C:\\w\\in\\a.txt", "A"}, {"V:\\out\\b.txt", "B"}, {"C:\\w\\in\\b.txt", "(none)"},
          {"V:\\out\\sub\\a.txt", "SUB A"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryHost h;
        StandardTree(h);
        h.options.InputDir = u"C:\\w\\in";
        h.options.OutputDir = u"C:\\w\\out";
        c.setUp(h);
        std::string error;
        RunResult result;
        try {
            result = RunTransfer(Request(c.kind, rows), h);
        } catch (const Exception& e) {
            error = e.ClassName();
        }
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(Lines(h.reports), c.reports);
        for (const auto& [path, bytes] : c.files) EXPECT_EQ(h.Bytes(T(path)), bytes) << path;
        EXPECT_EQ(result.stopped, c.stopped);
        if (c.error.empty() && !h.reports.empty()) {
            EXPECT_EQ(result.lastSource, h.reports.back().source);
            EXPECT_EQ(result.lastTarget, h.reports.back().target);
        }
    }
}

// The promise of every run, on the generated cases of the window's property
// test: a run reads, writes, moves and deletes only the files of the rows
// that were chosen at its start, at the places Try shows for them, hands
// its host no path that depends on a current directory, and a failure
// leaves each file as it was. KOLVAR_ENGINE_SEED and KOLVAR_ENGINE_CASES
// choose other seeds by hand.
class EngineProperty {
public:
    // A file named by another's 8.3 name gets one of the memory's own making.
    explicit EngineProperty(const run_cases::Case& c) : c_(c) {
        for (run_cases::File& f : c_.files)
            if (f.shortOf >= 0) f.path = FolderOf(f.path) + kShortName;
    }
    std::vector<std::string> Check();

private:
    using Op = run_cases::Op;
    // The case's folder is C:\t; its small volume of its own is V:\vol.
    static std::string Abs(const std::string& path) {
        if (!path.empty() && path[0] == '|') return path.size() == 1 ? "V:\\vol" : "V:\\vol\\" + path.substr(1);
        return "C:\\t\\" + path;
    }
    // A relative row is a file of the base directory, C:\t.
    static Text Resolve(const Text& row) {
        if (row.size() >= 2 && row[1] == u':') return row;
        return u"C:\\t\\" + (!row.empty() && row[0] == u'\\' ? row.substr(1) : row);
    }
    static bool Done(const RowReport& r) { return r.outcome == RowOutcome::Done || r.outcome == RowOutcome::DoneUntagged; }
    void SetUp(MemoryHost& h) const;
    void Fail(const char* rule, const std::string& what) { v_.push_back(std::string("[") + rule + "] " + run_cases::Printable(what)); }
    void List(const std::string& dir);

    static constexpr const char* kShortName = "KOLVAR~1.TXT";
    run_cases::Case c_;
    std::vector<std::string> v_;
    std::vector<std::string> listed_;  // the list's rows
    std::vector<bool> chosen_;
};

void EngineProperty::List(const std::string& dir) {
    for (const run_cases::File& f : c_.files)
        if (FolderOf(f.path) == dir + "\\") {
            listed_.push_back(c_.relative ? f.path : Abs(f.path));
            chosen_.push_back(f.selected);
        }
    for (const std::string& d : c_.dirs)
        if (FolderOf(d) == dir + "\\") List(d);
}

void EngineProperty::SetUp(MemoryHost& h) const {
    h.MakeDir(u"C:\\t");
    h.MakeDir(u"V:\\vol");
    h.volumeSpace = 128 * 1024;
    for (const std::string& d : c_.dirs) h.MakeDir(T(Abs(d)));
    for (const run_cases::File& f : c_.files) {
        h.Put(T(Abs(f.path)), f.bytes, f.readOnly);
        if (f.shortOf >= 0)
            h.shortNames[MemoryHost::Key(T(Abs(c_.files[f.shortOf].path)))] = MemoryHost::ShortKey(T(kShortName));
    }
    TransferOptions& o = h.options;
    const bool full = !c_.relative || c_.untickRelative;
    o.InputDir = DirectoryEditText(T(Abs("in")), u"C:\\t", full, false);
    o.OutputDir = DirectoryEditText(T(Abs(c_.output)), u"C:\\t", full, true);
    run_cases::SetNameOptions(c_, o);
}

std::vector<std::string> EngineProperty::Check() {
    List("in");
    RunRequest request;
    request.rowCount = static_cast<int>(listed_.size());
    request.baseDir = u"C:\\t";
    request.relativeRows = c_.relative && !c_.untickRelative;
    for (int i = 0; i < request.rowCount; ++i)
        if (chosen_[i]) request.chosen.push_back({i, T(listed_[i])});

    // Try on the same rows and options shows where each row may go.
    std::map<int, RowReport> tried;
    if (c_.op != Op::Delete) {
        MemoryHost h;
        SetUp(h);
        const auto before = h.files;
        request.kind = RunKind::Try;
        h.options.CzRename = c_.op == Op::Cz;
        try {
            RunTransfer(request, h);
        } catch (const Exception& e) {
            Fail("try", std::string("Try failed: ") + e.ClassName());
        }
        if (h.files != before || !h.calls.empty()) Fail("try", "Try changed files");
        for (const RowReport& r : h.reports) tried[r.row] = r;
    }
    std::map<Text, int> triedNames;
    for (const auto& [i, r] : tried) {
        if (!Done(r)) continue;
        const Text k = NameKey(Resolve(r.target));
        if (!triedNames.emplace(k, i).second) Fail("one name", "Try shows two rows at one name: " + B(r.target));
        for (int j = 0; j < request.rowCount; ++j)
            if (c_.op == Op::Copy && j != i && chosen_[j] && NameKey(Resolve(T(listed_[j]))) == k)
                Fail("one name", "Try shows a row written over the source of another: " + B(r.target));
    }

    // The run, stopped where a close would stop it.
    MemoryHost h;
    SetUp(h);
    request.kind = c_.op == Op::Delete ? RunKind::Delete : c_.op == Op::Cz ? RunKind::Cz : RunKind::Copy;
    int anchors = c_.input == run_cases::Input::Close ? c_.inputAfter + 1 : -1;
    h.before = [&](int) {
        if (anchors < 0) return false;
        int seen = 0;
        for (const RowReport& r : h.reports)
            if (c_.op != Op::Delete || r.outcome == RowOutcome::NotDone) ++seen;
        return seen >= anchors;
    };
    const auto before = h.files;
    const auto dirsBefore = h.dirs;
    try {
        RunTransfer(request, h);
    } catch (const Exception&) {
        // The run stops at a failure; what it did so far must still add up.
    }
    for (const Text& path : h.relativePaths) Fail("relative", "the host was given a relative path: " + B(path));

    // Where the rows may go: below the output folder, in parts that Windows keeps as they are.
    // CZ leaves a file in the input folder that would go straight into the output folder.
    std::vector<Text> roots = {T(Abs(c_.output))};
    if (c_.op == Op::Cz) roots.push_back(T(Abs("in")));
    auto inside = [&](const Text& k) {
        for (const Text& root : roots) {
            const Text r = NameKey(root);
            if (k.size() > r.size() && k.compare(0, r.size(), r) == 0 && k[r.size()] == u'\\') return true;
        }
        return false;
    };
    auto wellPlaced = [&](const Text& destination) {
        const Text path = Resolve(destination);
        for (const Text& root : roots) {
            if (path.compare(0, root.size() + 1, root + u"\\") != 0) continue;
            const Text below = path.substr(root.size() + 1) + u"\\";
            bool kept = true;
            for (std::size_t start = 0, end; (end = below.find(u'\\', start)) != Text::npos; start = end + 1) {
                const Text part = below.substr(start, end - start);
                if (part.empty() || part == u"." || part == u".." || part.back() == u'.' || part.back() == u' ') kept = false;
            }
            if (kept) return true;
        }
        return false;
    };
    for (const auto& [i, r] : tried)
        if (Done(r) && !wellPlaced(r.target)) Fail("outside", "Try shows a destination off the output folder: " + B(r.target));

    struct Write {
        int row;
        std::shared_ptr<const std::string> bytes;
    };
    std::map<Text, Write> writes;  // where done rows wrote, with what
    std::set<Text> removed;        // sources the run may remove
    std::set<int> reported;
    for (const RowReport& r : h.reports) {
        if (!chosen_[r.row] || !reported.insert(r.row).second) Fail("selection", "a row reported that the run does not take: " + listed_[r.row]);
        const Text s = NameKey(Resolve(T(listed_[r.row])));
        if (c_.op == Op::Delete) {
            if (r.outcome == RowOutcome::Done) removed.insert(s);
            continue;
        }
        if (!Done(r)) continue;
        const auto t = tried.find(r.row);
        // Try sees the 8.3 names as they stand: a file renamed by an earlier
        // row of the run may free the one that Try refused.
        const bool shortNameFreed = t != tried.end() && t->second.outcome == RowOutcome::Refused &&
                                    t->second.reason.rfind(u"the new name is the short name of another file", 0) == 0;
        if (!shortNameFreed && (t == tried.end() || !Done(t->second) || t->second.source != r.source || t->second.target != r.target))
            Fail("try", "the run's row " + B(r.source) + " -> " + B(r.target) + " differs from Try's");
        if (!wellPlaced(r.target)) Fail("outside", "a destination off the output folder: " + B(r.target));
        const Text d = NameKey(Resolve(r.target));
        const auto b = before.find(s);
        if (b == before.end()) {
            Fail("selection", "a done row's source was not there: " + listed_[r.row]);
            continue;
        }
        if (!writes.emplace(d, Write{r.row, b->second.bytes}).second) Fail("one name", "two rows end at one name: " + B(r.target));
        if (c_.op != Op::Copy && s != d) removed.insert(s);
    }
    for (const auto& [i, text] : request.chosen) {
        const Text s = NameKey(Resolve(text));
        const auto w = writes.find(s);
        if (w != writes.end() && w->second.row != i && !removed.count(s))
            Fail("one name", "the source of " + listed_[i] + " written over by row " + std::to_string(w->second.row));
    }
    // The files: what the rows say was done, and nothing else.
    std::set<Text> keys;
    for (const auto& [k, f] : before) keys.insert(k);
    for (const auto& [k, f] : h.files) keys.insert(k);
    for (const Text& k : keys) {
        const auto b = before.find(k);
        const auto a = h.files.find(k);
        const MemoryFile* was = b == before.end() ? nullptr : &b->second;
        const MemoryFile* is = a == h.files.end() ? nullptr : &a->second;
        if (const auto w = writes.find(k); w != writes.end()) {
            if (!is || *is->bytes != *w->second.bytes) Fail("bytes", "the destination does not hold the source's bytes: " + B(k));
            continue;
        }
        if (removed.count(k)) {
            if (is) Fail(c_.op == Op::Delete ? "selection" : "bytes", "a file the run was to remove is there: " + B(is->name));
            continue;
        }
        if (was && is && *was->bytes == *is->bytes) continue;
        const std::string path = B((is ? is : was)->name);
        if (!is) Fail("deleted", "a file no done row names is gone: " + path);
        else if (!inside(k)) Fail("outside", std::string(was ? "changed" : "made") + " outside the output folder: " + path);
        else Fail("unnamed", std::string(was ? "changed" : "made") + " in the output folder, no done row names it: " + path);
    }
    for (const auto& [k, name] : h.dirs)
        if (!dirsBefore.count(k) && !inside(k) && k != NameKey(T(Abs(c_.output))))
            Fail("outside", "a folder made outside the output folder: " + B(name));
    return v_;
}

TEST(RunEngine, ARunActsOnlyOnTheFilesItNames) {
    const std::uint32_t first = run_cases::EnvNumber("KOLVAR_ENGINE_SEED", 1);
    const std::uint32_t count = run_cases::EnvNumber("KOLVAR_ENGINE_CASES", 2000);
    std::string failed;
    for (std::uint32_t seed = first; seed < first + count; ++seed) {
        const run_cases::Case c = run_cases::Generate(seed);
        const std::vector<std::string> v = EngineProperty(c).Check();
        if (v.empty()) continue;
        failed += " " + std::to_string(seed);
        std::string text;
        for (const std::string& line : v) text += "  " + line + "\n";
        ADD_FAILURE() << run_cases::Describe(c) << text << "Replay: KOLVAR_ENGINE_SEED=" << seed << " KOLVAR_ENGINE_CASES=1";
        if (failed.size() > 200) break;
    }
    EXPECT_EQ(failed, "") << "failing seeds";
}

}  // namespace
