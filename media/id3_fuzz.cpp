// libFuzzer target for the ID3v2 frame reader, the tag writer and the MPEG
// audio probe: any bytes give a result, never a crash, a hang or a read past
// a buffer; and a tag written over them reads back as the frames it was
// built from.
#include <cstddef>
#include <cstdint>

#include "media/ID3v2.h"

namespace {

bool Same(const Id3Frame& a, const Id3Frame& b) { return a.id == b.id && a.flags == b.flags && a.data == b.data; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemorySource source(data, size);
    StartsWithMpegAudio(source);
    TID3v2 tag;
    tag.ReadTagFrom(source);
    // A fill: the title and the comment anew, in ASCII and beyond it.
    tag.SetTitle(u"Title");
    tag.SetComment(u"P\u00EDse\u0148 \u0416 \U0001F600");
    OldTagBytes old;
    std::string whyNot;
    const std::vector<std::uint8_t> written = tag.TagBytesFor(source, old, whyNot);
    if (written.empty()) {
        if (whyNot.empty()) __builtin_trap();
        return 0;
    }
    const auto within = [&](std::int64_t at, std::int64_t n) {
        return at >= 0 && n >= 0 && static_cast<std::uint64_t>(at) <= size &&
               static_cast<std::uint64_t>(n) <= size - static_cast<std::uint64_t>(at);
    };
    if (!within(0, old.front) || !within(old.appendedAt, old.appendedSize) || !ValidTagHeader(written.data()))
        __builtin_trap();
    // Read back: the two new frames, then every kept frame that they do not
    // replace, each as it was built.
    std::vector<Id3Frame> expected;
    if (old.front > 0 || old.appendedSize > 0)
        for (const Id3Frame& f : FramesForV23(ReadTagFrames(source, static_cast<std::uint64_t>(old.appendedAt))))
            if (f.id != "TIT2" && !(f.id == "COMM" && HasEmptyDescription(f))) expected.push_back(f);
    MemorySource back(written);
    const std::vector<Id3Frame> frames = ReadTagFrames(back);
    if (frames.size() != expected.size() + 2 || frames[0].id != "TIT2" || frames[1].id != "COMM") __builtin_trap();
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (!Same(frames[i + 2], expected[i])) __builtin_trap();
    return 0;
}
