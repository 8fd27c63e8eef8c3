#include "app/uMain.h"
#include "platform/dialogs.h"

// The Escape hook. Every message taken from the queue passes here before it
// is dispatched: an Escape key-down offers to stop the run of the last form
// whose Tag is 999, and always reaches the focused control as Space.
void TfrMain::AppMessage(MSG& msg) {
    if (EscapeBusy || msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return;
    EscapeBusy = true;  // the question's own loop passes through here too
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{EscapeBusy};
    // Rewritten first: the message is dispatched as Space whatever follows.
    msg.wParam = VK_SPACE;
    const auto& forms = TForm::ApplicationForms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        TForm* form = *it;
        if (form->Tag != 999) continue;
        if (Confirm("Terminate the process? \r" + form->Caption())) form->Tag = 555;
        break;
    }
}
