// Times, on one tree: List Files without the counts line, the counts line
// alone over every row selected, and a bare FindFirstFileW/FindNextFileW
// walk that only counts (the platform's floor). Prints seconds.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/uMain.h"
#include "bench/clock.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

long long BareWalk(const std::wstring& dir) {
    long long files = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW((dir + L"\\*.*").c_str(), FindExInfoBasic, &fd,
                                FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ++files;
        } else if (std::wcscmp(fd.cFileName, L".") != 0 && std::wcscmp(fd.cFileName, L"..") != 0 &&
                   !(fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))) {
            files += BareWalk(dir + L"\\" + fd.cFileName);
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return files;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: list_bench DIR\n");
        return 2;
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    const Text root = FromW(argv[1]);

    double t = Now();
    const long long walked = BareWalk(argv[1]);
    const double bare = Now() - t;

    TfrMain form;
    form.Edit1.SetText(root);
    form.Edit2.SetText("*.*");
    t = Now();
    form.ListBox1.Clear();
    form.ListBox1.BeginUpdate();
    form.SearchFiles(root, u"*.*", true);
    form.ListBox1.EndUpdate();
    const double listing = Now() - t;

    form.ListBox1.SetAllSelected(true);
    t = Now();
    form.ListBox1Click();
    const double counts = Now() - t;

    std::printf("files %lld rows %d\n", walked, form.ListBox1.Count());
    std::printf("bare_walk %.3f\nlisting %.3f\ncounts_line %.3f\n", bare, listing, counts);
    std::printf("counts: %s\n", form.lblNumberFound.Text1250().c_str());
    return 0;
}
