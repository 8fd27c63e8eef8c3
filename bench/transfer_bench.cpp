// Times one transfer run over a listed tree, in the real main window.
//   transfer_bench try  DIR       List Files of DIR, then a Try run into DIR_out
//   transfer_bench copy DIR OUT   List Files of DIR, then a Copy run ("Usual" copy) into OUT
//   transfer_bench move DIR OUT   the same as a Move
//   transfer_bench delete DIR     List Files of DIR, then Delete of every row
//   transfer_bench undo DIR       Undo of the last run (after List Files of DIR, not timed)
// Prints seconds. Every question is answered Yes.
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

    AnswerYes yes;
    SetDialogs(&yes);
    TfrMain form;
    ShowBenchWindow(form, input, output);
    form.CheckBox2.SetChecked(mode == L"move");
    double t = Now();
    form.Button1Click();
    const double listing = Now() - t;
    const int rows = form.ListBox1.Count();

    t = Now();
    if (mode == L"try") form.Button3Click();
    else if (mode == L"delete") form.Button5Click();
    else if (mode == L"undo") SendMessageW(form.hwnd, WM_SYSCOMMAND, TfrMain::kUndoItem, 0);
    else form.Button2Click();
    const double run = Now() - t;

    int transferred = 0;
    for (int i = 0; i < rows; ++i)
        if (!form.ListBox1.Selected(i)) ++transferred;
    std::printf("rows %d transferred %d\nlisting %.3f\nrun %.3f\n", rows, transferred, listing, run);
    SetDialogs(nullptr);
    return transferred == rows || mode == L"undo" || mode == L"delete" ? 0 : 1;
}
