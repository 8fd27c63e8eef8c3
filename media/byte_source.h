#pragma once
// Bytes of a file or of a buffer, read at 64-bit positions. A read that the
// bytes do not cover fails as an input/output error ("read beyond end").
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Copies up to n bytes from pos; returns how many were there.
    virtual std::size_t ReadAt(std::uint64_t pos, void* buffer, std::size_t n) = 0;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    MemorySource(const std::uint8_t* data, std::size_t size) : bytes_(data, data + size) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t pos, void* buffer, std::size_t n) override;

private:
    std::vector<std::uint8_t> bytes_;
};

// A position in a source, as a file stream has one. Seeking past the end is
// allowed; reading there fails.
class ByteReader {
public:
    explicit ByteReader(ByteSource& source) : source_(source) {}
    std::uint64_t Position() const { return pos_; }
    std::uint64_t Size() const { return source_.Size(); }
    void Seek(std::uint64_t pos) { pos_ = pos; }
    void Read(void* buffer, std::size_t n);  // throws EInOutError when short
    std::size_t ReadUpTo(void* buffer, std::size_t n);  // returns how many were there
    std::uint8_t U8();
    std::uint16_t U16LE();
    std::uint32_t U32LE();

private:
    ByteSource& source_;
    std::uint64_t pos_ = 0;
};

inline std::uint16_t Swap16(std::uint16_t v) { return static_cast<std::uint16_t>((v >> 8) | (v << 8)); }
inline std::uint32_t Swap32(std::uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}
