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
    std::uint32_t id = 0;
    Text path;
    bool undone = false;
};
// Oldest first.
std::vector<StoredRun> StoredRuns(const Text& folder);
// The newest run that can be undone; false when there is none.
bool LastUndoableRun(const Text& folder, StoredRun& run);
// Forgets all but the newest keep runs: their kept files, then their journals.
void ForgetOldRuns(const Text& folder, std::size_t keep);
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
