// Switching the computer off, behind an interface: the timed shutdown decides when, the service does it.
#pragma once

namespace zarvio {

class PowerService {
public:
    virtual ~PowerService() = default;
    // Switches the machine off at once, without asking other programs. Returns only when that
    // did not happen.
    virtual void PowerOff() = 0;
};

// Takes the shutdown privilege with RtlAdjustPrivilege and calls NtShutdownSystem(power off),
// both looked up in ntdll when needed.
class Win32Power final : public PowerService {
public:
    void PowerOff() override;
};

}  // namespace zarvio
