#include "platform/file_source.h"

#include <windows.h>

#include <cstring>

#include "platform/errors.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {
constexpr std::size_t kBufferSize = 4096;
}

FileSource::FileSource(const Text& path) : buffer_(kBufferSize) {
    HANDLE h = CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw EInOutError(u"Cannot open " + path);
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size)) {
        CloseHandle(h);
        throw EInOutError(u"Cannot read " + path);
    }
    handle_ = h;
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

FileSource::~FileSource() { CloseHandle(static_cast<HANDLE>(handle_)); }

std::size_t FileSource::ReadAt(std::uint64_t pos, void* out, std::size_t n) {
    if (pos >= size_ || n == 0) return 0;
    if (n > size_ - pos) n = static_cast<std::size_t>(size_ - pos);
    auto* dest = static_cast<std::uint8_t*>(out);
    std::size_t done = 0;
    while (done < n) {
        const std::uint64_t at = pos + done;
        if (at < bufferStart_ || at >= bufferStart_ + bufferLength_) {
            LARGE_INTEGER li;
            li.QuadPart = static_cast<LONGLONG>(at);
            DWORD got = 0;
            if (!SetFilePointerEx(static_cast<HANDLE>(handle_), li, nullptr, FILE_BEGIN) ||
                !ReadFile(static_cast<HANDLE>(handle_), buffer_.data(), kBufferSize, &got, nullptr) ||
                got == 0)
                break;
            bufferStart_ = at;
            bufferLength_ = got;
        }
        const std::size_t offset = static_cast<std::size_t>(at - bufferStart_);
        std::size_t take = bufferLength_ - offset;
        if (take > n - done) take = n - done;
        std::memcpy(dest + done, buffer_.data() + offset, take);
        done += take;
    }
    return done;
}
