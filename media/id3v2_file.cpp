#include <windows.h>

#include "media/ID3v2.h"
#include "platform/errors.h"
#include "platform/file_source.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Ok() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }
    bool Close() {
        if (!Ok()) return true;
        const bool closed = CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE h_;
};

bool WriteAll(HANDLE h, const std::uint8_t* data, std::size_t n) {
    while (n > 0) {
        const DWORD chunk = n > (1u << 20) ? (1u << 20) : static_cast<DWORD>(n);
        DWORD done = 0;
        if (!WriteFile(h, data, chunk, &done, nullptr) || done != chunk) return false;
        data += chunk;
        n -= chunk;
    }
    return true;
}

// Steps 5 to 8 of a rewrite: the temporary file gets the new tag and the
// audio, and is complete and closed before anything replaces the original.
// created tells whether the temporary file was made (and so may be removed).
bool WriteTemporary(const std::wstring& file, const std::wstring& temp, std::int64_t skip,
                    const std::vector<std::uint8_t>& newTag, bool& created) {
    Handle in(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!in.Ok()) return false;
    // The temporary file is always created new. An entry of that name that is
    // already there is left alone and the rewrite refused: under Wine a link
    // cannot be told from a file, and deleting a link deletes its target.
    Handle out(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.Ok()) return false;
    created = true;
    LARGE_INTEGER at;
    at.QuadPart = skip;
    if (!SetFilePointerEx(in.Get(), at, nullptr, FILE_BEGIN)) return false;
    if (!WriteAll(out.Get(), newTag.data(), newTag.size())) return false;
    std::vector<std::uint8_t> buffer(1u << 20);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return false;
        if (got == 0) break;
        if (!WriteAll(out.Get(), buffer.data(), got)) return false;
    }
    if (!FlushFileBuffers(out.Get())) return false;
    return out.Close() && in.Close();
}

}  // namespace

bool ReadTagHeader(const std::string& fileName, TagInfo& info) {
    try {
        FileSource file(fileName);
        info.FileSize = static_cast<std::int64_t>(file.Size());
        return file.ReadAt(0, info.header.data(), 10) == 10;
    } catch (const Exception&) {
        return false;
    }
}

bool TID3v2::ReadTag(const std::string& fileName) {
    Clear();
    try {
        FileSource file(fileName);
        if (ReadTagFrom(file)) return true;
    } catch (const Exception&) {
    }
    Clear();
    return false;
}

bool TID3v2::WriteTag(const std::string& fileName) const {
    TagInfo info = TagInfoForWrite();
    return SerializeTag(fileName, info);
}

bool SerializeTag(const std::string& fileName, TagInfo& info) {
    return ReplaceTagInFile(fileName, SerializeTagBytes(info));
}

bool ReplaceTagInFile(const std::string& fileName, const std::vector<std::uint8_t>& newTag) {
    if (!FileExists(fileName)) return false;
    const std::wstring file = Widen(fileName);
    if (!SetFileAttributesW(file.c_str(), 0)) return false;
    TagInfo old;
    if (!ReadTagHeader(fileName, old)) return false;
    const std::wstring temp = Widen(fileName + "~");
    const std::int64_t skip = old.Id() == "ID3" ? TotalTagSize(old) : 0;
    // The original is replaced in one step, so there is never a moment
    // without the file; on any failure it stays as it was.
    bool created = false;
    if (WriteTemporary(file, temp, skip, newTag, created) &&
        MoveFileExW(temp.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    if (created) DeleteFileW(temp.c_str());
    return false;
}
