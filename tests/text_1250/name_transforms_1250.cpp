#include "tests/text_1250/name_transforms_1250.h"

#include "transfer/name_transforms.h"

std::string WithoutLeadingDir(const std::string& path, const std::string& dir) {
    return To1250(WithoutLeadingDir(From1250(path), From1250(dir)));
}

std::string StripBaseDir(const std::string& path, const std::string& baseDir) {
    return To1250(StripBaseDir(From1250(path), From1250(baseDir)));
}

std::string FlattenFolderNames(const std::string& path, const std::string& baseDir,
                               const std::string& delimiter) {
    return To1250(FlattenFolderNames(From1250(path), From1250(baseDir), From1250(delimiter)));
}

std::string DecodeFolderNames(const std::string& name, const std::string& dirsDelimiter) {
    return To1250(DecodeFolderNames(From1250(name), From1250(dirsDelimiter)));
}

std::string ReplaceCharsInTarget(const std::string& destination, const std::string& outputDir,
                                 const std::string& charsToReplace, const std::string& newChars) {
    return To1250(ReplaceCharsInTarget(From1250(destination), From1250(outputDir), From1250(charsToReplace),
                                       From1250(newChars)));
}

std::string CzechToAscii(const std::string& text) { return To1250(CzechToAscii(From1250(text))); }
