#include <windows.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "app/uFileInfo.h"
#include "platform/date_text.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "tests/app/gui_fixture.h"
#include "tests/text_1250/text_1250.h"

namespace {

class ListTools : public MainWindowTest {
protected:
    void ThreeRows() {
        tree->Dir("in");
        for (const char* n : {"a.txt", "b.txt", "c.txt"}) tree->File(std::string("in\\") + n);
        List(tree->Path("in"), "*.*");
        ASSERT_EQ(Rows().size(), 3u);
    }
    std::vector<bool> Selection() const {
        std::vector<bool> s;
        for (int i = 0; i < form->ListBox1.Count(); ++i) s.push_back(form->ListBox1.Selected(i));
        return s;
    }
    std::string Lines(const std::vector<std::string>& rows) const {
        std::string t;
        for (const auto& r : rows) t += r + "\r\n";
        return t;
    }
    void Press(HWND target, UINT down, UINT up, WPARAM wParam = 0) {
        PostMessageW(target, down, wParam, MAKELPARAM(5, 5));
        PostMessageW(target, up, wParam, MAKELPARAM(5, 5));
        Pump();
    }
};

TEST_F(ListTools, InvertAndCtrlAChangeTheSelectionOnly) {
    ThreeRows();
    form->ListBox1.SetSelected(1, false);
    form->ListBox1Click();
    const std::string counts = form->lblNumberFound.Text1250();
    // A real right click on "Mark All".
    Press(form->BitBtn4.hwnd, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON);
    EXPECT_EQ(Selection(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(form->lblNumberFound.Text1250(), counts);
    // A quick second right click arrives as a double click: it inverts again.
    Press(form->BitBtn4.hwnd, WM_RBUTTONDBLCLK, WM_RBUTTONUP, MK_RBUTTON);
    EXPECT_EQ(Selection(), (std::vector<bool>{true, false, true}));
    Press(form->BitBtn4.hwnd, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON);
    EXPECT_EQ(form->ListCount, 3);
    // Keys in the list: only Ctrl+A, with neither Shift nor Alt, selects all.
    form->ListBox1.SetFocus();
    struct Keys { std::vector<BYTE> held; bool all; };
    for (const Keys& k : {Keys{{VK_SHIFT, VK_CONTROL}, false}, Keys{{VK_CONTROL, VK_MENU}, false},
                          Keys{{}, false}, Keys{{VK_CONTROL}, true}}) {
        BYTE state[256] = {};
        for (BYTE v : k.held) state[v] = 0x80;
        SetKeyboardState(state);
        PostMessageW(form->ListBox1.hwnd, WM_KEYDOWN, 'A', 0);
        Pump();
        EXPECT_EQ(Selection() == (std::vector<bool>{true, true, true}), k.all) << k.held.size();
        BYTE none[256] = {};
        SetKeyboardState(none);
    }
    EXPECT_EQ(form->lblNumberFound.Text1250(), counts);
    // A key on "Mark All" itself does nothing (A there is its access key).
    form->ListBox1.SetAllSelected(false);
    form->BitBtn4.SetFocus();
    PostMessageW(form->BitBtn4.hwnd, WM_KEYDOWN, 'Q', 0);
    Pump();
    EXPECT_EQ(Selection(), (std::vector<bool>{false, false, false}));
}

// The list holds no data of a row, the selection is still the control's:
// clicks and the selection keys act as in any list of several choices.
TEST_F(ListTools, ClicksAndKeysSelectRows) {
    tree->Dir("in");
    for (int i = 0; i < 6; ++i) tree->File("in\\f" + std::to_string(i) + ".txt");
    List(tree->Path("in"), "*.*");
    ASSERT_EQ(Rows().size(), 6u);
    ASSERT_EQ(SendMessageW(form->ListBox1.hwnd, LB_GETITEMHEIGHT, 0, 0), 13);
    form->ListBox1.SetFocus();
    auto click = [&](int row, WPARAM keys) {
        return [this, row, keys] {
            RECT r{};
            SendMessageW(form->ListBox1.hwnd, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
            PostMessageW(form->ListBox1.hwnd, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(r.left + 2, r.top + 2));
            PostMessageW(form->ListBox1.hwnd, WM_LBUTTONUP, keys, MAKELPARAM(r.left + 2, r.top + 2));
        };
    };
    auto key = [&](WORD vk, std::vector<BYTE> held) {
        return [this, vk, held] {
            BYTE state[256] = {};
            for (BYTE v : held) state[v] = 0x80;
            SetKeyboardState(state);
            SendMessageW(form->ListBox1.hwnd, WM_KEYDOWN, vk, 0);
            BYTE none[256] = {};
            SetKeyboardState(none);
        };
    };
    const std::vector<std::tuple<const char*, std::function<void()>, std::vector<bool>>> steps = {
        {"click", click(2, 0), {false, false, true, false, false, false}},
        {"Ctrl+click", click(4, MK_CONTROL), {false, false, true, false, true, false}},
        {"Ctrl+click on a selected row", click(2, MK_CONTROL), {false, false, false, false, true, false}},
        {"Shift+click", click(1, MK_SHIFT), {false, true, true, false, false, false}},
        {"Down", key(VK_DOWN, {}), {false, false, true, false, false, false}},
        {"Shift+Down", key(VK_DOWN, {VK_SHIFT}), {false, false, true, true, false, false}},
        {"Shift+End", key(VK_END, {VK_SHIFT}), {false, false, true, true, true, true}},
        {"Home", key(VK_HOME, {}), {true, false, false, false, false, false}},
        {"Ctrl+A", key('A', {VK_CONTROL}), {true, true, true, true, true, true}},
    };
    for (const auto& [what, input, selection] : steps) {
        input();
        Pump();
        EXPECT_EQ(Selection(), selection) << what;
    }
    // A click is a change of the selection: the counts line follows it.
    click(3, 0)();
    Pump();
    EXPECT_EQ(form->lblNumberFound.Text1250().substr(0, 26), "6 files found (1 selected)");
}

TEST_F(ListTools, SaveWritesEveryRowAndTellsWhere) {
    // An empty list writes an empty file.
    PutFile(tree->Path("content.txt"), "old contents that are longer");
    form->BitBtn5Click();
    EXPECT_EQ(GetFile(tree->Path("content.txt")), "");
    ThreeRows();
    // A row in Windows-1250.
    tree->File("in\\\xE8\x9A.txt");
    List(tree->Path("in"), "*.*");
    dialogs.calls.clear();
    Press(form->BitBtn5.hwnd, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
    EXPECT_EQ(GetFile(tree->Path("content.txt")), Lines(Rows()));
    EXPECT_NE(GetFile(tree->Path("content.txt")).find("\xE8\x9A.txt\r\n"), std::string::npos);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].kind, MsgKind::Plain);
    EXPECT_EQ(dialogs.calls[0].text, "Saved to: \r" + tree->Root() + "\\\rcontent.txt");
}

TEST_F(ListTools, SelectionSaveFromEachOfTheFourButtons) {
    ThreeRows();
    form->ListBox1.SetSelected(1, false);
    const std::vector<std::string> selected = {Rows()[0], Rows()[2]};
    for (HWND button : {form->BitBtn5.hwnd, form->BitBtn8.hwnd, form->BitBtn6.hwnd, form->BitBtn7.hwnd}) {
        DeleteFileW(Widen(tree->Path("sel_content.txt")).c_str());
        dialogs.calls.clear();
        Press(button, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON);
        EXPECT_EQ(GetFile(tree->Path("sel_content.txt")), Lines(selected));
        ASSERT_EQ(dialogs.calls.size(), 1u);
        DeleteFileW(Widen(tree->Path("sel_content.txt")).c_str());
        Press(button, WM_RBUTTONDBLCLK, WM_RBUTTONUP, MK_RBUTTON);  // a quick second one saves again
        EXPECT_EQ(GetFile(tree->Path("sel_content.txt")), Lines(selected));
        ASSERT_EQ(dialogs.calls.size(), 2u);
        EXPECT_EQ(dialogs.calls[0].text, "Selection saved to: \r" + tree->Root() + "\\\rsel_content.txt");
    }
    EXPECT_TRUE(shell.calls.empty());  // Notepad and Init open nothing on a right click
    EXPECT_FALSE(FileExists(tree->Path("content.txt")));
    EXPECT_EQ(form->WorkList, nullptr);
    EXPECT_EQ(To1250(form->CurrentPath), selected.back());
    // Nothing selected: an empty file.
    form->ListBox1.SetAllSelected(false);
    form->BitBtn5MouseDown(MouseButton::Right);
    EXPECT_EQ(GetFile(tree->Path("sel_content.txt")), "");
}

TEST_F(ListTools, NotepadOnTheListFile) {
    ThreeRows();
    form->BitBtn8Click();
    EXPECT_EQ(GetFile(tree->Path("content.txt")), Lines(Rows()));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].operation, "");
    EXPECT_EQ(shell.calls[0].file, "notepad");
    EXPECT_EQ(shell.calls[0].parameters, tree->Root() + "\\content.txt");  // not quoted
    EXPECT_TRUE(dialogs.calls.empty());
    for (std::intptr_t failed : {32, 2, 0}) {
        shell.result = failed;
        dialogs.calls.clear();
        form->BitBtn8Click();
        ASSERT_EQ(dialogs.calls.size(), 1u);
        EXPECT_EQ(dialogs.calls[0].kind, MsgKind::Warning);
        EXPECT_EQ(dialogs.calls[0].text, "Couldn't execute the application");
    }
}

TEST_F(ListTools, UnwritableBaseDirectoryShowsTheErrorOnly) {
    ThreeRows();
    tree->Dir("content.txt");  // a folder where the file would go
    tree->Dir("sel_content.txt");
    for (HWND button : {form->BitBtn5.hwnd, form->BitBtn8.hwnd}) {
        dialogs.calls.clear();
        Press(button, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON);
        ASSERT_EQ(dialogs.calls.size(), 1u);
        EXPECT_EQ(dialogs.calls[0].kind, MsgKind::Error);
        EXPECT_NE(dialogs.calls[0].text.find("content.txt"), std::string::npos);
    }
    dialogs.calls.clear();
    Press(form->BitBtn6.hwnd, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].kind, MsgKind::Error);
    EXPECT_TRUE(shell.calls.empty());
}

// Reads the open dialog from inside its modal loop, then closes it.
struct DialogSeen {
    bool open = false;
    std::string file, name, size, modified, shortName, caption;
    RECT client{};
};
DialogSeen g_seen;

void CALLBACK ReadAndClose(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (!frFileInfo) return;
    g_seen.open = true;
    g_seen.file = frFileInfo->lblFile.Text1250();
    g_seen.name = frFileInfo->lblName.Text1250();
    g_seen.size = frFileInfo->lblSize.Text1250();
    g_seen.modified = frFileInfo->lblModified.Text1250();
    g_seen.shortName = frFileInfo->lblShortName.Text1250();
    g_seen.caption = To1250(frFileInfo->Caption());
    GetClientRect(frFileInfo->hwnd, &g_seen.client);
    // Closed by Enter on its focused Close button, as a user would.
    PostMessageW(frFileInfo->BitBtn1.hwnd, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(ListTools, FileInformationOfTheCurrentRow) {
    tree->Dir("in");
    PutFile(tree->Path("in\\A long file name.text"), std::string(1234, 'x'));
    tree->File("in\\short.txt", 7);
    // A known last-write time: 15 April 2011, 10:20 UTC.
    SYSTEMTIME st{2011, 4, 5, 15, 10, 20, 0, 0};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    HANDLE h = CreateFileW(Widen(tree->Path("in\\short.txt")).c_str(), FILE_WRITE_ATTRIBUTES, 0,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
    FILETIME local;
    SYSTEMTIME lst;
    FileTimeToLocalFileTime(&ft, &local);
    FileTimeToSystemTime(&local, &lst);
    wchar_t date[80];
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &lst, nullptr, date, 80);

    List(tree->Path("in"), "*.*");
    const auto rows = Rows();
    for (const std::string& name : {std::string("A long file name.text"), std::string("short.txt")}) {
        const int row = static_cast<int>(std::find(rows.begin(), rows.end(), tree->Path("in\\" + name)) - rows.begin());
        SendMessageW(form->ListBox1.hwnd, LB_SETCARETINDEX, row, 0);
        g_seen = {};
        SetTimer(nullptr, 0, 100, ReadAndClose);
        form->ListBox1DblClick();
        ASSERT_TRUE(g_seen.open) << name;
        EXPECT_EQ(frFileInfo, nullptr);
        EXPECT_EQ(g_seen.caption, "frFileInfo");
        EXPECT_EQ(g_seen.client.right, 229);
        EXPECT_EQ(g_seen.client.bottom, 176);
        EXPECT_EQ(g_seen.file, tree->Path("in\\" + name));
        EXPECT_EQ(g_seen.name, name);
        if (name == "short.txt") {
            EXPECT_EQ(g_seen.size, "7 bytes");
            EXPECT_EQ(g_seen.modified, Narrow(date));
            EXPECT_EQ(g_seen.shortName, "");  // the name fits 8.3
        } else {
            EXPECT_EQ(g_seen.size, "1234 bytes");
            EXPECT_FALSE(g_seen.shortName.empty());
            EXPECT_LE(g_seen.shortName.size(), 12u);
            EXPECT_NE(g_seen.shortName.find('~'), std::string::npos) << g_seen.shortName;
        }
        EXPECT_TRUE(IsWindowEnabled(form->hwnd));
    }
    // A vanished file, rows with wildcards that another file would match, and
    // a list without rows: no dialog, and the program goes on.
    DeleteFileW(Widen(tree->Path("in\\short.txt")).c_str());
    for (const char* row : {"in\\short.txt", "in\\A?long file name.text", "in\\A long*", "in\\A long file name.tex?", ""}) {
        form->ListBox1.Clear();
        if (*row) form->ListBox1.Add(tree->Path(row));
        SendMessageW(form->ListBox1.hwnd, LB_SETCARETINDEX, 0, 0);
        g_seen = {};
        SetTimer(nullptr, 0, 100, ReadAndClose);
        form->ListBox1DblClick();
        Pump();
        Sleep(150);
        Pump();
        EXPECT_FALSE(g_seen.open) << row;
    }
}

// Screen readers and automation tools read the rows from another process,
// whole, after List Files and after a run has rewritten them.
TEST_F(ListTools, RowsReadWholeFromAnotherProcess) {
    tree->Dir("in");
    tree->Dir("out");
    for (const char* name : {"a.txt", "P\xEDse\xF2.txt"}) tree->File(std::string("in\\") + name);
    List(tree->Path("in"), "*.*");
    // Windows hands another process a row's text only from a list "with
    // strings"; without the style it hands over the item data (Wine hands the
    // text either way).
    EXPECT_TRUE(GetWindowLongPtrW(form->ListBox1.hwnd, GWL_STYLE) & LBS_HASSTRINGS);
    // The control itself keeps no string for a row (under Wine an allocation
    // a row): asked directly, it tells the size of the item data, not the
    // length of a text of its own.
    const auto control = reinterpret_cast<WNDPROC>(GetClassLongPtrW(form->ListBox1.hwnd, GCLP_WNDPROC));
    EXPECT_EQ(CallWindowProcW(control, form->ListBox1.hwnd, LB_GETTEXTLEN, 0, 0),
              static_cast<LRESULT>(sizeof(ULONG_PTR)));
    // Nor any data of a row: only a list without any takes its count as such.
    EXPECT_NE(CallWindowProcW(control, form->ListBox1.hwnd, LB_SETCOUNT, form->ListBox1.Count(), 0), LB_ERR);
    EXPECT_EQ(SendMessageW(form->ListBox1.hwnd, LB_GETCOUNT, 0, 0), form->ListBox1.Count());
    auto shown = [&] {
        std::vector<std::wstring> rows;
        for (const std::string& row : Rows()) rows.push_back(Widen(row));
        return rows;
    };
    EXPECT_EQ(RowsSeenFromAnotherProcess(form->ListBox1.hwnd), shown());
    form->Edit3.SetText(tree->Path("out"));
    form->Button3Click();
    ASSERT_NE(Rows()[0].find(" -> "), std::string::npos);
    form->ListBox1.Add(std::string(700, 'x'));  // longer than any fixed buffer
    EXPECT_EQ(RowsSeenFromAnotherProcess(form->ListBox1.hwnd), shown());

    // A caller sizes its buffer by the length it is told; a row rewritten in
    // between is cut to that length, never written past the buffer.
    const LRESULT told = SendMessageW(form->ListBox1.hwnd, LB_GETTEXTLEN, 0, 0);
    ASSERT_GT(told, 0);
    form->ListBox1.SetItem(0, Rows()[0] + " and a good deal longer than before");
    std::vector<wchar_t> buffer(static_cast<std::size_t>(told) + 9, L'#');
    EXPECT_EQ(SendMessageW(form->ListBox1.hwnd, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer.data())), told);
    EXPECT_EQ(buffer[static_cast<std::size_t>(told)], L'\0');
    EXPECT_EQ(buffer[static_cast<std::size_t>(told) + 1], L'#');
    EXPECT_EQ(std::wstring(buffer.data()), shown()[0].substr(0, static_cast<std::size_t>(told)));
}

// The real shell starts Wine's notepad on the list file.
TEST_F(ListTools, RealNotepadOpensTheListFile) {
    SetShell(nullptr);
    ThreeRows();
    form->BitBtn8Click();
    EXPECT_TRUE(dialogs.calls.empty());
    HWND notepad = nullptr;
    for (int i = 0; i < 200 && !notepad; ++i) {
        notepad = FindWindowW(L"Notepad", nullptr);
        if (!notepad) Sleep(50);
    }
    ASSERT_NE(notepad, nullptr);
    wchar_t title[256] = {};
    for (int i = 0; i < 100; ++i) {
        GetWindowTextW(notepad, title, 256);
        if (std::wstring(title).find(L"content") != std::wstring::npos) break;
        Sleep(50);
    }
    EXPECT_NE(std::wstring(title).find(L"content"), std::wstring::npos) << Narrow(title);
    PostMessageW(notepad, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100 && IsWindow(notepad); ++i) Sleep(50);
    EXPECT_FALSE(IsWindow(notepad));
}

}  // namespace
