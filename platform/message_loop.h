#pragma once
// The program's own message loop: every message taken from the queue passes
// the application hook first, then the dialog keys of its form, then
// TranslateMessage and DispatchMessage. Modal loops and the pump of a long
// run go through the same steps.
#include <windows.h>

#include <functional>

using ApplicationHook = std::function<void(MSG&)>;

void SetApplicationHook(ApplicationHook hook);
void CallApplicationHook(MSG& msg);

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();
// Handles every message waiting in the queue, then returns. A WM_QUIT found
// there is posted again so that the main loop still ends.
void ProcessMessages();
// Runs the loop until done is set or the window is gone.
void RunModalLoop(HWND window, const bool& done);
