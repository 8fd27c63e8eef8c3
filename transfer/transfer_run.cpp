// The transfer run: one procedure behind Copy, Try, Delete, CZ and Go.
#include <chrono>

#include "app/uMain.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/file_stream.h"
#include "platform/fs.h"
#include "platform/message_loop.h"
#include "transfer/exif_date.h"
#include "transfer/name_transforms.h"
#include "transfer/path_names.h"
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

// Clears a flag when the scope ends, however it ends.
struct ClearOnExit {
    bool& flag;
    ~ClearOnExit() { flag = false; }
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
    // A run's pump lets other handlers in; a second run is not one of them.
    if (runInProgress_) return;
    runInProgress_ = rowsRunning_ = true;
    ClearOnExit running{runInProgress_}, rows{rowsRunning_};
    BusyScope busy;  // a close request waits for the end of the run
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
    if (AllowAbort) Tag = 999;
    // Relative texts (the tag files found from a relative row) mean BaseDir,
    // whatever folder a chooser left current; the rows are resolved each.
    if (RelativePaths) EnterDirectory(BaseDir);
    else if (CurrentDir() != BaseDir) SetCurrentDir(BaseDir);
    if (DeleteMode && ListCount >= 1 && !AskWarningYesNo("Do you really want to DELETE the files?")) {
        SetBusyCursor(false);
        return;
    }
    if (CheckBox_Command.Checked()) ExpandCommands(CommandsIniPath, Text(), Text());
    // The folders are resolved once: names below them are compared as below
    // their own long paths, whatever spelling was typed.
    runFolders_ = FolderSpellings();
    for (const Text& folder : {TypedFolder(Edit1.Text()), TypedFolder(Trim(Edit3.Text())), BaseDir})
        runFolders_.Add(folder, LongPathOf(folder));
    RunRows();
    ListBox1.CompactRows();
    ShowRefusals();
    ProgressBar1.SetVisible(false);
    Tag = 0;
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

TfrMain::RowOutcome TfrMain::Refused(Text reason) {
    refusals_.push_back({SourcePath, std::move(reason)});
    return RowOutcome::NotTransferred;
}

// The rows a run left selected for a reason of its own, each with it: the
// first few in one box at the end of the run.
void TfrMain::ShowRefusals() {
    // A run that a close request has stopped asks and tells nothing more.
    if (refusals_.empty() || CloseRequested()) {
        refusals_.clear();
        return;
    }
    constexpr std::size_t kShown = 10;
    Text text = u"These files were left selected:";
    for (std::size_t i = 0; i < refusals_.size() && i < kShown; ++i)
        text += u"\r" + refusals_[i].first + u"\r    (" + refusals_[i].second + u")";
    if (refusals_.size() > kShown)
        text += u"\rand " + From1250(std::to_string(refusals_.size() - kShown)) + u" more";
    refusals_.clear();
    ShowWarning(text);
}

void TfrMain::RunRows() {
    HeldList list(ListBox1);
    // The run's name sets go with the run: they hold a key for every row.
    struct Release {
        TfrMain& f;
        ~Release() {
            std::unordered_set<Text>().swap(f.runDestinations_);
            std::unordered_set<Text>().swap(f.runSources_);
            std::unordered_set<Text>().swap(f.runFoldersSwept_);
        }
    } release{*this};
    refusals_.clear();
    // The run works on the rows selected now; a change of the selection
    // while it pumps (the list refuses them anyway) adds or drops none.
    std::vector<char> chosen(static_cast<std::size_t>(ListCount), 0);
    for (int i : ListBox1.SelectedIndices()) {
        if (i >= ListCount) continue;
        chosen[static_cast<std::size_t>(i)] = 1;
        if (!DeleteMode) runSources_.insert(runFolders_.Key(RowPath(WithoutLeadingBackslash(ListBox1.Item(i)))));
    }
    int shownPosition = 0;
    std::uint64_t optionsRead = ~0ull;
    TransferOptions o;
    // Input is handled between two rows, at least every 10 ms; before every
    // row when a row's own work may show a box (a failed deletion, a command
    // template), so that an Escape pressed before it is seen first.
    TimedPump pump;
    const bool boxPerRow = DeleteMode || CheckBox_Command.Checked();
    for (int i = 0; i < ListCount; ++i) {
        if (AllowAbort) {
            if (boxPerRow) pump.Now();
            else pump.WhenDue();
        }
        if (Tag == 555) break;
        list.Tick();
        if (ListCount > 1) {
            const int position = ProgressPosition(i, ListCount);
            if (position != shownPosition) ProgressBar1.SetPosition(position);
            shownPosition = position;
        }
        if (!chosen[static_cast<std::size_t>(i)]) continue;
        SourcePath = ListBox1.Item(i);
        if (DeleteMode) {
            if (!DeleteFileAt(RowPath(SourcePath))) {
                list.Show();
                ShowWarning(u"Cannot delete \r" + SourcePath);
                list.Hold();
            }
            continue;
        }
        // Read again whenever a control may have changed since the last row.
        if (ControlChangeCount() != optionsRead) {
            o = ReadTransferOptions();
            optionsRead = ControlChangeCount();
        }
        TargetPath = DestinationByMode(o, SourcePath, BaseDir);
        SourcePath = WithoutLeadingBackslash(SourcePath);
        TargetPath = WithoutLeadingBackslash(TargetPath);
        TargetPath = TransformedTarget(o, TargetPath, SourcePath);
        if (o.ExifDate) TargetPath = AddExifDate(TargetPath, RowPath(SourcePath));
        UpdateRow(i, TransferRow(o), o);
        list.ScrollTo(TopRowAfter(i));
    }
}

TfrMain::RowOutcome TfrMain::TransferRow(const TransferOptions& o) {
    const Text source = RowPath(SourcePath), target = RowPath(TargetPath);
    if (!FileExists(source)) return RowOutcome::Missing;
    if (SourcePath == TargetPath) return RowOutcome::InPlace;
    // A destination is written only below the folder it was built in and
    // under the name it shows: a ".." made of a delimiter, or a name that
    // Windows would shorten, leaves the row as a failed rename leaves it.
    if (!IsSafeBuiltPart(BuiltPart(TargetPath, o.OutputDir, o.InputDir)))
        return Refused(u"Windows cannot give a file this name: " + TargetPath);
    // One run never writes two files to one name, nor over a file that is a
    // source of the run: names are compared as the file system does. A
    // destination that is the source itself under another spelling is only
    // renamed (a change of letter case), never copied onto itself.
    Text destination = runFolders_.Key(target);
    const bool renaming = (o.CzRename || o.MoveFiles) && !o.RunCommands;
    const bool itself = destination == runFolders_.Key(source);
    // The same name in another spelling of its folder (the output folder
    // typed by its 8.3 path, say) is the file where it stands.
    if (itself && renaming && FileNameOf(target) == FileNameOf(source)) return RowOutcome::InPlace;
    if (itself ? !renaming : runSources_.count(destination) != 0)
        return Refused(u"the new name is that of a file this run takes: " + TargetPath);
    // The name is taken when a row tries it, in Try as in Copy, so that Try
    // shows every row that Copy refuses.
    if (!runDestinations_.insert(std::move(destination)).second)
        return Refused(u"another file of this run takes the new name: " + TargetPath);
    // A file that the new name reaches only as its 8.3 name is another file
    // than the one the run means: it is never written over.
    if (MayBeShortName(FileNameOf(target)) && AttributesOf(target) != ~0u) {
        const Text own = OwnNameOf(target);
        if (!own.empty() && NameKey(own) != NameKey(FileNameOf(target)))
            return Refused(u"the new name is the short name of another file: " + FolderOf(TargetPath) + own);
    }
    // A name the batch cannot hand to cmd is refused before any folder is made.
    if (o.RunCommands) {
        const Text why = CommandsRefusal(SourcePath, TargetPath);
        if (!why.empty()) return Refused(why);
    }
    Text line;
    if (DryRun) {
        if (o.Mp3Tag) FillMp3Tag(target, SourcePath, true, line);
        return RowOutcome::Transferred;
    }
    if (o.Mode == TransferMode::UsualCopy) CreateTargetFolders();
    if (o.RunCommands) {
        // The batch uses the sources later, so a Move deletes none of them here.
        const Text why = ExpandCommands(CommandsToProcessPath, SourcePath, TargetPath);
        if (!why.empty()) return Refused(why);
    } else {
        // A failed move leaves the source as the only copy: nothing is
        // deleted and the row stays selected. A move that worked leaves
        // nothing to delete either; a source name that still resolves then
        // names the moved file itself (a change of letter case only). A copy
        // that Escape stopped part-way has left nothing of itself.
        const Text folder = FolderOf(target);
        if (runFoldersSwept_.insert(NameKey(folder)).second) RemoveCutOffCopies(folder);
        try {
            if (o.CzRename || o.MoveFiles) {
                if (!MoveFileContents(source, target)) return RowOutcome::NotTransferred;
            } else {
                CopyFileContents(source, target);
            }
        } catch (const CopyStopped&) {
            return RowOutcome::NotTransferred;
        } catch (const NameNotGiven&) {
            return Refused(u"the file system cannot give the file this name: " + TargetPath);
        }
    }
    // A copy without the tag the user asked for stays selected.
    if (o.Mp3Tag && !FillMp3Tag(target, SourcePath, false, line)) return RowOutcome::TransferredUntagged;
    return RowOutcome::Transferred;
}

void TfrMain::UpdateRow(int i, RowOutcome outcome, const TransferOptions& o) {
    switch (outcome) {
    case RowOutcome::Transferred:
    case RowOutcome::TransferredUntagged:
        if (RelativePaths) {
            SourcePath = StripBaseDir(SourcePath, BaseDir);
            TargetPath = StripBaseDir(TargetPath, BaseDir);
        }
        ListBox1.SetItem(i, SourcePath + u" -> " + TargetPath);
        ListBox1.SetSelected(i, outcome == RowOutcome::TransferredUntagged);
        break;
    case RowOutcome::InPlace:
        if (RelativePaths) SourcePath = StripBaseDir(SourcePath, BaseDir);
        if (ListBox1.Item(i) != SourcePath) ListBox1.SetItem(i, SourcePath);
        ListBox1.SetSelected(i, true);
        if (o.Mp3Tag) {
            Text line;
            FillMp3Tag(RowPath(TargetPath), SourcePath, DryRun, line);
            ListBox1.SetItem(i, ListBox1.Item(i) + u" (" + line + u")");
        }
        break;
    case RowOutcome::Missing:
    case RowOutcome::NotTransferred:
        if (RelativePaths) {
            SourcePath = StripBaseDir(SourcePath, BaseDir);
            if (ListBox1.Item(i) != SourcePath) ListBox1.SetItem(i, SourcePath);
        }
        ListBox1.SetSelected(i, true);
        break;
    }
}

// Each level is made inside the one before, from the top; the file name is
// never made. Levels are made by their full paths, so no current directory
// is involved (nor its length limit).
void TfrMain::CreateTargetFolders() {
    const std::vector<Text> levels = FolderLevels(RowPath(TargetPath));
    if (levels.empty() || DirectoryExists(levels.back())) return;
    for (const Text& d : levels)
        if (!DirectoryExists(d) && !CreateDir(d)) throw Exception(u"Cannot create " + d);
}
