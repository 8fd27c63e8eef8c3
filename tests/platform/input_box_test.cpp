#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/dialogs.h"
#include "platform/input_box.h"
#include "platform/text.h"
#include "tests/text_1250/text_1250.h"

namespace {

// What the box showed, and how the test answered it.
struct Seen {
    std::wstring caption, prompt;
    bool found = false;
} g_seen;
bool g_confirm = true;

BOOL CALLBACK ReadChild(HWND child, LPARAM) {
    wchar_t cls[32], text[256];
    GetClassNameW(child, cls, 32);
    GetWindowTextW(child, text, 256);
    if (lstrcmpiW(cls, L"Static") == 0) g_seen.prompt = text;
    if (lstrcmpiW(cls, L"Edit") == 0) {
        SetWindowTextW(child, L"typed \u010d");  // a letter of Windows-1250
        PostMessageW(child, WM_KEYDOWN, g_confirm ? VK_RETURN : 'Q', 1);
    }
    if (!g_confirm && lstrcmpW(text, L"Cancel") == 0) PostMessageW(child, BM_CLICK, 0, 0);
    return TRUE;
}

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND box = FindWindowW(L"TInputBox", nullptr);
    if (!box) return;
    g_seen.found = true;
    wchar_t caption[256];
    GetWindowTextW(box, caption, 256);
    g_seen.caption = caption;
    EnumChildWindows(box, ReadChild, 0);
}

TEST(InputBox, TheRealBoxConfirmedAndCancelled) {
    for (bool confirm : {true, false}) {
        g_seen = Seen{};
        g_confirm = confirm;
        SetTimer(nullptr, 0, 20, AnswerBox);
        std::string value = "start";
        const bool ok = InputQuery("Input Box", "Input New Directory Name:", value);
        EXPECT_TRUE(g_seen.found);
        EXPECT_EQ(g_seen.caption, L"Input Box");
        EXPECT_EQ(g_seen.prompt, L"Input New Directory Name:");
        EXPECT_EQ(ok, confirm);
        EXPECT_EQ(value, confirm ? Narrow(L"typed \u010d") : "start") << confirm;
    }
}

}  // namespace
