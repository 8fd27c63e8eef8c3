#pragma once
// The named steps that turn a source path into a destination name.
#include <string>

std::string StripBaseDir(const std::string& path, const std::string& baseDir);
std::string FlattenFolderNames(const std::string& path, const std::string& baseDir,
                               const std::string& delimiter);
std::string DecodeFolderNames(const std::string& name, const std::string& dirsDelimiter);
std::string ReplaceCharsInTarget(const std::string& destination, const std::string& outputDir,
                                 const std::string& charsToReplace, const std::string& newChars);
std::string CzechToAscii(const std::string& text);
