#pragma once
// The frames of an ID3v2 tag kept whole, as other readers read them, and
// their conversion to version 3, the version the writer puts. A tag write
// puts the fields it sets anew and keeps every other frame (media/ID3v2.h).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "media/byte_source.h"

struct Id3Frame {
    std::string id;                  // three characters in a version 2 tag, four in versions 3 and 4
    std::uint8_t version = 3;        // the major version of the tag the frame came from
    std::uint16_t flags = 0;         // status byte, then format byte; none in version 2
    std::vector<std::uint8_t> data;  // everything after the frame header, unsynchronisation undone
};

// A tag header that readers accept: "ID3", major version 2 to 4, size bytes
// below 0x80, and no flag its version does not define. header: 10 bytes.
bool ValidTagHeader(const std::uint8_t* header);

// The frames of the tag at position at of source (its start, or where an
// appended tag begins), walked as other readers walk them: the tag's and the
// frames' unsynchronisation undone, an extended header skipped, version 4
// sizes syncsafe (or plain where a writer put them so in the whole tag),
// frames without data left out, a frame with a malformed identifier passed
// over by its size (one with a version 2 name read as that frame). The walk
// ends at padding or at a frame that reaches past the tag. None when there
// is no valid tag there or it reaches past the end of the source.
std::vector<Id3Frame> ReadTagFrames(ByteSource& source, std::uint64_t at = 0);

// A version 4 tag appended at the end of source with its footer, before an
// ID3v1 tag if there is one: where it begins and its whole length.
bool FindAppendedTag(ByteSource& source, std::uint64_t& at, std::uint64_t& size);

// The frames as a version 3 tag holds them. Version 3 frames stay byte for
// byte. Version 2 frames get their four-character twins (PIC becomes APIC
// with a MIME type, LNK names the four-character frame). Version 4 frames
// get version 3 headers and flags; their texts in UTF-8 or UTF-16BE become
// UTF-16 with a byte-order mark; several values of a text frame become one,
// joined by "/" (a genre's numbers in parentheses first: "35" is "(35)");
// TDRC becomes TYER, TDAT and TIME, TDOR becomes TORY, TIPL and TMCL become
// IPLS (where the tag holds none), and the other text frames that version 3
// does not know (TDRL, TMOO, TSOP, ...) become a TXXX named after the frame;
// chapters convert their frames.
// Left out is only what version 3 cannot hold: a version 2 frame without a
// twin, the version 4 frames ASPI, EQU2, RVA2, SEEK and SIGN, a compressed
// version 4 frame without its data length, and any frame that asks to be
// discarded when the tag is altered.
std::vector<Id3Frame> FramesForV23(const std::vector<Id3Frame>& frames);

// A version 3 frame: identifier, plain 32-bit size, flags, data.
void AppendFrameV23(std::vector<std::uint8_t>& out, const Id3Frame& frame);

// The four-character twin of a version 2 frame identifier; none without one.
const char* V23Twin(const std::string& v22);

// The data of a version 3 frame after its group byte; false when it is
// compressed or encrypted, and so holds no text to read.
bool FrameContent(const Id3Frame& frame, const std::uint8_t*& data, std::size_t& size);

// True for a COMM or WXXX frame whose description is empty (the comment or
// link a player shows); false when its data is compressed or encrypted.
bool HasEmptyDescription(const Id3Frame& frame);
