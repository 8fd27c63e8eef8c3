// libFuzzer target for the EXIF walker: any bytes give a clean result or the
// input/output error, never a crash, a hang or a read past a buffer.
#include <cstddef>
#include <cstdint>

#include "media/Exif.h"
#include "platform/errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemorySource source(data, size);
    TExif exif;
    try {
        exif.ReadExifFrom(source);
    } catch (const EInOutError&) {
    }
    return 0;
}
