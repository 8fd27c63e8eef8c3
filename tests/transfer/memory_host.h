#pragma once
// A host of the run engine with a file system in memory, as Windows keeps
// names: one file for every spelling NameKey takes for the same name,
// renames that never replace, a move to another volume that is a copy, a
// read-only file that neither goes nor is written over. Drive V: is a
// volume of its own with a size. It records what it was asked and each
// row's report.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "transfer/path_names.h"
#include "transfer/run_engine.h"

// The bytes are shared: the tests copy whole file systems to compare them.
struct MemoryFile {
    Text name;
    std::shared_ptr<const std::string> bytes;
    bool readOnly = false;
    std::uint64_t written = 0;  // the write time: a tick of the host's clock
    bool operator==(const MemoryFile& o) const { return name == o.name && *bytes == *o.bytes && readOnly == o.readOnly; }
};

class MemoryHost : public RunHost {
public:
    TransferOptions options;
    std::map<Text, MemoryFile> files;  // NameKey -> the file
    std::map<Text, Text> dirs;         // NameKey -> the folder's name
    std::vector<Text> calls;           // what the run asked, in order, but the look-ups
    std::vector<RowReport> reports;
    std::vector<Text> swept;           // folders whose cut-off copies the run removed, in order
    std::vector<Text> relativePaths;   // paths handed over that were not full
    std::uint64_t volumeSpace = UINT64_MAX;  // bytes V: holds
    // Before each row: may change the options or the files; true stops the run there.
    std::function<bool(int row)> before;
    std::set<Text> stoppedCopies;      // NameKey of sources whose copy a stop ends part-way
    std::set<Text> untaggable;         // NameKey of files whose tag cannot be written
    std::map<Text, Text> exifDates;    // NameKey of a picture -> its EXIF date-time
    std::map<Text, Text> batchRefusals;  // source row text -> why the batch cannot take it
    // NameKey of a file -> the 8.3 name it has there (keyed as ShortKey
    // does); a file moved or copied elsewhere has none.
    std::map<Text, Text> shortNames;
    std::set<Text> refusedNames;         // NameKey of destinations the file system refuses
    FolderSpellings folders;             // the run's folder spellings, for the request
    JournalWriter* journal = nullptr;    // what Journal() gives the run
    int group = 1;                       // rows the run may plan before they act
    // A crash: the event of that number (a change to the files, a flush of
    // the journal) and every one after it throw Crash, which is no Exception.
    struct Crash {};
    int crashAt = -1, events = 0;
    bool crashed = false;
    void Event() {
        if (crashed || (crashAt >= 0 && events == crashAt)) {
            crashed = true;
            throw Crash{};
        }
        ++events;
    }
    std::uint64_t clock = 0;             // ticks at every write

    MemoryHost() {
        dirs[u"C:"] = u"C:";
        dirs[u"V:"] = u"V:";
    }
    static Text Key(const Text& path) { return NameKey(path); }
    static Text ParentKey(const Text& path) { return NameKey(path + u"\\.."); }
    static Text ShortKey(const Text& name) { return NameKey(u"C:\\" + name); }
    void MakeDir(const Text& path) { dirs[Key(path)] = path; }
    void Put(const Text& path, std::string bytes, bool readOnly = false) {
        files[Key(path)] = {path, std::make_shared<const std::string>(std::move(bytes)), readOnly, ++clock};
    }
    bool HasFile(const Text& path) const { return files.count(Key(path)) != 0; }
    std::string Bytes(const Text& path) const {
        const auto f = files.find(Key(path));
        return f == files.end() ? "(none)" : *f->second.bytes;
    }

    const TransferOptions& Options() override { return options; }
    bool StopBefore(int row) override { return before && before(row); }
    bool PlanAhead(int rows, std::uint64_t) override { return rows < group; }
    void Report(const RowReport& report) override { reports.push_back(report); }

    bool FileExists(const Text& path) override { return Full(path), files.count(Key(path)) != 0; }
    bool DirectoryExists(const Text& path) override { return Full(path), dirs.count(Key(path)) != 0; }
    bool CreateDir(const Text& path) override {
        Ask(u"mkdir " + path);
        Event();
        const Text k = Key(path);
        if (dirs.count(k) || files.count(k) || !dirs.count(ParentKey(path))) return false;
        dirs[k] = path;
        return true;
    }
    // A name reaches its own file, or the file of its folder whose 8.3 name it is.
    Text OwnName(const Text& path) override {
        Full(path);
        const auto f = files.find(Key(path));
        if (f != files.end()) return FileNameOf(f->second.name);
        const Text folder = ParentKey(path), name = ShortKey(FileNameOf(path));
        for (const auto& [k, file] : files) {
            const auto s = shortNames.find(k);
            if (s != shortNames.end() && s->second == name && ParentKey(file.name) == folder) return FileNameOf(file.name);
        }
        return Text();
    }
    void RemoveCutOffCopies(const Text& folder) override {
        Full(folder);
        swept.push_back(folder);
    }
    Placed Copy(const Text& source, const Text& target) override {
        Ask(u"copy " + source + u" > " + target);
        Event();
        if (refusedNames.count(Key(target))) return Placed::NameRefused;
        const auto s = files.find(Key(source));
        if (s == files.end()) throw EFOpenError("Cannot open file");
        const Text t = Key(target);
        const auto old = files.find(t);
        if (dirs.count(t) || !dirs.count(ParentKey(target)) || (old != files.end() && old->second.readOnly))
            throw EFCreateError("Cannot create file");
        if (stoppedCopies.count(s->first)) return Placed::NotDone;
        Write(target, s->second.bytes, false);
        return Placed::Done;
    }
    Placed Move(const Text& source, const Text& target) override {
        Ask(u"move " + source + u" > " + target);
        Event();
        const Text s = Key(source), t = Key(target);
        const auto from = files.find(s);
        if (from == files.end() || !dirs.count(ParentKey(target)) || dirs.count(t)) return Placed::NotDone;
        if (t != s && files.count(t)) return Placed::NotDone;  // a rename never replaces
        if (refusedNames.count(t)) return Placed::NameRefused;
        MemoryFile moved = from->second;
        if (OnV(s) == OnV(t)) {
            files.erase(from);
            moved.name = target;
            files[t] = moved;
            return Placed::Done;
        }
        Write(target, moved.bytes, moved.readOnly);  // between volumes: a copy, then the source goes
        if (moved.readOnly) {
            files.erase(t);
            return Placed::NotDone;
        }
        files[t].written = moved.written;  // the copy is given the source's times
        files.erase(s);
        return Placed::Done;
    }
    bool Delete(const Text& path) override {
        Ask(u"delete " + path);
        Event();
        const auto f = files.find(Key(path));
        if (f == files.end() || f->second.readOnly) return false;
        files.erase(f);
        return true;
    }
    // A tag written adds its line to the file's bytes.
    bool Tag(const Text& file, const Text& namePath, bool readOnly, Text& line) override {
        Full(file);
        if (!readOnly) {
            Ask(u"tag " + file);
            Event();
        }
        line = u"Tag of " + namePath;
        if (readOnly) return true;
        const auto f = files.find(Key(file));
        if (untaggable.count(Key(file)) || f == files.end()) return false;
        Write(file, std::make_shared<const std::string>(*f->second.bytes + "|" + To1250(line)), f->second.readOnly);
        return true;
    }

    JournalWriter* Journal() override { return journal; }
    bool StampOf(const Text& path, FileStamp& stamp) override {
        Full(path);
        const auto f = files.find(Key(path));
        if (f == files.end()) return false;
        stamp = {f->second.bytes->size(), f->second.written};
        return true;
    }
    bool SetAside(const Text& path, const Text& kept) override {
        Ask(u"set aside " + path + u" > " + kept);
        Event();
        const auto f = files.find(Key(path));
        if (f == files.end() || f->second.readOnly || files.count(Key(kept))) return false;
        MemoryFile moved = f->second;
        moved.name = kept;
        files.erase(f);
        files[Key(kept)] = moved;
        return true;
    }
    // A second name and a copy are alike here: a write replaces the entry.
    bool KeepAlso(const Text& path, const Text& kept, bool) override {
        Ask(u"keep " + path + u" > " + kept);
        Event();
        const auto f = files.find(Key(path));
        if (f == files.end() || files.count(Key(kept))) return false;
        MemoryFile copy = f->second;
        copy.name = kept;
        copy.readOnly = false;
        files[Key(kept)] = copy;
        return true;
    }
    void Unkeep(const Text& kept) override {
        Ask(u"unkeep " + kept);
        Event();
        files.erase(Key(kept));
    }
    // A rename within the file system that never replaces.
    bool Rename(const Text& from, const Text& to) {
        const Text s = Key(from), t = Key(to);
        const auto f = files.find(s);
        if (f == files.end() || dirs.count(t) || !dirs.count(ParentKey(to)) || (s != t && files.count(t))) return false;
        MemoryFile moved = f->second;
        moved.name = to;
        files.erase(f);
        files[t] = moved;
        return true;
    }
    Text ExifDate(const Text& destination, const Text& source) override {
        Full(source);
        const auto d = exifDates.find(Key(source));
        return d == exifDates.end() ? destination : PrefixWithDate(destination, d->second);
    }
    void BatchHead() override { calls.push_back(u"batch head"); }
    Text BatchRefusal(const Text& source, const Text&) override {
        const auto r = batchRefusals.find(source);
        return r == batchRefusals.end() ? Text() : r->second;
    }
    Text Batch(const Text& source, const Text& target) override {
        Ask(u"batch " + source + u" > " + target);
        return Text();
    }

private:
    static bool OnV(const Text& key) { return key.rfind(u"V:", 0) == 0; }
    void Full(const Text& path) {
        if (!IsAbsolutePath(path)) relativePaths.push_back(path);
    }
    void Ask(const Text& call) {
        calls.push_back(call);
        const std::size_t space = call.find(u' ');
        for (std::size_t at = space + 1; at < call.size();) {
            std::size_t end = call.find(u" > ", at);
            if (end == Text::npos) end = call.size();
            Full(call.substr(at, end - at));
            at = end + 3;
        }
    }
    // A new file, or new bytes under the old name; V: fills up, and a write
    // that does not fit leaves nothing of itself.
    void Write(const Text& target, const std::shared_ptr<const std::string>& bytes, bool readOnly) {
        const Text t = Key(target);
        if (OnV(t)) {
            std::uint64_t used = 0;
            for (const auto& [k, f] : files)
                if (OnV(k) && k != t) used += f.bytes->size();
            if (used + bytes->size() > volumeSpace) throw EWriteError("Stream write error");
        }
        const auto old = files.find(t);
        files[t] = {old == files.end() ? target : old->second.name, bytes, readOnly, ++clock};
    }
};

// The journal's lines in memory: what is flushed is what a crash leaves.
class MemorySink : public JournalSink {
public:
    explicit MemorySink(MemoryHost& host) : host_(host) {}
    std::string durable, pending;
    int flushes = 0;
    void Append(const std::string& line) override {
        if (host_.crashed) throw MemoryHost::Crash{};
        pending += line;
    }
    void Flush() override {
        host_.Event();
        ++flushes;
        durable += pending;
        pending.clear();
    }

private:
    MemoryHost& host_;
};

// The memory's file system as the undo sees it.
class MemoryUndo : public UndoHost {
public:
    explicit MemoryUndo(MemoryHost& host) : h_(host) {}
    bool StampOf(const Text& path, FileStamp& stamp) override { return h_.StampOf(path, stamp); }
    bool Exists(const Text& path) override { return h_.files.count(MemoryHost::Key(path)) || h_.dirs.count(MemoryHost::Key(path)); }
    bool Rename(const Text& from, const Text& to) override { return h_.Rename(from, to); }
    bool Replace(const Text& from, const Text& to) override {
        const auto f = h_.files.find(MemoryHost::Key(from));
        const auto t = h_.files.find(MemoryHost::Key(to));
        if (f == h_.files.end() || t == h_.files.end() || t->second.readOnly) return false;
        MemoryFile moved = f->second;
        moved.name = t->second.name;
        h_.files.erase(f);
        h_.files[MemoryHost::Key(to)] = moved;
        return true;
    }
    bool Remove(const Text& path) override {
        const auto f = h_.files.find(MemoryHost::Key(path));
        if (f == h_.files.end() || f->second.readOnly) return false;
        h_.files.erase(f);
        return true;
    }
    bool RemoveFolder(const Text& path) override {
        const Text k = MemoryHost::Key(path);
        if (!h_.dirs.count(k)) return false;
        for (const auto& [key, file] : h_.files)
            if (MemoryHost::ParentKey(file.name) == k) return false;
        for (const auto& [key, name] : h_.dirs)
            if (key != k && MemoryHost::ParentKey(name) == k) return false;
        h_.dirs.erase(k);
        return true;
    }
    void RemoveCutOffCopies(const Text&) override {}  // the memory's copies are never cut off

private:
    MemoryHost& h_;
};
