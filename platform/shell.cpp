#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/text.h"

namespace {

class RealShell : public Shell {
public:
    using Shell::Execute;
    std::intptr_t Execute(const Text& operation, const Text& file, const Text& parameters) override {
        HINSTANCE r = ShellExecuteW(nullptr, operation.empty() ? nullptr : W(operation), W(file),
                                    parameters.empty() ? nullptr : W(parameters), nullptr, SW_SHOWNORMAL);
        return reinterpret_cast<std::intptr_t>(r);
    }
};

RealShell g_real;
Shell* g_current = &g_real;

}  // namespace

Shell& TheShell() { return *g_current; }
void SetShell(Shell* shell) { g_current = shell ? shell : &g_real; }
