// Reads a list box of another process as a screen reader does, with
// LB_GETCOUNT, LB_GETTEXTLEN and LB_GETTEXT:
//   list_reader HWND OUTFILE   writes the rows to OUTFILE in UTF-16, each ended by a line feed
#include <windows.h>

#include <cstdlib>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const HWND list = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(argv[1], nullptr, 10)));
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (count < 0) return 1;
    std::wstring out;
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        if (length < 0) return 1;
        std::wstring row(static_cast<std::size_t>(length) + 1, L'\0');
        const LRESULT got = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row.data()));
        if (got < 0) return 1;
        row.resize(static_cast<std::size_t>(got));
        out += row + L"\n";
    }
    HANDLE h = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(h, out.data(), static_cast<DWORD>(out.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(h);
    return 0;
}
