#include "platform/dialogs.h"

#include <windows.h>

#include "platform/input_box.h"
#include "platform/message_loop.h"
#include "platform/text.h"

const char* const kApplicationTitle = "Kolvar_files";

namespace {

HHOOK g_filterHook = nullptr;
bool g_yesNoBox = false;  // the innermost open box asks Yes or No

// A message box runs Windows' own loop; this hook hands its messages to the
// application hook as well, so Escape is treated alike everywhere. In a
// Yes/No box, which has no Cancel for Windows to map Escape to, Escape
// answers No and goes no further. A repeated Enter goes no further either.
LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && lParam) {
        MSG& msg = *reinterpret_cast<MSG*>(lParam);
        if (IsRepeatedEnter(msg)) return TRUE;
        if (g_yesNoBox && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && msg.hwnd) {
            PostMessageW(GetAncestor(msg.hwnd, GA_ROOT), WM_COMMAND, IDNO, 0);
            return TRUE;
        }
        CallApplicationHook(msg);
    }
    return CallNextHookEx(g_filterHook, code, wParam, lParam);
}

class RealDialogs : public Dialogs {
public:
    MsgResult Ask(MsgKind kind, const Text& title, const Text& text, MsgButtons buttons) override {
        UINT flags = buttons == MsgButtons::YesNo ? MB_YESNO : MB_OK;
        switch (kind) {
            case MsgKind::Warning: flags |= MB_ICONWARNING; break;
            case MsgKind::Information: flags |= MB_ICONINFORMATION; break;
            case MsgKind::Confirmation: flags |= MB_ICONQUESTION; break;
            case MsgKind::Error: flags |= MB_ICONERROR; break;
            case MsgKind::Plain: break;
        }
        HHOOK outer = g_filterHook;
        const bool outerYesNo = g_yesNoBox;
        g_filterHook = SetWindowsHookExW(WH_MSGFILTER, MessageFilter, nullptr, GetCurrentThreadId());
        g_yesNoBox = buttons == MsgButtons::YesNo;
        int r = MessageBoxW(GetActiveWindow(), W(text), W(title),
                            flags | MB_TASKMODAL);
        if (g_filterHook) UnhookWindowsHookEx(g_filterHook);
        g_filterHook = outer;
        g_yesNoBox = outerYesNo;
        if (buttons == MsgButtons::Ok) return MsgResult::Ok;
        return r == IDYES ? MsgResult::Yes : MsgResult::No;
    }
    bool InputQuery(const Text& caption, const Text& prompt, Text& value) override {
        return ShowInputBox(caption, prompt, value);
    }
};

RealDialogs g_real;
Dialogs* g_current = &g_real;

}  // namespace

Dialogs& TheDialogs() { return *g_current; }
void SetDialogs(Dialogs* dialogs) { g_current = dialogs ? dialogs : &g_real; }

void ShowWarning(const Text& text) {
    TheDialogs().Ask(MsgKind::Warning, u"Warning", text, MsgButtons::Ok);
}
void ShowInformation(const Text& text) {
    TheDialogs().Ask(MsgKind::Information, u"Information", text, MsgButtons::Ok);
}
void ShowPlainMessage(const Text& text) {
    TheDialogs().Ask(MsgKind::Plain, From1250(kApplicationTitle), text, MsgButtons::Ok);
}
void ShowError(const Text& text) {
    TheDialogs().Ask(MsgKind::Error, u"Error", text, MsgButtons::Ok);
}
bool Confirm(const Text& text) {
    return TheDialogs().Ask(MsgKind::Confirmation, u"Confirm", text, MsgButtons::YesNo) ==
           MsgResult::Yes;
}
bool AskWarningYesNo(const Text& text) {
    return TheDialogs().Ask(MsgKind::Warning, u"Warning", text, MsgButtons::YesNo) ==
           MsgResult::Yes;
}
bool InputQuery(const Text& caption, const Text& prompt, Text& value) {
    return TheDialogs().InputQuery(caption, prompt, value);
}
