#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "chooser/fvybersoub_2.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "tests/app/gui_fixture.h"
#include "tests/text_1250/text_1250.h"

// The widgets' path helpers on Windows-1250 texts, as the tables below spell them.
std::vector<std::string> PathLevels(const std::string& directory) {
    std::vector<std::string> levels;
    for (const Text& level : PathLevels(From1250(directory))) levels.push_back(To1250(level));
    return levels;
}
char DriveOf(const std::string& path) { return DriveOf(From1250(path)); }
std::vector<std::string> MatchingFiles(const std::string& directory, const std::string& masks) {
    std::vector<std::string> names;
    for (const Text& name : MatchingFiles(From1250(directory), From1250(masks))) names.push_back(To1250(name));
    return names;
}

namespace {

// What a test does inside the open chooser; it ends by closing it.
std::function<void(Tvybersoubform&)> g_inside;
bool g_opened = false;

void CALLBACK InsideChooser(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    // The chooser's opening pumps messages before it shows: this comes again
    // while the test waits for it.
    if (!vybersoubform || !IsWindowVisible(vybersoubform->hwnd)) {
        if (g_inside) SetTimer(nullptr, 0, 10, InsideChooser);
        return;
    }
    g_opened = true;
    auto inside = std::move(g_inside);
    g_inside = nullptr;
    if (inside) inside(*vybersoubform);
}

// Closes a chooser that a test left open, so that a fault fails the test
// instead of hanging it.
void CALLBACK Watchdog(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (vybersoubform && vybersoubform->hwnd && IsWindowVisible(vybersoubform->hwnd)) {
        ADD_FAILURE() << "the chooser was still open";
        vybersoubform->SetModalResult(mrCancel);
    }
}

class Chooser : public MainWindowTest {
protected:
    // Opens the chooser with a click on the button and runs inside in it.
    void Open(HWND button, std::function<void(Tvybersoubform&)> inside) {
        g_inside = std::move(inside);
        g_opened = false;
        SetTimer(nullptr, 0, 10, InsideChooser);
        const UINT_PTR dog = SetTimer(nullptr, 0, 20000, Watchdog);
        SendMessageW(button, BM_CLICK, 0, 0);
        KillTimer(nullptr, dog);
        g_inside = nullptr;
        EXPECT_TRUE(g_opened);
    }
    void OpenForInput(std::function<void(Tvybersoubform&)> inside) { Open(form->BitBtn2.hwnd, std::move(inside)); }
    void OpenForOutput(std::function<void(Tvybersoubform&)> inside) { Open(form->BitBtn3.hwnd, std::move(inside)); }

    // A key press as the keyboard sends it, scan code included, so that
    // TranslateMessage makes its character.
    static void Key(HWND target, WPARAM key) {
        const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC)) << 16;
        PostMessageW(target, WM_KEYDOWN, key, scan | 1);
        PostMessageW(target, WM_KEYUP, key, scan | 1 | (3u << 30));
    }
    static void Click(const TControl& button) { PostMessageW(button.hwnd, BM_CLICK, 0, 0); }
    // A real double click on a row of the directory list.
    static void DoubleClickRow(const TControl& list, int row) {
        RECT r;
        SendMessageW(list.hwnd, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM(r.left + 30, (r.top + r.bottom) / 2);
        for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            SendMessageW(list.hwnd, m, m == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    }
    static int RowOf(const TControl& list, const std::string& text) {
        for (int i = 0; i < list.Count(); ++i)
            if (list.Item1250(i) == text) return i;
        ADD_FAILURE() << "no row " << text;
        return -1;
    }
    static std::vector<std::string> Items(const TControl& list) {
        std::vector<std::string> rows;
        for (int i = 0; i < list.Count(); ++i) rows.push_back(list.Item1250(i));
        return rows;
    }
    static std::vector<bool> Selection(const TControl& list) {
        std::vector<bool> s;
        for (int i = 0; i < list.Count(); ++i) s.push_back(list.Selected(i));
        return s;
    }
    std::vector<std::string> Warnings() const {
        std::vector<std::string> w;
        for (const auto& c : dialogs.calls)
            if (c.title == "Warning") w.push_back(c.text);
        return w;
    }
};

TEST_F(Chooser, WindowControlsAndTabOrder) {
    const std::string root = tree->Root();
    OpenForInput([&](Tvybersoubform& f) {
        EXPECT_EQ(To1250(f.Caption()), "Open Files");
        const RECT outer = f.OuterBounds();
        EXPECT_EQ(outer.left, 461);
        EXPECT_EQ(outer.top, 219);
        EXPECT_EQ(outer.right - outer.left, 367);
        EXPECT_EQ(outer.bottom - outer.top, 419);
        EXPECT_EQ(GetWindow(f.hwnd, GW_OWNER), form->hwnd);
        EXPECT_FALSE(IsWindowEnabled(form->hwnd));  // modal
        struct Bounds { const TControl* c; int l, t, w, h; const char* caption; };
        for (const Bounds& b : {Bounds{&f.DriveComboBox1, 8, 24, 145, 0, nullptr},
                                Bounds{&f.DirectoryOutline1, 8, 48, 145, 249, nullptr},
                                Bounds{&f.Edit1, 168, 40, 145, 21, "*.*"},
                                Bounds{&f.FileListBox1, 168, 80, 177, 217, nullptr},
                                Bounds{&f.FilterComboBox1, -128, 312, 145, 0, nullptr},
                                Bounds{&f.Button2, 16, 312, 73, 18, "Remove Dir"},
                                Bounds{&f.Button1, 104, 312, 57, 18, "Make Dir"},
                                Bounds{&f.Edit2, 160, 312, 73, 21, ""},
                                Bounds{&f.BitBtn2, 56, 352, 73, 25, "Select"},
                                Bounds{&f.BitBtn1, 240, 352, 73, 25, "Cancel"},
                                Bounds{&f.Label2, 8, 8, -1, -1, "Directory:"},
                                Bounds{&f.Label3, 168, 24, -1, -1, "Filter"},
                                Bounds{&f.Label1, 168, 64, -1, -1, "Files of the directory"}}) {
            const RECT r = b.c->Bounds();
            EXPECT_EQ(r.left, b.l) << b.c->Name();
            EXPECT_EQ(r.top, b.t) << b.c->Name();
            if (b.w >= 0) {
                EXPECT_EQ(r.right - r.left, b.w) << b.c->Name();
            }
            if (b.h > 0) {
                EXPECT_EQ(r.bottom - r.top, b.h) << b.c->Name();
            }
            if (b.caption) {
                EXPECT_EQ(b.c->Text1250(), b.caption) << b.c->Name();
            }
        }
        EXPECT_FALSE(f.FilterComboBox1.Visible());
        EXPECT_EQ(f.FilterComboBox1.Count(), 2);
        EXPECT_FALSE(f.FileListBox1.Enabled());
        EXPECT_TRUE(GetWindowLongPtrW(f.FileListBox1.hwnd, GWL_STYLE) & LBS_EXTENDEDSEL);
        EXPECT_TRUE(GetWindowLongPtrW(f.BitBtn2.hwnd, GWL_STYLE) & BS_DEFPUSHBUTTON);
        EXPECT_TRUE(f.KeyPreview);
        EXPECT_EQ(vybersoubform, &f);
        // Opened at the current directory, which the label shows.
        EXPECT_EQ(To1250(f.DirectoryOutline1.Directory()), root);
        EXPECT_EQ(f.Label_dir.Text1250(), root);
        EXPECT_EQ(To1250(f.FileListBox1.Directory()), root);
        EXPECT_EQ(f.DriveComboBox1.Drive(), DriveOf(root));
        // Wine's drives, c: among them, each with its volume name where it has one.
        bool haveC = false;
        for (int i = 0; i < f.DriveComboBox1.Count(); ++i) {
            SendMessageW(f.DriveComboBox1.hwnd, CB_SETCURSEL, i, 0);
            if (f.DriveComboBox1.Drive() == 'c') haveC = true;
        }
        EXPECT_TRUE(haveC);
        f.DriveComboBox1.SetDrive(DriveOf(root));
        // The directory list has the focus; Tab skips the disabled file list
        // and the hidden filter selector.
        EXPECT_EQ(GetFocus(), f.DirectoryOutline1.hwnd);
        std::vector<HWND> order;
        HWND at = f.DirectoryOutline1.hwnd;
        for (int i = 0; i < 8; ++i) order.push_back(at = GetNextDlgTabItem(f.hwnd, at, FALSE));
        EXPECT_EQ(order, (std::vector<HWND>{f.Edit1.hwnd, f.BitBtn1.hwnd, f.DriveComboBox1.hwnd,
                                            f.BitBtn2.hwnd, f.Button1.hwnd, f.Edit2.hwnd,
                                            f.Button2.hwnd, f.DirectoryOutline1.hwnd}));
        Key(f.DirectoryOutline1.hwnd, VK_RETURN);
    });
    EXPECT_TRUE(IsWindowEnabled(form->hwnd));
    EXPECT_FALSE(IsWindowVisible(vybersoubform->hwnd));  // kept, hidden
    EXPECT_EQ(form->Edit1.Text1250(), root);
}

TEST_F(Chooser, CancelAfterMovingReturnsTheOpeningDirectory) {
    tree->Dir("a");
    tree->Dir("a\\b");
    tree->Dir("c");
    const std::string root = tree->Root();
    form->Edit1.SetText("C:\\");
    OpenForInput([&](Tvybersoubform& f) {
        // The path's levels, then the subdirectories, sorted.
        const auto levels = PathLevels(root);
        auto rows = Items(f.DirectoryOutline1);
        ASSERT_EQ(rows.size(), levels.size() + 2);
        EXPECT_EQ(rows.back(), "c");
        EXPECT_EQ(f.DirectoryOutline1.Level(static_cast<int>(levels.size())), static_cast<int>(levels.size()));
        DoubleClickRow(f.DirectoryOutline1, RowOf(f.DirectoryOutline1, "a"));
        EXPECT_EQ(GetCurrentDir(), root + "\\a");  // moved at once
        EXPECT_EQ(f.Label_dir.Text1250(), root + "\\a");
        DoubleClickRow(f.DirectoryOutline1, RowOf(f.DirectoryOutline1, "b"));
        EXPECT_EQ(To1250(f.DirectoryOutline1.Directory()), root + "\\a\\b");
        // Escape reaches the chooser as Space through the main window's hook.
        Key(f.DirectoryOutline1.hwnd, VK_ESCAPE);
    });
    EXPECT_EQ(form->Edit1.Text1250(), root);
    EXPECT_EQ(GetCurrentDir(), root + "\\a\\b");
    EXPECT_EQ(form->Edit2.Text1250(), "*.*");
    EXPECT_TRUE(dialogs.calls.empty());  // no run was stopped: nothing asked

    // The next chooser opens where the last one left the current directory;
    // a level of the path moves back up.
    Tvybersoubform* first = vybersoubform;
    OpenForOutput([&](Tvybersoubform& f) {
        EXPECT_NE(&f, first);
        EXPECT_EQ(To1250(f.DirectoryOutline1.Directory()), root + "\\a\\b");
        DoubleClickRow(f.DirectoryOutline1, static_cast<int>(PathLevels(root).size()) - 1);
        EXPECT_EQ(To1250(f.DirectoryOutline1.Directory()), root);
        Click(f.BitBtn2);
    });
    EXPECT_EQ(form->Edit3.Text1250(), root);
    EXPECT_EQ(GetCurrentDir(), root);
}

TEST_F(Chooser, OkWithoutMovingReturnsTheOpeningDirectory) {
    tree->Dir("in");
    SetCurrentDir(tree->Path("in"));
    form->CheckBox4_rel.SetChecked(true);
    form->CheckBox4_relClick();  // relative mode: the edit rule shows the result relative
    OpenForOutput([&](Tvybersoubform& f) { Key(f.Edit2.hwnd, VK_RETURN); });
    EXPECT_EQ(GetCurrentDir(), tree->Path("in"));
    EXPECT_EQ(form->Edit3.Text1250(), "\\in");
    // A double click on the edits opens the chooser too.
    for (TControl* edit : {&form->Edit1, &form->Edit3}) {
        g_inside = [&](Tvybersoubform& f) { Click(f.BitBtn1); };
        g_opened = false;
        SetTimer(nullptr, 0, 10, InsideChooser);
        const UINT_PTR dog = SetTimer(nullptr, 0, 20000, Watchdog);
        SendMessageW(edit->hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
        KillTimer(nullptr, dog);
        g_inside = nullptr;
        EXPECT_TRUE(g_opened) << edit->Name();
        EXPECT_EQ(edit->Text1250(), "\\in") << edit->Name();
        EXPECT_EQ(GetCapture(), nullptr) << edit->Name();  // the next click goes where it is aimed
    }
}

TEST_F(Chooser, FilterMasksAndTheSelectAllToggle) {
    tree->Dir("music");
    for (const char* name : {"x.mp3", "Y.WAV", "z.txt", "a.prn", "b.MP3", "c.mp3.bak"}) tree->File(std::string("music\\") + name);
    tree->Dir("music\\d.mp3");  // a directory is no file
    SetCurrentDir(tree->Path("music"));
    form->Edit2.SetText("*.*");
    OpenForInput([&](Tvybersoubform& f) {
        EXPECT_EQ(Items(f.FileListBox1).size(), 6u);
        SetWindowTextW(f.Edit1.hwnd, L"*.mp3;*.wav");
        EXPECT_EQ(Items(f.FileListBox1), (std::vector<std::string>{"b.MP3", "x.mp3", "Y.WAV"}));
        // Both lists as a screen reader in another process reads them.
        for (const TControl* list : {static_cast<const TControl*>(&f.FileListBox1),
                                     static_cast<const TControl*>(&f.DirectoryOutline1)}) {
            std::vector<std::wstring> rows;
            for (const std::string& row : Items(*list)) rows.push_back(Widen(row));
            EXPECT_EQ(RowsSeenFromAnotherProcess(list->hwnd), rows) << list->Name();
        }
        EXPECT_EQ(To1250(f.FileListBox1.Mask()), "*.mp3;*.wav");
        // Ctrl+A: every file takes the opposite of the last file's selection.
        struct Step { std::vector<BYTE> held; std::vector<bool> before, after; };
        const std::vector<bool> none{false, false, false}, all{true, true, true};
        for (const Step& s : {Step{{VK_CONTROL}, none, all}, Step{{VK_CONTROL}, all, none},
                              Step{{VK_CONTROL}, {true, false, true}, none},
                              Step{{VK_CONTROL}, {false, true, false}, all},
                              Step{{VK_CONTROL, VK_SHIFT}, none, none}, Step{{}, none, none}}) {
            for (int i = 0; i < 3; ++i) f.FileListBox1.SetSelected(i, s.before[static_cast<std::size_t>(i)]);
            BYTE state[256] = {};
            for (BYTE v : s.held) state[v] = 0x80;
            SetKeyboardState(state);
            SendMessageW(f.DirectoryOutline1.hwnd, WM_KEYDOWN, 'A', 1);
            BYTE released[256] = {};
            SetKeyboardState(released);
            EXPECT_EQ(Selection(f.FileListBox1), s.after) << s.held.size();
        }
        Click(f.BitBtn2);
    });
    EXPECT_EQ(form->Edit2.Text1250(), "*.mp3;*.wav");
    EXPECT_EQ(form->Edit1.Text1250(), tree->Path("music"));

    // An empty mask leaves the design mask of the file list.
    form->Edit2.SetText("");
    OpenForInput([&](Tvybersoubform& f) {
        EXPECT_EQ(To1250(f.FileListBox1.Mask()), "*.txt; *.prn");
        EXPECT_EQ(Items(f.FileListBox1), (std::vector<std::string>{"a.prn", "z.txt"}));
        Click(f.BitBtn1);
    });
    EXPECT_EQ(form->Edit2.Text1250(), "");
}

TEST_F(Chooser, ABlankTypedIntoEitherEditClosesAsCancel) {
    tree->Dir("a");
    const std::string root = tree->Root();
    form->Edit2.SetText("*.mp");
    OpenForInput([&](Tvybersoubform& f) {
        DoubleClickRow(f.DirectoryOutline1, RowOf(f.DirectoryOutline1, "a"));
        f.Edit1.SetFocus();
        SendMessageW(f.Edit1.hwnd, EM_SETSEL, 4, 4);
        Key(f.Edit1.hwnd, '3');
        Pump();
        EXPECT_EQ(f.Edit1.Text1250(), "*.mp3");
        Key(f.Edit1.hwnd, VK_SPACE);
    });
    EXPECT_EQ(form->Edit2.Text1250(), "*.mp3");  // as it was before the blank
    Pump();
    EXPECT_EQ(vybersoubform->Edit1.Text1250(), "*.mp3");  // the blank's character went with its key
    EXPECT_EQ(form->Edit1.Text1250(), root);
    EXPECT_EQ(GetCurrentDir(), root + "\\a");
    OpenForOutput([&](Tvybersoubform& f) {
        f.Edit2.SetFocus();
        Key(f.Edit2.hwnd, VK_SPACE);
    });
    EXPECT_EQ(vybersoubform->Edit2.Text1250(), "");
    EXPECT_EQ(form->Edit3.Text1250(), root + "\\a");  // Cancel: where it opened
}

TEST_F(Chooser, MakeDir) {
    const std::string root = tree->Root();
    OpenForInput([&](Tvybersoubform& f) {
        // No name: the input box asks; cancelled, nothing is made, the list is still read again.
        tree->Dir("made behind its back");
        Click(f.Button1);
        Pump();
        ASSERT_EQ(dialogs.inputs.size(), 1u);
        EXPECT_EQ(dialogs.inputs[0].caption, "Input Box");
        EXPECT_EQ(dialogs.inputs[0].prompt, "Input New Directory Name:");
        EXPECT_EQ(dialogs.inputs[0].value, "");
        EXPECT_EQ(Items(f.DirectoryOutline1).back(), "made behind its back");
        EXPECT_EQ(f.Edit2.Text1250(), "");
        // A name entered: made in the directory shown, which the list does not enter.
        f.Edit2.SetText("  ");
        dialogs.inputAnswers.push_back("new one");
        Click(f.Button1);
        Pump();
        EXPECT_EQ(dialogs.inputs.size(), 2u);
        EXPECT_EQ(f.Edit2.Text1250(), "new one");
        EXPECT_TRUE(DirectoryExists(tree->Path("new one")));
        EXPECT_NE(RowOf(f.DirectoryOutline1, "new one"), -1);
        EXPECT_EQ(To1250(f.DirectoryOutline1.Directory()), root);
        EXPECT_TRUE(Warnings().empty());
        // The same name again: the input/output failure; no question this time.
        Click(f.Button1);
        Pump();
        EXPECT_EQ(dialogs.inputs.size(), 2u);
        EXPECT_EQ(Warnings(), std::vector<std::string>{"An EInOutError occurred"});
        // The untrimmed text names the directory.
        f.Edit2.SetText(" lead");
        Click(f.Button1);
        Pump();
        EXPECT_TRUE(DirectoryExists(tree->Path(" lead")));
        // A name beyond Windows-1250 makes that directory, under that name.
        SetWindowTextW(f.Edit2.hwnd, L"\u65e5\u672c");
        Click(f.Button1);
        Pump();
        EXPECT_EQ(Warnings().size(), 1u);
        EXPECT_TRUE(DirectoryExists(From1250(root) + u"\\\u65e5\u672c"));
        Click(f.BitBtn1);
    });
    int dirs = 0;
    DirEnumerator all(root + "\\*");
    DirEntry e;
    while (all.Next(e)) dirs += e.name != u"." && e.name != u"..";
    EXPECT_EQ(dirs, 4);
}

TEST_F(Chooser, RemoveDir) {
    tree->Dir("full");
    tree->File("full\\keep.txt");
    tree->Dir("empty");
    const std::string root = tree->Root();
    OpenForInput([&](Tvybersoubform& f) {
        // A directory with files: the warning, the list already at the parent.
        DoubleClickRow(f.DirectoryOutline1, RowOf(f.DirectoryOutline1, "full"));
        Click(f.Button2);
        Pump();
        EXPECT_EQ(Warnings(), std::vector<std::string>{"An EInOutError occurred"});
        EXPECT_EQ(To1250(f.DirectoryOutline1.Directory()), root);
        EXPECT_EQ(GetCurrentDir(), root);
        EXPECT_EQ(f.Label_dir.Text1250(), root);
        EXPECT_TRUE(FileExists(tree->Path("full\\keep.txt")));
        // An empty one goes, without a question.
        DoubleClickRow(f.DirectoryOutline1, RowOf(f.DirectoryOutline1, "empty"));
        Click(f.Button2);
        Pump();
        EXPECT_EQ(Warnings().size(), 1u);
        EXPECT_FALSE(DirectoryExists(tree->Path("empty")));
        EXPECT_EQ(To1250(f.DirectoryOutline1.Directory()), root);
        EXPECT_EQ(Items(f.DirectoryOutline1).back(), "full");
        // A drive's root is its own parent and cannot go.
        f.DirectoryOutline1.SetDirectory(u"C:\\");
        Click(f.Button2);
        Pump();
        EXPECT_EQ(Warnings().size(), 2u);
        EXPECT_EQ(To1250(f.DirectoryOutline1.Directory()), "C:\\");
        EXPECT_TRUE(DirectoryExists("C:\\windows"));
        Click(f.BitBtn1);
    });
    EXPECT_EQ(form->Edit1.Text1250(), root);
}

TEST_F(Chooser, ADriveChoiceMovesTheList) {
    const std::string root = tree->Root();
    const char other = DriveOf(root) == 'z' ? 'c' : 'z';
    OpenForInput([&](Tvybersoubform& f) {
        f.DriveComboBox1.SetDrive(other);
        ASSERT_EQ(f.DriveComboBox1.Drive(), other);
        SendMessageW(f.hwnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(f.DriveComboBox1.hwnd), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(f.DriveComboBox1.hwnd));
        EXPECT_EQ(DriveOf(To1250(f.DirectoryOutline1.Directory())), other);
        EXPECT_EQ(DriveOf(GetCurrentDir()), other);
        EXPECT_EQ(f.Label_dir.Text1250(), To1250(f.DirectoryOutline1.Directory()));
        Click(f.BitBtn1);
    });
    EXPECT_EQ(form->Edit1.Text1250(), root);
}

TEST_F(Chooser, FolderButtonsWaitWhileARunIsInProgress) {
    tree->Dir("in");
    tree->File("in\\a.txt");
    List(tree->Path("in"), "*.*");
    Tvybersoubform* before = vybersoubform;
    const UINT_PTR dog = SetTimer(nullptr, 0, 20000, Watchdog);
    PostMessageW(form->BitBtn2.hwnd, BM_CLICK, 0, 0);
    PostMessageW(form->Edit3.hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    form->Button3Click();  // the run pumps the clicks
    KillTimer(nullptr, dog);
    EXPECT_EQ(vybersoubform, before);
    EXPECT_EQ(GetCurrentDir(), tree->Root());
}

// Closing the main window while the chooser is open cancels the chooser;
// the main window closes once the folder button's handler has returned.
TEST_F(Chooser, ClosingTheMainWindowCancelsTheChooserFirst) {
    tree->Dir("a");
    const std::string before = form->Edit1.Text1250();
    OpenForInput([&](Tvybersoubform& f) {
        DoubleClickRow(f.DirectoryOutline1, RowOf(f.DirectoryOutline1, "a"));
        PostMessageW(form->hwnd, WM_CLOSE, 0, 0);
    });
    EXPECT_FALSE(IsWindowVisible(vybersoubform->hwnd));
    ASSERT_NE(form->hwnd, nullptr);  // still there while the handler ran
    EXPECT_EQ(form->Edit1.Text1250(), before);
    Pump();
    EXPECT_EQ(form->hwnd, nullptr);
}

// A large directory takes the chooser a while to read, before it shows and
// after: its fills pump. An Escape waiting when it opens asks to stop the
// opening, which Yes makes a Cancel. A filter typed while a fill is under
// way is not filled inside it: the fill starts again with the newest filter.
TEST_F(Chooser, FillsAnswerEscapeAndTheNewestFilterWins) {
    for (const char* name : {"a.mp3", "b.mp3", "c.txt"}) tree->File(name);
    const std::string before = form->Edit1.Text1250();
    dialogs.answers = {MsgResult::Yes};
    PostMessageW(form->hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    g_inside = [](Tvybersoubform& f) { Click(f.BitBtn1); };  // should it show after all
    g_opened = false;
    SetTimer(nullptr, 0, 10, InsideChooser);
    const UINT_PTR dog = SetTimer(nullptr, 0, 20000, Watchdog);
    SendMessageW(form->BitBtn2.hwnd, BM_CLICK, 0, 0);
    KillTimer(nullptr, dog);
    g_inside = nullptr;
    EXPECT_FALSE(g_opened);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].text, "Terminate the process? \rOpen Files");
    EXPECT_EQ(form->Edit1.Text1250(), before);
    EXPECT_EQ(GetCurrentDir(), tree->Root());

    form->Edit2.SetText("*.*");
    OpenForInput([&](Tvybersoubform& f) {
        // Typed while the fill of "*.mp" reads the directory.
        PostMessageW(f.Edit1.hwnd, EM_SETSEL, 4, 4);
        Key(f.Edit1.hwnd, '3');
        SetWindowTextW(f.Edit1.hwnd, L"*.mp");
        EXPECT_EQ(f.Edit1.Text1250(), "*.mp3");
        EXPECT_EQ(To1250(f.FileListBox1.Mask()), "*.mp3");
        EXPECT_EQ(Items(f.FileListBox1), (std::vector<std::string>{"a.mp3", "b.mp3"}));
        Click(f.BitBtn1);
    });
    EXPECT_EQ(dialogs.calls.size(), 1u);
}

TEST_F(Chooser, PathLevelsAndMatchingFiles) {
    struct Levels { const char* dir; std::vector<std::string> levels; };
    for (const Levels& l : {Levels{"C:\\", {"C:\\"}}, Levels{"C:\\a\\b c", {"C:\\", "a", "b c"}},
                            Levels{"\\\\srv\\share\\x", {"\\\\srv\\share\\", "x"}},
                            Levels{"\\\\srv\\share", {"\\\\srv\\share\\"}}})
        EXPECT_EQ(PathLevels(l.dir), l.levels) << l.dir;
    EXPECT_EQ(DriveOf("Z:\\x"), 'z');
    EXPECT_EQ(DriveOf("\\\\srv\\share"), 0);

    // "\xE8" is c with caron: after c, before d, as the locale orders letters.
    // page.html and photo.txt_old match "*.htm" and "*.txt" by their 8.3 names only.
    for (const char* name : {"a1.txt", "a22.txt", "B.TXT", "song.mp3", "noext", "x.mp3.txt", "d.txt", "\xE8.txt", "c.txt",
                             "page.html", "photo.txt_old"})
        tree->File(name);
    tree->Dir("dir.txt");
    struct Match { const char* masks; std::vector<std::string> names; };
    for (const Match& m : {Match{"*.txt", {"a1.txt", "a22.txt", "B.TXT", "c.txt", "\xE8.txt", "d.txt", "x.mp3.txt"}},
                           Match{"a?.txt", {"a1.txt"}},
                           Match{" *.mp3 ; a1.* ", {"a1.txt", "song.mp3"}},
                           Match{"a*;*.TXT;a*", {"a1.txt", "a22.txt", "B.TXT", "c.txt", "\xE8.txt", "d.txt", "x.mp3.txt"}},  // each once
                           Match{"A1.TXT", {"a1.txt"}},
                           Match{";;", {}}, Match{"", {}}, Match{"*.wav", {}}, Match{"*.htm", {}}})
        EXPECT_EQ(MatchingFiles(tree->Root(), m.masks), m.names) << m.masks;
}

}  // namespace
