#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "commands/batch_text.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "tests/app/gui_fixture.h"
#include "tests/text_1250/text_1250.h"

namespace {

const char* const kSameDirectory = "Source and output directory is the same!\rThis function will not work in this way\rContinue anyway";
const char* const kProceed = "Batch file created, do you want to proceed?";

class Batches : public MainWindowTest {
protected:
    std::string P(const std::string& rel) const { return tree->Path(rel); }
    void Put(const std::string& rel, const std::string& bytes) const { PutFile(P(rel), bytes); }
    std::string Get(const std::string& rel) const { return GetFile(P(rel)); }
    // The batch file Go writes around these lines.
    static std::string Wrapped(const std::string& lines) { return BatchFileText(SplitLines(lines)); }
    void TwoSongs() {
        tree->Dir("in");
        tree->Dir("in\\sub");
        Put("in\\a.mp3", "a");
        Put("in\\sub\\b.mp3", "b");
        List(P("in"), "*.mp3");
        form->Edit3.SetText(P("out"));
    }
    // The written batch run by the system's cmd in the base directory, waited for.
    void RunBatch(const std::string& batch) const {
        EXPECT_NE(RunProcess(nullptr, L"cmd /c \"" + Widen(batch) + L"\"", Widen(tree->Root()).c_str(),
                             CREATE_NO_WINDOW),
                  ~0u);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& c : dialogs.calls) t.push_back(c.text);
        return t;
    }
    // The command line of each listed row, in list order.
    std::string CommandsFor(const std::string& templ) const {
        std::string out;
        for (const std::string& row : Rows()) {
            const std::string source = row.substr(0, row.find(" -> "));
            const std::string target = row.substr(row.find(" -> ") + 4);
            std::string line = templ;
            line.replace(line.find("%1"), 2, source);
            line.replace(line.find("%2"), 2, target);
            out += line + "\r\n\r\n";
        }
        return out;
    }
};

TEST_F(Batches, WorkedExampleBothFilesEqualCommentGone) {
    Put("commands_ini.txt", "REM converted by lame\r\necho off\r\n");
    Put("commands_to_process.txt", "lame --resample 22 %file1% %FiLe2%");
    TwoSongs();
    form->CheckBox2.SetChecked(true);  // Move: still nothing is moved
    form->Button6Click();
    const std::string expected = Wrapped("echo off\r\n\r\n" + CommandsFor("lame --resample 22 %1 %2"));
    EXPECT_EQ(Get("commands_to_run.bat"), expected);
    EXPECT_EQ(Get("temp.bat"), expected);
    EXPECT_NE(expected.find(P("out\\sub\\b.mp3")), std::string::npos);
    EXPECT_TRUE(DirectoryExists(P("out\\sub")));  // made before the batch runs
    EXPECT_FALSE(FileExists(P("out\\a.mp3")));
    EXPECT_EQ(Get("in\\a.mp3"), "a");
    EXPECT_FALSE(form->CheckBox_Command.Checked());
    // Notepad on temp.bat, then the question; No leaves the files written.
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].file, "notepad");
    EXPECT_EQ(shell.calls[0].parameters, P("temp.bat"));
    EXPECT_EQ(Texts(), std::vector<std::string>{kProceed});
    EXPECT_EQ(dialogs.calls[0].kind, MsgKind::Confirmation);

    // Yes: the batch is opened; a failure shows the last expansion.
    shell.calls.clear();
    dialogs.calls.clear();
    List(P("in"), "*.mp3");
    dialogs.answers = {MsgResult::Yes};
    form->Button6Click();
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[1].file, P("commands_to_run.bat"));
    EXPECT_EQ(shell.calls[1].parameters, "");
    EXPECT_EQ(dialogs.calls.size(), 1u);
    shell.result = 31;
    dialogs.calls.clear();
    List(P("in"), "*.mp3");
    dialogs.answers = {MsgResult::Ok, MsgResult::Yes, MsgResult::Ok};
    form->Button6Click();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Couldn't execute the application", kProceed,
                                                 "Couldn't execute the application\r" + To1250(form->ExpandedCommands)}));
    EXPECT_EQ(To1250(form->ExpandedCommands).substr(0, 19), "lame --resample 22 ");
}

TEST_F(Batches, TemplatesMissingEmptyOrUnreadable) {
    TwoSongs();
    // No templates: Notepad on the head template once and on the per-file one per row.
    form->Button6Click();
    ASSERT_EQ(shell.calls.size(), 4u);
    EXPECT_EQ(shell.calls[0].parameters, P("commands_ini.txt"));
    EXPECT_EQ(shell.calls[1].parameters, P("commands_to_process.txt"));
    EXPECT_EQ(shell.calls[2].parameters, P("commands_to_process.txt"));
    EXPECT_EQ(shell.calls[3].parameters, P("temp.bat"));
    EXPECT_EQ(Get("commands_to_run.bat"), Wrapped(""));
    // An empty head and a template without placeholders or final line break.
    Put("commands_ini.txt", "");
    Put("commands_to_process.txt", "echo same\r\nrem gone\r\n  REMOVE x\r\n\r\necho end");
    List(P("in"), "*.mp3");
    form->Button6Click();
    const std::string block = "echo same\r\n\r\necho end\r\n\r\n";
    EXPECT_EQ(Get("commands_to_run.bat"), Wrapped("\r\n" + block + block));
    // A template held by another program: the warning, and the run goes on.
    List(P("in"), "*.mp3");
    HANDLE held = CreateFileW(Widen(P("commands_to_process.txt")).c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    dialogs.calls.clear();
    form->Button6Click();
    CloseHandle(held);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"An EFOpenError occurred", "An EFOpenError occurred", kProceed}));
    EXPECT_EQ(Get("commands_to_run.bat"), Wrapped("\r\n"));
    EXPECT_EQ(form->ListBox1.SelCount(), 0);  // both rows were still transferred
}

TEST_F(Batches, GoStopsAtItsQuestionsAndWithNothingSelected) {
    Put("commands_ini.txt", "@echo off");
    Put("commands_to_process.txt", "x %file1%");
    TwoSongs();
    // Nothing selected: only the head, and Go still offers to run it.
    form->ListBox1.SetAllSelected(false);
    form->Button6Click();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"No files selected ...", kProceed}));
    EXPECT_EQ(Get("commands_to_run.bat"), Wrapped("@echo off\r\n\r\n"));
    // No at the run's same-directory question: nothing is written.
    DeleteFileW(Widen(P("commands_to_run.bat")).c_str());
    DeleteFileW(Widen(P("temp.bat")).c_str());
    form->Edit3.SetText(P("in"));
    List(P("in"), "*.mp3");
    dialogs.calls.clear();
    form->Button6Click();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Source and output directory is the same!\rAre you sure you want to continue?"}));
    EXPECT_FALSE(FileExists(P("temp.bat")));
    EXPECT_FALSE(FileExists(P("commands_to_run.bat")));
    // Yes there, No at Go's own: temp.bat holds the last expansion only.
    dialogs.calls.clear();
    dialogs.answers = {MsgResult::Yes, MsgResult::No};
    form->Button6Click();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Source and output directory is the same!\rAre you sure you want to continue?",
                                                 kSameDirectory}));
    EXPECT_EQ(dialogs.calls[1].kind, MsgKind::Warning);
    EXPECT_EQ(Get("temp.bat"), "@echo off\r\n");
    EXPECT_FALSE(FileExists(P("commands_to_run.bat")));
}

TEST_F(Batches, InitAndCommandsOpenTheirTemplates) {
    form->BitBtn7Click();
    form->BitBtn6Click();
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[0].file, "notepad");
    EXPECT_EQ(shell.calls[0].parameters, P("commands_ini.txt"));
    EXPECT_EQ(shell.calls[1].parameters, P("commands_to_process.txt"));
    EXPECT_TRUE(dialogs.calls.empty());
    shell.result = 0;
    form->BitBtn7Click();
    EXPECT_EQ(Texts(), std::vector<std::string>{"Couldn't execute the application"});
    EXPECT_FALSE(FileExists(P("commands_ini.txt")));
}

// Whether the system's cmd does what Windows' does where Wine's may not:
// read the lines after a chcp in the new code page, and keep a '!' that a
// variable expands to under delayed expansion.
struct CmdReading {
    bool chcp = false;
    bool expandedExclamation = false;
};

// Names that cmd would split at '&', expand at '%' or '!', strip of '^', end
// a block at ')' or read in another code page reach the commands as they are
// named, inside the template's quotes and outside them, with delayed
// expansion off and on; the console's code page is 1250 while the lines run
// and as it was afterwards, and nothing but the copies is written.
TEST_F(Batches, RealBatchTakesEveryNameAsItIs) {
    const std::vector<std::string> names = {"a & del keep.txt & b.mp3", "100% pure.mp3", "x%file2%.mp3",
                                            "up^down.mp3", "c^&d.mp3", "Song (live).mp3", "wow!.mp3",
                                            "two!x^y!.mp3", "P\xEDse\xF2.mp3", "\xC8" "ech (live).mp3"};
    const auto beyondAscii = [](const std::string& name) {
        return std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) > 127; });
    };
    // The probes: a batch of the test's own in a folder of its own, run by the same cmd.
    CmdReading cmd;
    tree->Dir("probe");
    Put("probe\\probe.bat", "@chcp 1250 >nul 2>&1\r\n@echo x>\"%~dp0\xED.txt\"\r\n"
                            "@set \"e=!\"\r\n@setlocal EnableDelayedExpansion\r\n@>\"%~dp0bang.txt\" echo a!e!b\r\n");
    RunBatch(P("probe\\probe.bat"));
    cmd.chcp = FileExists(P("probe\\\xED.txt"));
    cmd.expandedExclamation = Get("probe\\bang.txt") == "a!b\r\n";
    std::printf("cmd reads the lines after chcp 1250 in it: %s; keeps an expanded '!': %s\n", cmd.chcp ? "yes" : "no",
                cmd.expandedExclamation ? "yes" : "no");

    Put("keep.txt", "keep");
    tree->Dir("in");
    for (const std::string& name : names) Put("in\\" + name, name);
    Put("commands_to_process.txt",
        "copy \"%file1%\" \"%file2%\" >nul\r\n"
        ">>echoed.txt echo ^\"%file1%\r\n"
        "if exist \"%file1%\" (\r\n"
        "  >>echoed.txt echo %file2%\r\n"
        ")");
    for (const bool delayed : {false, true}) {
        SCOPED_TRACE(delayed ? "delayed expansion" : "no delayed expansion");
        Put("commands_ini.txt", std::string("@echo off\r\n") + (delayed ? "setlocal EnableDelayedExpansion\r\n" : "") +
                                    ">codepage.txt chcp");
        List(P("in"), "*.mp3");
        form->Edit3.SetText(P("out"));
        form->Button6Click();
        EXPECT_NE(RunProcess(nullptr, L"cmd /c \"chcp >before.txt & call \"" + Widen(P("commands_to_run.bat")) +
                                          L"\" & chcp >after.txt\"",
                             Widen(tree->Root()).c_str(), CREATE_NO_WINDOW),
                  ~0u);
        EXPECT_EQ(Get("codepage.txt"), "Active code page: 1250\r\n");
        EXPECT_EQ(Get("after.txt"), Get("before.txt"));
        EXPECT_NE(Get("before.txt"), "Active code page: 1250\r\n");

        // Names this cmd cannot be given by any batch text (Wine's, see the
        // README) must at least touch nothing.
        std::vector<std::string> arrived;
        for (const std::string& name : names)
            if ((cmd.chcp || !beyondAscii(name)) &&
                (cmd.expandedExclamation || !delayed || name.find('!') == std::string::npos))
                arrived.push_back(name);
        const std::string echoed = Get("echoed.txt");
        for (const std::string& name : arrived) {
            EXPECT_EQ(Get("out\\" + name), name);
            EXPECT_NE(echoed.find("\"" + P("in\\" + name) + "\r\n"), std::string::npos) << name;
            EXPECT_NE(echoed.find("\n" + P("out\\" + name) + "\r\n"), std::string::npos) << name;
        }
        std::vector<std::string> written, expected = arrived;
        DirEntry entry;
        for (DirEnumerator out(P("out\\*")); out.Next(entry);)
            if (!entry.IsDirectory()) written.push_back(To1250(entry.name));
        std::sort(written.begin(), written.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(written, expected);
        for (const std::string& name : names) EXPECT_EQ(Get("in\\" + name), name);
        std::vector<std::string> top;
        for (DirEnumerator root(P("*")); root.Next(entry);)
            if (entry.name != u"." && entry.name != u"..") top.push_back(To1250(entry.name));
        std::sort(top.begin(), top.end());
        EXPECT_EQ(top, (std::vector<std::string>{"after.txt", "before.txt", "codepage.txt", "commands_ini.txt",
                                                 "commands_to_process.txt", "commands_to_run.bat", "echoed.txt",
                                                 "in", "keep.txt", "out", "probe", "temp.bat"}));
        EXPECT_EQ(Get("keep.txt"), "keep");
        for (const std::string& name : written) DeleteFileW(Widen(P("out\\" + name)).c_str());
        DeleteFileW(Widen(P("echoed.txt")).c_str());
    }
}

// Names beyond Windows-1250 (Cyrillic, CJK, an emoji, a combining mark): a
// cmd that reads a batch in UTF-8 after chcp 65001 (Windows') gets every one
// as it is named; Wine 8's reads every line in its OEM code page, and there a
// source reaches it by its short name while a destination it cannot be given
// is refused with the reason and expands nothing, so that nothing of it is
// written under a misread name.
TEST_F(Batches, RealBatchCarriesNamesBeyondWindows1250) {
    const auto W = [&](const std::string& rel, const std::wstring& name) { return Widen(P(rel)) + L"\\" + name; };
    const auto PutW = [](const std::wstring& path, const std::string& bytes) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    };
    const auto Entries = [](const std::wstring& dir) {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do
            if (std::wstring(found.cFileName) != L"." && std::wstring(found.cFileName) != L"..")
                names.push_back(found.cFileName);
        while (FindNextFileW(search, &found));
        FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto T = [](const std::wstring& w) { return Text(w.begin(), w.end()); };
    // The test's own probe: a UTF-8 line after chcp 65001 names its file.
    tree->Dir("probe");
    Put("probe\\probe.bat", "@chcp 65001 >nul 2>&1\r\n@echo x>\"%~dp0\xD0\x96.txt\"\r\n");
    RunBatch(P("probe\\probe.bat"));
    const bool utf8 = Entries(Widen(P("probe"))) == std::vector<std::wstring>{L"probe.bat", L"\x0416.txt"};
    std::printf("cmd reads UTF-8 lines after chcp 65001: %s\n", utf8 ? "yes" : "no");

    const std::vector<std::wstring> names = {L"\x041F\x0435\x0441\x043D\x044F & (1).mp3", L"\x6B4C 100%.mp3",
                                             L"\xD83D\xDE00!.mp3", L"c\x030C.mp3"};
    tree->Dir("in");
    tree->Dir("out");
    for (const std::wstring& name : names) PutW(W("in", name), "n");
    // An ASCII name in a folder named beyond Windows-1250, into an ASCII destination.
    CreateDirectoryW(W("in", L"\x0416\x0438\x0437\x043D\x044C").c_str(), nullptr);
    PutW(W("in", L"\x0416\x0438\x0437\x043D\x044C\\plain.mp3"), "p");
    Put("commands_ini.txt", "@echo off");
    Put("commands_to_process.txt", "copy \"%file1%\" \"%file2%\" >nul\r\ncopy %file1% %file2%.2 >nul");
    form->Batch.clear();
    EXPECT_EQ(form->ExpandCommands(form->CommandsIniPath, Text(), Text()), Text());
    for (const std::wstring& name : names) {
        const Text refusal = form->ExpandCommands(form->CommandsToProcessPath, T(W("in", name)), T(W("out", name)));
        EXPECT_EQ(refusal.empty(), utf8) << ToUtf8(T(name));
        EXPECT_EQ(form->CommandsRefusal(T(W("in", name)), T(W("out", name))), refusal);
    }
    EXPECT_EQ(form->ExpandCommands(form->CommandsToProcessPath, T(W("in", L"\x0416\x0438\x0437\x043D\x044C\\plain.mp3")),
                                   T(W("out", L"plain.mp3"))),
              Text());
    // A line break in a name (Linux and network shares allow one) would end
    // the command in the middle of the path: refused, nothing added.
    const Text broken = T(W("in", L"two\nlines.mp3"));
    const auto batchBefore = form->Batch;
    EXPECT_EQ(form->ExpandCommands(form->CommandsToProcessPath, broken, T(W("out", L"x.mp3"))),
              u"A batch cannot give cmd this name: it holds a control character\r" + broken);
    EXPECT_EQ(form->Batch, batchBefore);
    PutFile(P("commands_to_run.bat"), BatchFileText(form->Batch));
    RunBatch(P("commands_to_run.bat"));

    std::vector<std::wstring> expected = {L"plain.mp3", L"plain.mp3.2"};
    if (utf8)
        for (const std::wstring& name : names) {
            expected.push_back(name);
            expected.push_back(name + L".2");
        }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Entries(Widen(P("out"))), expected);
    EXPECT_EQ(GetFile(P("out\\plain.mp3")), "p");
    EXPECT_EQ(Entries(Widen(P("in"))).size(), names.size() + 1);  // the sources stay
    EXPECT_EQ(Entries(Widen(tree->Root())),
              (std::vector<std::wstring>{L"commands_ini.txt", L"commands_to_process.txt", L"commands_to_run.bat", L"in",
                                         L"out", L"probe", L"temp.bat"}));
}

// A generated batch run for real: Wine's shell opens it and its cmd runs it.
TEST_F(Batches, RealBatchCopiesEveryFile) {
    SetShell(nullptr);
    Put("commands_ini.txt", "@echo off\r\nrem the head");
    Put("commands_to_process.txt", "copy %file1% %file2%.done");
    TwoSongs();
    dialogs.answers = {MsgResult::Yes};
    form->Button6Click();
    EXPECT_EQ(Texts(), std::vector<std::string>{kProceed});
    bool done = false;
    for (int i = 0; i < 300 && !done; ++i) {
        done = GetFile(P("out\\a.mp3.done")) == "a" && GetFile(P("out\\sub\\b.mp3.done")) == "b";
        if (!done) Sleep(50);
    }
    EXPECT_TRUE(done);
    // Notepad was opened on temp.bat; close it again.
    for (int i = 0; i < 100; ++i) {
        HWND notepad = FindWindowW(L"Notepad", nullptr);
        if (notepad) {
            PostMessageW(notepad, WM_CLOSE, 0, 0);
            break;
        }
        Sleep(50);
    }
}

}  // namespace
