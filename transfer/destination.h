#pragma once
// Where a transfer puts one file: the destination by mode and the fixed
// chain of name transforms. Pure functions of their arguments.
#include "text/text.h"

enum class TransferMode { AddSubdirNames, UsualCopy, IntoRoot };

// The options of one row, as the window's controls hold them.
struct TransferOptions {
    Text InputDir, OutputDir;
    TransferMode Mode = TransferMode::UsualCopy;
    Text Delimiter = u"_", DirsDelimiter;
    bool AddFolderNames = false;
    bool ReplaceInNames = false;
    Text CharsToReplace = u" ", NewChars = u"_";
    bool MoveFiles = false, Mp3Tag = false, ExifDate = false, CzRename = false,
         RunCommands = false;
};

// The text after the last "\" or ":", and the text up to and including it.
Text FileNameOf(const Text& path);
Text FolderOf(const Text& path);
bool StartsWith(const Text& text, const Text& prefix);

Text DestinationByMode(const TransferOptions& o, const Text& sourcePath, const Text& baseDir);
// One leading backslash removed, so that such a text is relative to the
// current directory.
Text WithoutLeadingBackslash(const Text& path);
// The character replacement and the Czech rule, in that order.
Text TransformedTarget(const TransferOptions& o, const Text& targetPath, const Text& sourcePath);
Text CzRule(const TransferOptions& o, const Text& targetPath, const Text& sourcePath);

// The date part of an EXIF date-time put in front of the destination's file
// name, its colons removed.
bool HasExtension(const Text& destination);
Text PrefixWithDate(const Text& destination, const Text& dateTime);

// The progress bar's position at row i of listCount rows (halves to even).
int ProgressPosition(int row, int listCount);
// The list's top row after row i was processed.
int TopRowAfter(int row);

