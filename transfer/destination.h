#pragma once
// Where a transfer puts one file: the destination by mode and the fixed
// chain of name transforms. Pure functions of their arguments.
#include <string>

enum class TransferMode { AddSubdirNames, UsualCopy, IntoRoot };

// The options of one row, as the window's controls hold them.
struct TransferOptions {
    std::string InputDir, OutputDir;
    TransferMode Mode = TransferMode::UsualCopy;
    std::string Delimiter = "_", DirsDelimiter;
    bool AddFolderNames = false;
    bool ReplaceInNames = false;
    std::string CharsToReplace = " ", NewChars = "_";
    bool MoveFiles = false, Mp3Tag = false, ExifDate = false, CzRename = false,
         RunCommands = false;
};

// The text after the last "\" or ":", and the text up to and including it.
std::string FileNameOf(const std::string& path);
std::string FolderOf(const std::string& path);
bool StartsWith(const std::string& text, const std::string& prefix);

std::string DestinationByMode(const TransferOptions& o, const std::string& sourcePath,
                              const std::string& baseDir);
// One leading backslash removed, so that such a text is relative to the
// current directory.
std::string WithoutLeadingBackslash(const std::string& path);
// The character replacement and the Czech rule, in that order.
std::string TransformedTarget(const TransferOptions& o, const std::string& targetPath,
                              const std::string& sourcePath);
std::string CzRule(const TransferOptions& o, const std::string& targetPath,
                   const std::string& sourcePath);

// The date part of an EXIF date-time put in front of the destination's file
// name, its colons removed.
bool HasExtension(const std::string& destination);
std::string PrefixWithDate(const std::string& destination, const std::string& dateTime);

// The progress bar's position at row i of listCount rows (halves to even).
int ProgressPosition(int row, int listCount);
// The list's top row after row i was processed.
int TopRowAfter(int row);
