#pragma once
// What the window tests share: scripted dialogs, a fresh folder of real
// files, and a main window whose base directory is that folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/uMain.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "tests/text_1250/text_1250.h"

struct DialogCall {
    MsgKind kind;
    std::string title, text;  // as Windows-1250 bytes, '?' for other letters
    MsgButtons buttons;
    Text wideText;            // the text as shown
};

struct InputCall {
    std::string caption, prompt, value;
};

// Records every box and answers from a script (No, or OK, once it runs out);
// input boxes take the next entry of inputAnswers (none: cancelled).
class ScriptedDialogs : public Dialogs {
public:
    std::vector<DialogCall> calls;
    std::deque<MsgResult> answers;
    std::function<void()> whileOpen;  // runs inside a box, as its own loop would
    std::vector<InputCall> inputs;
    std::deque<std::optional<std::string>> inputAnswers;

    MsgResult Ask(MsgKind kind, const Text& title, const Text& text, MsgButtons buttons) override;
    bool InputQuery(const Text& caption, const Text& prompt, Text& value) override;
};

struct ShellCall {
    std::string operation, file, parameters;  // as Windows-1250 bytes
    Text wideFile;                            // the file as started
};

// Records every start and answers with result (success unless set to 32 or less).
class ScriptedShell : public Shell {
public:
    std::vector<ShellCall> calls;
    std::intptr_t result = 42;
    using Shell::Execute;
    std::intptr_t Execute(const Text& operation, const Text& file, const Text& parameters) override {
        calls.push_back({To1250(operation), To1250(file), To1250(parameters), file});
        return result;
    }
};

// A fresh folder under the temporary directory, removed with everything in it.
class TempTree {
public:
    TempTree();
    ~TempTree();
    const std::string& Root() const { return root_; }
    std::string Path(const std::string& relative) const { return root_ + "\\" + relative; }
    void Dir(const std::string& relative) const;
    void File(const std::string& relative, std::uint64_t size = 0) const;
    void SetAttributes(const std::string& relative, DWORD attributes) const;

private:
    std::string root_;
};

// Removes a folder with everything in it, read-only files too (a mount
// point's folder itself stays).
void RemoveTree(const std::wstring& dir);

// Whole-file contents as bytes; an empty text for a file that cannot be read.
void PutFile(const std::string& path, const std::string& bytes);
std::string GetFile(const std::string& path);

// Pumps the queue until it is empty (a few rounds for posted follow-ups).
void Pump();

// Starts a program and waits up to 30 s for it to end, answering the
// messages it sends to this thread's windows meanwhile; its exit code, or
// ~0u when it did not start or did not end.
DWORD RunProcess(const wchar_t* application, std::wstring commandLine, const wchar_t* directory = nullptr,
                 DWORD flags = 0);

// Runs a command of the Linux host through Wine and waits for it; true when
// it succeeded. Wine gives no waitable handle or exit code of a host
// program, so the command writes its code to a file.
bool RunOnHost(const std::string& command);

// The rows of a list box as another process reads them (LB_GETTEXTLEN and
// LB_GETTEXT from tests/app/list_reader.exe), in UTF-16.
std::vector<std::wstring> RowsSeenFromAnotherProcess(HWND list);

// Forgets every run recorded in this profile, so that undo takes the next one.
void ForgetAllRuns();

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Rows of the list, in order.
    std::vector<std::string> Rows() const;
    void List(const std::string& inputDir, const std::string& mask, bool recurse = true);

    std::unique_ptr<TempTree> tree;
    ScriptedDialogs dialogs;
    ScriptedShell shell;  // a test that wants the real shell sets it back
    std::unique_ptr<TfrMain> form;
    std::string savedDir;
};
