#pragma once
// Whole-file streams for copying. Each closes its file when it goes, on
// every path; failures are thrown as the classes the run reports by name.
#include <cstddef>
#include <cstdint>
#include <string>

#include "text/text.h"

// A file opened for reading; others may read it meanwhile but not write it.
class InputFile {
public:
    explicit InputFile(const Text& path);  // EFOpenError
    explicit InputFile(const std::string& path) : InputFile(From1250(path)) {}
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    std::uint64_t Size() const { return size_; }
    // Reads up to n bytes; 0 at the end. EReadError when the system fails.
    std::size_t Read(void* buffer, std::size_t n);

private:
    void* handle_;
    std::uint64_t size_ = 0;
};

// A file created for writing, or emptied when it exists.
class OutputFile {
public:
    explicit OutputFile(const Text& path);  // EFCreateError
    explicit OutputFile(const std::string& path) : OutputFile(From1250(path)) {}
    // A file that no entry names yet, created for writing; EFCreateError
    // when one does, so that no other file is emptied. A file emptied and
    // written anew is written out to disk at its close by Linux file systems
    // (ext4), which holds a large copy's close for a while; a file created
    // so leaves its close nothing to wait for.
    struct New {};
    OutputFile(const Text& path, New);
    OutputFile(const std::string& path, New) : OutputFile(From1250(path), New{}) {}
    // A new file in path's folder that is to take path's name when whole:
    // created under a short name of its own (CopyTempName) that no entry has
    // yet, never following or emptying another entry; Path() tells the name.
    // EFCreateError also when path is a read-only file that is to be replaced.
    struct Beside {
        bool replacing = true;  // false: path is known to name nothing yet
    };
    OutputFile(const Text& path, Beside);
    OutputFile(const std::string& path, Beside) : OutputFile(From1250(path), Beside{}) {}
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    const Text& Path() const { return path_; }
    void Write(const void* data, std::size_t n);  // EWriteError, also for a short write
    void Flush();                                 // EWriteError when the data cannot be kept
    // Renames the open file to path, which must name nothing: Taken when an
    // entry (a file or a folder) has that name, Refused when the file system
    // refuses it otherwise (a name it cannot hold). One call on the open
    // file: cheaper than a rename by path after the close.
    enum class NewName { Given, Taken, Refused };
    NewName GiveNewName(const Text& path);
    void Close();                                 // EWriteError when closing fails
    void Abandon();                               // closes, whatever happens

private:
    void* handle_;
    Text path_;
};

// A new file in path's folder under a name of its own (CopyTempName) that
// no entry has yet, open for writing and renaming, its path in temp; null
// when none can be made. An entry that has the name already is never
// followed, emptied or removed: the next name is tried.
void* NewFileBeside(const Text& path, Text& temp);

// Removes the files of a copy cut off before it was whole (by a kill, a
// crash, a power cut) from folder: those named by CopyTempName. A copy that
// still goes on holds its file open and keeps it.
void RemoveCutOffCopies(const Text& folder);

// The file at path created or emptied and filled with bytes; one that
// cannot be written throws EFCreateError or EWriteError.
void WriteWholeFile(const Text& path, const std::string& bytes);
// The whole file at path; EFOpenError or EReadError when it cannot be read.
std::string ReadWholeFile(const Text& path);

// Windows-1250 forms: the program's own fixed texts, and the tests' byte literals.
inline void WriteWholeFile(const std::string& path, const std::string& bytes) { WriteWholeFile(From1250(path), bytes); }
inline std::string ReadWholeFile(const std::string& path) { return ReadWholeFile(From1250(path)); }
