#pragma once
// The shell seam: starting programs and opening documents. Tests install a
// scripted Shell; the program uses ShellExecuteW.
#include <cstdint>
#include <string>

#include "text/text.h"

class Shell {
public:
    virtual ~Shell() = default;
    // Starts file (a program or a document) with its parameter in a normal
    // window without waiting; the result is ShellExecute's, 32 or less a failure.
    virtual std::intptr_t Execute(const Text& operation, const Text& file, const Text& parameters) = 0;
    // Windows-1250 form: the tests' byte literals.
    std::intptr_t Execute(const std::string& operation, const std::string& file, const std::string& parameters) {
        return Execute(From1250(operation), From1250(file), From1250(parameters));
    }
};

Shell& TheShell();
void SetShell(Shell* shell);  // nullptr restores the real shell
