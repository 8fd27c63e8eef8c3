#include "platform/file_widgets.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "app/search_rules.h"
#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/message_loop.h"
#include "platform/text.h"

namespace {

// Sorts names as the user's locale orders them, case ignored, ties in byte
// order. One sort key per name: comparing keys is far cheaper than asking the
// locale for every comparison. between, when given, is called between two
// names; once it returns false the names are left as they are.
void SortIgnoringCase(std::vector<::Text>& names, const std::function<bool()>& between = nullptr) {
    struct Keyed {
        std::string key;
        ::Text* name;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    std::vector<char> buffer;
    for (::Text& name : names) {
        if (between && !between()) return;
        const int len = static_cast<int>(name.size());
        const int size = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, W(name), len,
                                      nullptr, 0);
        buffer.resize(static_cast<std::size_t>(size > 0 ? size : 0));
        const int got = size > 0 ? LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, W(name),
                                                len, reinterpret_cast<LPWSTR>(buffer.data()), size)
                                 : 0;
        keyed.push_back({std::string(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0)), &name});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        return a.key != b.key ? a.key < b.key : *a.name < *b.name;
    });
    std::vector<::Text> sorted;
    sorted.reserve(names.size());
    for (Keyed& k : keyed) sorted.push_back(std::move(*k.name));
    names = std::move(sorted);
}

::Text Join(const ::Text& dir, const ::Text& name) {
    return !dir.empty() && dir.back() == u'\\' ? dir + name : dir + u"\\" + name;
}

::Text TrimBlanks(const ::Text& s) {
    const auto first = s.find_first_not_of(u" \t");
    if (first == ::Text::npos) return Text();
    return s.substr(first, s.find_last_not_of(u" \t") - first + 1);
}

// Runs a fill of a list whose state is state (see ListFill). fill(between)
// does the work, calling between() between two entries or rows: it pumps by
// time and tells whether to go on; once it has said no, it says no until the
// fill starts again.
template <class Fill>
void RunFill(ListFill& state, const std::function<bool()>& stop, Fill&& fill) {
    if (state.running) {
        state.again = true;
        return;
    }
    state.running = true;
    struct End {
        ListFill& state;
        ~End() { state.running = false; }
    } end{state};
    const auto stopped = [&] { return stop && stop(); };
    TimedPump pump;
    bool ended = false;
    const std::function<bool()> between = [&] {
        if (ended) return false;
        pump.WhenDue();
        ended = state.again || stopped();
        return !ended;
    };
    do {
        state.again = false;
        ended = false;
        fill(between);
    } while (state.again && !stopped());
}

}  // namespace

std::vector<::Text> PathLevels(const ::Text& directory) {
    std::vector<::Text> levels;
    std::size_t rest = 0;
    if (directory.rfind(u"\\\\", 0) == 0) {
        // \\server\share\ is one level
        std::size_t end = directory.find(u'\\', 2);
        if (end != ::Text::npos) end = directory.find(u'\\', end + 1);
        levels.push_back(end == ::Text::npos ? directory + u"\\" : directory.substr(0, end + 1));
        rest = end == ::Text::npos ? directory.size() : end + 1;
    } else if (directory.size() >= 2 && directory[1] == ':') {
        levels.push_back(directory.substr(0, 2) + u"\\");
        rest = std::min<std::size_t>(3, directory.size());
    }
    while (rest < directory.size()) {
        std::size_t end = directory.find(u'\\', rest);
        if (end == ::Text::npos) end = directory.size();
        if (end > rest) levels.push_back(directory.substr(rest, end - rest));
        rest = end + 1;
    }
    return levels;
}

char DriveOf(const ::Text& path) {
    if (path.size() < 2 || path[1] != ':') return 0;
    const char16_t c = path[0];
    if (c >= u'A' && c <= u'Z') return static_cast<char>(c - u'A' + 'a');
    return c >= u'a' && c <= u'z' ? static_cast<char>(c) : 0;
}

namespace {

// The masks of a mask list; a mask with a folder part names files of another folder.
void SplitMasks(const ::Text& masks, std::vector<::Text>& own, std::vector<::Text>& elsewhere) {
    std::size_t start = 0;
    while (start <= masks.size()) {
        std::size_t end = masks.find(u';', start);
        if (end == ::Text::npos) end = masks.size();
        const ::Text mask = TrimBlanks(masks.substr(start, end - start));
        start = end + 1;
        if (mask.empty()) continue;
        (mask.find_first_of(u"\\:/") == ::Text::npos ? own : elsewhere).push_back(mask);
    }
}

}  // namespace

std::vector<::Text> MatchingFiles(const ::Text& directory, const ::Text& masks, const std::function<bool()>& between,
                                  std::optional<std::vector<::Text>> files) {
    std::vector<::Text> own, elsewhere;
    SplitMasks(masks, own, elsewhere);
    std::vector<::Text> names;
    // The masks of this folder share one read of it (the system reads all of
    // a large folder for each search), checked by the files' own names.
    if (!own.empty()) {
        std::vector<LongNamePattern> patterns(own.begin(), own.end());
        const auto matches = [&](const ::Text& name) {
            for (const LongNamePattern& p : patterns)
                if (p.Matches(name)) return true;
            return false;
        };
        if (files) {
            for (::Text& name : *files) {
                if (between && !between()) return names;
                if (matches(name)) names.push_back(std::move(name));
            }
        } else {
            DirEnumerator found(Join(directory, u"*"));
            DirEntry e;
            while (found.Next(e)) {
                if (between && !between()) return names;
                if (!e.IsDirectory() && matches(e.name)) names.push_back(e.name);
            }
        }
    }
    for (const ::Text& mask : elsewhere) {
        DirEnumerator found(Join(directory, mask));
        DirEntry e;
        while (found.Next(e)) {
            if (between && !between()) return names;
            // The search also matches 8.3 names: "*.htm" finds page.html.
            if (!e.IsDirectory() && LongNameMatches(mask, e.name)) names.push_back(e.name);
        }
    }
    SortIgnoringCase(names, between);
    if (between && !between()) return names;
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

// ---------------------------------------------------------------- DirectoryList

void DirectoryList::SetDirectory(const ::Text& dir) {
    if (!SetCurrentDir(dir)) throw EInOutError(u"Cannot enter the directory " + dir);
    directory_ = CurrentDir();
    Update();
}

std::optional<std::vector<::Text>> DirectoryList::TakeFiles() { return std::exchange(files_, std::nullopt); }

void DirectoryList::SetDrive(char letter) { SetDirectory(::Text{static_cast<char16_t>(letter), u':'}); }

void DirectoryList::OpenRow(int row) {
    if (row < 0 || row >= Count()) return;
    const std::size_t r = static_cast<std::size_t>(row);
    if (r >= levels_.size()) {
        SetDirectory(Join(directory_, Item(row)));
        return;
    }
    ::Text path = levels_[0];
    for (std::size_t i = 1; i <= r; ++i) path = Join(path, levels_[i]);
    SetDirectory(path);
}

void DirectoryList::Update() {
    // A re-reading asked for from the pump of the one under way is left to it.
    if (fill_.running) {
        fill_.again = true;
        return;
    }
    RunFill(fill_, Stop, [&](const std::function<bool()>& between) {
        levels_ = PathLevels(directory_);
        files_.reset();
        std::vector<::Text> subdirs, files;
        DirEnumerator found(Join(directory_, u"*"));
        DirEntry e;
        while (found.Next(e)) {
            if (!between()) return;
            if (!e.IsDirectory()) files.push_back(e.name);
            else if (e.name != u"." && e.name != u"..") subdirs.push_back(e.name);
        }
        files_ = std::move(files);
        SortIgnoringCase(subdirs, between);
        if (!between()) return;
        BeginUpdate();
        Clear();
        for (std::size_t i = 0; i < levels_.size(); ++i) AddIndented(levels_[i], static_cast<int>(i));
        for (const ::Text& name : subdirs) {
            if (!between()) break;
            AddIndented(name, static_cast<int>(levels_.size()));
        }
        if (!levels_.empty()) SetItemIndex(static_cast<int>(levels_.size()) - 1);
        EndUpdate();
    });
    // Outside the fill: the file list filled from here pumps in turn, and a
    // move meanwhile reads this list again at once.
    if (OnChange) OnChange();
}

// ---------------------------------------------------------------- DriveSelector

void DriveSelector::Fill() {
    ClearChoices();
    letters_.clear();
    wchar_t drives[512];
    const DWORD n = GetLogicalDriveStringsW(511, drives);
    if (n == 0 || n > 511) return;
    // No "insert a disk" box for an empty drive.
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    for (const wchar_t* d = drives; *d; d += wcslen(d) + 1) {
        const char letter = DriveOf(FromW(d));
        if (!letter) continue;
        ::Text row{static_cast<char16_t>(letter), u':'};
        wchar_t volume[MAX_PATH + 1] = L"";
        if (GetDriveTypeW(d) != DRIVE_REMOVABLE &&
            GetVolumeInformationW(d, volume, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) &&
            volume[0])
            row += u" [" + FromW(volume) + u"]";
        AddChoice(row);
        letters_ += letter;
    }
    SetErrorMode(oldMode);
}

char DriveSelector::Drive() const {
    const int i = ChoiceIndex();
    return i >= 0 && static_cast<std::size_t>(i) < letters_.size() ? letters_[static_cast<std::size_t>(i)] : 0;
}

void DriveSelector::SetDrive(char letter) {
    const std::size_t i = letter ? letters_.find(letter) : std::string::npos;
    SetChoiceIndex(i == std::string::npos ? -1 : static_cast<int>(i));
}

void DriveSelector::Changed() {
    const char letter = Drive();
    if (!DirList || !letter || letter == DirList->Drive()) return;
    try {
        DirList->SetDrive(letter);
    } catch (...) {
        SetDrive(DirList->Drive());
        throw;
    }
}

// ---------------------------------------------------------------- FileList

void FileList::SetMask(const ::Text& mask) {
    mask_ = mask;
    Update();
}

void FileList::SetDirectory(const ::Text& dir, std::optional<std::vector<::Text>> files) {
    directory_ = dir;
    files_ = std::move(files);
    Update();
}

void FileList::Update() {
    RunFill(fill_, Stop, [&](const std::function<bool()>& between) {
        std::vector<::Text> names;
        if (!directory_.empty()) {
            names = MatchingFiles(directory_, mask_, between, std::exchange(files_, std::nullopt));
            if (!between()) return;
        }
        BeginUpdate();
        Clear();
        for (const ::Text& name : names) {
            if (!between()) break;
            Add(name);
        }
        EndUpdate();
    });
}
