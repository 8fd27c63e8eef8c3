#pragma once
// The path rules on Windows-1250 bytes, through their Text forms.
#include <string>
#include <vector>

bool IsAbsolutePath(const std::string& path);
std::string ResolvedAgainst(const std::string& base, const std::string& path);
std::string BuiltPart(const std::string& destination, const std::string& outputDir,
                      const std::string& inputDir);
bool IsSafeBuiltPart(const std::string& part);
std::vector<std::string> FolderLevels(const std::string& fullPath);
// A key compares as its Text form does; a capital the code page lacks
// (under the platform's upper case) comes back as '?'.
std::string NameKey(const std::string& fullPath);
