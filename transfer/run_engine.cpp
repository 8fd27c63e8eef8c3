#include "transfer/run_engine.h"

#include <algorithm>
#include <unordered_set>

#include "platform/errors.h"
#include "transfer/name_key_set.h"
#include "transfer/name_transforms.h"
#include "transfer/path_names.h"

namespace {

// A row as planned: what was decided before it acts, and what it is to do
// once its intent is on the disk.
struct Planned {
    enum class Act { None, Delete, Transfer, Tag };
    Act act = Act::None;
    RowReport report;
    TransferOptions o;
    Text source, target;          // full paths
    Text sourceText, targetText;  // as the row reads them
    std::vector<Text> missing;    // folders to make, from the top
    bool newFolder = false;       // the destination's folder is made by a row of its group
    int seq = -1;                 // the row's intent in the journal
    Text kept;
    FileStamp stamp;              // the source's (Tag: the file's) when planned
};

class Run {
public:
    Run(const RunRequest& request, RunHost& host) : r_(request), host_(host) {}
    RunResult Go();

private:
    // A row's file: a relative row is a file of the base directory.
    Text RowPath(const Text& row) const { return ResolvedAgainst(r_.baseDir, row); }
    Text Shown(const Text& path) const { return r_.relativeRows ? StripBaseDir(path, r_.baseDir) : path; }
    RowOutcome Refuse(const Text& source, Text reason) {
        result_.refusals.push_back({source, std::move(reason)});
        return RowOutcome::Refused;
    }
    std::vector<Text> FoldersToMake(const Text& target, bool& newFolder);
    void MakeFolders(const std::vector<Text>& missing);
    int Rows(int first);
    Planned Plan(int i, const Text& text);
    RowOutcome PlanTransfer(Planned& p);
    int ActOn(std::vector<Planned>& group);
    RowOutcome Transfer(Planned& p);
    bool Delete(const Planned& p);
    void Tag(Planned& p);

    const RunRequest& r_;
    RunHost& host_;
    RunResult result_;
    // Built and given back without a wait, for 100,000 rows and more.
    NameKeySet destinations_;  // NameKey of each destination this run has tried
    NameKeySet sources_;       // NameKey of each row chosen at the start
    std::unordered_set<Text> swept_;         // NameKey of each folder whose cut-off copies were removed
    JournalWriter* journal_ = nullptr;       // Try and runs without one record nothing
    std::vector<Planned> group_;             // rows planned that have not acted yet
    std::unordered_set<Text> groupFolders_;  // NameKey of each folder that a row of the group makes
};

// Rows are planned, then acted on, in groups: the intents of a group's rows
// go to the disk in one flush before the first of them acts. The host ends a
// group where it would handle input, so that input is still handled between
// two rows that have both acted, and an option changed then applies to the
// rows planned after it.
RunResult Run::Go() {
    const bool deleting = r_.kind == RunKind::Delete;
    if (!deleting) {
        // Every source is known before the first row; the host handles
        // waiting input between two stretches of them.
        constexpr std::size_t kStretch = 2048;
        for (std::size_t n = 0; n < r_.chosen.size(); ++n) {
            if (n != 0 && n % kStretch == 0 && host_.StopBefore(0)) {
                result_.stopped = true;
                return std::move(result_);
            }
            sources_.Insert(r_.folders.Key(RowPath(WithoutLeadingBackslash(r_.chosen[n].second))));
        }
    }
    if (r_.kind != RunKind::Try) journal_ = host_.Journal();
    if (r_.kind == RunKind::Go || (!deleting && host_.Options().RunCommands)) host_.BatchHead();
    for (int from = 0; from >= 0;) from = Rows(from);
    if (journal_) journal_->End();
    return std::move(result_);
}

// The rows from first on; the row to start again from when input may have
// come in part-way through a group, else -1.
int Run::Rows(int first) {
    std::uint64_t bytes = 0;
    auto next = std::lower_bound(r_.chosen.begin(), r_.chosen.end(), first,
                                 [](const std::pair<int, Text>& c, int row) { return c.first < row; });
    for (int i = first; i < r_.rowCount; ++i) {
        if (host_.StopBefore(i)) {
            result_.stopped = true;
            break;
        }
        while (next != r_.chosen.end() && next->first < i) ++next;
        if (next == r_.chosen.end() || next->first != i) continue;
        Planned p = Plan(i, next->second);
        if (group_.empty()) bytes = 0;
        if (p.act != Planned::Act::None) bytes += p.stamp.size;
        group_.push_back(std::move(p));
        if (!host_.PlanAhead(static_cast<int>(group_.size()), bytes)) {
            const int again = ActOn(group_);
            if (again >= 0) return again;
        }
    }
    return ActOn(group_);
}

// A Delete row whose report may have let input in (a box) leaves the rows
// planned after it to be planned again, after that input: their intents
// stay in the journal, never done, and undo finds nothing of them to do.
int Run::ActOn(std::vector<Planned>& group) {
    if (journal_) journal_->Flush();
    for (std::size_t k = 0; k < group.size(); ++k) {
        Planned& p = group[k];
        RowReport& report = p.report;
        switch (p.act) {
        case Planned::Act::None: break;
        case Planned::Act::Delete: report.outcome = Delete(p) ? RowOutcome::Done : RowOutcome::NotDone; break;
        case Planned::Act::Tag: Tag(p); break;
        case Planned::Act::Transfer:
            report.outcome = Transfer(p);
            if (report.outcome == RowOutcome::Refused) report.reason = result_.refusals.back().second;
            report.target = report.outcome == RowOutcome::Done || report.outcome == RowOutcome::DoneUntagged
                                ? Shown(p.targetText)
                                : p.targetText;
            break;
        }
        result_.lastSource = report.source;
        if (r_.kind != RunKind::Delete) result_.lastTarget = report.target;
        host_.Report(report);
        if (k + 1 < group.size() && r_.kind == RunKind::Delete && host_.InputAfter(report)) {
            const int again = group[k + 1].report.row;
            group.clear();
            groupFolders_.clear();
            return again;
        }
    }
    group.clear();
    groupFolders_.clear();
    return -1;
}

Planned Run::Plan(int i, const Text& text) {
    Planned p;
    RowReport& report = p.report;
    report.row = i;
    if (r_.kind == RunKind::Delete) {
        // A relative row is deleted as the text stands, below the base directory.
        p.source = RowPath(text);
        report.source = text;
        p.act = Planned::Act::Delete;
        if (!journal_) return p;
        // No stamp: the file is only renamed, and a row whose file is not
        // there fails at its rename as a deletion would.
        const JournalIntent& intent = journal_->Intent(JournalOp::Delete, p.source, Text(), p.stamp);
        p.seq = intent.seq;
        p.kept = intent.kept;
        return p;
    }
    // CZ and Go are kinds of run; a host may also hand their option in.
    p.o = host_.Options();
    if (r_.kind == RunKind::Cz) p.o.CzRename = true;
    if (r_.kind == RunKind::Go) p.o.RunCommands = true;
    const TransferOptions& o = p.o;
    Text target = DestinationByMode(o, text, r_.baseDir);
    p.sourceText = WithoutLeadingBackslash(text);
    target = TransformedTarget(o, WithoutLeadingBackslash(target), p.sourceText);
    if (o.ExifDate) target = host_.ExifDate(target, RowPath(p.sourceText));
    p.targetText = target;
    report.outcome = PlanTransfer(p);
    if (report.outcome == RowOutcome::Refused) report.reason = result_.refusals.back().second;
    report.source = Shown(p.sourceText);
    switch (report.outcome) {
    case RowOutcome::Done:
    case RowOutcome::DoneUntagged: report.target = Shown(target); break;
    case RowOutcome::InPlace:
        report.target = target;
        // The file is read, or filled and written, where it is.
        if (o.Mp3Tag) {
            report.tagged = true;
            p.target = RowPath(target);
            if (r_.kind == RunKind::Try) {
                host_.Tag(p.target, report.source, true, report.tagLine);
            } else {
                p.act = Planned::Act::Tag;
                // Its old bytes are copied aside first, to be put back by an undo.
                if (journal_) {
                    host_.StampOf(p.target, p.stamp);
                    const JournalIntent& intent = journal_->Intent(JournalOp::Tag, Text(), p.target, p.stamp);
                    p.seq = intent.seq;
                    p.kept = intent.kept;
                }
            }
        }
        break;
    default: report.target = target; break;
    }
    return p;
}

// Everything a row decides before it acts; Done when it is to act (Try: would).
RowOutcome Run::PlanTransfer(Planned& p) {
    const TransferOptions& o = p.o;
    const Text& sourceText = p.sourceText;
    const Text& targetText = p.targetText;
    const Text source = RowPath(sourceText), target = RowPath(targetText);
    // A recorded row's stamp, which its intent carries, is its existence check too.
    const bool recorded = journal_ && !o.RunCommands && r_.kind != RunKind::Try;
    if (recorded ? !host_.StampOf(source, p.stamp) : !host_.FileExists(source)) return RowOutcome::Missing;
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
    if (itself ? !renaming : sources_.Contains(destination))
        return Refuse(sourceText, u"the new name is that of a file this run takes: " + targetText);
    // The name is taken when a row tries it, in Try as in Copy, so that Try
    // shows every row that Copy refuses.
    if (!destinations_.Insert(destination))
        return Refuse(sourceText, u"another file of this run takes the new name: " + targetText);
    // A file that the new name reaches only as its 8.3 name is another file
    // than the one the run means: it is never written over.
    if (MayBeShortName(FileNameOf(target))) {
        // A row planned before may make the file whose 8.3 name this is: it acts first.
        ActOn(group_);
        const Text own = host_.OwnName(target);
        if (!own.empty() && NameKey(own) != NameKey(FileNameOf(target)))
            return Refuse(sourceText, u"the new name is the short name of another file: " + FolderOf(targetText) + own);
    }
    // A name the batch cannot hand to cmd is refused before any folder is made.
    if (o.RunCommands) {
        Text why = host_.BatchRefusal(sourceText, targetText);
        if (!why.empty()) return Refuse(sourceText, std::move(why));
    }
    if (r_.kind == RunKind::Try) {
        Text line;
        if (o.Mp3Tag) host_.Tag(target, sourceText, true, line);
        return RowOutcome::Done;
    }
    p.source = source;
    p.target = target;
    p.act = Planned::Act::Transfer;
    if (o.Mode == TransferMode::UsualCopy) p.missing = FoldersToMake(target, p.newFolder);
    // The row's intent, for undo; the batch's work is its own.
    if (recorded) {
        for (const Text& d : p.missing) journal_->Intent(JournalOp::Folder, Text(), d, FileStamp());
        FileStamp old;
        // Nothing is in a folder that is still to be made.
        const JournalOp op = renaming                                         ? JournalOp::Move
                             : !p.newFolder && host_.StampOf(target, old) ? JournalOp::Replace
                                                                          : JournalOp::Copy;
        const JournalIntent& intent = journal_->Intent(op, source, target, p.stamp);
        p.seq = intent.seq;
        p.kept = intent.kept;
    }
    return RowOutcome::Done;
}

RowOutcome Run::Transfer(Planned& p) {
    const TransferOptions& o = p.o;
    const Text &source = p.source, &target = p.target;
    MakeFolders(p.missing);
    if (o.RunCommands) {
        // The batch uses the sources later, so a Move deletes none of them here.
        Text why = host_.Batch(p.sourceText, p.targetText);
        if (!why.empty()) return Refuse(p.sourceText, std::move(why));
    } else {
        // Cut-off copies of an earlier run go before the first file is
        // written into their folder.
        const Text folder = FolderOf(target);
        if (swept_.insert(NameKey(folder)).second) host_.RemoveCutOffCopies(folder);
        // A file that a copy replaces gets a second name first: replaced
        // in one step as before, it stays under that name.
        const bool keeping = !p.kept.empty() && host_.KeepAlso(target, p.kept, true);
        // A failed move leaves the source as the only copy: nothing is
        // deleted and the row stays selected. A copy stopped part-way has
        // left nothing of itself.
        Placed placed;
        try {
            placed = o.CzRename || o.MoveFiles ? host_.Move(source, target) : host_.Copy(source, target);
        } catch (...) {
            if (keeping) host_.Unkeep(p.kept);
            throw;
        }
        if (keeping && placed != Placed::Done) host_.Unkeep(p.kept);
        if (placed == Placed::NotDone) return RowOutcome::NotDone;
        if (placed == Placed::NameRefused)
            return Refuse(p.sourceText, u"the file system cannot give the file this name: " + p.targetText);
    }
    // A copy without the tag the user asked for stays selected.
    Text line;
    const RowOutcome outcome =
        o.Mp3Tag && !host_.Tag(target, p.sourceText, false, line) ? RowOutcome::DoneUntagged : RowOutcome::Done;
    if (p.seq >= 0) {
        // A move keeps the file's size and write time; a copy, or a tag
        // written, leaves a stamp of its own.
        FileStamp after = p.stamp;
        if (!(o.CzRename || o.MoveFiles) || o.Mp3Tag) host_.StampOf(target, after);
        journal_->Done(p.seq, after);
    }
    return outcome;
}

// Deleted with a journal, the file is kept: set aside under a name of its own.
bool Run::Delete(const Planned& p) {
    if (p.seq < 0) return host_.Delete(p.source);
    if (!host_.SetAside(p.source, p.kept)) return false;
    journal_->Done(p.seq, p.stamp);
    return true;
}

void Run::Tag(Planned& p) {
    // The rewrite may write the file in place: its old bytes are copied.
    const bool kept = p.seq >= 0 && host_.KeepAlso(p.target, p.kept, false);
    host_.Tag(p.target, p.report.source, false, p.report.tagLine);
    FileStamp after;
    if (kept && host_.StampOf(p.target, after)) journal_->Done(p.seq, after);
}

// Each level is made inside the one before, from the top; the file name is
// never made. Levels are made by their full paths, so no current directory
// is involved (nor its length limit). A level that a row planned before in
// the group makes is not looked for (under Wine a name not found costs a
// scan of its folder) and is made by that row, which records it.
std::vector<Text> Run::FoldersToMake(const Text& target, bool& newFolder) {
    const std::vector<Text> levels = FolderLevels(target);
    std::vector<Text> missing;
    if (levels.empty()) return missing;
    auto planned = [this](const Text& d) { return groupFolders_.count(NameKey(d)) != 0; };
    newFolder = planned(levels.back());
    if (newFolder || host_.DirectoryExists(levels.back())) return missing;
    newFolder = true;
    for (const Text& d : levels) {
        if (planned(d) || host_.DirectoryExists(d)) continue;
        missing.push_back(d);
        groupFolders_.insert(NameKey(d));
    }
    return missing;
}

// A level that a row planned before has made meanwhile is there already.
void Run::MakeFolders(const std::vector<Text>& missing) {
    for (const Text& d : missing)
        if (!host_.DirectoryExists(d) && !host_.CreateDir(d)) throw Exception(u"Cannot create " + d);
}

}  // namespace

RunResult RunTransfer(const RunRequest& request, RunHost& host) { return Run(request, host).Go(); }
