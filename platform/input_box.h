#pragma once
// The real input box: a caption, one prompt, one edit, OK and Cancel.
#include <string>

#include "text/text.h"

// Modal over the active window; value comes back as edited when OK closed it.
bool ShowInputBox(const Text& caption, const Text& prompt, Text& value);
