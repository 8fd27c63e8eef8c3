#pragma once
// What the commands need of Windows beyond the file calls: how the system's
// cmd reads a batch, and the 8.3 short form of a path.
#include "text/text.h"

// Whether the system's cmd reads the lines of a batch in UTF-8 after
// "chcp 65001", as Windows' cmd does; Wine 8's reads every line in the OEM
// code page and ignores chcp. Found out once, by a real batch; asked again
// from the window's pump while that batch runs, the answer is no.
bool CmdReadsUtf8Batches();
// The short (8.3) form of an existing path, as the file system gives it;
// false when it has none.
bool ShortPathOf(const Text& path, Text& shortPath);
