#include "platform/power.h"

#include <windows.h>

namespace zarvio {
namespace {

using NtStatus = LONG;
using RtlAdjustPrivilegeFn = NtStatus(NTAPI*)(ULONG privilege, BOOLEAN enable, BOOLEAN currentThread,
                                               PBOOLEAN previous);
using NtShutdownSystemFn = NtStatus(NTAPI*)(int action);

constexpr ULONG kShutdownPrivilege = 19;  // SE_SHUTDOWN_PRIVILEGE
constexpr int kShutdownPowerOff = 2;      // SHUTDOWN_ACTION ShutdownPowerOff

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

void Win32Power::PowerOff() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");  // mapped into every process
    if (!ntdll) return;
    auto adjust = Lookup<RtlAdjustPrivilegeFn>(ntdll, "RtlAdjustPrivilege");
    auto shutdown = Lookup<NtShutdownSystemFn>(ntdll, "NtShutdownSystem");
    // The results are deliberately not examined: when the machine is still running after the
    // call, the caller sees it by control coming back.
    BOOLEAN previous = FALSE;
    if (adjust) (void)adjust(kShutdownPrivilege, TRUE, FALSE, &previous);  // FALSE: the process token
    if (shutdown) (void)shutdown(kShutdownPowerOff);
}

}  // namespace zarvio
