#include "platform/file_stream.h"

#include <windows.h>

#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "transfer/path_names.h"

InputFile::InputFile(const Text& path) {
    HANDLE h = CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw EFOpenError(u"Cannot open file " + path);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size)) {
        CloseHandle(h);
        throw EFOpenError(u"Cannot open file " + path);
    }
    handle_ = h;
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

InputFile::~InputFile() { CloseHandle(static_cast<HANDLE>(handle_)); }

std::size_t InputFile::Read(void* buffer, std::size_t n) {
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(n), &got, nullptr))
        throw EReadError("Stream read error");
    return got;
}

namespace {

// Windows refuses to empty or replace a read-only file; Wine run by root would not.
void RefuseReadOnly(const Text& path) {
    const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw EFCreateError(u"Cannot create file " + path);
}

HANDLE CreateForWriting(const Text& path, DWORD disposition, DWORD access = GENERIC_WRITE) {
    return CreateFileW(SystemPath(path).c_str(), access, 0, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

}  // namespace

OutputFile::OutputFile(const Text& path) : path_(path) {
    RefuseReadOnly(path);
    HANDLE h = CreateForWriting(path, CREATE_ALWAYS);
    if (h == INVALID_HANDLE_VALUE) throw EFCreateError(u"Cannot create file " + path);
    handle_ = h;
}

OutputFile::OutputFile(const Text& path, New) : path_(path) {
    HANDLE h = CreateForWriting(path, CREATE_NEW);
    if (h == INVALID_HANDLE_VALUE) throw EFCreateError(u"Cannot create file " + path);
    handle_ = h;
}

void* NewFileBeside(const Text& path, Text& temp) {
    const std::size_t cut = path.find_last_of(u"\\/:");
    const Text folder = cut == Text::npos ? Text() : path.substr(0, cut + 1);
    // Numbers from the process and the clock, so that two programs writing
    // into one folder seldom try the same name first.
    static std::uint32_t next = GetCurrentProcessId() * 2654435761u ^ GetTickCount();
    for (int tries = 0; tries < 1000; ++tries) {
        temp = folder + CopyTempName(next++);
        HANDLE h = CreateForWriting(temp, CREATE_NEW, GENERIC_WRITE | DELETE);
        if (h != INVALID_HANDLE_VALUE) return h;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    return nullptr;
}

OutputFile::OutputFile(const Text& path, Beside beside) {
    if (beside.replacing) RefuseReadOnly(path);
    handle_ = NewFileBeside(path, path_);
    if (!handle_) throw EFCreateError(u"Cannot create file " + path);
}

void RemoveCutOffCopies(const Text& folder) {
    const Text dir = folder.empty() || folder.back() == u'\\' ? folder : folder + u"\\";
    DirEnumerator found(dir + kCopyTempPattern);
    DirEntry entry;
    while (found.Next(entry))
        if (!entry.IsDirectory() && IsCopyTempName(entry.name)) DeleteFileAt(dir + entry.name);
}

OutputFile::~OutputFile() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
}

void OutputFile::Write(const void* data, std::size_t n) {
    DWORD written = 0;
    if (!WriteFile(static_cast<HANDLE>(handle_), data, static_cast<DWORD>(n), &written, nullptr) ||
        written != n)
        throw EWriteError("Stream write error");
}

void OutputFile::Flush() {
    if (!FlushFileBuffers(static_cast<HANDLE>(handle_))) throw EWriteError("Stream write error");
}

OutputFile::NewName OutputFile::GiveNewName(const Text& path) {
    if (!RenameOpenFile(handle_, path)) {
        const DWORD error = GetLastError();
        return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? NewName::Taken : NewName::Refused;
    }
    path_ = path;
    return NewName::Given;
}

void OutputFile::Close() {
    HANDLE h = static_cast<HANDLE>(handle_);
    handle_ = nullptr;
    if (h && !CloseHandle(h)) throw EWriteError("Stream write error");
}

void OutputFile::Abandon() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

void WriteWholeFile(const Text& path, const std::string& bytes) {
    OutputFile out(path);
    if (!bytes.empty()) out.Write(bytes.data(), bytes.size());
    out.Close();
}

std::string ReadWholeFile(const Text& path) {
    InputFile in(path);
    std::string bytes(static_cast<std::size_t>(in.Size()), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t got = in.Read(bytes.data() + done, bytes.size() - done);
        if (got == 0) break;  // shorter than it said: what is there
        done += got;
    }
    bytes.resize(done);
    return bytes;
}
