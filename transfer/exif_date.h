#pragma once
#include "text/text.h"

// The picture's EXIF date (read from source) in front of the destination's
// file name. Unchanged when the destination has no extension (nothing is
// read then) or the file has no EXIF block. Errors of the reader pass on.
Text AddExifDate(const Text& destination, const Text& source);
