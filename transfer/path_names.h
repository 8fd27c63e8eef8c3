#pragma once
// Paths as the file system reads them: where a relative row points, which
// destinations are safe to write, and when two names are one file.
#include <string>
#include <vector>

// "X:..." or "\\server\...": a path that does not depend on a current directory.
bool IsAbsolutePath(const std::string& path);
// A relative path taken from base; "\x" is x at the root of base's drive.
// An absolute path comes back as it is.
std::string ResolvedAgainst(const std::string& base, const std::string& path);

// The part of a destination that the run has built: what follows the output
// or the input folder (the longer that leads it), else what follows the root
// of a full path, else the whole relative path.
std::string BuiltPart(const std::string& destination, const std::string& outputDir,
                      const std::string& inputDir);
// A built part that names a place below its folder under the name it shows:
// no empty, "." or ".." part, no part ending in "." or a blank (Windows drops
// those), no ':' (a stream of another file), no device name (CON, nul.txt),
// no character Windows forbids in names. "\" and "/" both separate parts.
bool IsSafeBuiltPart(const std::string& part);

// The folders that hold the file of a full path, from the first below the
// root to its own ("\\" separates; a "/" is part of a name here).
std::vector<std::string> FolderLevels(const std::string& fullPath);

// One text for every spelling of a full path that Windows takes for the same
// file: "." and ".." resolved, trailing dots and blanks of each part dropped,
// "/" read as "\", letters upper-cased under the Windows-1250 pairs.
std::string NameKey(const std::string& fullPath);
