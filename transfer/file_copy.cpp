#include <memory>

#include "app/uMain.h"
#include "platform/errors.h"
#include "platform/file_stream.h"
#include "platform/fs.h"

namespace {

constexpr std::size_t kCopyBuffer = 1 << 20;

// Everything of in into out; EReadError when the source ends before its size.
// Between two blocks goOn() is asked; CopyStopped when it says no.
template <class GoOn>
void Pour(InputFile& in, OutputFile& out, GoOn&& goOn) {
    static const std::unique_ptr<char[]> buffer(new char[kCopyBuffer]);
    std::uint64_t left = in.Size();
    for (bool first = true; left > 0; first = false) {
        if (!first && !goOn()) throw CopyStopped();
        const std::size_t want = left < kCopyBuffer ? static_cast<std::size_t>(left) : kCopyBuffer;
        const std::size_t got = in.Read(buffer.get(), want);
        if (got == 0) throw EReadError("Stream read error");
        out.Write(buffer.get(), got);
        left -= got;
    }
}

// Between two blocks of a copy input is handled as between two rows of the
// run, so that a large file leaves the window answering; false once Escape
// answered Yes.
class BetweenBlocks {
public:
    explicit BetweenBlocks(TfrMain& form) : form_(form) {}
    bool operator()() {
        if (form_.AllowAbort) pump_.WhenDue();
        return !form_.StopAsked();
    }

private:
    TfrMain& form_;
    TimedPump pump_;
};

}  // namespace

// One pass from the source's stream into the destination's. A copy that
// fails part-way removes what it wrote, so no short file passes for a copy.
// A destination that exists is replaced only by a complete copy: the copy
// goes into a new file beside it, which then takes its place in one step, so
// a failure (a full disk, a read error) leaves the old file as it was.
// Between two blocks input is handled as between two rows of the run, so
// that a large file leaves the window answering; Escape answered Yes stops
// the copy there, as a failure would, with CopyStopped.
void TfrMain::CopyFileContents(const Text& source, const Text& destination) {
    if (source == destination) return;
    InputFile in(source);
    BetweenBlocks goOn(*this);
    if (!FileExists(destination)) {
        OutputFile out(destination, OutputFile::New{});
        try {
            Pour(in, out, goOn);
            out.Close();
        } catch (const Exception&) {
            out.Abandon();
            DeleteFileAt(destination);
            throw;
        }
        return;
    }
    OutputFile out(destination, OutputFile::Beside{});
    try {
        Pour(in, out, goOn);
        out.Flush();
        out.Close();
        if (!ReplaceFileWith(out.Path(), destination)) throw EFCreateError("Cannot create file " + To1250(destination));
    } catch (const Exception&) {
        out.Abandon();
        DeleteFileAt(out.Path());
        throw;
    }
}

// A move within a volume is a rename. Between volumes it is a copy into a
// new file, flushed to the disk and given the source's times, and only then
// is the source deleted: a copy that fails part-way is removed and the
// source stays, and a source that cannot be deleted keeps the move undone.
bool TfrMain::MoveFileContents(const Text& source, const Text& destination) {
    switch (RenameWithinVolume(source, destination)) {
    case RenameResult::Done: return true;
    case RenameResult::Failed: return false;
    case RenameResult::OtherVolume: break;
    }
    if (AttributesOf(destination) != ~0u) return false;  // a move never replaces
    const std::uint32_t attributes = AttributesOf(source);
    {
        InputFile in(source);
        OutputFile out(destination, OutputFile::New{});
        BetweenBlocks goOn(*this);
        try {
            Pour(in, out, goOn);
            out.Flush();
            out.Close();
        } catch (const Exception&) {
            out.Abandon();
            DeleteFileAt(destination);
            throw;
        }
    }
    CopyFileTimes(source, destination);
    if (!DeleteFileAt(source)) {
        DeleteFileAt(destination);
        return false;
    }
    if (attributes != ~0u) SetAttributesOf(destination, attributes);
    return true;
}
