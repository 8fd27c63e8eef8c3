#include "app/uMain.h"
#include "commands/batch_text.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/file_stream.h"
#include "platform/fs.h"
#include "platform/shell.h"

// Notepad on a file, or the warning; the program does not wait for it.
void TfrMain::StartNotepad(const std::string& path) {
    if (TheShell().Execute("", "notepad", path) <= 32) ShowWarning("Couldn't execute the application");
}

// One template expanded into the batch buffer. A missing template is opened
// in Notepad for the user to write, and nothing is expanded. The head starts
// a batch; each template goes on where the lines before it left cmd.
void TfrMain::ExpandCommands(const std::string& templatePath, const std::string& file1,
                             const std::string& file2) {
    if (templatePath == CommandsIniPath) BatchState = BatchContext{};
    if (!FileExists(templatePath)) StartNotepad(templatePath);
    if (!FileExists(templatePath)) return;
    std::vector<std::string> lines;
    WorkList = &lines;
    struct Release {
        std::vector<std::string>*& field;
        ~Release() { field = nullptr; }
    } release{WorkList};
    try {
        *WorkList = SplitLines(ReadWholeFile(templatePath));
        ExpandedCommands = ExpandTemplate(JoinLines(*WorkList), file1, file2, BatchState);
        *WorkList = SplitLines(ExpandedCommands);
        WriteWholeFile(TempBatPath, JoinLines(*WorkList));
        AppendEntry(Batch, ExpandedCommands + "\r");
    } catch (const Exception& e) {
        ShowWarning(FailureText(e));
    }
}
