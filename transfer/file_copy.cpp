#include <memory>

#include "app/uMain.h"
#include "platform/errors.h"
#include "platform/file_stream.h"
#include "platform/fs.h"

namespace {
constexpr std::size_t kCopyBuffer = 1 << 20;
}

// One pass from the source's stream into the destination's. A copy that
// fails part-way removes what it wrote, so no short file passes for a copy.
void TfrMain::CopyFileContents(const std::string& source, const std::string& destination) {
    if (source == destination) return;
    InputFile in(source);
    static const std::unique_ptr<char[]> buffer(new char[kCopyBuffer]);
    {
        OutputFile out(destination);
        try {
            std::uint64_t left = in.Size();
            while (left > 0) {
                const std::size_t want = left < kCopyBuffer ? static_cast<std::size_t>(left) : kCopyBuffer;
                const std::size_t got = in.Read(buffer.get(), want);
                if (got == 0) throw EReadError("Stream read error");
                out.Write(buffer.get(), got);
                left -= got;
            }
            out.Close();
        } catch (const Exception&) {
            out.Abandon();
            DeleteFileAt(destination);
            throw;
        }
    }
}
