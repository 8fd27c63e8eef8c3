// How long the main window leaves a message unanswered while it works: List
// Files of DIR, then a Try run over the rows. A second thread sends the window
// a harmless message (WM_NULL) every 20 ms and records how long each takes to
// be answered.   responsiveness_bench DIR
// Prints the listing and Try times and, for each, the number of messages and
// the maximum and 99th percentile of their answer times.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_window.h"
#include "bench/clock.h"
#include "platform/text.h"

namespace {

void Report(const char* name, std::vector<double> waits) {
    std::sort(waits.begin(), waits.end());
    const double worst = waits.empty() ? 0 : waits.back();
    const double p99 = waits.empty() ? 0 : waits[static_cast<std::size_t>(0.99 * static_cast<double>(waits.size() - 1))];
    std::printf("%s_messages %zu\n%s_max_ms %.1f\n%s_p99_ms %.1f\n", name, waits.size(), name, worst * 1000,
                name, p99 * 1000);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: responsiveness_bench DIR\n");
        return 2;
    }
    InitBenchControls();
    const std::string input = Narrow(argv[1]);

    TfrMain form;
    ShowBenchWindow(form, input, input + "_out");
    const HWND window = form.hwnd;

    enum Phase { kIdle, kListing, kTry, kDone };
    std::atomic<int> phase{kIdle};
    std::atomic<bool> proberDone{false};
    std::mutex lock;
    std::vector<double> waits[2];
    std::thread prober([&] {
        while (phase != kDone) {
            Sleep(20);
            const int during = phase;
            if (during != kListing && during != kTry) continue;
            const double t = Now();
            DWORD_PTR result = 0;
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &result);
            const double waited = Now() - t;
            std::lock_guard<std::mutex> hold(lock);
            waits[during == kListing ? 0 : 1].push_back(waited);
        }
        proberDone = true;
    });

    phase = kListing;
    double t = Now();
    form.Button1Click();
    const double listing = Now() - t;
    phase = kTry;
    t = Now();
    form.Button3Click();
    const double run = Now() - t;
    phase = kDone;
    // A message sent just before the end is answered here, not left to time out.
    while (!proberDone) {
        MSG m;
        PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);
        Sleep(1);
    }
    prober.join();

    std::printf("rows %d\nlisting %.3f\nrun %.3f\n", form.ListBox1.Count(), listing, run);
    Report("listing", waits[0]);
    Report("run", waits[1]);
    return 0;
}
