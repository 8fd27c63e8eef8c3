#include "tests/app/gui_fixture.h"

#include <commctrl.h>

#include <cstring>

#include "platform/fs.h"
#include "platform/journal_file.h"
#include "platform/message_loop.h"
#include "platform/text.h"
#include "transfer/text_ops.h"
#include "tests/text_1250/text_1250.h"

MsgResult ScriptedDialogs::Ask(MsgKind kind, const Text& title, const Text& text, MsgButtons buttons) {
    calls.push_back({kind, To1250(title), To1250(text), buttons, text});
    if (whileOpen) {
        auto inside = std::move(whileOpen);
        whileOpen = nullptr;
        inside();
    }
    if (answers.empty()) return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::No;
    MsgResult r = answers.front();
    answers.pop_front();
    return r;
}

bool ScriptedDialogs::InputQuery(const Text& caption, const Text& prompt, Text& value) {
    inputs.push_back({To1250(caption), To1250(prompt), To1250(value)});
    if (inputAnswers.empty()) return false;
    std::optional<std::string> answer = inputAnswers.front();
    inputAnswers.pop_front();
    if (!answer) return false;
    value = From1250(*answer);
    return true;
}

void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = dir + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
            else DeleteFileW(full.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

TempTree::TempTree() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    static int counter = 0;
    // A folder of a test process that was killed may still hold the name.
    std::wstring base;
    do {
        base = std::wstring(tmp) + L"kolvar_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
               std::to_wstring(++counter);
    } while (!CreateDirectoryW(base.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
    // The long form, so that rows and the base directory read alike.
    wchar_t full[MAX_PATH];
    GetLongPathNameW(base.c_str(), full, MAX_PATH);
    root_ = Narrow(full);
    if (!root_.empty() && root_.back() == '\\') root_.pop_back();
}

TempTree::~TempTree() { RemoveTree(Widen(root_)); }

void TempTree::Dir(const std::string& relative) const {
    ASSERT_TRUE(CreateDirectoryW(Widen(Path(relative)).c_str(), nullptr)) << relative;
}

void TempTree::File(const std::string& relative, std::uint64_t size) const {
    HANDLE h = CreateFileW(Widen(Path(relative)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << relative;
    if (size) {
        LARGE_INTEGER li;
        li.QuadPart = static_cast<LONGLONG>(size);
        SetFilePointerEx(h, li, nullptr, FILE_BEGIN);
        SetEndOfFile(h);
    }
    CloseHandle(h);
}

void TempTree::SetAttributes(const std::string& relative, DWORD attributes) const {
    ASSERT_TRUE(SetFileAttributesW(Widen(Path(relative)).c_str(), attributes)) << relative;
}

// Files by the program's own literal form, so that a name ending in a dot
// or a blank is that file.
void PutFile(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD done = 0;
    if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
    CloseHandle(h);
    ASSERT_EQ(done, bytes.size()) << path;
}

std::string GetFile(const std::string& path) {
    std::string out;
    HANDLE h = CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    CloseHandle(h);
    return out;
}

DWORD RunProcess(const wchar_t* application, std::wstring commandLine, const wchar_t* directory, DWORD flags) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(application, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, directory, &si, &pi))
        return ~0u;
    const DWORD start = GetTickCount();
    DWORD waited;
    while ((waited = MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 100, QS_SENDMESSAGE)) != WAIT_OBJECT_0 &&
           waited != WAIT_FAILED && GetTickCount() - start < 30000) {
        MSG m;
        PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    DWORD code = ~0u;
    if (waited == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

std::vector<std::wstring> RowsSeenFromAnotherProcess(HWND list) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir = exe;
    dir.resize(dir.rfind(L'\\') + 1);
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const std::wstring out = std::wstring(tmp) + L"kolvar_rows_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(out.c_str());
    // Its requests are sent messages, which RunProcess answers while it waits.
    EXPECT_EQ(RunProcess(nullptr, L"\"" + dir + L"list_reader.exe\" " +
                                      std::to_wstring(reinterpret_cast<INT_PTR>(list)) + L" \"" + out + L"\""),
              0u)
        << "list_reader.exe";
    const std::string bytes = GetFile(Narrow(out));
    DeleteFileW(out.c_str());
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    std::vector<std::wstring> rows;
    for (std::size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
        rows.push_back(text.substr(start, end - start));
    return rows;
}

bool RunOnHost(const std::string& command) {
    const std::string status = "/tmp/kolvar_host_" + std::to_string(GetCurrentProcessId());
    const std::wstring statusFile = L"Z:" + Widen(Str_replace_all(status, "/", "\\", 0));
    DeleteFileW(statusFile.c_str());
    std::wstring line = L"sh -c \"" + Widen(command + "; echo $? > " + status) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    std::string code;
    for (int i = 0; i < 600 && code.empty(); ++i) {
        Sleep(50);
        code = GetFile(Narrow(statusFile));
    }
    DeleteFileW(statusFile.c_str());
    return code == "0\n";
}

void Pump() {
    for (int round = 0; round < 5; ++round) {
        ProcessMessages();
        Sleep(5);
    }
}

void ForgetAllRuns() {
    const Text folder = JournalFolder();
    ASSERT_FALSE(folder.empty());
    DirEnumerator e(folder + u"\\*");
    for (DirEntry entry; e.Next(entry);)
        if (!entry.IsDirectory()) DeleteFileAt(folder + u"\\" + entry.name);
}

void MainWindowTest::SetUp() {
    static bool once = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)once;
    savedDir = GetCurrentDir();
    tree = std::make_unique<TempTree>();
    SetCurrentDir(tree->Root());
    SetDialogs(&dialogs);
    SetShell(&shell);
    form = std::make_unique<TfrMain>();
    frMain = form.get();
    form->Show();
    Pump();
}

void MainWindowTest::TearDown() {
    form.reset();
    SetDialogs(nullptr);
    SetShell(nullptr);
    SetCurrentDir(savedDir);
    tree.reset();
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {}
}

std::vector<std::string> MainWindowTest::Rows() const {
    std::vector<std::string> rows;
    for (int i = 0; i < form->ListBox1.Count(); ++i) rows.push_back(form->ListBox1.Item1250(i));
    return rows;
}

void MainWindowTest::List(const std::string& inputDir, const std::string& mask, bool recurse) {
    form->Edit1.SetText(inputDir);
    form->Edit2.SetText(mask);
    form->CheckBox1.SetChecked(recurse);
    form->Button1Click();
}
