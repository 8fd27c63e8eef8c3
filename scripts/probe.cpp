// Helper of the scripts: "wait-main" waits up to 10 s for the main window to
// be shown, "close-main" asks it to close (exit code 0 when it was found);
// "hold" keeps a Windows process alive, so that Wine's desktop process is
// not ended and started again for every test program.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    if (std::wcscmp(argv[1], L"hold") == 0) {
        GetDesktopWindow();
        Sleep(INFINITE);
    }
    for (int i = 0; i < 100; ++i) {
        HWND h = FindWindowW(L"TfrMain", nullptr);
        if (h && IsWindowVisible(h)) {
            if (std::wcscmp(argv[1], L"close-main") == 0) PostMessageW(h, WM_CLOSE, 0, 0);
            return 0;
        }
        Sleep(100);
    }
    return 1;
}
