#include <chrono>
#include <vector>

#include "app/counts_line.h"
#include "app/search_rules.h"
#include "app/uMain.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "transfer/name_transforms.h"
#include "transfer/path_names.h"
#include "transfer/run_journal.h"
#include "transfer/text_ops.h"

namespace {

// Input waiting longer than this is answered before a folder is read.
constexpr std::chrono::milliseconds kBeforeFolderRead{2};
// An entry takes some microseconds: sixteen are still well within a pump's 10 ms.
constexpr std::size_t kEntriesPerClockRead = 16;

// Hidden and system directories are never descended into.
bool IsSearchedSubdir(const DirEntry& e) {
    return e.IsDirectory() && !(e.attributes & (kAttrHidden | kAttrSystem)) && e.name != u"." &&
           e.name != u"..";
}

}  // namespace

// List Files: fills the list with every matching file below the input directory.
// The listing pumps messages like a run, behind the same guard, and Escape
// stops it with the same question: the rows found so far stay and are
// marked and counted as after a complete listing.
void TfrMain::Button1Click() {
    // No listing inside a run's or another operation's pump. The Tag is given
    // back as it was: a Delete answered No leaves it stoppable.
    Operation listing(*this, AllowAbort);
    if (!listing.Taken()) return;
    ListBox1.Clear();
    SetBusyCursor(true);
    listingPump_ = TimedPump();
    try {
        CurrentPath = Edit1.Text();
        if (!Occurs(u":\\", CurrentPath)) CurrentPath = BaseDir + Edit1.Text();
        ListBox1.BeginUpdate();
        SearchFiles(CurrentPath, Edit2.Text(), CheckBox1.Checked());
        ListBox1.EndUpdate();
        ListBox1.CompactRows();
        // A stopped listing still counts the rows it found, and Escape may
        // stop that count in turn; a close request stops it as well.
        if (StopAsked() && !CloseRequested()) Tag = StopSignal::Stoppable;
        BitBtn4Click();
    } catch (const Exception& e) {
        // Rows found before the failure stay; Mark All does not run.
        ListBox1.EndUpdate();
        SetBusyCursor(false);
        ShowWarning(FailureText(e));
        return;
    }
    SetBusyCursor(false);
}

// Depth first, pre-order: a directory's files, then each subdirectory's listing.
void TfrMain::SearchFiles(const Text& directory, const Text& mask, bool recurse) {
    const Text dir = WithTrailingBackslash(directory);
    const SearchPattern sp = PatternForMask(mask);
    const Text namePrefix = PatternDirPart(sp.pattern);
    Text substring = sp.substring;
    // A descent reads each folder once: every entry, the subdirectories kept
    // for it and the files checked against the pattern here, instead of a
    // second whole read of a large folder for its subdirectories.
    const bool oneEnumeration = recurse && namePrefix.empty();
    const bool everyName = MatchesEveryName(sp.pattern);
    const LongNamePattern named(sp.pattern);
    std::vector<Text> subdirs;
    {
        // The system reads the whole folder in the first call; what waits is answered first.
        if (AllowAbort) listingPump_.WhenDue(kBeforeFolderRead);
        DirEnumerator files(dir + (oneEnumeration ? Text(u"*.*") : sp.pattern));
        DirEntry entry;
        // One text for every row of the folder: a row costs a copy, not an allocation.
        Text row = dir + namePrefix;
        const std::size_t folderPart = row.size();
        // A name holds no backslash: whether a row lies below the base
        // directory is told by its folder.
        const Text base = BaseDir + u"\\";
        const std::size_t shownFrom =
            !FullPaths && base.size() <= folderPart && row.compare(0, base.size(), base) == 0 ? base.size() : 0;
        std::size_t entries = 0;
        while (files.Next(entry)) {
            // Between two entries: input is handled and a stop is seen. The
            // clock (a call into the system under Wine) is read once in a
            // few entries, from the first on.
            if (AllowAbort && entries++ % kEntriesPerClockRead == 0) listingPump_.WhenDue();
            if (StopAsked()) return;
            if (entry.IsDirectory()) {
                if (oneEnumeration && IsSearchedSubdir(entry)) subdirs.push_back(std::move(entry.name));
                continue;
            }
            // A file counts by its own name (the system's search matches 8.3 names too);
            // a copy not yet whole is no user's file.
            if ((!everyName && !named.Matches(entry.name)) || IsCopyTempName(entry.name) ||
                IsKeptName(entry.name))
                continue;
            row.resize(folderPart);
            row += entry.name;
            CurrentPath.assign(row, shownFrom);
            bool matches;
            if (CaseInsensitive) {
                substring = UpperAscii(substring);
                matches = RowMatches(UpperAscii(CurrentPath), substring);
            } else {
                matches = RowMatches(CurrentPath, substring);
            }
            if (matches) ListBox1.Add(CurrentPath);
        }
    }
    // Subdirectories get the substring itself, so the rule holds at every depth.
    const Text subMask = Trim(substring).empty() ? mask : substring;
    if (!recurse) return;
    if (!oneEnumeration) {
        if (AllowAbort) listingPump_.WhenDue(kBeforeFolderRead);
        DirEnumerator dirs(dir + u"*.*");
        DirEntry entry;
        while (dirs.Next(entry)) {
            if (AllowAbort) listingPump_.WhenDue();
            if (StopAsked()) return;
            if (IsSearchedSubdir(entry)) subdirs.push_back(std::move(entry.name));
        }
    }
    for (const Text& name : subdirs) {
        if (StopAsked()) return;
        SearchFiles(dir + name, subMask, true);
    }
}

// The edit rule: a directory edit shows its path in full or relative form.
void TfrMain::ApplyEditRule(TControl& edit, bool bareDriveAllowed) {
    // The rule's own change would find nothing more to do; skipping it also
    // keeps a base directory without ":\" from being prefixed for ever.
    if (applyingEditRule_) return;
    const Text text = edit.Text();
    if (FullPaths) CurrentPath = text;
    const Text shown = DirectoryEditText(text, BaseDir, FullPaths, bareDriveAllowed);
    if (shown == text) return;
    applyingEditRule_ = true;
    edit.SetText(shown);
    applyingEditRule_ = false;
    if (FullPaths) CurrentPath = shown;
}

void TfrMain::Edit1Change() { ApplyEditRule(Edit1, false); }
void TfrMain::Edit3Change() { ApplyEditRule(Edit3, true); }

void TfrMain::Edit2KeyDown(WORD& key) {
    if (key == VK_RETURN) Button1Click();
}

void TfrMain::CheckBox4_relClick() { PathModeChanged(); }

void TfrMain::PathModeChanged() {
    RelativePaths = CheckBox4_rel.Checked();
    FullPaths = !RelativePaths;
    Edit1Change();
    Edit3Change();
    if (ListBox1.SelCount() > 0) Button1Click();
}

void TfrMain::CheckBox5_caseClick() { CaseInsensitive = CheckBox5_case.Checked(); }

// The counts line. Sizes come from the directory entry, so a file that
// another program holds open is counted too, and nothing is opened. It pumps
// like a run (after a listing every row is selected, and 100,000 lookups
// take a second), as an operation of its own or as part of the listing it
// is called from. A click on the list meanwhile is counted when this count
// has ended (the newer line is the one shown). Escape answered Yes stops
// it, and the line ends after the counts.
void TfrMain::ListBox1Click() {
    const std::uint64_t count = ++countsStarted_;
    Operation counting(*this, AllowAbort);
    const int rows = ListBox1.Count();
    const int selected = ListBox1.SelCount();
    std::uint64_t total = 0;
    bool whole = true;
    TimedPump pump;
    for (int i : ListBox1.SelectedIndices()) {
        if (AllowAbort) pump.WhenDue();
        if (countsStarted_ != count) return;
        if (StopAsked()) {
            whole = false;
            break;
        }
        std::uint64_t size = 0;
        if (FileSizeOf(RowPath(ListBox1.Item(i)), size)) total += size;
    }
    lblNumberFound.SetText(CountsLine(rows, selected, total, whole));
}

// Mark All: every row takes the opposite of the last row's selection.
void TfrMain::BitBtn4Click() {
    ListCount = ListBox1.Count();
    if (ListCount > 0) ListBox1.SetAllSelected(!ListBox1.Selected(ListCount - 1));
    ListBox1Click();
}
