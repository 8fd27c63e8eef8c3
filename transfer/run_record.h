#pragma once
// The journals of the last runs, kept in the journal folder: a run's as
// run-XXXXXXXX.journal, renamed run-XXXXXXXX.undone once it is undone. The
// newest journal that is not undone is the run that undo takes back.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/journal_file.h"
#include "transfer/run_journal.h"

struct StoredRun {
    // Forgotten: renamed run-XXXXXXXX.forgotten, never undone again; what it
    // kept is being removed.
    enum class State { Undoable, Undone, Forgotten };
    std::uint32_t id = 0;
    Text path;
    State state = State::Undoable;
};
// Oldest first.
std::vector<StoredRun> StoredRuns(const Text& folder);
// The newest run that can be undone; false when there is none.
bool LastUndoableRun(const Text& folder, StoredRun& run);
// Marks all but the newest keep runs forgotten.
void ForgetOldRuns(const Text& folder, std::size_t keep);
// Removes what the forgotten runs kept, then their journals; a file of a
// forgotten run that another name still shows keeps its data.
void RemoveForgottenRuns(const Text& folder);
inline constexpr std::size_t kRunsKept = 5;

// A new run's journal; Writer() is nullptr when none could be made (the
// run then goes on without, and cannot be undone).
class RunRecord {
public:
    RunRecord(RunKind kind, int rows);
    ~RunRecord();
    RunRecord(const RunRecord&) = delete;
    RunRecord& operator=(const RunRecord&) = delete;
    JournalWriter* Writer() { return writer_.get(); }

private:
    Text folder_, path_;
    std::unique_ptr<JournalFile> file_;
    std::unique_ptr<JournalWriter> writer_;
    bool go_ = false;
};
