// The program's own window and run copying every file below a folder into
// another (or moving them, with "move"), for a test that kills it at some
// moment of the run; and the program started again, undoing the last run
// from its system menu, every box answered Yes and its text written to
// BOXES (one line each, "\r" as "|"):
//   copy_child INPUT OUTPUT [move]
//   copy_child undo BOXES
// Exit codes: 0 done, 2 bad arguments, 3 the undo item greyed at the start.
#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <string>

#include "app/uMain.h"
#include "platform/dialogs.h"
#include "platform/text.h"

namespace {

class YesToAll : public Dialogs {
public:
    explicit YesToAll(const wchar_t* path) : out_(path, std::ios::binary) {}
    MsgResult Ask(MsgKind, const Text&, const Text& text, MsgButtons) override {
        std::string line = To1250(text);
        for (char& c : line)
            if (c == '\r') c = '|';
        out_ << line << '\n';
        out_.flush();
        return MsgResult::Yes;
    }
    bool InputQuery(const Text&, const Text&, Text&) override { return false; }

private:
    std::ofstream out_;
};

int Undo(const wchar_t* boxes) {
    YesToAll dialogs(boxes);
    SetDialogs(&dialogs);
    frMain = new TfrMain;
    frMain->Show();
    // As a user opens the system menu: the item is greyed or not from the runs on the disk.
    SendMessageW(frMain->hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSystemMenu(frMain->hwnd, FALSE)),
                 MAKELPARAM(0, TRUE));
    const UINT state = GetMenuState(GetSystemMenu(frMain->hwnd, FALSE), TfrMain::kUndoItem, MF_BYCOMMAND);
    if (state == static_cast<UINT>(-1) || (state & MF_GRAYED)) return 3;
    SendMessageW(frMain->hwnd, WM_SYSCOMMAND, TfrMain::kUndoItem, 0);
    delete frMain;
    SetDialogs(nullptr);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    if (argc == 3 && std::wstring(argv[1]) == L"undo") return Undo(argv[2]);
    if (argc != 3 && !(argc == 4 && std::wstring(argv[3]) == L"move")) return 2;
    frMain = new TfrMain;
    frMain->Show();
    frMain->Edit1.SetText(FromW(argv[1]));
    frMain->Edit2.SetText(u"*.*");
    frMain->CheckBox1.SetChecked(true);
    frMain->Button1Click();
    frMain->Edit3.SetText(FromW(argv[2]));
    frMain->CheckBox2.SetChecked(argc == 4);
    frMain->Button2Click();
    delete frMain;
    return 0;
}
