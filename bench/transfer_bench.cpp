// Times one transfer run over a listed tree, in the real main window.
//   transfer_bench try  DIR       List Files of DIR, then a Try run into DIR_out
//   transfer_bench copy DIR OUT   List Files of DIR, then a Copy run ("Usual" copy) into OUT
// Prints seconds.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/bench_window.h"
#include "bench/clock.h"
#include "platform/text.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: transfer_bench try DIR | copy DIR OUT\n");
        return 2;
    }
    InitBenchControls();
    const std::wstring mode = argv[1];
    const std::string input = Narrow(argv[2]);
    const std::string output = argc > 3 ? Narrow(argv[3]) : input + "_out";

    TfrMain form;
    ShowBenchWindow(form, input, output);
    double t = Now();
    form.Button1Click();
    const double listing = Now() - t;
    const int rows = form.ListBox1.Count();

    t = Now();
    if (mode == L"try") form.Button3Click();
    else form.Button2Click();
    const double run = Now() - t;

    int transferred = 0;
    for (int i = 0; i < rows; ++i)
        if (!form.ListBox1.Selected(i)) ++transferred;
    std::printf("rows %d transferred %d\nlisting %.3f\nrun %.3f\n", rows, transferred, listing, run);
    return transferred == rows ? 0 : 1;
}
