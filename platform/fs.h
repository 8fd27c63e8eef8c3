#pragma once
// File-system calls of the subsystems, in Windows-1250 text.
#include <cstdint>
#include <string>

// The form in which a path goes to the W API's file calls: as it is while it
// is short; from 248 characters on (a folder's limit), its full path in the
// "\\?\" form, which those calls take up to 32,767 characters. The full path
// is made first, so "." and ".." still resolve.
std::wstring SystemPath(const std::string& path);

struct DirEntry {
    std::string name;
    std::string shortName;  // the generated 8.3 name, empty when the name fits 8.3
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
    explicit DirEnumerator(const std::string& pattern, bool withShortNames = false);
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

bool FileExists(const std::string& path);       // an existing file, not a directory
bool DirectoryExists(const std::string& path);
// Size of an existing file from its directory entry (no open); false when missing.
bool FileSizeOf(const std::string& path, std::uint64_t& size);
bool CreateDir(const std::string& path);
// Only an empty directory goes.
bool RemoveDir(const std::string& path);
// MoveFileExW without copying: a rename within one volume, never replacing.
enum class RenameResult { Done, OtherVolume, Failed };
RenameResult RenameWithinVolume(const std::string& from, const std::string& to);
bool DeleteFileAt(const std::string& path);
// The source's creation, access and write times given to a copy of it.
bool CopyFileTimes(const std::string& from, const std::string& to);
// INVALID (~0) when the entry cannot be read.
std::uint32_t AttributesOf(const std::string& path);
bool SetAttributesOf(const std::string& path, std::uint32_t attributes);
// MoveFileExW with MOVEFILE_REPLACE_EXISTING: the file at to is replaced by
// from in one step; on failure both stay as they were.
bool ReplaceFileWith(const std::string& from, const std::string& to);
std::string GetCurrentDir();
bool SetCurrentDir(const std::string& dir);
