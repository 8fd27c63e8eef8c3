#include "transfer/folder_files.h"

#include "platform/fs.h"

namespace {

// An entry costs a few microseconds: the clock is read once in sixteen.
constexpr int kEntriesBetweenPumps = 16;

}  // namespace

bool FolderFiles::FileExists(const Text& path) {
    const std::size_t cut = path.find_last_of(u"\\/");
    if (cut == Text::npos) return ::FileExists(path);
    const TextView folder = TextView(path).substr(0, cut), name = TextView(path).substr(cut + 1);
    if (folder != folder_) {
        folder_.assign(folder);
        asked_ = 0;
        if (state_ == State::Read) files_.Clear();
        state_ = State::Asking;
    }
    if (state_ == State::Asking && ++asked_ >= kRowsBeforeRead) state_ = Read() ? State::Read : State::Unreadable;
    if (state_ == State::Read && files_.Contains(name)) return true;
    return ::FileExists(path);
}

// The folder's files, its subfolders left out; false when it cannot be read
// or the read was given up. A read cut short by the system keeps what it
// listed: a name it did not list is asked of the system anyway.
bool FolderFiles::Read() {
    if (folder_.empty()) return false;
    if (beforeRead_) beforeRead_();
    DirEnumerator entries(folder_ + u"\\*");
    DirEntry e;
    int count = 0;
    bool any = false;
    while (entries.Next(e)) {
        any = true;
        if (++count % kEntriesBetweenPumps == 0 && between_ && !between_()) {
            files_.Clear();
            return false;
        }
        if (!e.IsDirectory()) files_.Insert(e.name);
    }
    return any;
}
