#pragma once
// File-system calls of the subsystems, on the program's text (UTF-16).
#include <cstdint>
#include <string>

#include "text/text.h"

// The form in which a path goes to the W API's file calls: the "\\?\" form
// of its full path, which Windows takes literally, at any length. The full
// path is made here, not by the system, which would drop each part's
// trailing dots and blanks and so name another file ("a.txt." is not
// "a.txt"): "." and ".." resolve, "/" separates, every other part stays as
// it is spelt. A relative path starts from the current folder (a
// drive-relative "D:x" from that drive's).
std::wstring SystemPath(const Text& path);

struct DirEntry {
    Text name;
    Text shortName;  // the generated 8.3 name, empty when the name fits 8.3
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0;  // FILETIME as one number (UTC)
    bool IsDirectory() const;
};

// One open enumeration of a pattern such as "C:\dir\*.mp3". Closed when it
// goes out of scope, so an enumeration never outlives its loop.
class DirEnumerator {
public:
    // Short names cost Wine a lookup per long name; ask for them only when shown.
    explicit DirEnumerator(const Text& pattern, bool withShortNames = false);
    explicit DirEnumerator(const std::string& pattern, bool withShortNames = false)
        : DirEnumerator(From1250(pattern), withShortNames) {}
    ~DirEnumerator();
    DirEnumerator(const DirEnumerator&) = delete;
    DirEnumerator& operator=(const DirEnumerator&) = delete;
    // Fills the next entry; false at the end (or when the pattern matched nothing).
    bool Next(DirEntry& entry);

private:
    void* handle_;
    bool havePending_;
    DirEntry pending_;
};

constexpr std::uint32_t kAttrReadOnly = 0x01, kAttrHidden = 0x02, kAttrSystem = 0x04,
                        kAttrDirectory = 0x10, kAttrArchive = 0x20;

bool FileExists(const Text& path);       // an existing file, not a directory
bool DirectoryExists(const Text& path);
// Size of an existing file from its directory entry (no open); false when missing.
bool FileSizeOf(const Text& path, std::uint64_t& size);
// Size and last write time (FILETIME as one number) of an existing file; false when missing or a folder.
bool FileStampOf(const Text& path, std::uint64_t& size, std::uint64_t& written);
// The same of any entry, a folder too, with its attributes; false when missing.
bool EntryOf(const Text& path, std::uint32_t& attributes, std::uint64_t& size, std::uint64_t& written);
// A copy of the file, bytes, times and attributes, at a name that names
// nothing yet, on the disk before it has the name.
bool CopyToNewName(const Text& from, const Text& to);
// A second name of the same file (a hard link) on its volume; false where the file system has none.
bool SecondName(const Text& existing, const Text& name);
bool CreateDir(const Text& path);
// Only an empty directory goes.
bool RemoveDir(const Text& path);
// MoveFileExW without copying: a rename within one volume, never replacing.
enum class RenameResult { Done, OtherVolume, Failed };
RenameResult RenameWithinVolume(const Text& from, const Text& to);
// Renames the file open as handle (with DELETE access) to to, never
// replacing; false with the system's error (GetLastError) when it cannot.
bool RenameOpenFile(void* handle, const Text& to);
// A rename as RenameWithinVolume's; a read-only file or a folder stays
// where it is, as a deletion leaves it.
RenameResult SetFileAside(const Text& from, const Text& to);
bool DeleteFileAt(const Text& path);
// Deletes a file that may be large: when the data has no other name, it is
// cut short step bytes at a time first, with a pause between two steps.
// Wine cuts a file, and drops its cached pages, inside its server, where
// every window of the program waits meanwhile: 4 GiB in one go held them
// for over a second, a step of 64 MiB holds them for about 20 ms.
bool RemoveFileInSteps(const Text& path, std::uint64_t step, unsigned pauseMs);
// The source's creation, access and write times given to a copy of it.
bool CopyFileTimes(const Text& from, const Text& to);
// INVALID (~0) when the entry cannot be read.
std::uint32_t AttributesOf(const Text& path);
bool SetAttributesOf(const Text& path, std::uint32_t attributes);
// MoveFileExW with MOVEFILE_REPLACE_EXISTING: the file at to is replaced by
// from in one step; on failure both stay as they were.
bool ReplaceFileWith(const Text& from, const Text& to);
// The path with each part's own long name, as the file system reports it
// (an 8.3 part such as PHOTOA~1 becomes Photo Album; "." and ".." resolve);
// empty when the path does not exist.
Text LongPathOf(const Text& path);
// The own name of the entry a path reaches, which is another when its last
// part is that entry's 8.3 name; empty when nothing is there.
Text OwnNameOf(const Text& path);
// Both paths reach one file or folder, by its volume and file index (so also
// a mapped drive and its share, a subst drive, a junction); false when
// either cannot be opened.
bool SameFile(const Text& a, const Text& b);
Text CurrentDir();
bool SetCurrentDir(const Text& dir);

// Windows-1250 forms: the program's own fixed texts, and the tests' byte literals.
inline std::wstring SystemPath(const std::string& path) { return SystemPath(From1250(path)); }
inline bool FileExists(const std::string& path) { return FileExists(From1250(path)); }
inline bool DirectoryExists(const std::string& path) { return DirectoryExists(From1250(path)); }
inline bool FileSizeOf(const std::string& path, std::uint64_t& size) { return FileSizeOf(From1250(path), size); }
inline bool CreateDir(const std::string& path) { return CreateDir(From1250(path)); }
inline bool RemoveDir(const std::string& path) { return RemoveDir(From1250(path)); }
inline RenameResult RenameWithinVolume(const std::string& from, const std::string& to) {
    return RenameWithinVolume(From1250(from), From1250(to));
}
inline bool DeleteFileAt(const std::string& path) { return DeleteFileAt(From1250(path)); }
inline bool CopyFileTimes(const std::string& from, const std::string& to) {
    return CopyFileTimes(From1250(from), From1250(to));
}
inline std::uint32_t AttributesOf(const std::string& path) { return AttributesOf(From1250(path)); }
inline bool SetAttributesOf(const std::string& path, std::uint32_t attributes) {
    return SetAttributesOf(From1250(path), attributes);
}
inline bool ReplaceFileWith(const std::string& from, const std::string& to) {
    return ReplaceFileWith(From1250(from), From1250(to));
}
inline std::string GetCurrentDir() { return To1250(CurrentDir()); }
inline bool SetCurrentDir(const std::string& dir) { return SetCurrentDir(From1250(dir)); }
