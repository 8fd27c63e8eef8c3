#include "transfer/run_engine.h"

#include <unordered_set>

#include "platform/errors.h"
#include "transfer/name_transforms.h"
#include "transfer/path_names.h"

namespace {

class Run {
public:
    Run(const RunRequest& request, RunHost& host) : r_(request), host_(host) {}
    RunResult Go();

private:
    // A row's file: a relative row is a file of the base directory.
    Text RowPath(const Text& row) const { return ResolvedAgainst(r_.baseDir, row); }
    Text Shown(const Text& path) const { return r_.relativeRows ? StripBaseDir(path, r_.baseDir) : path; }
    RowOutcome Transfer(const TransferOptions& o, const Text& source, const Text& target);
    RowOutcome Refuse(const Text& source, Text reason) {
        result_.refusals.push_back({source, std::move(reason)});
        return RowOutcome::Refused;
    }
    std::vector<Text> FoldersToMake(const Text& target);
    void MakeFolders(const std::vector<Text>& missing);
    void Row(int i, const Text& text);
    bool DeleteRow(const Text& path);
    void TagInPlace(const Text& file, const Text& namePath, Text& line);

    const RunRequest& r_;
    RunHost& host_;
    RunResult result_;
    std::unordered_set<Text> destinations_;  // NameKey of each destination this run has tried
    std::unordered_set<Text> sources_;       // NameKey of each row chosen at the start
    std::unordered_set<Text> swept_;         // NameKey of each folder whose cut-off copies were removed
    JournalWriter* journal_ = nullptr;       // Try and runs without one record nothing
};

RunResult Run::Go() {
    const bool deleting = r_.kind == RunKind::Delete;
    if (r_.kind != RunKind::Try) journal_ = host_.Journal();
    if (!deleting)
        for (const auto& [i, text] : r_.chosen) sources_.insert(r_.folders.Key(RowPath(WithoutLeadingBackslash(text))));
    if (r_.kind == RunKind::Go || (!deleting && host_.Options().RunCommands)) host_.BatchHead();
    auto next = r_.chosen.begin();
    for (int i = 0; i < r_.rowCount; ++i) {
        if (host_.StopBefore(i)) {
            result_.stopped = true;
            break;
        }
        while (next != r_.chosen.end() && next->first < i) ++next;
        if (next == r_.chosen.end() || next->first != i) continue;
        Row(i, next->second);
    }
    if (journal_) journal_->End();
    return std::move(result_);
}

void Run::Row(int i, const Text& text) {
    RowReport report;
    report.row = i;
    if (r_.kind == RunKind::Delete) {
        // A relative row is deleted as the text stands, below the base directory.
        report.outcome = DeleteRow(RowPath(text)) ? RowOutcome::Done : RowOutcome::NotDone;
        report.source = result_.lastSource = text;
        host_.Report(report);
        return;
    }
    // CZ and Go are kinds of run; a host may also hand their option in.
    const TransferOptions* o = &host_.Options();
    TransferOptions forced;
    if ((r_.kind == RunKind::Cz && !o->CzRename) || (r_.kind == RunKind::Go && !o->RunCommands)) {
        forced = *o;
        forced.CzRename = forced.CzRename || r_.kind == RunKind::Cz;
        forced.RunCommands = forced.RunCommands || r_.kind == RunKind::Go;
        o = &forced;
    }
    Text target = DestinationByMode(*o, text, r_.baseDir);
    const Text source = WithoutLeadingBackslash(text);
    target = TransformedTarget(*o, WithoutLeadingBackslash(target), source);
    if (o->ExifDate) target = host_.ExifDate(target, RowPath(source));
    report.outcome = Transfer(*o, source, target);
    if (report.outcome == RowOutcome::Refused) report.reason = result_.refusals.back().second;
    report.source = Shown(source);
    switch (report.outcome) {
    case RowOutcome::Done:
    case RowOutcome::DoneUntagged: report.target = Shown(target); break;
    case RowOutcome::InPlace:
        report.target = target;
        // The file is read, or filled and written, where it is.
        if (o->Mp3Tag) {
            report.tagged = true;
            if (r_.kind == RunKind::Try) host_.Tag(RowPath(target), report.source, true, report.tagLine);
            else TagInPlace(RowPath(target), report.source, report.tagLine);
        }
        break;
    default: report.target = target; break;
    }
    result_.lastSource = report.source;
    result_.lastTarget = report.target;
    host_.Report(report);
}

RowOutcome Run::Transfer(const TransferOptions& o, const Text& sourceText, const Text& targetText) {
    const Text source = RowPath(sourceText), target = RowPath(targetText);
    if (!host_.FileExists(source)) return RowOutcome::Missing;
    if (sourceText == targetText) return RowOutcome::InPlace;
    // A destination is written only below the folder it was built in and
    // under the name it shows: a ".." made of a delimiter, or a name that
    // Windows would shorten, leaves the row as a failed rename leaves it.
    if (!IsSafeBuiltPart(BuiltPart(targetText, o.OutputDir, o.InputDir)))
        return Refuse(sourceText, u"Windows cannot give a file this name: " + targetText);
    // One run never writes two files to one name, nor over a file that is a
    // source of the run: names are compared as the file system does. A
    // destination that is the source itself under another spelling is only
    // renamed (a change of letter case), never copied onto itself.
    Text destination = r_.folders.Key(target);
    const bool renaming = (o.CzRename || o.MoveFiles) && !o.RunCommands;
    const bool itself = destination == r_.folders.Key(source);
    // The same name in another spelling of its folder (the output folder
    // typed by its 8.3 path, say) is the file where it stands.
    if (itself && renaming && FileNameOf(target) == FileNameOf(source)) return RowOutcome::InPlace;
    if (itself ? !renaming : sources_.count(destination) != 0)
        return Refuse(sourceText, u"the new name is that of a file this run takes: " + targetText);
    // The name is taken when a row tries it, in Try as in Copy, so that Try
    // shows every row that Copy refuses.
    if (!destinations_.insert(std::move(destination)).second)
        return Refuse(sourceText, u"another file of this run takes the new name: " + targetText);
    // A file that the new name reaches only as its 8.3 name is another file
    // than the one the run means: it is never written over.
    if (MayBeShortName(FileNameOf(target))) {
        const Text own = host_.OwnName(target);
        if (!own.empty() && NameKey(own) != NameKey(FileNameOf(target)))
            return Refuse(sourceText, u"the new name is the short name of another file: " + FolderOf(targetText) + own);
    }
    // A name the batch cannot hand to cmd is refused before any folder is made.
    if (o.RunCommands) {
        Text why = host_.BatchRefusal(sourceText, targetText);
        if (!why.empty()) return Refuse(sourceText, std::move(why));
    }
    Text line;
    if (r_.kind == RunKind::Try) {
        if (o.Mp3Tag) host_.Tag(target, sourceText, true, line);
        return RowOutcome::Done;
    }
    const std::vector<Text> missing = o.Mode == TransferMode::UsualCopy ? FoldersToMake(target) : std::vector<Text>();
    // The row's intent is on the disk before the row acts; the batch's work is its own.
    int seq = -1;
    Text kept;
    if (journal_ && !o.RunCommands) {
        for (const Text& d : missing) journal_->Intent(JournalOp::Folder, Text(), d, FileStamp());
        FileStamp stamp, old;
        host_.StampOf(source, stamp);
        const JournalOp op = renaming ? JournalOp::Move : host_.StampOf(target, old) ? JournalOp::Replace : JournalOp::Copy;
        const JournalIntent& intent = journal_->Intent(op, source, target, stamp);
        seq = intent.seq;
        kept = intent.kept;
        journal_->Flush();
    }
    MakeFolders(missing);
    if (o.RunCommands) {
        // The batch uses the sources later, so a Move deletes none of them here.
        Text why = host_.Batch(sourceText, targetText);
        if (!why.empty()) return Refuse(sourceText, std::move(why));
    } else {
        // Cut-off copies of an earlier run go before the first file is
        // written into their folder.
        const Text folder = FolderOf(target);
        if (swept_.insert(NameKey(folder)).second) host_.RemoveCutOffCopies(folder);
        // A failed move leaves the source as the only copy: nothing is
        // deleted and the row stays selected. A copy stopped part-way has
        // left nothing of itself.
        // A file that a copy replaces is set aside first, and takes its
        // name back when the copy does not take it.
        const bool setAside = !kept.empty() && host_.SetAside(target, kept);
        Placed placed;
        try {
            placed = o.CzRename || o.MoveFiles ? host_.Move(source, target) : host_.Copy(source, target);
        } catch (...) {
            if (setAside) host_.PutBack(kept, target);
            throw;
        }
        if (placed != Placed::Done && setAside) host_.PutBack(kept, target);
        if (placed == Placed::NotDone) return RowOutcome::NotDone;
        if (placed == Placed::NameRefused)
            return Refuse(sourceText, u"the file system cannot give the file this name: " + targetText);
    }
    // A copy without the tag the user asked for stays selected.
    const RowOutcome outcome =
        o.Mp3Tag && !host_.Tag(target, sourceText, false, line) ? RowOutcome::DoneUntagged : RowOutcome::Done;
    if (seq >= 0) {
        FileStamp after;
        host_.StampOf(target, after);
        journal_->Done(seq, after);
    }
    return outcome;
}

// Deleted with a journal, the file is kept: set aside under a name of its own.
bool Run::DeleteRow(const Text& path) {
    if (!journal_) return host_.Delete(path);
    FileStamp stamp;
    if (!host_.StampOf(path, stamp)) return false;
    const JournalIntent intent = journal_->Intent(JournalOp::Delete, path, Text(), stamp);
    journal_->Flush();
    if (!host_.SetAside(path, intent.kept)) return false;
    journal_->Done(intent.seq, stamp);
    return true;
}

// A tag written in place: with a journal, the file's old bytes are copied
// aside first.
void Run::TagInPlace(const Text& file, const Text& namePath, Text& line) {
    if (!journal_) {
        host_.Tag(file, namePath, false, line);
        return;
    }
    FileStamp stamp;
    host_.StampOf(file, stamp);
    const JournalIntent intent = journal_->Intent(JournalOp::Tag, Text(), file, stamp);
    journal_->Flush();
    const bool kept = host_.KeepCopy(file, intent.kept);
    host_.Tag(file, namePath, false, line);
    FileStamp after;
    if (kept && host_.StampOf(file, after)) journal_->Done(intent.seq, after);
}

// Each level is made inside the one before, from the top; the file name is
// never made. Levels are made by their full paths, so no current directory
// is involved (nor its length limit).
std::vector<Text> Run::FoldersToMake(const Text& target) {
    const std::vector<Text> levels = FolderLevels(target);
    std::vector<Text> missing;
    if (levels.empty() || host_.DirectoryExists(levels.back())) return missing;
    for (const Text& d : levels)
        if (!host_.DirectoryExists(d)) missing.push_back(d);
    return missing;
}

void Run::MakeFolders(const std::vector<Text>& missing) {
    for (const Text& d : missing)
        if (!host_.CreateDir(d)) throw Exception(u"Cannot create " + d);
}

}  // namespace

RunResult RunTransfer(const RunRequest& request, RunHost& host) { return Run(request, host).Go(); }
