// Helper of ./run: "wait-main" waits up to 10 s for the main window to be
// shown, "close-main" asks it to close. Exit code 0 when it was found.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
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
