#pragma once
// The named steps that turn a source path into a destination name.
#include "text/text.h"

// The path without dir in front, where dir is a whole leading part of it
// (followed by "\" or the end of the path, or ending in "\" itself); any
// other path unchanged, so 'c:\workshop' keeps its form against 'c:\work'.
Text WithoutLeadingDir(const Text& path, const Text& dir);
// The path without BaseDir + "\" in front; a path elsewhere is unchanged.
Text StripBaseDir(const Text& path, const Text& baseDir);
Text FlattenFolderNames(const Text& path, const Text& baseDir, const Text& delimiter);
Text DecodeFolderNames(const Text& name, const Text& dirsDelimiter);
// charsToReplace is one text searched as a whole, not a set of characters:
// a character written as a surrogate pair in it is replaced whole, and no
// replacement starts or ends between the halves of a pair.
Text ReplaceCharsInTarget(const Text& destination, const Text& outputDir, const Text& charsToReplace,
                          const Text& newChars);
// The Czech letters of its table to plain ASCII (ignoring case under the
// Windows-1250 pairs), and "´", "&", " ", "-" to "_"; every other character
// stays as it is.
Text CzechToAscii(const Text& text);

