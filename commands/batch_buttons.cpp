// Go, Init and Commands.
#include "app/uMain.h"
#include "commands/batch_text.h"
#include "platform/dialogs.h"
#include "platform/file_stream.h"
#include "platform/shell.h"

// Go: the transfer run in command mode, then the batch files, Notepad on
// temp.bat and, when the user agrees, the batch itself. Errors while the
// batch files are saved reach the default error box.
void TfrMain::Button6Click() {
    if (RunInProgress()) return;
    BusyScope busy;
    Batch.clear();
    {
        CheckBox_Command.SetChecked(true);
        UntickOnExit untick{CheckBox_Command};
        Button2Click();
    }
    // A run stopped by closing the window writes and asks nothing more.
    if (!BatchReady || CloseRequested()) return;
    if (Edit1.Text() == Edit3.Text() &&
        !AskWarningYesNo("Source and output directory is the same!\rThis function will not work in this way\rContinue anyway"))
        return;
    WriteWholeFile(TempBatPath, BatchFileText(Batch));
    RemoveCommentLines(Batch);
    WriteWholeFile(CommandsToRunPath, BatchFileText(Batch));
    WriteWholeFile(TempBatPath, BatchFileText(Batch));
    StartNotepad(TempBatPath);
    if (!Confirm("Batch file created, do you want to proceed?")) return;
    if (TheShell().Execute(u"", CommandsToRunPath, u"") <= 32)
        ShowWarning(u"Couldn't execute the application\r" + ExpandedCommands);
}

void TfrMain::BitBtn7Click() { StartNotepad(CommandsIniPath); }
void TfrMain::BitBtn6Click() { StartNotepad(CommandsToProcessPath); }
