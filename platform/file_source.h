#pragma once
// A file opened read-only as a ByteSource, read through a buffer so that the
// small reads of a directory walk do not each become a system call. The file
// is closed when the object goes, on every path.
#include <string>
#include <vector>

#include "text/text.h"

#include "media/byte_source.h"

class FileSource : public ByteSource {
public:
    explicit FileSource(const Text& path);  // throws EInOutError
    explicit FileSource(const std::string& path) : FileSource(From1250(path)) {}
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t pos, void* buffer, std::size_t n) override;

private:
    void* handle_;
    std::uint64_t size_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t bufferStart_ = 0;
    std::size_t bufferLength_ = 0;
};
