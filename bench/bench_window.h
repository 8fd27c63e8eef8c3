#pragma once
// The main window of a benchmark: shown, with the input folder, the mask
// "*.*" and the output folder set, as a user leaves it before List Files.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/uMain.h"
#include "platform/dialogs.h"
#include "platform/message_loop.h"

inline void InitBenchControls() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
}

inline void ShowBenchWindow(TfrMain& form, const std::string& input, const std::string& output) {
    frMain = &form;
    form.Show();
    ProcessMessages();
    form.Edit1.SetText(input);
    form.Edit2.SetText("*.*");
    form.Edit3.SetText(output);
}

// Every question of the program answered Yes, every message box OK.
class AnswerYes : public Dialogs {
public:
    MsgResult Ask(MsgKind, const Text&, const Text&, MsgButtons buttons) override {
        return buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::Ok;
    }
    bool InputQuery(const Text&, const Text&, Text&) override { return false; }
};
