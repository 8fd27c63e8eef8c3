#include "platform/journal_file.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/errors.h"
#include "platform/fs.h"

Text JournalFolder() {
    wchar_t base[MAX_PATH];
    if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base) != S_OK)
        return Text();
    Text folder(reinterpret_cast<const char16_t*>(base));
    for (const char16_t* part : {u"\\Kolvar_files", u"\\runs"}) {
        folder += part;
        if (!DirectoryExists(folder) && !CreateDir(folder)) return Text();
    }
    return folder;
}

JournalFile::JournalFile(const Text& path)
    : handle_(CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {}

JournalFile::~JournalFile() {
    if (!Opened()) return;
    // What is left (the ends of the last rows) is written; the system puts
    // it on the disk in its own time.
    DWORD written = 0;
    if (!pending_.empty())
        WriteFile(static_cast<HANDLE>(handle_), pending_.data(), static_cast<DWORD>(pending_.size()), &written, nullptr);
    CloseHandle(static_cast<HANDLE>(handle_));
}

bool JournalFile::Opened() const { return handle_ != INVALID_HANDLE_VALUE; }

void JournalFile::Flush() {
    if (!Opened()) throw EWriteError("Stream write error");
    DWORD written = 0;
    if (!pending_.empty() &&
        (!WriteFile(static_cast<HANDLE>(handle_), pending_.data(), static_cast<DWORD>(pending_.size()), &written, nullptr) ||
         written != pending_.size()))
        throw EWriteError("Stream write error");
    pending_.clear();
    if (!FlushFileBuffers(static_cast<HANDLE>(handle_))) throw EWriteError("Stream write error");
}

bool ReadWholeFile(const Text& path, std::string& bytes) {
    HANDLE h = CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(h, &size) != 0 && size.QuadPart < (1ll << 30);
    if (ok) {
        bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        ok = bytes.empty() || (ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size());
    }
    CloseHandle(h);
    return ok;
}
