#include <windows.h>
#include <commctrl.h>

#include "app/uMain.h"
#include "platform/dialogs.h"
#include "platform/message_loop.h"
#include "transfer/text_ops.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    SetTextOpsMessageSink([](const std::string& text) { ShowPlainMessage(text); });
    frMain = new TfrMain;
    frMain->Show();
    const int code = RunMessageLoop();
    delete frMain;
    return code;
}
