#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/text.h"

namespace {

class RealShell : public Shell {
public:
    std::intptr_t Execute(const std::string& operation, const std::string& file,
                          const std::string& parameters) override {
        const std::wstring op = Widen(operation), f = Widen(file), p = Widen(parameters);
        HINSTANCE r = ShellExecuteW(nullptr, op.empty() ? nullptr : op.c_str(), f.c_str(),
                                    p.empty() ? nullptr : p.c_str(), nullptr, SW_SHOWNORMAL);
        return reinterpret_cast<std::intptr_t>(r);
    }
};

RealShell g_real;
Shell* g_current = &g_real;

}  // namespace

Shell& TheShell() { return *g_current; }
void SetShell(Shell* shell) { g_current = shell ? shell : &g_real; }
