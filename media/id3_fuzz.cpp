// libFuzzer target for the ID3v2 frame reader: any bytes give a result,
// never a crash, a hang or a read past a buffer.
#include <cstddef>
#include <cstdint>

#include "media/ID3v2.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemorySource source(data, size);
    TID3v2 tag;
    tag.ReadTagFrom(source);
    return 0;
}
