#include "platform/message_loop.h"

namespace {

ApplicationHook& Hook() {
    static ApplicationHook hook;
    return hook;
}

void HandleMessage(MSG& msg) {
    if (IsRepeatedEnter(msg)) return;
    CallApplicationHook(msg);
    // Tab, arrow and access keys of the top-level window the message is for.
    // Enter and Escape go to the focused control, as in a window that is not
    // a dialog (Enter in the mask box starts the listing).
    const bool enterOrEscape = (msg.message == WM_KEYDOWN || msg.message == WM_CHAR) &&
                               (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE);
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && !enterOrEscape && (GetWindowLongPtrW(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) &&
        IsDialogMessageW(root, &msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

}  // namespace

bool IsRepeatedEnter(const MSG& msg) {
    return (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam == VK_RETURN &&
           (msg.lParam & (1 << 30)) != 0;
}

void SetApplicationHook(ApplicationHook hook) { Hook() = std::move(hook); }

void CallApplicationHook(MSG& msg) {
    if (Hook()) Hook()(msg);
}

int RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) HandleMessage(msg);
    return static_cast<int>(msg.wParam);
}

bool MessagesWaiting() { return HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE)) != 0; }

void ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        HandleMessage(msg);
    }
}

void RunModalLoop(HWND window, const bool& done) {
    MSG msg;
    while (!done && IsWindow(window)) {
        BOOL r = GetMessageW(&msg, nullptr, 0, 0);
        if (r <= 0) {
            if (r == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        HandleMessage(msg);
    }
}
