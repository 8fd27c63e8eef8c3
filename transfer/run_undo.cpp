// Undo of the last run, from the window's system menu: the run's journal
// read against the disk, what it did put back, what changed since left.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>

#include "app/uMain.h"
#include "platform/dialogs.h"
#include "platform/file_stream.h"
#include "platform/fs.h"
#include "transfer/path_names.h"
#include "transfer/run_record.h"

namespace {

bool ParseRunName(const Text& name, std::uint32_t& id, StoredRun::State& state) {
    const Text head = u"run-";
    if (name.size() < head.size() + 8 || name.compare(0, head.size(), head) != 0) return false;
    const Text tail = name.substr(head.size() + 8);
    if (tail == u".journal") state = StoredRun::State::Undoable;
    else if (tail == u".undone") state = StoredRun::State::Undone;
    else if (tail == u".forgotten") state = StoredRun::State::Forgotten;
    else return false;
    id = 0;
    for (char16_t c : name.substr(head.size(), 8)) {
        const int d = c >= u'0' && c <= u'9' ? c - u'0' : c >= u'a' && c <= u'f' ? c - u'a' + 10 : -1;
        if (d < 0) return false;
        id = id << 4 | static_cast<std::uint32_t>(d);
    }
    return true;
}

Text RunPath(const Text& folder, std::uint32_t id, StoredRun::State state) {
    Text name = u"\\run-";
    for (int shift = 28; shift >= 0; shift -= 4) name += u"0123456789abcdef"[(id >> shift) & 15];
    switch (state) {
    case StoredRun::State::Undoable: break;
    case StoredRun::State::Undone: return folder + name + u".undone";
    case StoredRun::State::Forgotten: return folder + name + u".forgotten";
    }
    return folder + name + u".journal";
}

Text Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return From1250(text);
}

bool ReadRun(const Text& path, Journal& journal, JournalRead& read) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return false;
    read = ReadJournal(bytes, journal);
    return true;
}

// The file system of the undo: kept files take their names back unhidden;
// a file that a move took to another volume comes back as a copy.
class WindowUndo : public UndoHost {
public:
    bool StampOf(const Text& path, FileStamp& stamp) override { return FileStampOf(path, stamp.size, stamp.written); }
    bool Exists(const Text& path) override { return AttributesOf(path) != ~0u; }
    bool Look(const Text& path, FileStamp& stamp, bool& file) override {
        std::uint32_t attributes = 0;
        if (!EntryOf(path, attributes, stamp.size, stamp.written)) return false;
        file = !(attributes & kAttrDirectory);
        return true;
    }
    bool Rename(const Text& from, const Text& to) override {
        // Only a file kept beside its name was hidden by the run; one kept in
        // a hidden folder of groups has its own attributes still.
        const bool hiddenByRun = IsKeptName(FileNameOf(from)) && KeptGroupOf(from).empty();
        const std::uint32_t attributes = hiddenByRun ? AttributesOf(from) : ~0u;
        switch (RenameWithinVolume(from, to)) {
        case RenameResult::Done: break;
        case RenameResult::Failed: return false;
        case RenameResult::OtherVolume:
            // On the disk under its old name before the moved file goes.
            if (AttributesOf(to) != ~0u || !CopyToNewName(from, to)) return false;
            if (!DeleteFileAt(from)) {
                DeleteFileAt(to);
                return false;
            }
            break;
        }
        if (attributes != ~0u) SetAttributesOf(to, attributes & ~kAttrHidden);
        return true;
    }
    bool Replace(const Text& from, const Text& to) override {
        const std::uint32_t attributes = KeptGroupOf(from).empty() ? AttributesOf(from) : ~0u;
        if (!ReplaceFileWith(from, to)) return false;
        if (attributes != ~0u) SetAttributesOf(to, attributes & ~kAttrHidden);
        return true;
    }
    bool Remove(const Text& path) override { return DeleteFileAt(path); }
    bool RemoveFolder(const Text& path) override { return RemoveDir(path); }
    void RemoveCutOffCopies(const Text& folder) override { ::RemoveCutOffCopies(folder); }
};

const char16_t* KindName(const Journal& j) {
    switch (j.kind) {
    case RunKind::Copy:
        for (const JournalEntry& e : j.entries)
            if (e.intent.op == JournalOp::Move) return u"Move";
        return u"Copy";
    case RunKind::Delete: return u"Delete";
    case RunKind::Cz: return u"CZ";
    case RunKind::Go: return u"Go";
    case RunKind::Try: break;
    }
    return u"Try";
}

}  // namespace

std::vector<StoredRun> StoredRuns(const Text& folder) {
    std::vector<StoredRun> runs;
    if (folder.empty()) return runs;
    DirEnumerator e(folder + u"\\run-*");
    for (DirEntry entry; e.Next(entry);) {
        StoredRun run;
        if (entry.IsDirectory() || !ParseRunName(entry.name, run.id, run.state)) continue;
        run.path = folder + u"\\" + entry.name;
        runs.push_back(run);
    }
    std::sort(runs.begin(), runs.end(), [](const StoredRun& a, const StoredRun& b) { return a.id < b.id; });
    return runs;
}

bool LastUndoableRun(const Text& folder, StoredRun& run) {
    const std::vector<StoredRun> runs = StoredRuns(folder);
    for (auto r = runs.rbegin(); r != runs.rend(); ++r)
        if (r->state == StoredRun::State::Undoable) {
            run = *r;
            return true;
        }
    return false;
}

void ForgetOldRuns(const Text& folder, std::size_t keep) {
    std::vector<StoredRun> runs = StoredRuns(folder);
    std::erase_if(runs, [](const StoredRun& r) { return r.state == StoredRun::State::Forgotten; });
    for (std::size_t i = 0; i + keep < runs.size(); ++i)
        RenameWithinVolume(runs[i].path, RunPath(folder, runs[i].id, StoredRun::State::Forgotten));
}

void RemoveForgottenRuns(const Text& folder) {
    constexpr std::uint64_t kStep = 64ull << 20;
    constexpr unsigned kPauseMs = 20;
    for (const StoredRun& run : StoredRuns(folder)) {
        if (run.state != StoredRun::State::Forgotten) continue;
        Journal j;
        JournalRead read;
        std::vector<Text> groups;  // the folders that kept its files
        if (ReadRun(run.path, j, read) && read == JournalRead::Read)
            for (const JournalEntry& e : j.entries) {
                if (!e.intent.kept.empty() && AttributesOf(e.intent.kept) != ~0u) {
                    SetAttributesOf(e.intent.kept, kAttrArchive);
                    RemoveFileInSteps(e.intent.kept, kStep, kPauseMs);
                }
                Text group = KeptGroupOf(e.intent.kept);
                if (!group.empty() && (groups.empty() || groups.back() != group)) groups.push_back(std::move(group));
            }
        for (const Text& group : groups) {
            RemoveCutOffCopies(group + u"\\");  // a keeping copy cut off
            RemoveDir(group);
            RemoveDir(KeptFolderOf(group));  // once its last group is gone
        }
        DeleteFileAt(run.path);
    }
}

namespace {

// One thread at a time removes what forgotten runs kept; a run that ends
// meanwhile leaves its forgotten runs to the next one.
std::atomic<bool> removing{false};

DWORD WINAPI RemoveInBackground(void* param) {
    const std::unique_ptr<Text> folder(static_cast<Text*>(param));
    try {
        RemoveForgottenRuns(*folder);
    } catch (...) {
        // What is left (memory ran short) is removed after a later run.
    }
    removing = false;
    return 0;
}

void StartRemovingForgottenRuns(const Text& folder) {
    if (removing.exchange(true)) return;
    auto param = std::make_unique<Text>(folder);
    HANDLE thread = CreateThread(nullptr, 0, RemoveInBackground, param.get(), 0, nullptr);
    if (!thread) {
        removing = false;
        return;
    }
    param.release();
    CloseHandle(thread);
}

}  // namespace

RunRecord::RunRecord(RunKind kind, int rows) : folder_(JournalFolder()), go_(kind == RunKind::Go) {
    if (folder_.empty()) return;
    const std::vector<StoredRun> runs = StoredRuns(folder_);
    std::uint32_t id = runs.empty() ? 1 : runs.back().id + 1;
    // Another copy of the program may take the same number meanwhile.
    for (int tries = 0; tries < 16; ++tries, ++id) {
        auto file = std::make_unique<JournalFile>(RunPath(folder_, id, StoredRun::State::Undoable));
        if (!file->Opened()) continue;
        file_ = std::move(file);
        path_ = RunPath(folder_, id, StoredRun::State::Undoable);
        writer_ = std::make_unique<JournalWriter>(*file_, id);
        writer_->Head(kind, Now(), rows);
        return;
    }
}

// A run that did nothing leaves no journal, so that undo still takes back
// the run before it; a Go stays, and undo says what it does for it.
RunRecord::~RunRecord() {
    if (!writer_) return;
    const bool empty = writer_->Count() == 0 && !go_;
    writer_.reset();
    file_.reset();
    if (empty) DeleteFileAt(path_);
    // The window goes on while the files that old runs kept are removed.
    ForgetOldRuns(folder_, kRunsKept);
    StartRemovingForgottenRuns(folder_);
}

void TfrMain::UpdateUndoItem() {
    StoredRun run;
    SetSystemMenuItemEnabled(kUndoItem, LastUndoableRun(JournalFolder(), run));
}

void TfrMain::OnSystemMenuOpening() { UpdateUndoItem(); }

void TfrMain::OnSystemMenuItem(int id) {
    if (id != kUndoItem) return;
    try {
        UndoLastRun();
    } catch (const Exception& e) {
        ShowWarning(FailureText(e));
    } catch (const std::exception&) {
        ShowWarning(FailureText(Exception("")));
    }
    UpdateUndoItem();
}

// The newest run that is not undone: named and asked for, then what it did
// is put back. The journal stays, as undone, until it is among the oldest.
void TfrMain::UndoLastRun() {
    Operation undo(*this, false);
    if (!undo.Taken()) return;
    const Text folder = JournalFolder();
    StoredRun run;
    if (!LastUndoableRun(folder, run)) return;
    Journal j;
    JournalRead read = JournalRead::Damaged;
    const bool readable = ReadRun(run.path, j, read);
    const Text undonePath = RunPath(folder, run.id, StoredRun::State::Undone);
    if (!readable || read != JournalRead::Read) {
        ShowWarning(read == JournalRead::OtherVersion
                        ? u"The last run was recorded by another version of the program: it cannot be undone here."
                        : u"The record of the last run cannot be read: it cannot be undone.");
        RenameWithinVolume(run.path, undonePath);
        return;
    }
    if (j.kind == RunKind::Go) {
        ShowInformation(u"The last run was a Go: its batch did its work, and undo does nothing for it.");
        RenameWithinVolume(run.path, undonePath);
        return;
    }
    int rows = 0;
    for (const JournalEntry& e : j.entries) rows += e.intent.op != JournalOp::Folder;
    Text question = u"Undo the last run?\r\r" + Text(KindName(j)) + u", started " + j.started + u", " +
                    From1250(std::to_string(rows)) + (rows == 1 ? u" row" : u" rows");
    if (!j.ended) question += u"\r(cut off before its end: what it did is settled from the files as they are)";
    if (!Confirm(question)) return;
    SetBusyCursor(true);
    WindowUndo disk;
    const std::vector<LeftAsItIs> left = CarryOut(PlanUndo(j, disk), disk);
    RenameWithinVolume(run.path, undonePath);
    SetBusyCursor(false);
    std::vector<std::pair<Text, Text>> shown;
    for (const LeftAsItIs& l : left) shown.push_back({l.path, l.reason});
    ShowFileReasons(u"These files were left as they are:", std::move(shown));
}
