#pragma once
#include <string>

#include "text/text.h"

// Reads (readOnly) or fills and writes the tag of tagFile, the values taken
// from namePath and the nearest mp3_tag.txt; line gets the report, empty
// when the file is not handled. False when a tag was to be written and was
// not (the file is no MPEG audio, or could not be rewritten): the line then
// begins "Tag not written: " and ends with ", Reason: " and why. The write
// keeps every frame of the old tag that the fill does not set. A mp3_tag.txt that cannot be opened raises
// EFOpenError, with nothing written.
bool FillMp3Tag(const Text& tagFile, const Text& namePath, bool readOnly, Text& line);

