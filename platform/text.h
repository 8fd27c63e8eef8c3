#pragma once
// The boundary between the program's Windows-1250 text and the W API.
#include <string>

std::wstring Widen(const std::string& s);    // code page 1250 to UTF-16
std::string Narrow(const std::wstring& w);   // UTF-16 to code page 1250; no form: '?'
bool FitsCp1250(const std::wstring& w);      // every character has a code page 1250 form
