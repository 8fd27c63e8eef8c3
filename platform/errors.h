#pragma once
// The failure classes that handlers report by name ("An EInOutError occurred").
// Header-only and free of <windows.h>, so the portable core throws them too.
#include <stdexcept>
#include <string>

#include "text/text.h"

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message), text_(From1250(message)) {}
    // A message that names a file keeps its name whole (what() has it in
    // Windows-1250, '?' for the letters that code page lacks).
    explicit Exception(const Text& message) : std::runtime_error(To1250(message)), text_(message) {}
    virtual const char* ClassName() const { return "Exception"; }
    const Text& Message() const { return text_; }

private:
    Text text_;
};

#define KOLVAR_ERROR_CLASS(Name)                                          \
    class Name : public Exception {                                       \
    public:                                                               \
        using Exception::Exception;                                       \
        const char* ClassName() const override { return #Name; }          \
    }

KOLVAR_ERROR_CLASS(EInOutError);
KOLVAR_ERROR_CLASS(EFOpenError);
KOLVAR_ERROR_CLASS(EFCreateError);
KOLVAR_ERROR_CLASS(EReadError);
KOLVAR_ERROR_CLASS(EWriteError);

#undef KOLVAR_ERROR_CLASS

// "An EInOutError occurred": the text of the warning box shown for a failure.
inline std::string FailureText(const Exception& e) {
    return std::string("An ") + e.ClassName() + " occurred";
}
