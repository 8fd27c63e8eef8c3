#pragma once
#include <windows.h>

// The 16 x 15 glyph of the folder buttons: an open folder with a curved arrow.
HBITMAP CreateFolderGlyph();
