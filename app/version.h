#pragma once
// The program's version, in this one place: the main window's caption and
// the About box are built from it, and scripts/dist.sh names the release
// package after it.
#define KOLVAR_VERSION "1.69"
