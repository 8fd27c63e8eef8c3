#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "media/Exif.h"
#include "platform/errors.h"

namespace {

// Every seed of the fuzzer, and every input that ever made it fail, read
// again: a clean result or the input/output error.
TEST(ExifRegressions, FuzzInputsReadCleanly) {
    int files = 0;
    for (const char* dir : {"fuzz/exif-seeds", "fuzz/exif-regressions"}) {
        const std::filesystem::path folder = std::filesystem::path(KOLVAR_SOURCE_DIR) / dir;
        ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.') continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
            MemorySource src(bytes);
            TExif x;
            try {
                x.ReadExifFrom(src);
            } catch (const EInOutError&) {
            }
            ++files;
        }
    }
    EXPECT_GE(files, 2);
}

}  // namespace
