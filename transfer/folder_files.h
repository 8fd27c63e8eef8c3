#pragma once
// Whether files exist, for a run that changes nothing on the disk (Try):
// the rows of one folder come one after another, so from the fourth row in
// a row of one folder on, that folder is read once (one enumeration instead
// of one call a row, which under Wine is a lookup of its own each).
//
// A name is answered from the read only when the folder listed it spelt
// exactly so, as a file. Every other name (another letter case, an 8.3 name,
// a trailing dot or blank the listing does not show, a folder, a name the
// read did not list, a folder that could not be read) is asked of the system
// as FileExists asks it: the answer is FileExists's in every case.
#include <functional>
#include <utility>

#include "text/text.h"
#include "transfer/name_key_set.h"

class FolderFiles {
public:
    // beforeRead: called before a folder is read (the system reads all of a
    // large folder in its first call); between: between entries of a read,
    // false to give the read up (that folder is then asked name by name).
    FolderFiles(std::function<void()> beforeRead, std::function<bool()> between)
        : beforeRead_(std::move(beforeRead)), between_(std::move(between)) {}
    bool FileExists(const Text& path);

private:
    static constexpr int kRowsBeforeRead = 4;
    enum class State { Asking, Read, Unreadable };
    bool Read();

    std::function<void()> beforeRead_;
    std::function<bool()> between_;
    Text folder_;  // the folder of the last path asked, as spelt there
    int asked_ = 0;
    State state_ = State::Asking;
    NameKeySet files_;  // the read folder's files, by their names as listed
};
