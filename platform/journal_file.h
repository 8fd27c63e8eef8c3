#pragma once
// Where the journals of the runs live, and a journal file written through.
#include <string>

#include "text/text.h"
#include "transfer/run_journal.h"

// <local application data>\Kolvar_files\runs, made when missing; empty when
// the system names no such folder or it cannot be made.
Text JournalFolder();

// A new journal file. Appended lines wait in memory; Flush writes them and
// has the system put them on the disk before it returns (EWriteError when
// it cannot, so that no row acts on an intent that is not there).
class JournalFile : public JournalSink {
public:
    explicit JournalFile(const Text& path);  // Opened() false when it cannot be created
    ~JournalFile() override;
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;
    bool Opened() const;
    void Append(const std::string& line) override { pending_ += line; }
    void Flush() override;

private:
    void* handle_;
    std::string pending_;
};

// The whole file; false when it cannot be read.
bool ReadWholeFile(const Text& path, std::string& bytes);
