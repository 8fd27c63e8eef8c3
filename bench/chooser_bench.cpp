// Times the directory chooser on one directory: a bare FindFirstFileW count
// of its entries (the platform's floor), the matching and sorting of the file
// names alone, opening the chooser there (the directory list and the file
// list filled, as a new chooser does before it shows), a filter of two masks
// typed into the filter box, and Ctrl+A over every file. Prints seconds.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "bench/clock.h"
#include "chooser/fvybersoub_2.h"
#include "platform/file_widgets.h"
#include "platform/text.h"

namespace {

long long BareCount(const std::wstring& dir) {
    long long entries = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW((dir + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                                nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do ++entries;
    while (FindNextFileW(h, &fd));
    FindClose(h);
    return entries;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: chooser_bench DIR\n");
        return 2;
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    const Text dir = FromW(argv[1]);

    double t = Now();
    const long long entries = BareCount(argv[1]);
    const double bare = Now() - t;

    t = Now();
    const std::size_t matched = MatchingFiles(dir, u"*.*").size();
    const double matching = Now() - t;

    Tvybersoubform form;
    t = Now();
    SetCurrentDirectoryW(argv[1]);
    form.OpenAtCurrentDir(u"*.*");
    const double opening = Now() - t;
    const int allRows = form.FileListBox1.Count();

    t = Now();
    form.Edit1.SetText("*.jpg;*.txt");
    const double filter = Now() - t;
    const int filtered = form.FileListBox1.Count();

    form.Edit1.SetText("*.*");
    t = Now();
    form.BitBtn3Click();
    const double selectAll = Now() - t;

    std::printf("entries %lld matched %u rows %d filtered %d subdirs %d\n", entries,
                static_cast<unsigned>(matched), allRows, filtered, form.DirectoryOutline1.Count());
    std::printf("bare_count %.3f\nmatching %.3f\nopening %.3f\nfilter %.3f\nselect_all %.3f\n", bare,
                matching, opening, filter, selectAll);
    return 0;
}
