#pragma once
// The named steps that turn a source path into a destination name.
#include <string>

// The path without dir in front, where dir is a whole leading part of it
// (followed by "\" or the end of the path, or ending in "\" itself); any
// other path unchanged, so 'c:\workshop' keeps its form against 'c:\work'.
std::string WithoutLeadingDir(const std::string& path, const std::string& dir);
// The path without BaseDir + "\" in front; a path elsewhere is unchanged.
std::string StripBaseDir(const std::string& path, const std::string& baseDir);
std::string FlattenFolderNames(const std::string& path, const std::string& baseDir,
                               const std::string& delimiter);
std::string DecodeFolderNames(const std::string& name, const std::string& dirsDelimiter);
std::string ReplaceCharsInTarget(const std::string& destination, const std::string& outputDir,
                                 const std::string& charsToReplace, const std::string& newChars);
std::string CzechToAscii(const std::string& text);
