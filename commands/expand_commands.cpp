#include <windows.h>

#include <optional>

#include "app/uMain.h"
#include "commands/batch_text.h"
#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/file_stream.h"
#include "platform/fs.h"
#include "platform/message_loop.h"
#include "platform/shell.h"

namespace {

std::wstring Wide(TextView text) { return std::wstring(text.begin(), text.end()); }
Text FromWide(const std::wstring& wide) { return Text(wide.begin(), wide.end()); }

// Whether the system's cmd reads the lines of a batch in UTF-8 after
// "chcp 65001", as Windows' cmd does (it reads each line in the console's
// code page of the moment); Wine 8's reads every line in the OEM code page
// and ignores chcp. Found out once: a batch as Go writes it, in a folder of
// its own under the temporary folder, writes a file named with Cyrillic, CJK,
// an emoji and a combining mark, then one more file on the line after. Only
// when both are there under their names, and nothing else is, are the lines
// read as written.
bool ProbeCmdReadsUtf8() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return false;
    const std::wstring dir = std::wstring(temp) + L"kolvar_cmd_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                             std::to_wstring(GetTickCount());
    if (!CreateDirectoryW(dir.c_str(), nullptr)) return false;
    const Text name = u"\u0416\u4E2D\U0001F600c\u030C.txt";
    const std::string batch = BatchFileText({u"@echo x>\"%~dp0" + name + u"\"", u"@echo y>\"%~dp0after.txt\""});
    const std::wstring batchPath = dir + L"\\probe.bat";
    bool read = false;
    HANDLE file = CreateFileW(batchPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        const bool whole = WriteFile(file, batch.data(), static_cast<DWORD>(batch.size()), &written, nullptr) &&
                           written == batch.size();
        CloseHandle(file);
        wchar_t comspec[MAX_PATH + 1];
        const DWORD c = GetEnvironmentVariableW(L"ComSpec", comspec, MAX_PATH + 1);
        std::wstring command = (c > 0 && c <= MAX_PATH ? L"\"" + std::wstring(comspec) + L"\"" : L"cmd.exe") +
                               L" /c \"\"" + batchPath + L"\"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (whole && CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                    dir.c_str(), &startup, &process)) {
            // The window answers meanwhile, as between two rows of the run.
            TimedPump pump;
            const DWORD started = GetTickCount();
            DWORD waited;
            while ((waited = WaitForSingleObject(process.hProcess, 20)) == WAIT_TIMEOUT &&
                   GetTickCount() - started < 10000)
                pump.Now();
            if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 2000);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            read = GetFileAttributesW((dir + L"\\" + Wide(name)).c_str()) != INVALID_FILE_ATTRIBUTES &&
                   GetFileAttributesW((dir + L"\\after.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
        }
    }
    // Everything the probe left goes with its folder; anything else there
    // (a name misread) means the lines were not read as written.
    int entries = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring entry = found.cFileName;
            if (entry == L"." || entry == L"..") continue;
            ++entries;
            DeleteFileW((dir + L"\\" + entry).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(dir.c_str());
    return read && entries == 3;
}

// Asked again from the window's pump while the probe runs, the answer is no.
bool CmdReadsUtf8() {
    enum class Known { Not, Probing, No, Yes };
    static Known known = Known::Not;
    if (known == Known::Not) {
        known = Known::Probing;
        known = ProbeCmdReadsUtf8() ? Known::Yes : Known::No;
    }
    return known == Known::Yes;
}

// The path as the batch can give it to cmd, or nothing when it cannot: as it is
// when it fits Windows-1250 (the batch's own code page) or, with a cmd that
// reads UTF-8 batches, when UTF-8 holds it (a lone surrogate it does not);
// else through the 8.3 short names of the folders and file that exist, when
// they make a path that fits Windows-1250 (the short names are plain ASCII).
std::optional<Text> CarriedPath(const Text& path) {
    if (Fits1250(path)) return path;
    if (FromUtf8(ToUtf8(path)) == path && CmdReadsUtf8()) return path;
    // The longest part that exists, in its short form, and the rest as it is.
    Text rest;
    Text existing = path;
    while (!existing.empty()) {
        const std::wstring wide = Wide(existing);
        const DWORD size = GetShortPathNameW(wide.c_str(), nullptr, 0);
        if (size > 0) {
            std::wstring shortPath(size, L'\0');
            const DWORD length = GetShortPathNameW(wide.c_str(), shortPath.data(), size);
            if (length > 0 && length < size) {
                shortPath.resize(length);
                const Text carried = FromWide(shortPath) + rest;
                if (Fits1250(carried)) return carried;
                return std::nullopt;
            }
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
    std::vector<Text> lines;
    WorkList = &lines;
    struct Release {
        std::vector<Text>*& field;
        ~Release() { field = nullptr; }
    } release{WorkList};
    try {
        // A template is Windows-1250 text, as Notepad saves it here.
        *WorkList = SplitLines(From1250(ReadWholeFile(templatePath)));
        ExpandedCommands = ExpandTemplate(JoinLines(*WorkList), *CarriedPath(file1), *CarriedPath(file2),
                                          BatchState);
        WriteWholeFile(TempBatPath, BatchBytes(ExpandedCommands));
        AppendEntry(Batch, ExpandedCommands + u"\r");
    } catch (const Exception& e) {
        ShowWarning(FailureText(e));
    }
    return Text();
}
