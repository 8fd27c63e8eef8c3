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

// The frames of the tag at the start of source, walked as other readers walk
// them: the tag's and the frames' unsynchronisation undone, an extended
// header skipped, version 4 sizes syncsafe (or plain where a writer put them
// so), frames without data left out. The walk ends at padding or at the
// first damaged frame. None when there is no valid tag or it reaches past
// the end of the source.
std::vector<Id3Frame> ReadTagFrames(ByteSource& source);

// The frames as a version 3 tag holds them. Version 3 frames stay byte for
// byte. Version 2 frames get their four-character twins (PIC becomes APIC
// with a MIME type, LNK names the four-character frame). Version 4 frames
// get version 3 headers and flags; their texts in UTF-8 or UTF-16BE become
// UTF-16 with a byte-order mark; TDRC becomes TYER, TDAT and TIME, TDOR
// becomes TORY, TIPL and TMCL become IPLS (where the tag holds none);
// chapters convert their frames.
// Left out is only what version 3 cannot hold: a version 2 frame without a
// twin, the version 4 frames ASPI, EQU2, RVA2, SEEK and SIGN, a compressed
// version 4 frame without its data length, and any frame that asks to be
// discarded when the tag is altered.
std::vector<Id3Frame> FramesForV23(const std::vector<Id3Frame>& frames);

// A version 3 frame: identifier, plain 32-bit size, flags, data.
void AppendFrameV23(std::vector<std::uint8_t>& out, const Id3Frame& frame);

// True for a COMM or WXXX frame whose description is empty (the comment or
// link a player shows); false when its data is compressed or encrypted.
bool HasEmptyDescription(const Id3Frame& frame);
