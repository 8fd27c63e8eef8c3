#include "tests/text_1250/path_names_1250.h"

#include "transfer/path_names.h"

bool IsAbsolutePath(const std::string& path) { return IsAbsolutePath(From1250(path)); }

std::string ResolvedAgainst(const std::string& base, const std::string& path) {
    return To1250(ResolvedAgainst(From1250(base), From1250(path)));
}

std::string BuiltPart(const std::string& destination, const std::string& outputDir,
                      const std::string& inputDir) {
    return To1250(BuiltPart(From1250(destination), From1250(outputDir), From1250(inputDir)));
}

bool IsSafeBuiltPart(const std::string& part) { return IsSafeBuiltPart(From1250(part)); }

std::vector<std::string> FolderLevels(const std::string& fullPath) {
    std::vector<std::string> levels;
    for (const Text& level : FolderLevels(From1250(fullPath))) levels.push_back(To1250(level));
    return levels;
}

std::string NameKey(const std::string& fullPath) { return To1250(NameKey(From1250(fullPath))); }
