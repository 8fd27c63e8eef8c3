#pragma once
// The name transforms on Windows-1250 bytes, through their Text forms.
#include <string>

std::string WithoutLeadingDir(const std::string& path, const std::string& dir);
std::string StripBaseDir(const std::string& path, const std::string& baseDir);
std::string FlattenFolderNames(const std::string& path, const std::string& baseDir,
                               const std::string& delimiter);
std::string DecodeFolderNames(const std::string& name, const std::string& dirsDelimiter);
std::string ReplaceCharsInTarget(const std::string& destination, const std::string& outputDir,
                                 const std::string& charsToReplace, const std::string& newChars);
std::string CzechToAscii(const std::string& text);
