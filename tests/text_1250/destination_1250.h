#pragma once
// The destination rules on Windows-1250 bytes, through their Text forms.
#include <string>

#include "transfer/destination.h"

// TransferOptions with its texts as Windows-1250 bytes.
struct TransferOptions1250 {
    std::string InputDir, OutputDir;
    TransferMode Mode = TransferMode::UsualCopy;
    std::string Delimiter = "_", DirsDelimiter;
    bool AddFolderNames = false;
    bool ReplaceInNames = false;
    std::string CharsToReplace = " ", NewChars = "_";
    bool MoveFiles = false, Mp3Tag = false, ExifDate = false, CzRename = false,
         RunCommands = false;
};
TransferOptions ToText(const TransferOptions1250& o);

std::string FileNameOf(const std::string& path);
std::string FolderOf(const std::string& path);
bool StartsWith(const std::string& text, const std::string& prefix);
std::string DestinationByMode(const TransferOptions1250& o, const std::string& sourcePath,
                              const std::string& baseDir);
std::string WithoutLeadingBackslash(const std::string& path);
std::string TransformedTarget(const TransferOptions1250& o, const std::string& targetPath,
                              const std::string& sourcePath);
std::string CzRule(const TransferOptions1250& o, const std::string& targetPath,
                   const std::string& sourcePath);
bool HasExtension(const std::string& destination);
std::string PrefixWithDate(const std::string& destination, const std::string& dateTime);
