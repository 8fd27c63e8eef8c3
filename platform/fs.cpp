#include "platform/fs.h"

#include "platform/file_stream.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

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

namespace {

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

// The full path of a folder as the system reports it, without a "\\?\" head.
std::wstring PlainFullPath(std::wstring w) {
    if (w.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + w.substr(8);
    if (w.compare(0, 4, L"\\\\?\\") == 0) return w.substr(4);
    return w;
}

std::wstring CurrentFolder() {
    const DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring w(n, L'\0');
    w.resize(GetCurrentDirectoryW(n, w.data()));
    return PlainFullPath(w);
}

// The current folder of a drive ("D:" alone), as a drive-relative path means it.
std::wstring DriveFolder(const std::wstring& drive) {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetFullPathNameW(drive.c_str(), MAX_PATH + 1, buffer, nullptr);
    if (n == 0 || n > MAX_PATH) return drive + L"\\";
    return PlainFullPath(std::wstring(buffer, n));
}

// The length of the root of a full path: "X:" or "\\server\share".
std::size_t RootOf(const std::wstring& w) {
    if (w.size() >= 2 && w[1] == L':') return 2;
    std::size_t i = 2;
    for (int parts = 0; parts < 2 && i <= w.size(); ++parts) {
        while (i < w.size() && !IsSlash(w[i])) ++i;
        if (parts == 0 && i < w.size()) ++i;
    }
    return std::min(i, w.size());
}

}  // namespace

std::wstring SystemPath(const Text& path) {
    const std::wstring w = ToW(path);
    if (w.empty() || w.compare(0, 4, L"\\\\?\\") == 0 || w.compare(0, 4, L"\\\\.\\") == 0) return w;
    // The folder the path starts from, and the rest of it.
    std::wstring base, rest;
    if (w.size() >= 2 && w[1] == L':') {
        if (w.size() >= 3 && IsSlash(w[2])) base = w.substr(0, 2);
        else base = DriveFolder(w.substr(0, 2));
        rest = w.substr(2);
    } else if (w.size() >= 2 && IsSlash(w[0]) && IsSlash(w[1])) {
        base = w.substr(0, RootOf(w));
        rest = w.substr(base.size());
    } else if (IsSlash(w[0])) {
        const std::wstring current = CurrentFolder();
        base = current.substr(0, RootOf(current));
        rest = w;
    } else {
        base = CurrentFolder();
        rest = w;
    }
    // Part by part: "." skipped, ".." takes the last part off (never the
    // root), every other part kept exactly as it is spelt.
    const std::size_t root = RootOf(base);
    std::wstring full = base.substr(0, root);
    const std::wstring parts = base.substr(root) + L"\\" + rest;
    for (std::size_t i = 0; i <= parts.size();) {
        std::size_t j = i;
        while (j < parts.size() && !IsSlash(parts[j])) ++j;
        const std::wstring part = parts.substr(i, j - i);
        if (part == L"..") {
            const std::size_t cut = full.rfind(L'\\');
            if (cut != std::wstring::npos && cut >= root) full.resize(cut);
        } else if (!part.empty() && part != L".") {
            full += L'\\';
            full += part;
        }
        i = j + 1;
    }
    if (full.size() == root) full += L'\\';
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


bool EntryOf(const Text& path, std::uint32_t& attributes, std::uint64_t& size, std::uint64_t& written) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &d)) return false;
    attributes = d.dwFileAttributes;
    size = (static_cast<std::uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
    written = (static_cast<std::uint64_t>(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime;
    return true;
}

bool FileStampOf(const Text& path, std::uint64_t& size, std::uint64_t& written) {
    std::uint32_t attributes = 0;
    return EntryOf(path, attributes, size, written) && !(attributes & kAttrDirectory);
}

// The copy is written beside the name first and takes it whole and on the
// disk: a kill part-way leaves only a cut-off copy, which no listing shows
// and the next run into the folder removes, never a short file under the
// name; nor does a power cut after it has the name.
bool CopyToNewName(const Text& from, const Text& to) {
    Text temp;
    HANDLE made = static_cast<HANDLE>(NewFileBeside(to, temp));
    if (!made) return false;
    CloseHandle(made);
    bool ok = CopyFileW(SystemPath(from).c_str(), SystemPath(temp).c_str(), FALSE) != 0;
    if (ok) {
        HANDLE h = CreateFileW(SystemPath(temp).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        ok = h != INVALID_HANDLE_VALUE && FlushFileBuffers(h) && RenameOpenFile(h, to);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    if (!ok) DeleteFileW(SystemPath(temp).c_str());
    return ok;
}

bool SecondName(const Text& existing, const Text& name) {
    return CreateHardLinkW(SystemPath(name).c_str(), SystemPath(existing).c_str(), nullptr) != 0;
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

bool RenameOpenFile(void* handle, const Text& to) {
    // The NT form of the full path ("\\??\\C:\\..."), as the file system takes a new name.
    std::wstring target = SystemPath(to);
    if (target.compare(0, 4, L"\\\\?\\") == 0) target.replace(0, 4, L"\\??\\");
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, target.data(), info->FileNameLength);
    return SetFileInformationByHandle(static_cast<HANDLE>(handle), FileRenameInfo, info,
                                      static_cast<DWORD>(buffer.size())) != 0;
}

// One handle looks at the file and renames it: a second open by path costs
// as much as the rename under Wine (a lookup of the folder).
RenameResult SetFileAside(const Text& from, const Text& to) {
    HANDLE h = CreateFileW(SystemPath(from).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return RenameResult::Failed;
    RenameResult result = RenameResult::Failed;
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic) &&
        !(basic.FileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        if (RenameOpenFile(h, to)) result = RenameResult::Done;
        else if (GetLastError() == ERROR_NOT_SAME_DEVICE) result = RenameResult::OtherVolume;
    }
    CloseHandle(h);
    return result;
}

bool RemoveFileInSteps(const Text& path, std::uint64_t step, unsigned pauseMs) {
    HANDLE h = CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return DeleteFileAt(path);
    BY_HANDLE_FILE_INFORMATION info;
    // Data that another name still shows is never cut: only this name goes.
    if (GetFileInformationByHandle(h, &info) && info.nNumberOfLinks == 1 &&
        !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        std::uint64_t size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        for (bool first = true; size > 0; first = false) {
            if (!first) Sleep(pauseMs);
            size = size > step ? size - step : 0;
            FILE_END_OF_FILE_INFO end{};
            end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
            if (!SetFileInformationByHandle(h, FileEndOfFileInfo, &end, sizeof end)) break;
        }
    }
    FILE_DISPOSITION_INFO gone{TRUE};
    const bool removed = SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone) != 0;
    CloseHandle(h);
    return removed;
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

Text LongPathOf(const Text& path) {
    const std::wstring w = SystemPath(path);
    const DWORD n = GetLongPathNameW(w.c_str(), nullptr, 0);
    if (n == 0) return Text();
    std::wstring full(n, L'\0');
    const DWORD got = GetLongPathNameW(w.c_str(), full.data(), n);
    if (got == 0 || got >= n) return Text();
    full.resize(got);
    return FromW(PlainFullPath(full));
}

Text OwnNameOf(const Text& path) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW(SystemPath(path).c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) return Text();
    FindClose(h);
    return FromW(fd.cFileName);
}

namespace {

bool IdentityOf(const Text& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE h = CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool got = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return got;
}

}  // namespace

bool SameFile(const Text& a, const Text& b) {
    BY_HANDLE_FILE_INFORMATION x, y;
    if (!IdentityOf(a, x) || !IdentityOf(b, y)) return false;
    if (x.nFileIndexHigh == 0 && x.nFileIndexLow == 0) return false;  // a file system without indexes
    return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
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
