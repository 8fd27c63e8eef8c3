#pragma once
// The real input box: a caption, one prompt, one edit, OK and Cancel.
#include <string>

// Modal over the active window; value comes back as edited when OK closed it.
bool ShowInputBox(const std::string& caption, const std::string& prompt, std::string& value);
