#include "tests/text_1250/destination_1250.h"

TransferOptions ToText(const TransferOptions1250& o) {
    TransferOptions t;
    t.InputDir = From1250(o.InputDir);
    t.OutputDir = From1250(o.OutputDir);
    t.Mode = o.Mode;
    t.Delimiter = From1250(o.Delimiter);
    t.DirsDelimiter = From1250(o.DirsDelimiter);
    t.AddFolderNames = o.AddFolderNames;
    t.ReplaceInNames = o.ReplaceInNames;
    t.CharsToReplace = From1250(o.CharsToReplace);
    t.NewChars = From1250(o.NewChars);
    t.MoveFiles = o.MoveFiles;
    t.Mp3Tag = o.Mp3Tag;
    t.ExifDate = o.ExifDate;
    t.CzRename = o.CzRename;
    t.RunCommands = o.RunCommands;
    return t;
}

std::string FileNameOf(const std::string& path) { return To1250(FileNameOf(From1250(path))); }
std::string FolderOf(const std::string& path) { return To1250(FolderOf(From1250(path))); }

bool StartsWith(const std::string& text, const std::string& prefix) {
    return StartsWith(From1250(text), From1250(prefix));
}

std::string DestinationByMode(const TransferOptions1250& o, const std::string& sourcePath,
                              const std::string& baseDir) {
    return To1250(DestinationByMode(ToText(o), From1250(sourcePath), From1250(baseDir)));
}

std::string WithoutLeadingBackslash(const std::string& path) {
    return To1250(WithoutLeadingBackslash(From1250(path)));
}

std::string TransformedTarget(const TransferOptions1250& o, const std::string& targetPath,
                              const std::string& sourcePath) {
    return To1250(TransformedTarget(ToText(o), From1250(targetPath), From1250(sourcePath)));
}

std::string CzRule(const TransferOptions1250& o, const std::string& targetPath,
                   const std::string& sourcePath) {
    return To1250(CzRule(ToText(o), From1250(targetPath), From1250(sourcePath)));
}

bool HasExtension(const std::string& destination) { return HasExtension(From1250(destination)); }

std::string PrefixWithDate(const std::string& destination, const std::string& dateTime) {
    return To1250(PrefixWithDate(From1250(destination), From1250(dateTime)));
}
