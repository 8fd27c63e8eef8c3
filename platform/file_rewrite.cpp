#include "platform/file_rewrite.h"

#include <windows.h>

#include <string>

#include "platform/file_stream.h"
#include "platform/fs.h"
#include "platform/message_loop.h"

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

// The attributes SetFileAttributesW takes.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED |
                                      FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY;

// Copies the bytes of in from position from up to position to (to its end
// when to is negative) into out. The window keeps answering while a large
// file is copied: input is handled between two blocks, as often as the run
// handles it between rows. An Escape there only asks the run to stop after
// this file. The copy is flushed as it goes: one flush of the whole file at
// the end would keep the window waiting while the disk writes all of it.
bool CopyUpTo(HANDLE in, HANDLE out, std::int64_t from, std::int64_t to, std::vector<std::uint8_t>& buffer,
              std::uint64_t& unflushed, TimedPump& pump) {
    constexpr std::uint64_t kFlushEvery = 32ull << 20;
    LARGE_INTEGER at;
    at.QuadPart = from;
    if (!SetFilePointerEx(in, at, nullptr, FILE_BEGIN)) return false;
    std::uint64_t left = to < 0 ? ~0ull : static_cast<std::uint64_t>(to - from);
    while (left > 0) {
        const DWORD want = left < buffer.size() ? static_cast<DWORD>(left) : static_cast<DWORD>(buffer.size());
        DWORD got = 0;
        if (!ReadFile(in, buffer.data(), want, &got, nullptr)) return false;
        if (got == 0) return to < 0;
        if (!WriteAll(out, buffer.data(), got)) return false;
        left -= got;
        unflushed += got;
        if (unflushed >= kFlushEvery) {
            if (!FlushFileBuffers(out)) return false;
            unflushed = 0;
        }
        pump.WhenDue();
    }
    return true;
}

// The new file gets the head and the kept ranges, and is complete and
// closed before anything replaces the original. created tells whether it
// was made (and so may be removed).
bool WriteTemporary(const Text& fileName, Text& temp, const std::vector<std::uint8_t>& newHead,
                    const std::vector<ByteRange>& kept, bool& created) {
    Handle in(CreateFileW(SystemPath(fileName).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!in.Ok()) return false;
    // The temporary file has the name of a cut-off copy, which fits wherever
    // the file's own name fits: a killed rewrite leaves a file that no
    // listing shows and the next run into the folder removes.
    void* made = NewFileBeside(fileName, temp);
    if (!made) return false;
    Handle out(static_cast<HANDLE>(made));
    created = true;
    if (!WriteAll(out.Get(), newHead.data(), newHead.size())) return false;
    TimedPump pump;
    std::vector<std::uint8_t> buffer(1u << 20);
    std::uint64_t unflushed = 0;
    for (const ByteRange& r : kept)
        if (!CopyUpTo(in.Get(), out.Get(), r.begin, r.end, buffer, unflushed, pump)) return false;
    if (!FlushFileBuffers(out.Get())) return false;
    return out.Close() && in.Close();
}

}  // namespace

RestoredAttributes::~RestoredAttributes() {
    const DWORD a = attributes_ & kSettableAttributes;
    SetFileAttributesW(SystemPath(file_).c_str(), a ? a : FILE_ATTRIBUTE_NORMAL);
}

bool RewriteFile(const Text& fileName, const std::vector<std::uint8_t>& newHead, const std::vector<ByteRange>& kept) {
    // The original is replaced in one step, so there is never a moment
    // without the file; on any failure it stays as it was.
    Text temp;
    bool created = false;
    if (WriteTemporary(fileName, temp, newHead, kept, created) &&
        MoveFileExW(SystemPath(temp).c_str(), SystemPath(fileName).c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    if (created) DeleteFileW(SystemPath(temp).c_str());
    return false;
}
