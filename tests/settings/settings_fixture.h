// A settings window over fake services: an in-memory registry, a clock the test sets and a
// power service that only counts.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "platform/toolkit/controls.h"
#include "settings/autostart.h"
#include "settings/settings_window.h"
#include "support/fake_services.h"
#include "support/message_pump.h"
#include "support/temp_dir.h"

namespace zarvio::test {

struct SettingsTest : ::testing::Test, FakeServiceSet {
    TempDir dir;
    SettingsWindow window{Make(dir.path())};

    void SetClock(WORD h, WORD m, WORD s, WORD day = 6) {
        clock.now.wDay = day;
        clock.now.wHour = h;
        clock.now.wMinute = m;
        clock.now.wSecond = s;
    }
    HWND item(int id) const { return window.item(id); }
    std::wstring Text(int id) const { return WindowText(item(id)); }
    void SetFields(const wchar_t* h, const wchar_t* m, const wchar_t* s) {
        SetWindowTextW(item(kSetText1), h);
        SetWindowTextW(item(kSetText2), m);
        SetWindowTextW(item(kSetText3), s);
    }
    // One tick at the given time of day.
    void TickAt(WORD h, WORD m, WORD s, WORD day = 6) {
        SetClock(h, m, s, day);
        window.Timer1_Timer();
    }
    bool SetEnabled() const { return IsWindowEnabled(item(kSetCommand2)) != FALSE; }
    bool ResetEnabled() const { return IsWindowEnabled(item(kSetCommand3)) != FALSE; }
    std::wstring MachineValue() const { return registry.Text(RegistryRoot::LocalMachine, kRunSubkey, kAutostartValueName); }
    std::wstring UserValue() const { return registry.Text(RegistryRoot::CurrentUser, kRunSubkey, kAutostartValueName); }
    bool MachineHas() const { return registry.Has(RegistryRoot::LocalMachine, kRunSubkey, kAutostartValueName); }
    bool UserHas() const { return registry.Has(RegistryRoot::CurrentUser, kRunSubkey, kAutostartValueName); }
};

}  // namespace zarvio::test
