#pragma once
// The main window: all state of a run of the program lives in its fields,
// all user options in its controls. Handlers are defined in the folder of
// their subsystem.
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "commands/batch_text.h"
#include "media/mp3_tag.h"  // FillMp3Tag, a free function of this unit
#include "platform/errors.h"
#include "platform/forms.h"
#include "platform/message_loop.h"
#include "transfer/destination.h"
#include "transfer/path_names.h"
#include "transfer/run_engine.h"

class TfrMain : public TForm {
public:
    TfrMain();
    ~TfrMain() override;

    // State fields, in declaration order.
    Text CurrentPath;
    std::int32_t ListCount = 0;
    Text TargetPath;
    Text SourcePath;
    bool DryRun = false;
    bool DeleteMode = false;
    bool AllowAbort = false;
    bool EscapeBusy = false;
    Text BaseDir;
    bool CaseInsensitive = false;
    bool RelativePaths = false;
    bool FullPaths = true;
    std::vector<Text>* WorkList = nullptr;
    bool BatchReady = false;
    Text CommandsIniPath;
    Text CommandsToProcessPath;
    Text CommandsToRunPath;
    Text TempBatPath;
    Text ExpandedCommands;

    // Directory and mask area
    TControl Label4, LabelHomeDir, Label1, Edit1, BitBtn2, Label2, Edit2, CheckBox5_case,
        CheckBox4_rel, CheckBox1, CheckBox5_rel, Button1;
    // Result list area
    TControl lblNumberFound, BitBtn4, BitBtn5, BitBtn8, ListBox1, SpeedButton1;
    // Output and transfer area
    TControl Label3, Edit3, BitBtn3, RadioButton1, RadioButton2, RadioButton3, Label5,
        Edit_Delimiter, Label6, Edit_DelimiterDirs, CheckBox_repl, Edit_chartoreplace, Label9,
        Edit_newchar, Button7, CheckBox_exif, CheckBox_tag, Button3, Button2, Button5, CheckBox2;
    // Command area and window controls
    TControl Label7, BitBtn7, Button6, BitBtn6, Button4, BitBtn1, ProgressBar1;
    // Hidden controls
    TControl Edit2_old, CheckBox_Command, MojeMemo, CheckBox_rename;

    // Application shell (app/)
    void FormCreate();
    void FormResize();
    void AppMessage(MSG& msg);
    void BitBtn1Click();
    void Button4Click();

    // File search (app/file_search.cpp)
    void Button1Click();
    void SearchFiles(const Text& directory, const Text& mask, bool recurse);
    void Edit1Change();
    void Edit3Change();
    void Edit2KeyDown(WORD& key);
    void CheckBox4_relClick();
    void PathModeChanged();
    void CheckBox5_caseClick();
    void ListBox1Click();
    void BitBtn4Click();

    // Result list tools (app/list_tools.cpp)
    void BitBtn4MouseDown(MouseButton button);
    void BitBtn4KeyDown(WORD& key);
    void ListBox1KeyDown(WORD& key, bool shift, bool ctrl, bool alt);
    void BitBtn5Click();
    void BitBtn8Click();
    void BitBtn5MouseDown(MouseButton button);
    void ListBox1DblClick();
    std::vector<Text> AllRows() const;

    // Transfer run (transfer/)
    void Button2Click();
    void Button3Click();
    void Button5Click();
    void Button7Click();
    TransferOptions ReadTransferOptions() const;
    // Throws CopyStopped when Escape answered Yes stops it between two blocks.
    void CopyFileContents(const Text& source, const Text& destination);
    // false when the destination is taken or the source cannot go; a copy
    // between volumes that fails part-way throws as a copy does.
    bool MoveFileContents(const Text& source, const Text& destination);
    // A row's file: a relative row is a file of BaseDir, whatever is current.
    Text RowPath(const Text& row) const;
    // The full path of a directory edit's text, as the listing and the
    // destinations read it.
    Text TypedFolder(const Text& text) const;
    bool RunInProgress() const { return runInProgress_; }
    // A run (not a listing) is going: its selection is not to be changed.
    bool RunningRows() const { return rowsRunning_; }

    // Undo of the last run (transfer/run_undo.cpp), an item of the system menu.
    static constexpr int kUndoItem = 0x0110;
    void UndoLastRun();
    void UpdateUndoItem();

    // The one busy guard, held for the length of a long operation of the
    // window's own: a run over the rows, a listing, a counts line, an invert,
    // an open chooser. While it is held no other operation starts (Taken() is
    // false for one begun inside it: that work is part of this one), and the
    // handlers of other controls wait or are refused (OnControlEvent). A
    // stoppable one makes Escape ask to stop it (Tag Stoppable, Asked once
    // answered Yes) and gives the Tag back as it was at its end; a run sets
    // its Tag itself. A close request waits for the end of it.
    class Operation {
    public:
        struct Rows {};  // a run over the rows: the selection it started with is not changed meanwhile
        Operation(TfrMain& form, bool stoppable);
        Operation(TfrMain& form, Rows);
        ~Operation();
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;
        bool Taken() const { return taken_; }

    private:
        TfrMain& form_;
        bool taken_;
        bool keepsTag_;
        int tag_;
        BusyScope busy_;
    };

    // Folder buttons (chooser/)
    void BitBtn2Click();
    void BitBtn3Click();

    // Command batches (commands/)
    // Empty when the batch can carry both paths, else why it cannot (and
    // nothing is expanded); CommandsRefusal tells it beforehand.
    Text ExpandCommands(const Text& templatePath, const Text& file1, const Text& file2);
    Text CommandsRefusal(const Text& file1, const Text& file2);
    void Button6Click();
    void BitBtn7Click();
    void BitBtn6Click();
    void StartNotepad(const Text& path);
    // The batch buffer, one entry a line: filled by the expansions of a Go
    // run and written out by Go (the hidden memo MojeMemo stays empty).
    std::vector<Text> Batch;
    BatchContext BatchState;  // where the expansions so far leave cmd

protected:
    void OnControlEvent(HWND control, ControlEvent event, EventArgs& args) override;
    void OnResize() override { FormResize(); }
    void OnClosed() override;
    void OnSystemMenuItem(int id) override;
    void OnSystemMenuOpening() override;

private:
    void ApplyEditRule(TControl& edit, bool bareDriveAllowed);
    bool applyingEditRule_ = false;

    void TransferRun();
    RunRequest Request() const;
    void RunWithFlag(bool& flag);
    bool SameFolders() const;
    // The rows left selected for a reason of the run's own (row, reason).
    void ShowRefusals(std::vector<std::pair<Text, Text>> refusals);
    // The first few files with their reasons, under heading, in one box.
    void ShowFileReasons(const Text& heading, std::vector<std::pair<Text, Text>> files);
    bool runInProgress_ = false;  // an Operation is held
    bool rowsRunning_ = false;    // it is a run over the rows (Copy, Try, Delete, CZ, Go)
    // Changed while an operation went on: handled when it ends.
    bool countAgain_ = false, pathModeAgain_ = false;
    TimedPump listingPump_;
    std::uint64_t countsStarted_ = 0;  // counts lines begun; a newer one wins
};

// What CopyFileContents throws when Escape answered Yes has stopped it; what
// it had written is gone by then.
class CopyStopped : public Exception {
public:
    CopyStopped() : Exception("The copy was stopped") {}
    const char* ClassName() const override { return "CopyStopped"; }
};

// What CopyFileContents throws when a whole copy cannot be given the new
// name (one the file system refuses, such as one too long for it, or one
// that another program took meanwhile); the copy is gone by then. The row
// fails, not the run.
class NameNotGiven : public Exception {
public:
    NameNotGiven() : Exception("The name cannot be given") {}
    const char* ClassName() const override { return "NameNotGiven"; }
};

// Unticks a check box when the scope ends, however it ends.
struct UntickOnExit {
    TControl& box;
    ~UntickOnExit() { box.SetChecked(false); }
};

extern TfrMain* frMain;

// The program title shown in the main window's caption.
extern const char* const kProgramTitle;
