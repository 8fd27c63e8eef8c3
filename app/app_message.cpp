#include "app/uMain.h"
#include "platform/dialogs.h"

namespace {

// Keys and clicks with which a list changes its selection (the wheel and the
// scroll bar only scroll).
bool ChangesListSelection(const MSG& msg) {
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return true;
    default:
        return false;
    }
}

}  // namespace

// The Escape hook. Every message taken from the queue passes here before it
// is dispatched: an Escape key-down offers to stop the run of the last form
// whose operation is stoppable, and reaches the focused control as Space, except in this
// window while a run or a listing goes on: there it changes nothing (a Space
// would select the list's caret row alone, or type a blank into an option).
// While a run goes on the list also takes no input that selects rows; the
// run works on the rows selected at its start.
void TfrMain::AppMessage(MSG& msg) {
    const bool busyHere = runInProgress_ && msg.hwnd && GetAncestor(msg.hwnd, GA_ROOT) == hwnd;
    const bool escape = msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE;
    if (!escape) {
        if (busyHere && RunningRows() && msg.hwnd == ListBox1.hwnd && ChangesListSelection(msg))
            msg.message = WM_NULL;
        return;
    }
    if (EscapeBusy) return;
    EscapeBusy = true;  // the question's own loop passes through here too
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{EscapeBusy};
    // Rewritten first: the message is dispatched as Space whatever follows.
    msg.wParam = VK_SPACE;
    if (busyHere) msg.message = WM_NULL;
    const auto& forms = TForm::ApplicationForms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        TForm* form = *it;
        if (form->Tag != StopSignal::Stoppable) continue;
        if (Confirm(u"Terminate the process? \r" + form->Caption())) form->Tag = StopSignal::Asked;
        break;
    }
}
