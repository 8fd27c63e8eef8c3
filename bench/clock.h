#pragma once
// Wall-clock seconds for the benchmarks, from the performance counter.
#include <windows.h>

inline double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}
