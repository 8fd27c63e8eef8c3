#include "media/byte_source.h"

#include <cstring>

#include "platform/errors.h"

std::size_t MemorySource::ReadAt(std::uint64_t pos, void* buffer, std::size_t n) {
    if (pos >= bytes_.size()) return 0;
    const std::size_t available = static_cast<std::size_t>(bytes_.size() - pos);
    const std::size_t count = n < available ? n : available;
    std::memcpy(buffer, bytes_.data() + pos, count);
    return count;
}

void ByteReader::Read(void* buffer, std::size_t n) {
    if (source_.ReadAt(pos_, buffer, n) != n) throw EInOutError("Read beyond end of file");
    pos_ += n;
}

std::size_t ByteReader::ReadUpTo(void* buffer, std::size_t n) {
    const std::size_t got = source_.ReadAt(pos_, buffer, n);
    pos_ += got;
    return got;
}

std::uint8_t ByteReader::U8() {
    std::uint8_t b;
    Read(&b, 1);
    return b;
}

std::uint16_t ByteReader::U16LE() {
    std::uint8_t b[2];
    Read(b, 2);
    return static_cast<std::uint16_t>(std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8));
}

std::uint32_t ByteReader::U32LE() {
    std::uint8_t b[4];
    Read(b, 4);
    return std::uint32_t{b[0]} | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
           (std::uint32_t{b[3]} << 24);
}
