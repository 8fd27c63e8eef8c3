#include "platform/batch_probe.h"

#include <windows.h>

#include <string>

#include "commands/batch_text.h"
#include "platform/message_loop.h"

namespace {

std::wstring Wide(TextView text) { return std::wstring(text.begin(), text.end()); }
Text FromWide(const std::wstring& wide) { return Text(wide.begin(), wide.end()); }

// A batch as Go writes it, in a folder of its own under the temporary
// folder, writes a file named with Cyrillic, CJK, an emoji and a combining
// mark, then one more file on the line after. Only when both are there under
// their names, and nothing else is, are the lines read as written.
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

}  // namespace

bool CmdReadsUtf8Batches() {
    enum class Known { Not, Probing, No, Yes };
    static Known known = Known::Not;
    if (known == Known::Not) {
        known = Known::Probing;
        known = ProbeCmdReadsUtf8() ? Known::Yes : Known::No;
    }
    return known == Known::Yes;
}

bool ShortPathOf(const Text& path, Text& shortPath) {
    const std::wstring wide = Wide(path);
    const DWORD size = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (size == 0) return false;
    std::wstring found(size, L'\0');
    const DWORD length = GetShortPathNameW(wide.c_str(), found.data(), size);
    if (length == 0 || length >= size) return false;
    found.resize(length);
    shortPath = FromWide(found);
    return true;
}
