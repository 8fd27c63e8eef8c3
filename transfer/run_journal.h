#pragma once
// The journal of a run, for undo: a head line, then one line for each
// row's intent, written and flushed before the row acts, and one for its
// completion after it. Each line carries its own checksum, so a line cut
// off by a crash, or damaged later, is recognised and skipped. The undo
// planner reads a journal against what is on disk now and says what to put
// back and what to leave as it is, and why.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"

enum class RunKind;

// What the file system says of a file: enough to tell that it changed.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t written = 0;  // last write time, as the host counts it
    bool operator==(const FileStamp&) const = default;
};

enum class JournalOp {
    Move,     // source renamed or moved to target (a move never replaces)
    Copy,     // source copied to target, a name that was free
    Replace,  // source copied to target; the file that was there is kept
    Delete,   // source deleted: it is kept
    Tag,      // target's tag rewritten in place: its old bytes are kept
    Folder,   // target made as a folder
};

struct JournalIntent {
    int seq = 0;
    JournalOp op = JournalOp::Move;
    Text source, target;
    Text kept;        // Replace, Delete, Tag: where the old file is kept
    FileStamp stamp;  // the source's (Tag: the file's before the rewrite)
};

struct JournalEntry {
    JournalIntent intent;
    bool done = false;
    FileStamp after;  // done: the stamp of what the row left at target
};

struct Journal {
    RunKind kind{};
    Text started;               // when the run started, as the host wrote it
    std::uint32_t runId = 0;
    int rows = 0;               // rows chosen at the start
    std::vector<JournalEntry> entries;  // in the order of their intents
    int damaged = 0;            // lines skipped for a checksum or a form that does not hold
    bool torn = false;          // the last line was cut off
    bool ended = false;         // the run wrote its end
};

enum class JournalRead { Read, Empty, OtherVersion, Damaged };
// Reads the bytes of a journal file. Damaged: the head itself does not hold.
JournalRead ReadJournal(std::string_view bytes, Journal& journal);

// Where a journal's lines go: appended in order; Flush makes what was
// appended durable.
class JournalSink {
public:
    virtual ~JournalSink() = default;
    virtual void Append(const std::string& line) = 0;
    virtual void Flush() = 0;
};

// The name a kept file takes: of one form, which the listing never shows
// and a sweep of cut-off copies never removes.
Text KeptName(std::uint32_t runId, int seq);
// A run keeps files in a hidden folder of their folder, of this name, in
// groups of 64 (under Wine each new name costs a scan of its folder, so a
// folder of thousands of files would make each file kept cost thousands).
// Older runs kept them beside their names, hidden.
Text KeptFolderName(std::uint32_t runId);
// Either name.
bool IsKeptName(TextView name);
// The group folder of a kept file, from the kept file's full path; empty
// for a file kept beside its name.
Text KeptGroupOf(const Text& kept);
// The hidden folder of groups that holds such a group.
inline Text KeptFolderOf(const Text& group) { return group.substr(0, group.find_last_of(u'\\')); }

class JournalWriter {
public:
    JournalWriter(JournalSink& sink, std::uint32_t runId) : sink_(sink), runId_(runId) {}
    void Head(RunKind kind, const Text& started, int rows);
    // Appends a row's intent; its kept place (Replace, Delete, Tag) is in
    // the folder of the file it keeps. Returns the intent's number.
    const JournalIntent& Intent(JournalOp op, const Text& source, const Text& target, const FileStamp& stamp);
    void Done(int seq, const FileStamp& after);
    void End();
    // Makes the intents appended so far durable; nothing when there are none.
    void Flush();
    std::uint32_t RunId() const { return runId_; }
    int Count() const { return next_; }  // intents written

private:
    void Line(const std::string& payload);
    JournalSink& sink_;
    std::uint32_t runId_;
    int next_ = 0;
    bool pending_ = false;
    JournalIntent last_;
};

// The file system as the undo planner reads and the undo acts on it.
class UndoHost {
public:
    virtual ~UndoHost() = default;
    // False when no file is there.
    virtual bool StampOf(const Text& path, FileStamp& stamp) = 0;
    // Any entry, a file or a folder.
    virtual bool Exists(const Text& path) = 0;
    // Whether any entry is there, and a file's stamp (file true): a host
    // that can tell both from one look at the disk says so here.
    virtual bool Look(const Text& path, FileStamp& stamp, bool& file) {
        file = StampOf(path, stamp);
        return file || Exists(path);
    }
    // A rename that never replaces (a change of letter case is a rename).
    virtual bool Rename(const Text& from, const Text& to) = 0;
    // The file at to replaced by from in one step.
    virtual bool Replace(const Text& from, const Text& to) = 0;
    virtual bool Remove(const Text& path) = 0;
    // Only an empty folder goes.
    virtual bool RemoveFolder(const Text& path) = 0;
    // The copies that a run cut off left in folder.
    virtual void RemoveCutOffCopies(const Text& folder) = 0;
};

struct UndoStep {
    enum Kind { Rename, Replace, Remove, RemoveFolder, RemoveCutOffCopies } kind = Rename;
    Text from, to;  // Remove, RemoveFolder, RemoveCutOffCopies (a folder): from
};

struct LeftAsItIs {
    Text path, reason;
};

struct UndoPlan {
    std::vector<UndoStep> steps;  // in order
    std::vector<LeftAsItIs> left;
};

// What undoing the journal's run does now: rows in the reverse of their
// order; a row that was begun and not recorded done is settled from what is
// on disk. Nothing is written over: a file that changed since the run, or
// whose old name is taken, is left, with the reason.
UndoPlan PlanUndo(const Journal& journal, UndoHost& disk);
// Acts on the plan; a step that fails now leaves its file, with a reason.
std::vector<LeftAsItIs> CarryOut(const UndoPlan& plan, UndoHost& disk);
