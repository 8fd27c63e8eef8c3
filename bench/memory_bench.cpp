// The memory of the main window's rows, in the real window: the process's
// private bytes and working set before List Files of DIR, after it, and after
// a Try run into DIR_out, with the characters the rows hold at each point.
// After each point it prints a line and, given WAIT, waits until the file
// WAIT exists and removes it, so that bench/memory.sh can read the process's
// memory from the kernel meanwhile (Wine 8 leaves PrivateUsage 0, and opens
// files through its server, so the process cannot read its own /proc).
//   memory_bench DIR [WAIT]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "bench/bench_window.h"
#include "platform/text.h"

namespace {

struct Sample {
    double privateBytes = 0, workingSet = 0;
    long long chars = 0;  // characters of every row
};

Sample Take(TfrMain& form) {
    ProcessMessages();
    Sample s;
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    s.privateBytes = static_cast<double>(pmc.PrivateUsage);
    s.workingSet = static_cast<double>(pmc.WorkingSetSize);
    // Counted after the figures: each Item() is a copy of its row.
    for (int i = 0; i < form.ListBox1.Count(); ++i) s.chars += static_cast<long long>(form.ListBox1.Item(i).size());
    return s;
}

// " -> " in a row of either character type.
template <class Row>
bool IsTried(const Row& row) {
    for (std::size_t i = 0; i + 3 < row.size(); ++i)
        if (row[i] == ' ' && row[i + 1] == '-' && row[i + 2] == '>' && row[i + 3] == ' ') return true;
    return false;
}

const wchar_t* waitFile = nullptr;

void Print(const char* name, const Sample& s) {
    std::printf("%s private %.0f working_set %.0f chars %lld\n", name, s.privateBytes, s.workingSet, s.chars);
    std::fflush(stdout);
    if (!waitFile) return;
    while (GetFileAttributesW(waitFile) == INVALID_FILE_ATTRIBUTES) Sleep(20);
    DeleteFileW(waitFile);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: memory_bench DIR\n");
        return 2;
    }
    if (argc > 2) waitFile = argv[2];
    InitBenchControls();
    const std::string input = Narrow(argv[1]);

    TfrMain form;
    ShowBenchWindow(form, input, input + "_out");
    // Each figure is printed as soon as it is taken.
    const Sample before = Take(form);
    Print("before", before);
    form.Button1Click();
    const int rows = form.ListBox1.Count();
    std::printf("rows %d char_bytes %d\n", rows, static_cast<int>(sizeof form.ListBox1.Item(0)[0]));
    Print("listed", Take(form));
    form.Button3Click();
    Print("tried", Take(form));

    int tryRows = 0;
    for (int i = 0; i < rows; ++i)
        if (IsTried(form.ListBox1.Item(i))) ++tryRows;
    std::printf("try_rows %d\n", tryRows);
    return rows > 0 && tryRows == rows ? 0 : 1;
}
