#include "platform/glyphs.h"

namespace {

// '.' button face, 'k' outline, 'y' folder, 'd' folder shadow, 'g' arrow.
const char* const kFolder[15] = {
    "..........ggg...",
    ".........g...g.g",
    "..............gg",
    "..kkkk.......ggg",
    ".kyyyyk.........",
    "kyyyyyykkkkkk...",
    "kyyyyyyyyyyyk...",
    "kyyykkkkkkkkkkk.",
    "kyykdddddddddk..",
    "kykdddddddddk...",
    "kykddddddddk....",
    "kkdddddddddk....",
    "kkddddddddk.....",
    "kkkkkkkkkkk.....",
    "................",
};

COLORREF ColourOf(char c) {
    switch (c) {
        case 'k': return RGB(0, 0, 0);
        case 'y': return RGB(255, 255, 128);
        case 'd': return RGB(192, 160, 0);
        case 'g': return RGB(0, 128, 0);
        default: return GetSysColor(COLOR_BTNFACE);
    }
}

}  // namespace

HBITMAP CreateFolderGlyph() {
    HDC screen = GetDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 16, 15);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 16; ++x) SetPixel(dc, x, y, ColourOf(kFolder[y][x]));
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bmp;
}
