#pragma once
// Paths as the file system reads them: where a relative row points, which
// destinations are safe to write, and when two names are one file.
#include <vector>

#include "text/text.h"

// "X:..." or "\\server\...": a path that does not depend on a current directory.
bool IsAbsolutePath(const Text& path);
// A relative path taken from base; "\x" is x at the root of base's drive.
// An absolute path comes back as it is.
Text ResolvedAgainst(const Text& base, const Text& path);

// The part of a destination that the run has built: what follows the output
// or the input folder (the longer that leads it), else what follows the root
// of a full path, else the whole relative path.
Text BuiltPart(const Text& destination, const Text& outputDir, const Text& inputDir);
// A built part that names a place below its folder under the name it shows:
// no empty, "." or ".." part, no part ending in "." or a blank (Windows drops
// those), no ':' (a stream of another file), no device name (CON, nul.txt, COM¹.txt),
// no character Windows forbids in names. "\" and "/" both separate parts.
// A part longer than 255 UTF-16 units, more than a file system holds, is refused too.
bool IsSafeBuiltPart(const Text& part);
constexpr std::size_t kLongestPart = 255;

// The folders that hold the file of a full path, from the first below the
// root to its own ("\\" separates; a "/" is part of a name here).
std::vector<Text> FolderLevels(const Text& fullPath);

// One text for every spelling of a full path that Windows takes for the same
// file: "." and ".." resolved, trailing dots and blanks of each part dropped,
// "/" read as "\", every UTF-16 unit but a surrogate upper-cased by the name
// upper case, as the file system compares names.
Text NameKey(const Text& fullPath);
// The upper case of one UTF-16 unit that NameKey uses. The program installs
// the platform's at start; unset (or reset with nullptr), it is Upper1250,
// which knows a-z and the Windows-1250 pairs only. upper is asked once for
// every unit but the surrogates when installed, and not kept.
void SetNameUpperCase(char16_t (*upper)(char16_t));

