#pragma once
// Paths as the file system reads them: where a relative row points, which
// destinations are safe to write, and when two names are one file.
#include <cstdint>
#include <utility>
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
// no character Windows forbids in names, no "/" (Windows would take it for
// a folder that the run never makes). "\" separates parts.
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
// One UTF-16 unit in the upper case NameKey compares by.
char16_t NameUpper(char16_t c);

// A name of the form Windows gives a file as its generated 8.3 name
// (LONGNA~1.TXT): up to 8 letters with a '~', and up to 3 after one dot.
// Only such a name can reach another file than the one it spells.
bool MayBeShortName(TextView name);

// A run's folders as typed (made full) with their own long paths: a path
// below one of them is keyed as below its own path, so that the 8.3 or any
// other spelling of the input or output folder is one folder with it.
class FolderSpellings {
public:
    // Both full paths; nothing is added when own is empty (no such folder).
    void Add(const Text& spelt, const Text& own);
    // NameKey of the path, the longest folder added that leads it read as its own path.
    Text Key(const Text& fullPath) const;

private:
    std::vector<std::pair<Text, Text>> keys_;  // NameKey of the spelling, of the own path
};

// The name a copy is written under beside its destination until it is
// whole: short, so that it fits wherever the destination's name fits, and
// of one recognisable form, so that a later listing skips it and a later
// run that writes into its folder removes it.
Text CopyTempName(std::uint32_t n);
bool IsCopyTempName(TextView name);
// The enumeration pattern of such names.
inline constexpr char16_t kCopyTempPattern[] = u"~Kolvar_files-*.tmp";

