#include "media/ID3v2.h"
#include "platform/errors.h"
#include "platform/file_rewrite.h"
#include "platform/file_source.h"
#include "platform/fs.h"

bool TID3v2::ReadTag(const Text& fileName) {
    Clear();
    try {
        FileSource file(fileName);
        if (ReadTagFrom(file)) return true;
    } catch (const Exception&) {
    }
    Clear();
    return false;
}

bool TID3v2::WriteTag(const Text& fileName, std::string* whyNot) const {
    std::string reason;
    auto fail = [&](const std::string& why) {
        if (whyNot) *whyNot = why;
        return false;
    };
    if (!FileExists(fileName)) return fail("the file is not there");
    const std::uint32_t attributes = AttributesOf(fileName);
    if (attributes == ~0u) return fail("the file is not there");
    // Read-only, hidden and system go first: a replace refuses such a file.
    if (!SetAttributesOf(fileName, 0)) return fail("its attributes cannot be cleared");
    const RestoredAttributes restore(fileName, attributes);
    std::vector<std::uint8_t> newTag;
    OldTagBytes old;
    try {
        FileSource source(fileName);
        newTag = TagBytesFor(source, old, reason);
    } catch (const Exception&) {
        return fail("the file cannot be read");
    }
    if (newTag.empty()) return fail(reason);
    if (!ReplaceTagInFile(fileName, newTag, old)) return fail("the file cannot be rewritten");
    return true;
}

// What follows the old tag in front, less an appended one.
bool ReplaceTagInFile(const Text& fileName, const std::vector<std::uint8_t>& newTag, const OldTagBytes& old) {
    if (old.appendedSize <= 0) return RewriteFile(fileName, newTag, {{old.front, -1}});
    return RewriteFile(fileName, newTag, {{old.front, old.appendedAt}, {old.appendedAt + old.appendedSize, -1}});
}
