// Reads the date of every file in a folder through TExif and prints the
// seconds it took, with how many dates were found.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "media/Exif.h"
#include "platform/fs.h"
#include "platform/text.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: exif_bench DIR\n");
        return 2;
    }
    const std::string dir = Narrow(argv[1]);
    std::vector<std::string> paths;
    DirEnumerator files(dir + "\\*.jpg");
    DirEntry e;
    while (files.Next(e))
        if (!e.IsDirectory()) paths.push_back(dir + "\\" + To1250(e.name));

    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t0);
    int dates = 0;
    for (const auto& p : paths) {
        TExif exif;
        exif.ReadExif(p);
        if (exif.HasExif && !exif.DateTime.empty()) ++dates;
    }
    QueryPerformanceCounter(&t1);
    std::printf("files %zu dates %d\nexif_reads %.3f\n", paths.size(), dates,
                static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart));
    return 0;
}
