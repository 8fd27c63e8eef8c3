#include <windows.h>
#include <commctrl.h>

#include "platform/fs.h"
#include "platform/message_loop.h"
#include "tests/app/gui_fixture.h"
#include "tests/text_1250/text_1250.h"

namespace {

// Records the key codes that reach a control's window procedure.
LRESULT CALLBACK RecordKeys(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_KEYDOWN) reinterpret_cast<std::vector<WPARAM>*>(ref)->push_back(wp);
    return DefSubclassProc(h, msg, wp, lp);
}

class EscapeHook : public MainWindowTest {
protected:
    void PressEscape(HWND target) {
        PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0);
        Pump();
    }
    std::vector<WPARAM> keys;
    void Watch(HWND h) { SetWindowSubclass(h, RecordKeys, 7, reinterpret_cast<DWORD_PTR>(&keys)); }
};

class OtherForm : public TForm {
public:
    explicit OtherForm(bool owned, const std::string& caption) : TForm(owned) {
        CreateFrame(L"KolvarTestForm", caption, 10, 10, 200, 100, FontSpec{});
    }
};

TEST_F(EscapeHook, WithoutARunEscapeArrivesAsSpaceAndNothingIsAsked) {
    Watch(form->Edit_Delimiter.hwnd);
    form->Edit_Delimiter.SetFocus();
    PressEscape(form->Edit_Delimiter.hwnd);
    EXPECT_TRUE(dialogs.calls.empty());
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0], static_cast<WPARAM>(VK_SPACE));
    EXPECT_EQ(form->Tag, 0);
    EXPECT_FALSE(form->EscapeBusy);
}

TEST_F(EscapeHook, AnswersDecideTheTag) {
    struct Case { MsgResult answer; int tag; };
    for (const Case c : {Case{MsgResult::Yes, 555}, Case{MsgResult::No, 999}}) {
        dialogs.calls.clear();
        keys.clear();
        Watch(form->ListBox1.hwnd);
        form->Tag = 999;
        dialogs.answers = {c.answer};
        PressEscape(form->ListBox1.hwnd);
        ASSERT_EQ(dialogs.calls.size(), 1u);
        EXPECT_EQ(dialogs.calls[0].kind, MsgKind::Confirmation);
        EXPECT_EQ(dialogs.calls[0].title, "Confirm");
        EXPECT_EQ(dialogs.calls[0].buttons, MsgButtons::YesNo);
        EXPECT_EQ(dialogs.calls[0].text,
                  "Terminate the process? \rKolvar specified files from subdirectories  (v1.69)");
        EXPECT_EQ(form->Tag, c.tag);
        ASSERT_EQ(keys.size(), 1u);
        EXPECT_EQ(keys[0], static_cast<WPARAM>(VK_SPACE));
    }
}

TEST_F(EscapeHook, EscapeInsideTheQuestionIsNeitherRewrittenNorAskedAgain) {
    // What the hook leaves of each key-down, in the order the loops take them.
    SetApplicationHook([&](MSG& m) {
        form->AppMessage(m);
        if (m.message == WM_KEYDOWN) keys.push_back(m.wParam);
    });
    form->Tag = 999;
    // While the question is open its loop takes a second Escape from the queue.
    dialogs.whileOpen = [&] {
        EXPECT_TRUE(form->EscapeBusy);
        PostMessageW(form->Edit1.hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        ProcessMessages();
    };
    PressEscape(form->Edit1.hwnd);
    EXPECT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(form->Tag, 999);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0], static_cast<WPARAM>(VK_ESCAPE));  // the inner one, untouched
    EXPECT_EQ(keys[1], static_cast<WPARAM>(VK_SPACE));
    EXPECT_FALSE(form->EscapeBusy);
}

TEST_F(EscapeHook, TheLastApplicationFormWithTag999IsAsked) {
    OtherForm owned(true, "Chooser-like");
    OtherForm notOwned(false, "Owned by the main window");
    form->Tag = 999;
    owned.Tag = 999;
    notOwned.Tag = 999;
    dialogs.answers = {MsgResult::Yes};
    PressEscape(form->Edit1.hwnd);
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].text, "Terminate the process? \rChooser-like");
    EXPECT_EQ(owned.Tag, 555);
    EXPECT_EQ(form->Tag, 999);
    EXPECT_EQ(notOwned.Tag, 999);

    owned.Tag = 0;  // only a form that is not the application's has 999 now
    form->Tag = 0;
    dialogs.calls.clear();
    PressEscape(form->Edit1.hwnd);
    EXPECT_TRUE(dialogs.calls.empty());
}

TEST_F(EscapeHook, OtherKeysPassUnchanged) {
    Watch(form->Edit1.hwnd);
    form->Tag = 999;
    PostMessageW(form->Edit1.hwnd, WM_KEYDOWN, 'Q', 0);
    PostMessageW(form->Edit1.hwnd, WM_KEYUP, VK_ESCAPE, 0);
    Pump();
    EXPECT_TRUE(dialogs.calls.empty());
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0], static_cast<WPARAM>('Q'));
}

HWND g_box = nullptr;

void CALLBACK PressEscapeInBox(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_box = GetActiveWindow();
    HWND ok = GetDlgItem(g_box, IDOK);
    PostMessageW(ok ? ok : g_box, WM_KEYDOWN, VK_ESCAPE, 0);  // rewritten to Space
    PostMessageW(ok ? ok : g_box, WM_KEYUP, VK_SPACE, 0);     // a full press of Space: OK
}

// A real message box runs Windows' own loop; its messages reach the hook too.
TEST_F(EscapeHook, RealMessageBoxLoopPassesThroughTheHook) {
    SetDialogs(nullptr);
    std::vector<std::pair<HWND, WPARAM>> seen;  // the key's top-level window and code
    SetApplicationHook([&](MSG& m) {
        form->AppMessage(m);
        if (m.message == WM_KEYDOWN) seen.push_back({GetAncestor(m.hwnd, GA_ROOT), m.wParam});
    });
    g_box = nullptr;
    SetTimer(nullptr, 0, 200, PressEscapeInBox);
    ShowInformation("A real box");
    SetDialogs(&dialogs);
    ASSERT_NE(g_box, nullptr);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().second, static_cast<WPARAM>(VK_SPACE));
    EXPECT_EQ(seen.back().first, g_box);
}

void CALLBACK PressEscapeOnYes(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    g_box = GetActiveWindow();
    HWND yes = GetDlgItem(g_box, IDYES);
    PostMessageW(yes, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(yes, WM_KEYUP, VK_SPACE, 0);  // would click Yes if Escape became Space
}

// Escape in a real Yes/No box answers No; it is neither ignored, as Windows
// does in a box without Cancel, nor turned into Space on the default Yes.
TEST_F(EscapeHook, EscapeInARealYesNoBoxAnswersNo) {
    SetDialogs(nullptr);
    g_box = nullptr;
    SetTimer(nullptr, 0, 200, PressEscapeOnYes);
    const bool yes = AskWarningYesNo("Do you really want to DELETE the files?");
    SetDialogs(&dialogs);
    ASSERT_NE(g_box, nullptr);
    EXPECT_FALSE(yes);
    EXPECT_FALSE(IsWindow(g_box));
}

// An Enter key-down as the keyboard repeats it while the key is held: bit 30
// tells that the key was down already.
constexpr LPARAM kEnterRepeated = (28 << 16) | 1 | (1 << 30);

void CALLBACK HoldEnterOnYes(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND box = GetActiveWindow();
    wchar_t kind[16] = L"";
    GetClassNameW(box, kind, 16);
    if (lstrcmpW(kind, L"#32770") != 0) {  // not open yet
        SetTimer(nullptr, 0, 50, HoldEnterOnYes);
        return;
    }
    g_box = box;
    HWND yes = GetDlgItem(box, IDYES);  // the default button, which has the focus
    for (int i = 0; i < 3; ++i) PostMessageW(yes, WM_KEYDOWN, VK_RETURN, kEnterRepeated);
    PostMessageW(yes, WM_KEYUP, VK_RETURN, (28 << 16) | 1 | (3u << 30));
    PostMessageW(yes, WM_KEYDOWN, VK_ESCAPE, 0);  // then the answer No
}

using Keys = MainWindowTest;

// A held Enter clicks a push button once: the repeats are dropped, also by
// the question the click opens, whose default button they would press.
TEST_F(Keys, AHeldEnterClicksOnceAndAnswersNoQuestion) {
    // Save: one box for one press, however long.
    PostMessageW(form->BitBtn5.hwnd, WM_KEYDOWN, VK_RETURN, (28 << 16) | 1);
    for (int i = 0; i < 3; ++i) PostMessageW(form->BitBtn5.hwnd, WM_KEYDOWN, VK_RETURN, kEnterRepeated);
    Pump();
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].text.rfind("Saved to:", 0), 0u);

    // Delete, with the real question: Enter held on the button.
    tree->Dir("in");
    for (const char* name : {"in\\a.txt", "in\\b.txt"}) tree->File(name);
    List(tree->Path("in"), "*.*");
    ASSERT_EQ(form->ListBox1.SelCount(), 2);
    SetDialogs(nullptr);
    g_box = nullptr;
    SetTimer(nullptr, 0, 50, HoldEnterOnYes);
    PostMessageW(form->Button5.hwnd, WM_KEYDOWN, VK_RETURN, (28 << 16) | 1);
    Pump();
    SetDialogs(&dialogs);
    ASSERT_NE(g_box, nullptr);
    EXPECT_FALSE(IsWindow(g_box));
    EXPECT_TRUE(FileExists(tree->Path("in\\a.txt")));
    EXPECT_TRUE(FileExists(tree->Path("in\\b.txt")));
}

}  // namespace
