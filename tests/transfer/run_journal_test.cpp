// The journal of a run and its undo: the reader against torn, damaged and
// foreign journals; the planner's decisions against what is on disk; and
// the promise on generated runs: run, undo, and the files are as they were,
// also when the run is cut off at any point.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "tests/transfer/memory_host.h"
#include "tests/transfer/run_cases.h"
#include "transfer/run_engine.h"
#include "transfer/run_journal.h"

namespace {

std::string B(const Text& text) { return To1250(text); }

class StringSink : public JournalSink {
public:
    std::string bytes;
    int flushes = 0;
    void Append(const std::string& line) override { bytes += line; }
    void Flush() override { ++flushes; }
};

// A journal of three rows: a move, a copy done, a replace begun.
std::string ThreeRows(std::uint32_t runId = 0x1234abcd) {
    StringSink sink;
    JournalWriter w(sink, runId);
    w.Head(RunKind::Copy, u"2026-12-09 21:30:00", 3);
    w.Done(w.Intent(JournalOp::Move, u"C:\\in\\a b%.txt", u"C:\\out\\a b%.txt", {5, 7}).seq, {5, 7});
    w.Done(w.Intent(JournalOp::Copy, u"C:\\in\\\u010Cech.txt", u"C:\\out\\\xD800x.txt", {3, 1}).seq, {3, 9});
    w.Intent(JournalOp::Replace, u"C:\\in\\c.txt", u"C:\\out\\c.txt", {4, 2});
    return sink.bytes;
}

std::size_t LineStart(const std::string& bytes, int line) {
    std::size_t at = 0;
    for (int i = 0; i < line; ++i) at = bytes.find('\n', at) + 1;
    return at;
}

TEST(RunJournal, ReadsWhatHoldsAndSkipsWhatDoesNot) {
    struct Case {
        const char* what;
        std::function<std::string()> bytes;
        JournalRead read;
        int entries, done, damaged;
        bool torn;
    };
    const std::vector<Case> cases = {
        {"whole", [] { return ThreeRows(); }, JournalRead::Read, 3, 2, 0, false},
        {"empty", [] { return std::string(); }, JournalRead::Empty, 0, 0, 0, false},
        {"the last line cut off", [] { const std::string b = ThreeRows(); return b.substr(0, b.size() - 7); },
         JournalRead::Read, 2, 2, 0, true},
        {"the last line cut off after its checksum", [] { const std::string b = ThreeRows(); return b.substr(0, b.size() - 1); },
         JournalRead::Read, 2, 2, 0, true},
        {"a byte of a done line changed", [] { std::string b = ThreeRows(); b[LineStart(b, 2) + 3] ^= 1; return b; },
         JournalRead::Read, 3, 1, 1, false},
        {"a byte of an intent changed: its done line has no intent", [] { std::string b = ThreeRows(); b[LineStart(b, 1) + 30] ^= 1; return b; },
         JournalRead::Read, 2, 1, 2, false},
        {"a line of zeros in the middle", [] { std::string b = ThreeRows(); return b.insert(LineStart(b, 2), std::string(40, '\0') + "\n"); },
         JournalRead::Read, 3, 2, 1, false},
        {"another version", [] { std::string b = ThreeRows(); b[15] = '2'; return b; }, JournalRead::OtherVersion, 0, 0, 0, false},
        {"a head damaged", [] { std::string b = ThreeRows(); b[20] ^= 1; return b; }, JournalRead::Damaged, 0, 0, 0, false},
        {"a head cut off", [] { return ThreeRows().substr(0, 20); }, JournalRead::Damaged, 0, 0, 0, false},
        {"not a journal", [] { return std::string("hello\n"); }, JournalRead::Damaged, 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Journal j;
        EXPECT_EQ(ReadJournal(c.bytes(), j), c.read);
        EXPECT_EQ(static_cast<int>(j.entries.size()), c.entries);
        int done = 0;
        for (const JournalEntry& e : j.entries) done += e.done;
        EXPECT_EQ(done, c.done);
        EXPECT_EQ(j.damaged, c.damaged);
        EXPECT_EQ(j.torn, c.torn);
    }
    // What holds comes back as it was written, every unit of a name too.
    Journal j;
    ASSERT_EQ(ReadJournal(ThreeRows(), j), JournalRead::Read);
    EXPECT_EQ(j.kind, RunKind::Copy);
    EXPECT_EQ(j.runId, 0x1234abcdu);
    EXPECT_EQ(j.rows, 3);
    EXPECT_EQ(j.started, u"2026-12-09 21:30:00");
    EXPECT_EQ(j.entries[0].intent.source, u"C:\\in\\a b%.txt");
    EXPECT_EQ(j.entries[1].intent.source, u"C:\\in\\\u010Cech.txt");
    EXPECT_EQ(j.entries[1].intent.target, u"C:\\out\\\xD800x.txt");
    EXPECT_EQ(j.entries[1].after, (FileStamp{3, 9}));
    EXPECT_EQ(j.entries[2].intent.kept,
              u"C:\\out\\" + KeptFolderName(0x1234abcd) + u"\\00000000\\" + KeptName(0x1234abcd, 2));
    EXPECT_TRUE(IsKeptName(KeptName(0x1234abcd, 2)));
    EXPECT_FALSE(IsKeptName(u"~Kolvar_files-1234abcd.tmp"));
    // Only a group inside a folder of kept groups is one: undo and forgetting
    // remove it and its folder once empty, and never a folder of the user's.
    EXPECT_TRUE(IsKeptName(KeptFolderName(0x1234abcd)));
    const Text group = u"C:\\i\\" + KeptFolderName(1) + u"\\00000000";
    EXPECT_EQ(KeptGroupOf(group + u"\\" + KeptName(1, 0)), group);
    for (const Text& elsewhere : {u"C:\\out\\" + KeptName(1, 0), u"C:\\a\\b\\" + KeptName(1, 0),
                                  u"C:\\~Kolvar_files-1234abcd.keep\\00000000\\" + KeptName(1, 0), Text(u"x")})
        EXPECT_EQ(KeptGroupOf(elsewhere), Text()) << B(elsewhere);
}

// The planner on one row at a time: the journal's row, the disk now, and
// what undo does or leaves.
TEST(RunJournal, UndoRestoresWhatTheRunLeftAndLeavesWhatChanged) {
    struct Case {
        const char* what;
        JournalOp op;
        bool done;
        std::function<void(MemoryHost&)> disk;  // after the run (the source C:\i\s, the target C:\o\t)
        std::vector<std::string> steps, left;
    };
    // A file is kept in a hidden folder of groups in its own folder.
    const Text keptFolder = u"C:\\i\\" + KeptFolderName(1), group = keptFolder + u"\\00000000";
    const Text kept = u"C:\\o\\" + KeptFolderName(1) + u"\\00000000\\" + KeptName(1, 0),
               keptS = group + u"\\" + KeptName(1, 0);
    const std::string K = B(kept), KS = B(keptS);
    const auto put = [](MemoryHost& h, const char* path, const char* bytes) { h.Put(From1250(path), bytes); };
    const std::vector<Case> cases = {
        {"a move done goes back", JournalOp::Move, true, [&](MemoryHost& h) { put(h, "C:\\o\\t", "S"); },
         {"rename C:\\o\\t > C:\\i\\s"}, {}},
        {"a move whose file changed stays", JournalOp::Move, true, [&](MemoryHost& h) { put(h, "C:\\o\\t", "S2"); },
         {}, {"C:\\o\\t: it changed since the run"}},
        {"a move whose old name is taken stays", JournalOp::Move, true,
         [&](MemoryHost& h) { put(h, "C:\\o\\t", "S"); put(h, "C:\\i\\s", "NEW"); }, {}, {"C:\\o\\t: its old name is taken now"}},
        {"a moved file gone since is named", JournalOp::Move, true, [](MemoryHost&) {}, {}, {"C:\\o\\t: it is no longer where the run left it"}},
        {"a move begun that never went: nothing", JournalOp::Move, false, [&](MemoryHost& h) { put(h, "C:\\i\\s", "S"); }, {}, {}},
        {"a move cut off between its copy and the source's deletion", JournalOp::Move, false,
         [&](MemoryHost& h) { put(h, "C:\\i\\s", "S"); put(h, "C:\\o\\t", "S"); }, {"remove C:\\o\\t"}, {}},
        {"a move begun whose file went: back", JournalOp::Move, false, [&](MemoryHost& h) { put(h, "C:\\o\\t", "S"); },
         {"rename C:\\o\\t > C:\\i\\s"}, {}},
        {"a copy done goes", JournalOp::Copy, true, [&](MemoryHost& h) { put(h, "C:\\o\\t", "S"); }, {"remove C:\\o\\t"}, {}},
        {"a copy changed since stays", JournalOp::Copy, true, [&](MemoryHost& h) { put(h, "C:\\o\\t", "CHANGED"); },
         {}, {"C:\\o\\t: it changed since the run"}},
        {"a copy begun, its name taken whole: it goes", JournalOp::Copy, false, [&](MemoryHost& h) { put(h, "C:\\o\\t", "S"); },
         {"remove C:\\o\\t"}, {}},
        {"a copy begun, another file at its name: it stays", JournalOp::Copy, false, [&](MemoryHost& h) { put(h, "C:\\o\\t", "OTHER"); },
         {}, {"C:\\o\\t: the run did not finish it"}},
        {"a replace done: the old file takes its name back from the copy", JournalOp::Replace, true,
         [&](MemoryHost& h) { put(h, "C:\\o\\t", "S"); h.Put(kept, "OLD"); }, {"replace " + K + " > C:\\o\\t"}, {}},
        {"a replace cut off after the copy took the name", JournalOp::Replace, false,
         [&](MemoryHost& h) { put(h, "C:\\o\\t", "S"); h.Put(kept, "OLD"); }, {"replace " + K + " > C:\\o\\t"}, {}},
        {"a replace cut off before the copy took the name: the second name goes", JournalOp::Replace, false,
         [&](MemoryHost& h) { put(h, "C:\\o\\t", "OLD"); h.Put(kept, "OLD"); h.files[MemoryHost::Key(kept)].written = h.files[MemoryHost::Key(u"C:\\o\\t")].written; },
         {"remove " + K}, {}},
        {"a replace whose copy was removed since: the old file comes back", JournalOp::Replace, true,
         [&](MemoryHost& h) { h.Put(kept, "OLD"); }, {"rename " + K + " > C:\\o\\t"}, {}},
        {"a replace that never began", JournalOp::Replace, false, [&](MemoryHost& h) { put(h, "C:\\o\\t", "OLD"); }, {}, {}},
        {"a replace whose copy changed keeps both", JournalOp::Replace, true,
         [&](MemoryHost& h) { put(h, "C:\\o\\t", "EDITED"); h.Put(kept, "OLD"); }, {}, {"C:\\o\\t: it changed since the run"}},
        {"a replace whose kept file went", JournalOp::Replace, true, [&](MemoryHost& h) { put(h, "C:\\o\\t", "S"); },
         {}, {"C:\\o\\t: the file it replaced is no longer kept"}},
        {"a delete done comes back, and the folders that kept it go", JournalOp::Delete, true,
         [&](MemoryHost& h) { h.MakeDir(keptFolder); h.MakeDir(group); h.Put(keptS, "S"); },
         {"rename " + KS + " > C:\\i\\s", "remove folder " + B(group), "remove folder " + B(keptFolder)}, {}},
        {"a deleted file whose name is taken stays kept", JournalOp::Delete, true,
         [&](MemoryHost& h) { h.Put(keptS, "S"); put(h, "C:\\i\\s", "NEW"); }, {}, {"C:\\i\\s: its old name is taken now"}},
        {"a delete whose kept file went", JournalOp::Delete, true, [](MemoryHost&) {}, {}, {"C:\\i\\s: the deleted file is no longer kept"}},
        {"a delete that never set the file aside", JournalOp::Delete, false, [&](MemoryHost& h) { put(h, "C:\\i\\s", "S"); }, {}, {}},
        {"a tag done: the old bytes come back", JournalOp::Tag, true, [&](MemoryHost& h) { put(h, "C:\\o\\t", "TAGGED"); h.Put(kept, "S"); },
         {"replace " + K + " > C:\\o\\t"}, {}},
        {"a tagged file changed since stays", JournalOp::Tag, true, [&](MemoryHost& h) { put(h, "C:\\o\\t", "RETAGGED"); h.Put(kept, "S"); },
         {}, {"C:\\o\\t: it changed since the run"}},
        {"a tag begun, never written: the kept copy goes", JournalOp::Tag, false,
         [&](MemoryHost& h) { put(h, "C:\\o\\t", "S"); h.Put(kept, "S"); }, {"remove " + K}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryHost h;
        for (const char16_t* d : {u"C:\\i", u"C:\\o"}) h.MakeDir(d);
        // The journal: the source's stamp as the run saw it, the target's as it left it.
        StringSink sink;
        JournalWriter w(sink, 1);
        w.Head(RunKind::Copy, u"now", 1);
        h.Put(u"C:\\i\\s", "S");
        h.Put(u"C:\\o\\t", c.op == JournalOp::Tag ? "TAGGED" : "S");
        h.files[MemoryHost::Key(u"C:\\o\\t")].written = h.files[MemoryHost::Key(u"C:\\i\\s")].written;
        FileStamp before, after;
        h.StampOf(u"C:\\i\\s", before);
        h.StampOf(u"C:\\o\\t", after);
        const JournalIntent& i = w.Intent(c.op, c.op == JournalOp::Tag ? Text() : u"C:\\i\\s",
                                          c.op == JournalOp::Delete ? Text() : u"C:\\o\\t", before);
        if (c.done) w.Done(i.seq, c.op == JournalOp::Delete ? before : after);
        // The disk now: a file with the bytes the run saw or left has the
        // stamp it had then; any other was written since.
        h.files.clear();
        c.disk(h);
        for (auto& [k, f] : h.files) {
            if (*f.bytes == "S") f.written = before.written;
            if (*f.bytes == "TAGGED") f.written = after.written;
        }
        Journal j;
        ASSERT_EQ(ReadJournal(sink.bytes, j), JournalRead::Read);
        MemoryUndo disk(h);
        const UndoPlan plan = PlanUndo(j, disk);
        std::vector<std::string> steps, left;
        for (const UndoStep& s : plan.steps) {
            static const char* const kinds[] = {"rename", "replace", "remove", "remove folder", "sweep"};
            if (s.kind == UndoStep::RemoveCutOffCopies) continue;
            steps.push_back(std::string(kinds[s.kind]) + " " + B(s.from) + (s.to.empty() ? "" : " > " + B(s.to)));
        }
        for (const LeftAsItIs& l : plan.left) left.push_back(B(l.path) + ": " + B(l.reason));
        EXPECT_EQ(steps, c.steps);
        EXPECT_EQ(left, c.left);
        EXPECT_TRUE(CarryOut(plan, disk).size() == plan.left.size()) << "a planned step failed";
    }
}

// The promise on the generated cases: a run with its journal, then undo,
// leaves every file and folder as before the run; and so does a run cut off
// before any one of its changes or journal flushes, undone from what of its
// journal reached the disk.
class UndoProperty {
public:
    // group: rows the run plans before they act, their intents flushed at once.
    UndoProperty(const run_cases::Case& c, int group) : c_(c), group_(group) {}
    // Violations; events: how many changes and flushes the whole run made.
    std::vector<std::string> Check(int crashAt, int& events);

private:
    static std::string Abs(const std::string& path) {
        if (!path.empty() && path[0] == '|') return path.size() == 1 ? "V:\\vol" : "V:\\vol\\" + path.substr(1);
        return "C:\\t\\" + path;
    }
    void SetUp(MemoryHost& h, RunRequest& request) const;
    run_cases::Case c_;
    int group_;
};

void UndoProperty::SetUp(MemoryHost& h, RunRequest& request) const {
    h.MakeDir(u"C:\\t");
    h.MakeDir(u"V:\\vol");
    h.volumeSpace = 128 * 1024;
    for (const std::string& d : c_.dirs) h.MakeDir(From1250(Abs(d)));
    request.baseDir = u"C:\\t";
    for (const run_cases::File& f : c_.files) {
        h.Put(From1250(Abs(f.path)), f.bytes, f.readOnly);
        if (f.selected) request.chosen.push_back({request.rowCount, From1250(Abs(f.path))});
        ++request.rowCount;
    }
    TransferOptions& o = h.options;
    o.InputDir = From1250(Abs("in"));
    o.OutputDir = From1250(Abs(c_.output));
    run_cases::SetNameOptions(c_, o);
    request.kind = c_.op == run_cases::Op::Delete ? RunKind::Delete : c_.op == run_cases::Op::Cz ? RunKind::Cz : RunKind::Copy;
}

std::vector<std::string> UndoProperty::Check(int crashAt, int& events) {
    std::vector<std::string> v;
    MemoryHost h;
    RunRequest request;
    SetUp(h, request);
    // Rows may be listed in any order; the engine takes them in list order.
    std::sort(request.chosen.begin(), request.chosen.end());
    const auto files = h.files;
    const auto dirs = h.dirs;
    MemorySink sink(h);
    JournalWriter writer(sink, 7);
    writer.Head(request.kind, u"now", static_cast<int>(request.chosen.size()));
    h.journal = &writer;
    h.group = group_;
    h.crashAt = crashAt;
    try {
        RunTransfer(request, h);
    } catch (const Exception&) {
        // A failure ends the run; what it did is undone all the same.
    } catch (const MemoryHost::Crash&) {
    }
    events = h.events;
    // One flush for the head, at most one for each group of rows, one for
    // the end; a row whose new name may be an 8.3 name ends its group early.
    const int rows = static_cast<int>(request.chosen.size());
    int early = 0;
    for (const auto& [i, text] : request.chosen)
        early += text.find(u'~') != Text::npos || c_.to.find('~') != std::string::npos;
    if (crashAt < 0 && sink.flushes > 2 + (rows + group_ - 1) / group_ + early)
        v.push_back(std::to_string(sink.flushes) + " flushes for " + std::to_string(rows) + " rows in groups of " +
                    std::to_string(group_));
    h.crashed = false;
    h.crashAt = -1;
    // A crash may leave half of the next line on the disk.
    const std::string bytes = sink.durable + sink.pending.substr(0, sink.pending.size() / 2);
    Journal j;
    if (ReadJournal(bytes, j) != JournalRead::Read) v.push_back("the journal cannot be read");
    MemoryUndo disk(h);
    for (const LeftAsItIs& l : CarryOut(PlanUndo(j, disk), disk))
        v.push_back("left as it is: " + B(l.path) + " (" + B(l.reason) + ")");
    for (const auto& [k, f] : files) {
        const auto a = h.files.find(k);
        if (a == h.files.end()) v.push_back("not back: " + B(f.name));
        else if (!(a->second == f)) v.push_back("not as it was: " + B(f.name) + " (now " + B(a->second.name) + ")");
    }
    for (const auto& [k, f] : h.files)
        if (!files.count(k)) v.push_back("left behind: " + B(f.name));
    for (const auto& [k, name] : h.dirs)
        if (!dirs.count(k)) v.push_back("a folder left behind: " + B(name));
    return v;
}

TEST(RunJournal, UndoLeavesTheTreeAsItWasAfterAWholeOrACutOffRun) {
    const std::uint32_t first = run_cases::EnvNumber("KOLVAR_UNDO_SEED", 1);
    const std::uint32_t count = run_cases::EnvNumber("KOLVAR_UNDO_CASES", 400);
    std::string failed;
    for (std::uint32_t seed = first; seed < first + count && failed.size() < 200; ++seed) {
        const run_cases::Case c = run_cases::Generate(seed);
        int events = 0;
        const int group = 1 + static_cast<int>(seed % 3);
        std::vector<std::string> v = UndoProperty(c, group).Check(-1, events);
        int crash = -1;
        for (int at = 0; v.empty() && at < events; ++at) {
            int ignored = 0;
            v = UndoProperty(c, group).Check(at, ignored);
            crash = at;
        }
        if (v.empty()) continue;
        failed += " " + std::to_string(seed);
        std::string text;
        for (const std::string& line : v) text += "  " + run_cases::Printable(line) + "\n";
        ADD_FAILURE() << run_cases::Describe(c) << "groups of " << group << ", cut off at event " << crash << " of " << events << "\n"
                      << text << "Replay: KOLVAR_UNDO_SEED=" << seed << " KOLVAR_UNDO_CASES=1";
    }
    EXPECT_EQ(failed, "") << "failing seeds";
}

}  // namespace
