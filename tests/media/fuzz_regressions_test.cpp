#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "media/Exif.h"
#include "media/ID3v2.h"
#include "platform/errors.h"
#include "tests/text_1250/text_1250.h"

namespace {

// Calls read on the bytes of every file of the fuzzers' seed and regression
// folders of name; returns how many files there were.
template <typename Read>
int ReplayFuzzInputs(const std::string& name, Read read) {
    int files = 0;
    for (const std::string& dir : {"fuzz/" + name + "-seeds", "fuzz/" + name + "-regressions"}) {
        const std::filesystem::path folder = std::filesystem::path(KOLVAR_SOURCE_DIR) / dir;
        EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
        if (!std::filesystem::is_directory(folder)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.') continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
            MemorySource src(bytes);
            read(src);
            ++files;
        }
    }
    return files;
}

// Every seed of the fuzzers, and every input that ever made one fail, read
// again: a clean result (or, for EXIF, the input/output error).
TEST(FuzzRegressions, ExifInputsReadCleanly) {
    const int files = ReplayFuzzInputs("exif", [](MemorySource& src) {
        TExif x;
        try {
            x.ReadExifFrom(src);
        } catch (const EInOutError&) {
        }
    });
    EXPECT_GE(files, 2);
}

// The writer too, as its fuzzer drives it: a fill's title and comment over
// the input read back first, then every frame kept from the old tag.
TEST(FuzzRegressions, Id3InputsReadCleanly) {
    const int files = ReplayFuzzInputs("id3", [](MemorySource& src) {
        StartsWithMpegAudio(src);
        TID3v2 t;
        EXPECT_TRUE(t.ReadTagFrom(src));
        t.SetTitle(u"Title");
        t.SetComment(u"P\u00EDse\u0148 \u0416 \U0001F600");
        OldTagBytes old;
        std::string whyNot;
        const std::vector<std::uint8_t> written = t.TagBytesFor(src, old, whyNot);
        if (written.empty()) return;
        std::size_t kept = 0;
        if (old.front > 0 || old.appendedSize > 0)
            for (const Id3Frame& f : FramesForV23(ReadTagFrames(src, static_cast<std::uint64_t>(old.appendedAt))))
                kept += f.id != "TIT2" && !(f.id == "COMM" && HasEmptyDescription(f));
        MemorySource back(written);
        EXPECT_EQ(ReadTagFrames(back).size(), kept + 2);
    });
    EXPECT_GE(files, 17);
}

}  // namespace
