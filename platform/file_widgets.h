#pragma once
// The file-system widgets of a directory chooser, each over one control of
// its form: a drive selector, a directory list that moves the process's
// current directory with it, and a file list filtered by wildcard masks.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "text/text.h"

// "C:\a\b" gives "C:\", "a", "b"; "\\server\share\a" gives "\\server\share\", "a".
std::vector<::Text> PathLevels(const ::Text& directory);
// The lower-case drive letter of a path, 0 when it has none.
char DriveOf(const ::Text& path);
// The names of the files (not directories) in directory that match at least
// one of the masks separated by ";" (blanks around each ignored), under the
// platform's wildcard rules; sorted without regard to case, each once.
// between, when given, is called between two entries and two names; once it
// returns false the work ends there and what it has is returned as it is.
// files, when given, are the names of directory's files as just read: the
// directory is not read again for the masks of its own files.
std::vector<::Text> MatchingFiles(const ::Text& directory, const ::Text& masks,
                                  const std::function<bool()>& between = nullptr,
                                  std::optional<std::vector<::Text>> files = std::nullopt);

// The state of a list's fill. A fill pumps messages by time between two
// entries or rows, like a run, so that a large directory leaves the windows
// answering. A fill asked for meanwhile does not start inside it: the fill
// under way drops what it has and starts again with the newest request. It
// ends where its list's Stop, when set, says true (its form is closing).
struct ListFill {
    bool running = false;
    bool again = false;  // asked for again while running
};

// Over a directory-list control: the levels of the path, then the
// subdirectories of the directory, indented one level more.
class DirectoryList : public TControl {
public:
    std::function<void()> OnChange;  // after every move and every re-reading
    std::function<bool()> Stop;      // a re-reading ends where this says true

    const ::Text& Directory() const { return directory_; }
    char Drive() const { return DriveOf(directory_); }
    // Enters dir; the process's current directory moves there and the list
    // shows it. EInOutError when it cannot be entered (nothing changes then).
    void SetDirectory(const ::Text& dir);
    // Enters the drive's current directory.
    void SetDrive(char letter);
    // Opens the row's directory: a level of the path or a subdirectory.
    void OpenRow(int row);
    // Reads the directory's subdirectories again.
    void Update();
    // The names of the files that the last whole reading met, once: a file
    // list of the same directory filled right after needs no reading of its own.
    std::optional<std::vector<::Text>> TakeFiles();

private:
    ::Text directory_;
    std::vector<::Text> levels_;
    std::optional<std::vector<::Text>> files_;
    ListFill fill_;
};

// Over a drop-down list: the drives, each with its volume name.
class DriveSelector : public TControl {
public:
    DirectoryList* DirList = nullptr;  // moved when the user chooses a drive

    void Fill();
    char Drive() const;
    void SetDrive(char letter);  // selects the drive; nothing moves
    // The user chose a drive: the linked list enters it. When it cannot, the
    // selector shows the list's drive again and the failure goes on.
    void Changed();

private:
    std::string letters_;  // one letter per row
};

// Over a list box: the files of a directory that match a mask.
class FileList : public TControl {
public:
    std::function<bool()> Stop;  // a fill ends where this says true

    const ::Text& Mask() const { return mask_; }
    void SetMask(const ::Text& mask);
    const ::Text& Directory() const { return directory_; }
    // files: the names of dir's files as just read, when they are at hand.
    void SetDirectory(const ::Text& dir, std::optional<std::vector<::Text>> files = std::nullopt);
    void Update();

private:
    ::Text mask_ = u"*.*";
    ::Text directory_;
    std::optional<std::vector<::Text>> files_;
    ListFill fill_;
};
