#pragma once
// The transfer run as an engine: a request in, each row's outcome out
// through the host, the run's result back. The engine knows no window and
// no file system: the main window is one host, the engine's tests another.
#include <cstdint>
#include <utility>
#include <vector>

#include "transfer/destination.h"
#include "transfer/path_names.h"
#include "transfer/run_journal.h"

enum class RunKind { Copy, Try, Delete, Cz, Go };

struct RunRequest {
    RunKind kind = RunKind::Copy;
    int rowCount = 0;  // rows in the list: the run passes every one of them
    // The rows selected when the run starts, index and text, in list order.
    std::vector<std::pair<int, Text>> chosen;
    Text baseDir;              // what a relative row is relative to
    bool relativeRows = false; // rows are shown below baseDir without it
    // The run's folders with their own long paths: names below them are
    // compared as below their own paths, whatever spelling was typed.
    FolderSpellings folders;
};

enum class RowOutcome {
    Done,          // transferred (Try: would be), or deleted
    DoneUntagged,  // transferred without the tag that was asked for
    InPlace,       // the file is its own destination
    Missing,       // no file of that name
    NotDone,       // a move that could not go, a copy stopped, a file not deleted
    Refused,       // left alone for a reason the run gives at its end
};

// One row as the run leaves it. source and target are the texts the row
// shows for them (without the base directory for relative rows).
struct RowReport {
    int row = 0;
    RowOutcome outcome = RowOutcome::NotDone;
    Text source, target;
    Text reason;           // Refused: why
    bool tagged = false;   // InPlace with the tag option: tagLine is what the filler said
    Text tagLine;
};

struct RunResult {
    std::vector<std::pair<Text, Text>> refusals;  // row, reason
    Text lastSource, lastTarget;                  // of the last row processed
    bool stopped = false;                         // the host asked it to stop
};

// How a copy or a move ended.
enum class Placed {
    Done,
    NotDone,      // stopped part-way (nothing of it left), or the file stays where it was
    NameRefused,  // the file system refuses the new name; nothing of the copy is left
};

// What the engine asks of whoever runs it. Paths given to the file
// operations are full paths; failures the run stops at are thrown as the
// classes of platform/errors.h.
class RunHost {
public:
    virtual ~RunHost() = default;
    // The options for the next row. Asked for every row, so that a change
    // made while the run waits applies to the rows that follow.
    virtual const TransferOptions& Options() = 0;
    // Before each row (selected or not): handle waiting input, show the
    // progress; true when the run is to stop here. Asked for row 0 as well
    // between stretches of the run's preparation of 100,000 rows and more.
    virtual bool StopBefore(int row) = 0;
    // After a row is planned: true when the next row may be planned before
    // the rows planned so far act (rows of the group, bytes their sources
    // hold). The host says no where it would handle input before the next
    // row, so that it does so with every row before it done.
    virtual bool PlanAhead(int /*rows*/, std::uint64_t /*bytes*/) { return false; }
    virtual void Report(const RowReport& report) = 0;
    // After a report: true when it may have let input in (it showed a box),
    // so that rows planned after it are planned again once it is handled.
    virtual bool InputAfter(const RowReport& /*report*/) { return false; }

    virtual bool FileExists(const Text& path) = 0;
    virtual bool DirectoryExists(const Text& path) = 0;
    virtual bool CreateDir(const Text& path) = 0;
    // The file's own (long) name when path names an existing file, else empty.
    virtual Text OwnName(const Text& path) = 0;
    // Removes the copies that an earlier run left cut off in folder.
    virtual void RemoveCutOffCopies(const Text& folder) = 0;
    // A whole copy, replacing a destination only once it is complete;
    // NotDone when a stop asked meanwhile ended it, nothing of it left.
    virtual Placed Copy(const Text& source, const Text& target) = 0;
    // NotDone when the file stays where it was (the destination is taken,
    // the source cannot go); a copy between volumes fails as Copy does.
    virtual Placed Move(const Text& source, const Text& target) = 0;
    virtual bool Delete(const Text& path) = 0;

    // The run's journal, or nullptr when the run records nothing. With a
    // journal, each row's intent is flushed before the row acts and its
    // end recorded after it; the files the run would destroy are kept.
    virtual JournalWriter* Journal() { return nullptr; }
    // The file's size and write time; false when no file is there.
    virtual bool StampOf(const Text& path, FileStamp& stamp) = 0;
    // Kept files have names in their own folder that the listing never
    // shows (KeptName), hidden once the row has acted.
    // A Delete's: the file renamed to kept, and hidden; false when the file
    // cannot go (a Delete would fail there too).
    virtual bool SetAside(const Text& path, const Text& kept) = 0;
    // The file at path kept under kept as well, path keeping its name: with
    // sameFile, a second name of the same file where the volume allows it
    // (a copy that then replaces path leaves the old file at kept), else a
    // copy of its bytes and times.
    virtual bool KeepAlso(const Text& path, const Text& kept, bool sameFile) = 0;
    // A kept name that the row did not need goes.
    virtual void Unkeep(const Text& kept) = 0;
    // Reads (readOnly) or writes the tag of file, its values from namePath;
    // false when a tag to be written was not.
    virtual bool Tag(const Text& file, const Text& namePath, bool readOnly, Text& line) = 0;
    // The destination with the picture's date in front of its name.
    virtual Text ExifDate(const Text& destination, const Text& source) = 0;
    // The batch: its head once at the start, then a row's lines; empty when
    // the row can go into it, else why not (and nothing is added).
    virtual void BatchHead() = 0;
    virtual Text BatchRefusal(const Text& source, const Text& target) = 0;
    virtual Text Batch(const Text& source, const Text& target) = 0;
};

RunResult RunTransfer(const RunRequest& request, RunHost& host);
