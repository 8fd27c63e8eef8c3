#include "platform/fs.h"

#include <windows.h>

#include <cwchar>

#include "platform/text.h"

namespace {

// Into the entry's own texts: an enumeration of many names reuses their room.
void AssignW(Text& text, const wchar_t* w) {
    text.assign(reinterpret_cast<const char16_t*>(w), std::wcslen(w));
}

void FillEntry(const WIN32_FIND_DATAW& fd, DirEntry& e) {
    AssignW(e.name, fd.cFileName);
    AssignW(e.shortName, fd.cAlternateFileName);
    e.attributes = fd.dwFileAttributes;
    e.size = (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    e.lastWrite = (static_cast<std::uint64_t>(fd.ftLastWriteTime.dwHighDateTime) << 32) |
                  fd.ftLastWriteTime.dwLowDateTime;
}

}  // namespace

std::wstring SystemPath(const Text& path) {
    std::wstring w = ToW(path);
    constexpr std::size_t kShortEnough = 248;
    if (w.size() < kShortEnough || w.compare(0, 4, L"\\\\?\\") == 0) return w;
    const DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (n == 0) return w;
    std::wstring full(n, L'\0');
    const DWORD got = GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
    if (got == 0 || got >= n) return w;
    full.resize(got);
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool DirEntry::IsDirectory() const { return (attributes & kAttrDirectory) != 0; }

DirEnumerator::DirEnumerator(const Text& pattern, bool withShortNames)
    : handle_(nullptr), havePending_(false) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW(SystemPath(pattern).c_str(),
                                withShortNames ? FindExInfoStandard : FindExInfoBasic, &fd,
                                FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) return;
    handle_ = h;
    FillEntry(fd, pending_);
    havePending_ = true;
}

DirEnumerator::~DirEnumerator() {
    if (handle_) FindClose(static_cast<HANDLE>(handle_));
}

bool DirEnumerator::Next(DirEntry& entry) {
    if (havePending_) {
        entry = std::move(pending_);
        havePending_ = false;
        return true;
    }
    if (!handle_) return false;
    WIN32_FIND_DATAW fd;
    if (!FindNextFileW(static_cast<HANDLE>(handle_), &fd)) {
        FindClose(static_cast<HANDLE>(handle_));
        handle_ = nullptr;
        return false;
    }
    FillEntry(fd, entry);
    return true;
}

bool FileExists(const Text& path) {
    DWORD a = GetFileAttributesW(SystemPath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const Text& path) {
    DWORD a = GetFileAttributesW(SystemPath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileSizeOf(const Text& path, std::uint64_t& size) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &d)) return false;
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    size = (static_cast<std::uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
    return true;
}

bool CreateDir(const Text& path) {
    return CreateDirectoryW(SystemPath(path).c_str(), nullptr) != 0;
}

bool RemoveDir(const Text& path) {
    return RemoveDirectoryW(SystemPath(path).c_str()) != 0;
}

RenameResult RenameWithinVolume(const Text& from, const Text& to) {
    if (MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), 0)) return RenameResult::Done;
    return GetLastError() == ERROR_NOT_SAME_DEVICE ? RenameResult::OtherVolume : RenameResult::Failed;
}

bool DeleteFileAt(const Text& path) { return DeleteFileW(SystemPath(path).c_str()) != 0; }

bool CopyFileTimes(const Text& from, const Text& to) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(SystemPath(from).c_str(), GetFileExInfoStandard, &d)) return false;
    HANDLE h = CreateFileW(SystemPath(to).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool set = SetFileTime(h, &d.ftCreationTime, &d.ftLastAccessTime, &d.ftLastWriteTime) != 0;
    CloseHandle(h);
    return set;
}

std::uint32_t AttributesOf(const Text& path) { return GetFileAttributesW(SystemPath(path).c_str()); }

bool SetAttributesOf(const Text& path, std::uint32_t attributes) {
    return SetFileAttributesW(SystemPath(path).c_str(), attributes) != 0;
}

bool ReplaceFileWith(const Text& from, const Text& to) {
    return MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

Text CurrentDir() {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring w(n, L'\0');
    n = GetCurrentDirectoryW(n, w.data());
    w.resize(n);
    return FromW(w);
}

bool SetCurrentDir(const Text& dir) {
    return SetCurrentDirectoryW(W(dir)) != 0;
}
