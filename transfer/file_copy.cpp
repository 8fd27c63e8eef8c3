#include <windows.h>

#include <atomic>
#include <exception>
#include <memory>

#include "app/uMain.h"
#include "platform/errors.h"
#include "platform/file_stream.h"
#include "platform/fs.h"
#include "platform/message_loop.h"

namespace {

constexpr std::size_t kCopyBuffer = 1 << 20;
// A source of at most this size is copied without asking first whether its
// destination exists; a replace found out at the rename then flushes it all
// at once, which is short at this size.
constexpr std::uint64_t kUncheckedCopy = kCopyBuffer;

// A copy that must reach the disk before it takes a name is flushed as it
// is written, so that the flush before the rename is a short one.
constexpr std::uint64_t kFlushEvery = 32ull << 20;

// Everything of in into out; EReadError when the source ends before its size.
// Between two blocks goOn() is asked; CopyStopped when it says no. With
// flushing, every kFlushEvery bytes and the end are written out to the disk.
template <class GoOn>
void Pour(InputFile& in, OutputFile& out, GoOn&& goOn, bool flushing) {
    static const std::unique_ptr<char[]> buffer(new char[kCopyBuffer]);
    std::uint64_t left = in.Size(), unflushed = 0;
    for (bool first = true; left > 0; first = false) {
        if (!first && !goOn()) throw CopyStopped();
        const std::size_t want = left < kCopyBuffer ? static_cast<std::size_t>(left) : kCopyBuffer;
        const std::size_t got = in.Read(buffer.get(), want);
        if (got == 0) throw EReadError("Stream read error");
        out.Write(buffer.get(), got);
        left -= got;
        unflushed += got;
        if (flushing && unflushed >= kFlushEvery) {
            out.Flush();
            unflushed = 0;
        }
    }
    if (flushing) out.Flush();
}

// A copy written beside its destination under a name of its own; what is
// left of it after a failure is removed, whatever the failure.
class CopyBeside {
public:
    CopyBeside(const Text& destination, bool replacing) : out_(destination, OutputFile::Beside{replacing}) {}
    ~CopyBeside() {
        if (done_) return;
        out_.Abandon();
        DeleteFileAt(out_.Path());
    }
    CopyBeside(const CopyBeside&) = delete;
    CopyBeside& operator=(const CopyBeside&) = delete;
    OutputFile& Out() { return out_; }
    void Done() { done_ = true; }

private:
    OutputFile out_;
    bool done_ = false;
};

// A copy given to a thread of its own: what it threw is thrown again here.
struct PourJob {
    InputFile& in;
    OutputFile& out;
    bool flushing;
    std::atomic<bool> stop{false};
    std::exception_ptr failure;
};

DWORD WINAPI PourInThread(void* param) {
    auto* job = static_cast<PourJob*>(param);
    try {
        Pour(job->in, job->out, [job] { return !job->stop; }, job->flushing);
    } catch (...) {
        job->failure = std::current_exception();
    }
    return 0;
}

// A copy of more than one block is read and written by a thread of its own
// while this one handles input, so that a write the system holds while the
// disk is busy (or a flush) holds no window. Escape answered Yes meanwhile
// stops the copy at its next block, as a failure would, with CopyStopped.
class Copier {
public:
    explicit Copier(TfrMain& form) : form_(form) {}
    void Pour(InputFile& in, OutputFile& out, bool flushing) {
        if (!form_.AllowAbort || in.Size() <= kCopyBuffer) {
            ::Pour(in, out, [] { return true; }, flushing);
            return;
        }
        PourJob job{in, out, flushing, {false}, nullptr};
        HANDLE thread = CreateThread(nullptr, 0, PourInThread, &job, 0, nullptr);
        if (!thread) throw EWriteError("Stream write error");
        while (MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0 + 1) {
            pump_.Now();
            if (form_.StopAsked()) job.stop = true;
        }
        WaitForSingleObject(thread, INFINITE);  // a wait that failed waits here without messages
        CloseHandle(thread);
        if (job.failure) std::rethrow_exception(job.failure);
        if (form_.StopAsked()) throw CopyStopped();
    }

private:
    TfrMain& form_;
    TimedPump pump_;
};

}  // namespace

// One pass from the source's stream into a new file beside the
// destination, which takes the destination's name only when it is whole: a
// failure (a full disk, a read error), Escape or a kill at any moment leaves
// no short file under that name, only the file beside it, which a later run
// into the folder removes. A destination that exists is replaced in one step
// by a copy flushed to the disk first, so the old file stays until then;
// a new one needs no flush for that.
// A source of one block or less is copied without asking first whether
// the destination exists (under Wine each name looked up and not found
// costs a scan of its folder): the rename that gives the copy its name
// finds out, and the copy, flushed then in one short step, replaces it.
// A large file is written by a thread of its own while the window answers
// (Copier); Escape answered Yes stops the copy, as a failure would, with
// CopyStopped.
void TfrMain::CopyFileContents(const Text& source, const Text& destination) {
    if (source == destination) return;
    InputFile in(source);
    const bool replacing = in.Size() > kUncheckedCopy && FileExists(destination);
    CopyBeside copy(destination, replacing);
    Copier(*this).Pour(in, copy.Out(), replacing);
    if (!replacing) {
        switch (copy.Out().GiveNewName(destination)) {
        case OutputFile::NewName::Given:
            copy.Done();
            copy.Out().Close();
            return;
        case OutputFile::NewName::Refused: throw NameNotGiven();
        case OutputFile::NewName::Taken: {
            // A folder of that name is no file to replace; a read-only file
            // is refused as Windows refuses it (Wine run by root would not).
            const std::uint32_t attributes = AttributesOf(destination);
            if (attributes == ~0u || (attributes & kAttrDirectory)) throw NameNotGiven();
            if (attributes & kAttrReadOnly) throw EFCreateError(u"Cannot create file " + destination);
            copy.Out().Flush();
            break;
        }
        }
    }
    copy.Out().Close();
    if (!ReplaceFileWith(copy.Out().Path(), destination)) throw EFCreateError(u"Cannot create file " + destination);
    copy.Done();
}

// A move within a volume is a rename. Between volumes it is a copy beside
// the destination, flushed to the disk and given the source's times, that
// then takes the destination's name, and only then is the source deleted: a
// copy that fails part-way is removed and the source stays, and a source
// that cannot be deleted keeps the move undone.
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
        CopyBeside copy(destination, false);
        Copier(*this).Pour(in, copy.Out(), true);
        copy.Out().Close();
        CopyFileTimes(source, copy.Out().Path());
        if (RenameWithinVolume(copy.Out().Path(), destination) != RenameResult::Done) return false;
        copy.Done();
    }
    if (!DeleteFileAt(source)) {
        DeleteFileAt(destination);
        return false;
    }
    if (attributes != ~0u) SetAttributesOf(destination, attributes);
    return true;
}
