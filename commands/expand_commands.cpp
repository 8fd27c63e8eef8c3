#include <optional>

#include "app/uMain.h"
#include "commands/batch_text.h"
#include "platform/batch_probe.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/file_stream.h"
#include "platform/fs.h"
#include "platform/shell.h"

namespace {

// The path as the batch can give it to cmd, or nothing when it cannot: as it is
// when it fits Windows-1250 (the batch's own code page) or, with a cmd that
// reads UTF-8 batches, when UTF-8 holds it (a lone surrogate it does not);
// else through the 8.3 short names of the folders and file that exist, when
// they make a path that fits Windows-1250 (the short names are plain ASCII).
std::optional<Text> CarriedPath(const Text& path) {
    if (Fits1250(path)) return path;
    if (FromUtf8(ToUtf8(path)) == path && CmdReadsUtf8Batches()) return path;
    // The longest part that exists, in its short form, and the rest as it is.
    Text rest;
    Text existing = path;
    while (!existing.empty()) {
        Text shortPath;
        if (ShortPathOf(existing, shortPath)) {
            const Text carried = shortPath + rest;
            if (Fits1250(carried)) return carried;
            return std::nullopt;
        }
        const std::size_t slash = existing.find_last_of(u"\\/");
        if (slash == Text::npos || slash == 0) break;
        rest = existing.substr(slash) + rest;
        existing.resize(slash);
    }
    return std::nullopt;
}

}  // namespace

// Notepad on a file, or the warning; the program does not wait for it.
void TfrMain::StartNotepad(const Text& path) {
    if (TheShell().Execute(u"", u"notepad", path) <= 32) ShowWarning("Couldn't execute the application");
}

Text TfrMain::CommandsRefusal(const Text& file1, const Text& file2) {
    // A line break (or another control character, which Linux and network
    // shares allow in names) would end the command in the middle of the path.
    for (const Text* path : {&file1, &file2})
        for (char16_t c : *path)
            if (c < 32) return u"A batch cannot give cmd this name: it holds a control character\r" + *path;
    for (const Text* path : {&file1, &file2})
        if (!CarriedPath(*path))
            return u"A batch cannot give cmd this name: cmd here reads batch lines in one code page, which lacks "
                   u"some of its letters, and it has no short name that fits\r" +
                   *path;
    return Text();
}

// One template expanded into the batch buffer. A missing template is opened
// in Notepad for the user to write, and nothing is expanded. The head starts
// a batch; each template goes on where the lines before it left cmd. A path
// the batch cannot carry expands nothing: the reason is returned.
Text TfrMain::ExpandCommands(const Text& templatePath, const Text& file1, const Text& file2) {
    const Text refusal = CommandsRefusal(file1, file2);
    if (!refusal.empty()) return refusal;
    if (templatePath == CommandsIniPath) BatchState = BatchContext{};
    if (!FileExists(templatePath)) StartNotepad(templatePath);
    if (!FileExists(templatePath)) return Text();
    try {
        // A template is Windows-1250 text, as Notepad saves it here.
        const std::vector<Text> lines = SplitLines(From1250(ReadWholeFile(templatePath)));
        ExpandedCommands = ExpandTemplate(JoinLines(lines), *CarriedPath(file1), *CarriedPath(file2), BatchState);
        WriteWholeFile(TempBatPath, BatchBytes(ExpandedCommands));
        AppendEntry(Batch, ExpandedCommands + u"\r");
    } catch (const Exception& e) {
        ShowWarning(FailureText(e));
    }
    return Text();
}
