// The transfer run: one procedure behind Copy, Try, Delete, CZ and Go.
#include <chrono>
#include <memory>
#include <utility>

#include "app/uMain.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/file_stream.h"
#include "platform/fs.h"
#include "platform/message_loop.h"
#include "transfer/exif_date.h"
#include "transfer/folder_files.h"
#include "transfer/name_transforms.h"
#include "transfer/path_names.h"
#include "transfer/run_engine.h"
#include "transfer/run_record.h"
#include "transfer/stop_signal.h"
#include "transfer/text_ops.h"

namespace {

// The list's drawing and scrolling are held during a run and let go ten
// times a second (and at the end), so that replacing a row costs no repaint
// and the scrolling rule is applied to what the user sees. Under Wine each
// letting go costs about 5 ms (the scroll bar and the repaint).
class HeldList {
public:
    explicit HeldList(TControl& list) : list_(list), last_(Clock::now()) { list_.BeginUpdate(); }
    ~HeldList() { Show(); }
    HeldList(const HeldList&) = delete;
    HeldList& operator=(const HeldList&) = delete;
    void ScrollTo(int top) { top_ = top; }
    void Tick() {
        const auto now = Clock::now();
        if (now - last_ < std::chrono::milliseconds(100)) return;
        Show();
        list_.Repaint();
        Hold();
        last_ = Clock::now();  // what the showing took is not counted as held
    }
    void Hold() { list_.BeginUpdate(); }
    // Before a box of the run's own: the list as it stands.
    void Show() {
        if (top_ >= 0 && list_.TopIndex() != top_) list_.SetTopIndex(top_);
        list_.EndUpdate();
    }

private:
    using Clock = std::chrono::steady_clock;
    TControl& list_;
    Clock::time_point last_;
    int top_ = -1;
};

void EnterDirectory(const Text& dir) {
    if (!SetCurrentDir(dir)) throw EInOutError(u"Cannot enter directory " + dir);
}

// Rows are copied and given back a stretch at a time: a clock read for
// every row would cost more than the row.
constexpr std::size_t kRowsBetweenPumps = 256;
// Input waiting longer than this is answered before a folder is read.
constexpr std::chrono::milliseconds kBeforeFolderRead{2};

// The texts of 100,000 rows and more are given back one at a time, with
// input handled between, instead of in one wait when the request goes.
void GiveBack(std::vector<std::pair<int, Text>>& rows, bool pumping) {
    TimedPump pump;
    while (!rows.empty()) {
        rows.pop_back();
        if (pumping && rows.size() % kRowsBetweenPumps == 0) pump.WhenDue();
    }
}

// Clears a flag when the scope ends, however it ends.
struct ClearOnExit {
    bool& flag;
    ~ClearOnExit() { flag = false; }
};

// The group folder of kept, and the hidden folder of groups above it, made
// where they are missing; false when the group was there already (the keep
// failed for another reason) or cannot be made.
bool MakeKeptGroup(const Text& kept) {
    const Text group = KeptGroupOf(kept);
    if (group.empty() || DirectoryExists(group)) return false;
    const Text keptFolder = KeptFolderOf(group);
    if (!DirectoryExists(keptFolder)) {
        if (!CreateDir(keptFolder)) return false;
        SetAttributesOf(keptFolder, kAttrHidden);
    }
    return CreateDir(group);
}

// The main window as the run engine's host: it gives the options from its
// controls, handles input between two rows, shows each row's outcome in the
// list and does the file operations through the platform. SourcePath and
// TargetPath follow the rows the engine reports.
class WindowHost : public RunHost {
public:
    WindowHost(TfrMain& form, const RunRequest& request, JournalWriter* journal)
        : f_(form), list_(form.ListBox1), deleting_(request.kind == RunKind::Delete), dryRun_(request.kind == RunKind::Try),
          relative_(request.relativeRows),
          boxPerRow_(deleting_ || request.kind == RunKind::Go || form.CheckBox_Command.Checked()), journal_(journal) {
        // Try changes nothing on the disk: a folder's files may be read once
        // for its rows. Every other run asks the disk right before it acts.
        if (dryRun_)
            folderFiles_ = std::make_unique<FolderFiles>(
                [this] {
                    if (f_.AllowAbort) pump_.WhenDue(kBeforeFolderRead);
                },
                [this] {
                    if (f_.AllowAbort) pump_.WhenDue();
                    return !f_.StopAsked();
                });
    }

    const TransferOptions& Options() override {
        // Read again whenever a control may have changed since the last row.
        if (ControlChangeCount() != optionsRead_) {
            options_ = f_.ReadTransferOptions();
            optionsRead_ = ControlChangeCount();
        }
        return options_;
    }
    // Input is handled between two rows, at least every 10 ms; before every
    // row when a row's own work may show a box (a failed deletion, a command
    // template), so that an Escape pressed before it is seen first.
    //
    // A row of Try that reads no file of its own (no tag, no date, no
    // batch) takes some microseconds, less than a read of the clock, which
    // is a call into the system under Wine: the clock is read once in a few
    // such rows.
    bool StopBefore(int row) override {
        const bool planned = plannedAhead_;
        plannedAhead_ = false;
        const bool cheap = dryRun_ && !options_.Mp3Tag && !options_.ExifDate && !options_.RunCommands;
        // Row 0 is also asked between stretches of the run's preparation.
        const bool clock = !cheap || row == 0 || ++cheapRows_ % kCheapRowsPerClockRead == 0;
        if (f_.AllowAbort && !planned) {
            if (boxPerRow_) pump_.Now();
            else if (clock) pump_.WhenDue();
        }
        if (f_.StopAsked()) return true;
        if (clock) list_.Tick();
        if (f_.ListCount > 1) {
            const int position = ProgressPosition(row, f_.ListCount);
            if (position != shownPosition_) f_.ProgressBar1.SetPosition(position);
            shownPosition_ = position;
        }
        return false;
    }
    // A recorded run plans rows ahead, to flush their intents at once, only
    // while no input would be handled before the next row: the pump is not
    // due, and no source is large enough for its copy to handle input
    // between its blocks (the first block is written without). A Delete,
    // whose failures show a box each, pumps before every row unless nothing
    // waits in the queue; other runs whose rows show boxes plan no row ahead.
    bool PlanAhead(int rows, std::uint64_t bytes) override {
        // A Delete plans a row in no time, and each of its rows is a rename:
        // its groups are kept short, for its rows act before input is handled.
        const int kGroupRows = deleting_ ? 64 : 256;
        constexpr std::uint64_t kOneBlock = 1 << 20;
        const bool quiet = !f_.AllowAbort || (!pump_.Due() && (!boxPerRow_ || !MessagesWaiting()));
        plannedAhead_ = journal_ && (!boxPerRow_ || deleting_) && rows < kGroupRows && bytes < kOneBlock && quiet;
        return plannedAhead_;
    }
    bool InputAfter(const RowReport&) override { return std::exchange(boxShown_, false); }
    void Report(const RowReport& r) override {
        plannedAhead_ = false;  // rows have acted: the next row handles input when it is due
        TControl& rows = f_.ListBox1;
        f_.SourcePath = r.source;
        f_.TargetPath = r.target;
        if (deleting_) {
            if (r.outcome == RowOutcome::NotDone) {
                list_.Show();
                ShowWarning(u"Cannot delete \r" + r.source);
                list_.Hold();
                boxShown_ = true;
            }
            return;
        }
        switch (r.outcome) {
        case RowOutcome::Done:
        case RowOutcome::DoneUntagged:
            rows.SetItem(r.row, r.source + u" -> " + r.target);
            rows.SetSelected(r.row, r.outcome == RowOutcome::DoneUntagged);
            break;
        case RowOutcome::InPlace:
            if (rows.Item(r.row) != r.source) rows.SetItem(r.row, r.source);
            rows.SetSelected(r.row, true);
            if (r.tagged) rows.SetItem(r.row, rows.Item(r.row) + u" (" + r.tagLine + u")");
            break;
        case RowOutcome::Missing:
        case RowOutcome::NotDone:
        case RowOutcome::Refused:
            if (relative_ && rows.Item(r.row) != r.source) rows.SetItem(r.row, r.source);
            rows.SetSelected(r.row, true);
            break;
        }
        list_.ScrollTo(TopRowAfter(r.row));
    }

    bool FileExists(const Text& path) override {
        return folderFiles_ ? folderFiles_->FileExists(path) : ::FileExists(path);
    }
    bool DirectoryExists(const Text& path) override { return ::DirectoryExists(path); }
    bool CreateDir(const Text& path) override { return ::CreateDir(path); }
    Text OwnName(const Text& path) override { return AttributesOf(path) == ~0u ? Text() : OwnNameOf(path); }
    void RemoveCutOffCopies(const Text& folder) override { ::RemoveCutOffCopies(folder); }
    // A copy that Escape stopped part-way has left nothing of itself.
    Placed Copy(const Text& source, const Text& target) override {
        try {
            f_.CopyFileContents(source, target);
            return Placed::Done;
        } catch (const CopyStopped&) {
            return Placed::NotDone;
        } catch (const NameNotGiven&) {
            return Placed::NameRefused;
        }
    }
    // A move that worked leaves nothing to delete; a source name that still
    // resolves then names the moved file itself (a change of letter case only).
    Placed Move(const Text& source, const Text& target) override {
        try {
            return f_.MoveFileContents(source, target) ? Placed::Done : Placed::NotDone;
        } catch (const CopyStopped&) {
            return Placed::NotDone;
        } catch (const NameNotGiven&) {
            return Placed::NameRefused;
        }
    }
    bool Delete(const Text& path) override { return DeleteFileAt(path); }
    JournalWriter* Journal() override { return journal_; }
    bool StampOf(const Text& path, FileStamp& stamp) override { return FileStampOf(path, stamp.size, stamp.written); }
    // A file is kept in a hidden folder, so that Explorer does not show it
    // either; its first file makes a group's folder, and the first group the
    // hidden folder of groups. A read-only file stays where it is, as a
    // Delete leaves it.
    bool SetAside(const Text& path, const Text& kept) override {
        if (SetFileAside(path, kept) == RenameResult::Done) return true;
        return MakeKeptGroup(kept) && SetFileAside(path, kept) == RenameResult::Done;
    }
    // A second name costs no copy of the data; a volume without them, and a
    // tag's old bytes, get a copy, on the disk before the file is replaced.
    bool KeepAlso(const Text& path, const Text& kept, bool sameFile) override {
        auto keep = [&] { return (sameFile && SecondName(path, kept)) || CopyToNewName(path, kept); };
        return keep() || (MakeKeptGroup(kept) && keep());
    }
    void Unkeep(const Text& kept) override { DeleteFileAt(kept); }
    bool Tag(const Text& file, const Text& namePath, bool readOnly, Text& line) override {
        return FillMp3Tag(file, namePath, readOnly, line);
    }
    Text ExifDate(const Text& destination, const Text& source) override { return AddExifDate(destination, source); }
    // The head comes before the first row: a box it shows finds the list as it stands.
    void BatchHead() override {
        list_.Show();
        f_.ExpandCommands(f_.CommandsIniPath, Text(), Text());
        list_.Hold();
    }
    Text BatchRefusal(const Text& source, const Text& target) override { return f_.CommandsRefusal(source, target); }
    Text Batch(const Text& source, const Text& target) override {
        return f_.ExpandCommands(f_.CommandsToProcessPath, source, target);
    }

private:
    TfrMain& f_;
    HeldList list_;
    TimedPump pump_;
    const bool deleting_, dryRun_, relative_, boxPerRow_;
    static constexpr unsigned kCheapRowsPerClockRead = 8;
    unsigned cheapRows_ = 0;
    int shownPosition_ = 0;
    std::uint64_t optionsRead_ = ~0ull;
    TransferOptions options_;
    JournalWriter* journal_;
    bool plannedAhead_ = false;
    bool boxShown_ = false;
    std::unique_ptr<FolderFiles> folderFiles_;
};

}  // namespace

TransferOptions TfrMain::ReadTransferOptions() const {
    TransferOptions o;
    o.InputDir = Edit1.Text();
    o.OutputDir = Edit3.Text();
    o.Mode = RadioButton1.Checked()   ? TransferMode::AddSubdirNames
             : RadioButton3.Checked() ? TransferMode::IntoRoot
                                      : TransferMode::UsualCopy;
    o.Delimiter = Edit_Delimiter.Text();
    o.DirsDelimiter = Edit_DelimiterDirs.Text();
    o.AddFolderNames = CheckBox5_rel.Checked();
    o.ReplaceInNames = CheckBox_repl.Checked();
    o.CharsToReplace = Edit_chartoreplace.Text();
    o.NewChars = Edit_newchar.Text();
    o.MoveFiles = CheckBox2.Checked();
    o.Mp3Tag = CheckBox_tag.Checked();
    o.ExifDate = CheckBox_exif.Checked();
    o.CzRename = CheckBox_rename.Checked();
    o.RunCommands = CheckBox_Command.Checked();
    return o;
}

// Copy the files (2). The modes of the other buttons are set around it.
void TfrMain::Button2Click() {
    // No run starts inside another operation; a close request waits for its end.
    Operation run(*this, Operation::Rows{});
    if (!run.Taken()) return;
    try {
        TransferRun();
    } catch (const Exception& e) {
        // The run stops here: the rows done keep their new text, the bar
        // stays where it stopped and BatchReady stays false.
        SetBusyCursor(false);
        ShowWarning(FailureText(e));
    } catch (const std::exception&) {
        // Any other failure (a text too long, memory) stops it the same way.
        SetBusyCursor(false);
        ShowWarning(FailureText(Exception("")));
    }
    UpdateUndoItem();  // a run that failed part-way can be undone too
}

void TfrMain::RunWithFlag(bool& flag) {
    flag = true;
    ClearOnExit clear{flag};
    Button2Click();
}

void TfrMain::Button3Click() {
    if (runInProgress_) return;
    RunWithFlag(DryRun);
}

void TfrMain::Button5Click() {
    if (runInProgress_) return;
    BusyScope busy;  // a close request waits for the listing too
    RunWithFlag(DeleteMode);
    // A close request has stopped the run: the window closes without a new listing.
    if (!CloseRequested()) Button1Click();
}

void TfrMain::Button7Click() {
    if (runInProgress_) return;
    BatchReady = false;
    MojeMemo.SetText(u"");
    Batch.clear();
    CheckBox_rename.SetChecked(true);
    UntickOnExit untick{CheckBox_rename};  // a hidden tick left behind would rename on the next Copy
    Button2Click();
}

void TfrMain::TransferRun() {
    BatchReady = false;
    ListCount = ListBox1.Count();
    if (!DeleteMode && SameFolders() &&
        !AskWarningYesNo("Source and output directory is the same!\rAre you sure you want to continue?"))
        return;
    if (ListBox1.SelCount() == 0) ShowInformation("No files selected ...");
    // One trailing backslash goes: 'c:\' becomes 'c:'.
    const Text output = Trim(Edit3.Text());
    if (!output.empty() && output.back() == u'\\') Edit3.SetText(output.substr(0, output.size() - 1));
    SetBusyCursor(true);
    ProgressBar1.SetVisible(true);
    ProgressBar1.SetPosition(0);
    ProgressBar1.SetSmooth(true);
    if (AllowAbort) Tag = StopSignal::Stoppable;
    // Relative texts (the tag files found from a relative row) mean BaseDir,
    // whatever folder a chooser left current; the rows are resolved each.
    if (RelativePaths) EnterDirectory(BaseDir);
    else if (CurrentDir() != BaseDir) SetCurrentDir(BaseDir);
    if (DeleteMode && ListCount >= 1 && !AskWarningYesNo("Do you really want to DELETE the files?")) {
        SetBusyCursor(false);
        return;
    }
    RunResult result;
    {
        RunRequest request = Request();
        // Every run but Try is recorded, so that undo can take it back.
        std::unique_ptr<RunRecord> record;
        if (request.kind != RunKind::Try)
            record = std::make_unique<RunRecord>(request.kind, static_cast<int>(request.chosen.size()));
        WindowHost host(*this, request, record ? record->Writer() : nullptr);
        result = RunTransfer(request, host);
        GiveBack(request.chosen, AllowAbort);
    }
    UpdateUndoItem();
    ListBox1.CompactRows();
    ShowRefusals(std::move(result.refusals));
    ProgressBar1.SetVisible(false);
    Tag = StopSignal::Idle;
    BatchReady = true;
    SetBusyCursor(false);
}

// The input and output folders are one: by their texts, by their own long
// paths (an 8.3 spelling, "\\?\", a drive-relative path), or by the file
// system's identity of the folder (a mapped drive and its share, a subst
// drive, a junction).
bool TfrMain::SameFolders() const {
    if (Edit1.Text() == Edit3.Text()) return true;
    const Text in = TypedFolder(Edit1.Text()), out = TypedFolder(Trim(Edit3.Text()));
    const Text inOwn = LongPathOf(in);
    if (!inOwn.empty() && NameKey(inOwn) == NameKey(LongPathOf(out))) return true;
    return SameFile(in, out);
}

// The run as the engine takes it: the rows selected now, which a change of
// the selection while it pumps (the list refuses them anyway) adds to or
// takes from none.
RunRequest TfrMain::Request() const {
    RunRequest r;
    r.kind = DeleteMode                   ? RunKind::Delete
             : DryRun                     ? RunKind::Try
             : CheckBox_Command.Checked() ? RunKind::Go
             : CheckBox_rename.Checked()  ? RunKind::Cz
                                          : RunKind::Copy;
    r.rowCount = ListCount;
    r.baseDir = BaseDir;
    r.relativeRows = RelativePaths;
    // The folders are resolved once: names below them are compared as below
    // their own long paths, whatever spelling was typed.
    for (const Text& folder : {TypedFolder(Edit1.Text()), TypedFolder(Trim(Edit3.Text())), BaseDir})
        r.folders.Add(folder, LongPathOf(folder));
    // A copy of every chosen row's text: input is handled meanwhile, as
    // between the run's rows.
    TimedPump pump;
    const std::vector<int> selected = ListBox1.SelectedIndices();
    r.chosen.reserve(selected.size());
    for (int i : selected) {
        if (i < ListCount) r.chosen.push_back({i, ListBox1.Item(i)});
        if (AllowAbort && r.chosen.size() % kRowsBetweenPumps == 0) pump.WhenDue();
    }
    return r;
}

// The rows a run left selected for a reason of its own, each with it: the
// first few in one box at the end of the run.
void TfrMain::ShowRefusals(std::vector<std::pair<Text, Text>> refusals) {
    ShowFileReasons(u"These files were left selected:", std::move(refusals));
}

void TfrMain::ShowFileReasons(const Text& heading, std::vector<std::pair<Text, Text>> refusals) {
    // A run that a close request has stopped asks and tells nothing more.
    if (refusals.empty() || CloseRequested()) return;
    constexpr std::size_t kShown = 10;
    Text text = heading;
    for (std::size_t i = 0; i < refusals.size() && i < kShown; ++i)
        text += u"\r" + refusals[i].first + u"\r    (" + refusals[i].second + u")";
    if (refusals.size() > kShown)
        text += u"\rand " + From1250(std::to_string(refusals.size() - kShown)) + u" more";
    ShowWarning(text);
}

