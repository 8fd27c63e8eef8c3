// How long the main window leaves a message unanswered while it works. A
// second thread sends the window a harmless message (WM_NULL) every 20 ms and
// records how long each takes to be answered, for each of these operations:
//   listing       List Files of TREE (mask *.*)
//   counts        the counts line over every row: Mark All selecting them all
//   invert        a right click on Mark All (every row inverted) with every
//                 other row selected, the most runs of rows alike
//   try           a Try run over the rows
//   mask_listing  List Files of FLAT with the mask *.jpg (the subfolders are
//                 found by a second enumeration of the folder)
//   chooser       the directory chooser opened on FLAT (both of its lists filled)
//   big_copy      Copy of the one file of BIGDIR into OUT
//   big_copy_over the same Copy again, over the file it made (written beside
//                 it, flushed to disk, then put in its place)
//      responsiveness_bench TREE FLAT BIGDIR OUT
// Prints each operation's time in seconds, the number of messages sent
// during it and the maximum and 99th percentile of their answer times; and
// the platform's floor for FLAT: how long the first FindFirstFileExW call on
// it takes (the system reads the whole folder then, and nothing can answer
// a message meanwhile).
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_window.h"
#include "bench/clock.h"
#include "chooser/fvybersoub_2.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

const char* const kOperations[] = {"listing",      "counts",  "invert",   "try",
                                   "mask_listing", "chooser", "big_copy", "big_copy_over", "big_forget"};
constexpr int kCount = static_cast<int>(sizeof kOperations / sizeof kOperations[0]);

void PutSmallFile(const std::string& path) {
    const HANDLE h = CreateFileW(SystemPath(From1250(path)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(h, "small", 5, &written, nullptr);
    CloseHandle(h);
}

int Index(const char* name) {
    for (int i = 0; i < kCount; ++i)
        if (std::string(kOperations[i]) == name) return i;
    return -1;
}

void Report(const char* name, double seconds, std::vector<double> waits) {
    std::sort(waits.begin(), waits.end());
    const double worst = waits.empty() ? 0 : waits.back();
    const double p99 = waits.empty() ? 0 : waits[static_cast<std::size_t>(0.99 * static_cast<double>(waits.size() - 1))];
    std::printf("%s %.3f\n%s_messages %zu\n%s_max_ms %.1f\n%s_p99_ms %.1f\n", name, seconds, name, waits.size(), name,
                worst * 1000, name, p99 * 1000);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: responsiveness_bench TREE FLAT BIGDIR OUT\n");
        return 2;
    }
    InitBenchControls();
    AnswerYes yes;
    SetDialogs(&yes);
    const std::string tree = Narrow(argv[1]), flat = Narrow(argv[2]), bigDir = Narrow(argv[3]),
                      out = Narrow(argv[4]);

    TfrMain form;
    ShowBenchWindow(form, tree, tree + "_out");
    const HWND window = form.hwnd;

    std::atomic<int> phase{-1};
    std::atomic<bool> done{false}, proberDone{false};
    std::mutex lock;
    std::vector<double> waits[kCount];
    std::thread prober([&] {
        while (!done) {
            Sleep(20);
            const int during = phase;
            if (during < 0) continue;
            const double t = Now();
            DWORD_PTR result = 0;
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &result);
            const double waited = Now() - t;
            std::lock_guard<std::mutex> hold(lock);
            waits[during].push_back(waited);
        }
        proberDone = true;
    });

    double seconds[kCount] = {};
    auto measure = [&](const char* name, const std::function<void()>& operation) {
        const int i = Index(name);
        ProcessMessages();  // what the set-up left (a repaint) is not the operation's
        phase = i;
        const double t = Now();
        operation();
        seconds[i] = Now() - t;
        phase = -1;
        // A message sent just before the end is answered here, not left for later.
        ProcessMessages();
    };

    measure("listing", [&] { form.Button1Click(); });
    const int rows = form.ListBox1.Count();
    form.BitBtn4Click();  // every row was selected: none is now
    measure("counts", [&] { form.BitBtn4Click(); });
    const std::string counts = form.lblNumberFound.Text1250();
    for (int i = 0; i < rows; ++i) form.ListBox1.SetSelected(i, i % 2 == 0);
    measure("invert", [&] { form.BitBtn4MouseDown(MouseButton::Right); });
    bool inverted = true;
    for (int i = 0; i < rows; ++i) inverted = inverted && form.ListBox1.Selected(i) == (i % 2 != 0);
    form.ListBox1.SetAllSelected(true);  // for Try
    measure("try", [&] { form.Button3Click(); });

    form.Edit1.SetText(flat);
    form.Edit2.SetText("*.jpg");
    measure("mask_listing", [&] { form.Button1Click(); });
    const int jpgRows = form.ListBox1.Count();

    int chooserFiles = 0, chooserDirs = 0;
    {
        const std::string current = GetCurrentDir();
        Tvybersoubform chooser;
        SetCurrentDir(flat);
        measure("chooser", [&] { chooser.OpenAtCurrentDir(u"*.*"); });
        chooserFiles = chooser.FileListBox1.Count();
        chooserDirs = chooser.DirectoryOutline1.Count();
        SetCurrentDir(current);
    }

    form.Edit1.SetText(bigDir);
    form.Edit2.SetText("*.*");
    form.Edit3.SetText(out);
    form.RadioButton2.SetChecked(false);
    form.RadioButton3.SetChecked(true);  // into the output folder itself
    form.Button1Click();
    const std::string source = form.ListBox1.Item1250(0);
    const std::string copy = out + source.substr(source.rfind('\\'));
    std::uint64_t sourceSize = 0, copySize = 0;
    FileSizeOf(source, sourceSize);
    measure("big_copy", [&] { form.Button2Click(); });
    bool copied = FileSizeOf(copy, copySize) && copySize == sourceSize;
    form.Button1Click();
    measure("big_copy_over", [&] { form.Button2Click(); });
    copied = copied && FileSizeOf(copy, copySize) && copySize == sourceSize && form.ListBox1.SelCount() == 0;
    DeleteFileAt(copy);

    // The file the copy replaced, kept for undo, is on the disk before it
    // is forgotten, as it is five runs later in use: what is measured is the
    // forgetting, not the system writing out the data of a copy just made.
    DirEnumerator kept(out + "\\~Kolvar_files-*.kept");
    for (DirEntry entry; kept.Next(entry);) {
        const HANDLE h = CreateFileW(SystemPath(From1250(out) + u"\\" + entry.name).c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                     nullptr);
        FlushFileBuffers(h);
        CloseHandle(h);
    }
    const std::string small = out + "\\forget";
    CreateDir(small);
    form.Edit1.SetText(small);
    measure("big_forget", [&] {
        for (int run = 0; run < 5; ++run) {
            PutSmallFile(small + "\\small.txt");
            form.Button1Click();
            form.Button5Click();
        }
        for (const double until = Now() + 3; Now() < until; Sleep(5)) ProcessMessages();
    });
    RemoveDir(small);

    WIN32_FIND_DATAW found;
    double t = Now();
    const HANDLE h = FindFirstFileExW((std::wstring(argv[2]) + L"\\*.*").c_str(), FindExInfoBasic, &found,
                                      FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    const double firstCall = Now() - t;
    if (h != INVALID_HANDLE_VALUE) FindClose(h);

    done = true;
    while (!proberDone) {
        MSG m;
        PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
        Sleep(1);
    }
    prober.join();

    std::printf("rows %d inverted %d jpg_rows %d chooser_files %d chooser_dirs %d copied %d\n", rows,
                inverted ? 1 : 0, jpgRows, chooserFiles, chooserDirs, copied ? 1 : 0);
    std::printf("counts: %s\n", counts.c_str());
    std::printf("flat_first_call_ms %.1f\n", firstCall * 1000);
    for (int i = 0; i < kCount; ++i) Report(kOperations[i], seconds[i], waits[i]);
    return copied && inverted ? 0 : 1;
}
