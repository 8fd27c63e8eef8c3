// Found first on the include path of the portable core (kolvar_core): a file
// of the core that asks for <windows.h> fails to build here as it would on
// Linux, where the core's tests run. Win32 code belongs in platform/.
#error "the portable core does not include <windows.h>: move the Win32 call behind platform/"
