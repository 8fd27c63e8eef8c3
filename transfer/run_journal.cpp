#include "transfer/run_journal.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <unordered_map>

#include "transfer/path_names.h"
#include "transfer/run_engine.h"

namespace {

constexpr std::string_view kMagic = "KOLVAR-JOURNAL";
constexpr int kVersion = 1;

std::uint32_t Crc32(std::string_view bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

const char kHex[] = "0123456789abcdef";

std::string Hex(std::uint64_t v, int digits) {
    std::string s(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, v >>= 4) s[static_cast<std::size_t>(i)] = kHex[v & 15];
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::uint64_t> ParseHex(std::string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    std::uint64_t v = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        v = v << 4 | static_cast<std::uint64_t>(d);
    }
    return v;
}

// A text field: a quote, then each UTF-16 unit as it is when it is printable
// ASCII, else as %XXXX, so that any name Windows holds (a lone surrogate
// too) comes back as it was, and a field never holds a blank.
std::string Field(const Text& text) {
    std::string s = "'";
    for (char16_t c : text) {
        if (c > 32 && c < 127 && c != u'%') s += static_cast<char>(c);
        else s += "%" + Hex(c, 4);
    }
    return s;
}

std::optional<Text> ParseField(std::string_view s) {
    if (s.empty() || s[0] != '\'') return std::nullopt;
    Text text;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] != '%') {
            text += static_cast<char16_t>(static_cast<unsigned char>(s[i]));
            continue;
        }
        const auto v = ParseHex(s.substr(i + 1, 4), 4);
        if (!v || i + 4 >= s.size()) return std::nullopt;
        text += static_cast<char16_t>(*v);
        i += 4;
    }
    return text;
}

std::vector<std::string_view> Tokens(std::string_view s) {
    std::vector<std::string_view> tokens;
    for (std::size_t at = 0; at <= s.size();) {
        std::size_t end = s.find(' ', at);
        if (end == std::string_view::npos) end = s.size();
        tokens.push_back(s.substr(at, end - at));
        at = end + 1;
    }
    return tokens;
}

// The payload of a line whose checksum holds.
std::optional<std::string_view> Payload(std::string_view line) {
    if (line.size() < 10 || line[line.size() - 10] != ' ' || line[line.size() - 9] != '*') return std::nullopt;
    const auto crc = ParseHex(line.substr(line.size() - 8), 8);
    const std::string_view payload = line.substr(0, line.size() - 10);
    if (!crc || *crc != Crc32(payload)) return std::nullopt;
    return payload;
}

const char kOps[] = "mcrdtf";  // in the order of JournalOp

std::optional<FileStamp> ParseStamp(std::string_view size, std::string_view written) {
    const auto s = ParseHex(size, 16), w = ParseHex(written, 16);
    if (!s || !w) return std::nullopt;
    return FileStamp{*s, *w};
}

bool ParseIntent(const std::vector<std::string_view>& t, JournalIntent& intent) {
    if (t.size() != 8 || t[0] != "I" || t[2].size() != 1) return false;
    const auto seq = ParseHex(t[1], 8);
    const char* op = std::char_traits<char>::find(kOps, 6, t[2][0]);
    const auto stamp = ParseStamp(t[3], t[4]);
    auto source = ParseField(t[5]), target = ParseField(t[6]), kept = ParseField(t[7]);
    if (!seq || !op || !stamp || !source || !target || !kept) return false;
    intent.seq = static_cast<int>(*seq);
    intent.op = static_cast<JournalOp>(op - kOps);
    intent.stamp = *stamp;
    intent.source = std::move(*source);
    intent.target = std::move(*target);
    intent.kept = std::move(*kept);
    return true;
}

}  // namespace

Text KeptName(std::uint32_t runId, int seq) {
    const std::string name = "~Kolvar_files-" + Hex(runId, 8) + "-" + Hex(static_cast<std::uint32_t>(seq), 8) + ".kept";
    return Text(name.begin(), name.end());
}

Text KeptFolderName(std::uint32_t runId) {
    const std::string name = "~Kolvar_files-" + Hex(runId, 8) + ".kept";
    return Text(name.begin(), name.end());
}

bool IsKeptName(TextView name) {
    constexpr TextView head = u"~Kolvar_files-", tail = u".kept";
    const std::size_t digitCount = name.size() - std::min(name.size(), head.size() + tail.size());
    if ((digitCount != 17 && digitCount != 8) || name.substr(0, head.size()) != head ||
        name.substr(name.size() - tail.size()) != tail)
        return false;
    const TextView digits = name.substr(head.size(), digitCount);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const char16_t c = digits[i];
        if (i == 8 ? c != u'-' : !((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'))) return false;
    }
    return true;
}

Text KeptGroupOf(const Text& kept) {
    const std::size_t file = kept.find_last_of(u'\\');
    if (file == Text::npos) return Text();
    const std::size_t group = kept.find_last_of(u'\\', file - 1);
    if (group == Text::npos || group == 0) return Text();
    const std::size_t folder = kept.find_last_of(u'\\', group - 1);
    if (folder == Text::npos) return Text();
    const TextView name = TextView(kept).substr(folder + 1, group - folder - 1);
    constexpr std::size_t kFolderName = 27;  // "~Kolvar_files-XXXXXXXX.kept"
    return name.size() == kFolderName && IsKeptName(name) ? kept.substr(0, file) : Text();
}

void JournalWriter::Line(const std::string& payload) {
    sink_.Append(payload + " *" + Hex(Crc32(payload), 8) + "\n");
}

void JournalWriter::Head(RunKind kind, const Text& started, int rows) {
    Line(std::string(kMagic) + " " + std::to_string(kVersion) + " " + Hex(static_cast<std::uint32_t>(kind), 1) + " " +
         Hex(runId_, 8) + " " + Hex(static_cast<std::uint32_t>(rows), 8) + " " + Field(started));
    sink_.Flush();
}

const JournalIntent& JournalWriter::Intent(JournalOp op, const Text& source, const Text& target, const FileStamp& stamp) {
    last_ = JournalIntent{next_++, op, source, target, Text(), stamp};
    // Kept in a group of the hidden folder of kept files of their own folder.
    const Text* keptIn = op == JournalOp::Replace || op == JournalOp::Tag ? &target
                         : op == JournalOp::Delete                       ? &source
                                                                         : nullptr;
    if (keptIn) {
        const std::string group = Hex(static_cast<std::uint32_t>(last_.seq) / 64, 8);
        last_.kept = FolderOf(*keptIn) + KeptFolderName(runId_) + u"\\" + Text(group.begin(), group.end()) + u"\\" +
                     KeptName(runId_, last_.seq);
    }
    Line("I " + Hex(static_cast<std::uint32_t>(last_.seq), 8) + " " + kOps[static_cast<int>(op)] + " " +
         Hex(stamp.size, 16) + " " + Hex(stamp.written, 16) + " " + Field(source) + " " + Field(target) + " " +
         Field(last_.kept));
    pending_ = true;
    return last_;
}

void JournalWriter::Done(int seq, const FileStamp& after) {
    Line("D " + Hex(static_cast<std::uint32_t>(seq), 8) + " " + Hex(after.size, 16) + " " + Hex(after.written, 16));
}

// The end needs no flush of its own: a journal that lost it, or its rows'
// completions, is settled from the disk as a run cut off is. A flush here
// would wait for what the run wrote before (a large copy's data included).
void JournalWriter::End() { Line("E"); }

void JournalWriter::Flush() {
    if (!pending_) return;
    sink_.Flush();
    pending_ = false;
}

JournalRead ReadJournal(std::string_view bytes, Journal& journal) {
    journal = Journal();
    if (bytes.empty()) return JournalRead::Empty;
    std::map<int, std::size_t> bySeq;
    bool head = true;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos) {
            // Cut off while it was written: what it said never took effect.
            if (head) return JournalRead::Damaged;
            journal.torn = true;
            break;
        }
        const std::string_view line = bytes.substr(at, end - at);
        at = end + 1;
        if (head) {
            head = false;
            const auto t = Tokens(line);
            if (t.size() < 2 || t[0] != kMagic) return JournalRead::Damaged;
            if (t[1] != std::to_string(kVersion)) return JournalRead::OtherVersion;
            const auto payload = Payload(line);
            if (!payload) return JournalRead::Damaged;
            const auto h = Tokens(*payload);
            const auto kind = h.size() == 6 ? ParseHex(h[2], 1) : std::nullopt;
            const auto id = h.size() == 6 ? ParseHex(h[3], 8) : std::nullopt;
            const auto rows = h.size() == 6 ? ParseHex(h[4], 8) : std::nullopt;
            auto started = h.size() == 6 ? ParseField(h[5]) : std::nullopt;
            if (!kind || *kind > static_cast<std::uint64_t>(RunKind::Go) || !id || !rows || !started)
                return JournalRead::Damaged;
            journal.kind = static_cast<RunKind>(*kind);
            journal.runId = static_cast<std::uint32_t>(*id);
            journal.rows = static_cast<int>(*rows);
            journal.started = std::move(*started);
            continue;
        }
        const auto payload = Payload(line);
        if (!payload) {
            ++journal.damaged;
            continue;
        }
        const auto t = Tokens(*payload);
        if (t[0] == "I") {
            JournalEntry e;
            if (!ParseIntent(t, e.intent) || bySeq.count(e.intent.seq)) {
                ++journal.damaged;
                continue;
            }
            bySeq[e.intent.seq] = journal.entries.size();
            journal.entries.push_back(std::move(e));
        } else if (t[0] == "D" && t.size() == 4) {
            const auto seq = ParseHex(t[1], 8);
            const auto stamp = ParseStamp(t[2], t[3]);
            const auto e = seq ? bySeq.find(static_cast<int>(*seq)) : bySeq.end();
            if (!stamp || e == bySeq.end()) {
                ++journal.damaged;
                continue;
            }
            journal.entries[e->second].done = true;
            journal.entries[e->second].after = *stamp;
        } else if (t[0] == "E" && t.size() == 1) {
            journal.ended = true;
        } else {
            ++journal.damaged;
        }
    }
    return JournalRead::Read;
}

namespace {

const Text kChanged = u"it changed since the run";
const Text kTaken = u"its old name is taken now";
const Text kGone = u"it is no longer where the run left it";
const Text kNotKept = u"the file it replaced is no longer kept";
const Text kDeletedNotKept = u"the deleted file is no longer kept";
const Text kOldBytesNotKept = u"its old bytes are no longer kept";
const Text kUnfinished = u"the run did not finish it";

// The disk as it will be after the steps planned so far.
class Planner {
public:
    explicit Planner(UndoHost& disk) : disk_(disk) {}
    UndoPlan plan;

    void Row(const JournalEntry& e);
    // The folders the run made go when they are empty once the files are
    // back, the deepest first. Rows planned together may each record a folder.
    void Folders() {
        for (const auto& [key, folder] : cutOff_) plan.steps.push_back({UndoStep::RemoveCutOffCopies, folder, Text()});
        std::vector<Text> made;
        for (const auto& [key, path] : folders_) made.push_back(path);
        std::stable_sort(made.begin(), made.end(), [](const Text& a, const Text& b) { return a.size() > b.size(); });
        for (const Text& d : made)
            if (Present(d)) plan.steps.push_back({UndoStep::RemoveFolder, d, Text()});
    }

private:
    struct Seen {
        bool present;
        FileStamp stamp;
    };
    // Nothing changes on the disk while the undo is planned: each path is
    // looked at once.
    Seen Look(const Text& path) {
        const Text key = NameKey(path);
        const auto s = overlay_.find(key);
        if (s != overlay_.end()) return s->second;
        const auto d = disk_seen_.find(key);
        if (d != disk_seen_.end()) return d->second;
        Seen seen{false, {}};
        bool file = false;
        seen.present = disk_.Look(path, seen.stamp, file);
        if (!file) seen.stamp = FileStamp();
        return disk_seen_.emplace(key, seen).first->second;
    }
    bool Present(const Text& path) { return Look(path).present; }
    bool StampIs(const Text& path, const FileStamp& stamp) {
        const Seen s = Look(path);
        return s.present && s.stamp == stamp;
    }
    void Step(UndoStep::Kind kind, const Text& from, const Text& to = Text()) {
        if (kind == UndoStep::Rename || kind == UndoStep::Replace) {
            const Seen moved = Look(from);
            overlay_[NameKey(from)] = Seen{false, {}};
            overlay_[NameKey(to)] = moved;
        } else {
            overlay_[NameKey(from)] = Seen{false, {}};
        }
        plan.steps.push_back({kind, from, to});
    }
    void Leave(const Text& path, const Text& reason) { plan.left.push_back({path, reason}); }

    void Move(const JournalEntry& e);
    void Copy(const JournalEntry& e);
    void Replace(const JournalEntry& e);
    void Delete(const JournalEntry& e);
    void Tag(const JournalEntry& e);

    UndoHost& disk_;
    std::map<Text, Seen> overlay_;
    std::unordered_map<Text, Seen> disk_seen_;  // NameKey -> what the disk showed
    std::map<Text, Text> folders_;  // NameKey -> the folder
    std::map<Text, Text> cutOff_;   // NameKey -> a folder where a copy may have been cut off
};

void Planner::Row(const JournalEntry& e) {
    // The hidden folders that kept a file go once they are empty.
    const Text group = KeptGroupOf(e.intent.kept);
    if (!group.empty()) {
        const Text keptFolder = KeptFolderOf(group);
        folders_.emplace(NameKey(group), group);
        folders_.emplace(NameKey(keptFolder), keptFolder);
    }
    switch (e.intent.op) {
    case JournalOp::Move: Move(e); break;
    case JournalOp::Copy: Copy(e); break;
    case JournalOp::Replace: Replace(e); break;
    case JournalOp::Delete: Delete(e); break;
    case JournalOp::Tag: Tag(e); break;
    case JournalOp::Folder: folders_.emplace(NameKey(e.intent.target), e.intent.target); break;
    }
    // A copy cut off leaves its part beside its destination.
    const bool copies = e.intent.op == JournalOp::Move || e.intent.op == JournalOp::Copy || e.intent.op == JournalOp::Replace;
    if (copies && !e.done) cutOff_.emplace(NameKey(FolderOf(e.intent.target)), FolderOf(e.intent.target));
}

// A move keeps the file's size and write time (between volumes the copy is
// given the source's times), so the file at target is the moved one when
// its stamp is the source's.
void Planner::Move(const JournalEntry& e) {
    const JournalIntent& i = e.intent;
    const FileStamp expected = e.done ? e.after : i.stamp;
    const bool caseOnly = NameKey(i.source) == NameKey(i.target);
    if (!Present(i.target) || (caseOnly && !e.done && !StampIs(i.target, expected))) {
        if (e.done && !Present(i.source)) Leave(i.target, kGone);
        return;
    }
    if (!StampIs(i.target, expected)) {
        // Not done, the source still there: the move never happened and the
        // file at target is another's.
        if (e.done || !Present(i.source)) Leave(i.target, kChanged);
        return;
    }
    if (!caseOnly && Present(i.source)) {
        // Cut off between a copy to another volume taking its name and the
        // source's deletion: the source is whole, the copy goes.
        if (!e.done && StampIs(i.source, i.stamp)) Step(UndoStep::Remove, i.target);
        else Leave(i.target, kTaken);
        return;
    }
    Step(UndoStep::Rename, i.target, i.source);
}

// A copy takes its name only when it is whole: a file at a name that was
// free, of the source's size, is the run's copy even when its end was not
// recorded.
void Planner::Copy(const JournalEntry& e) {
    const JournalIntent& i = e.intent;
    if (!Present(i.target)) return;
    const Seen t = Look(i.target);
    if (e.done ? t.stamp == e.after : t.stamp.size == i.stamp.size) Step(UndoStep::Remove, i.target);
    else Leave(i.target, e.done ? kChanged : kUnfinished);
}

// The old file got a second name, the kept one, before the copy replaced
// it: while both names show the same file the copy never took the name;
// else the copy goes and the old file takes its name back, in one step.
void Planner::Replace(const JournalEntry& e) {
    const JournalIntent& i = e.intent;
    if (!Present(i.kept)) {
        if (e.done) Leave(i.target, kNotKept);
        return;
    }
    if (!Present(i.target)) {
        Step(UndoStep::Rename, i.kept, i.target);
        return;
    }
    const Seen t = Look(i.target);
    if (StampIs(i.kept, t.stamp) && !(e.done && t.stamp == e.after)) Step(UndoStep::Remove, i.kept);
    else if (e.done ? t.stamp == e.after : t.stamp.size == i.stamp.size) Step(UndoStep::Replace, i.kept, i.target);
    else Leave(i.target, e.done ? kChanged : kUnfinished);
}

void Planner::Delete(const JournalEntry& e) {
    const JournalIntent& i = e.intent;
    if (!Present(i.kept)) {
        if (e.done) Leave(i.source, kDeletedNotKept);
        return;
    }
    if (Present(i.source)) Leave(i.source, kTaken);
    else Step(UndoStep::Rename, i.kept, i.source);
}

// The old bytes were copied aside before the rewrite; they go back over the
// rewritten file only while it is as the run left it.
void Planner::Tag(const JournalEntry& e) {
    const JournalIntent& i = e.intent;
    if (!Present(i.kept)) {
        if (e.done) Leave(i.target, kOldBytesNotKept);
        return;
    }
    if (!Present(i.target)) {
        Leave(i.target, kGone);
        return;
    }
    if (e.done ? StampIs(i.target, e.after) : false) Step(UndoStep::Replace, i.kept, i.target);
    else if (!e.done && StampIs(i.target, i.stamp)) Step(UndoStep::Remove, i.kept);  // never rewritten
    else Leave(i.target, e.done ? kChanged : kUnfinished);
}

}  // namespace

UndoPlan PlanUndo(const Journal& journal, UndoHost& disk) {
    Planner p(disk);
    for (auto e = journal.entries.rbegin(); e != journal.entries.rend(); ++e) p.Row(*e);
    p.Folders();
    return std::move(p.plan);
}

std::vector<LeftAsItIs> CarryOut(const UndoPlan& plan, UndoHost& disk) {
    std::vector<LeftAsItIs> left = plan.left;
    for (const UndoStep& s : plan.steps) {
        switch (s.kind) {
        case UndoStep::Rename:
            if (!disk.Rename(s.from, s.to)) left.push_back({s.to, u"it could not be put back"});
            break;
        case UndoStep::Replace:
            if (!disk.Replace(s.from, s.to)) left.push_back({s.to, u"it could not be put back"});
            break;
        case UndoStep::Remove:
            if (!disk.Remove(s.from)) left.push_back({s.from, u"it could not be removed"});
            break;
        case UndoStep::RemoveFolder: disk.RemoveFolder(s.from); break;  // a folder that is not empty stays
        case UndoStep::RemoveCutOffCopies: disk.RemoveCutOffCopies(s.from); break;
        }
    }
    return left;
}
