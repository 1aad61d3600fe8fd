// Fakes of the platform services for window tests.
#pragma once
#include <cstring>
#include <deque>
#include <map>
#include <tuple>
#include <vector>

#include "platform/services.h"

namespace zarvio::test {

struct FakeMessageBox : MessageBoxService {
    std::deque<int> answers;
    std::vector<std::wstring> texts;
    std::vector<UINT> styles;
    int Show(HWND, const std::wstring& text, const std::wstring&, UINT style) override {
        texts.push_back(text);
        styles.push_back(style);
        if (answers.empty()) return IDOK;
        int a = answers.front();
        answers.pop_front();
        return a;
    }
};
struct FakeTray : TrayIconService {
    int adds = 0, removes = 0, modifies = 0;
    std::wstring tip;
    std::vector<UINT> versions;  // the version declared with each add
    bool Add(const TrayIconData& s) override {
        ++adds;
        tip = s.tip;
        versions.push_back(s.version);
        return true;
    }
    bool Modify(const TrayIconData& s) override { ++modifies; tip = s.tip; return true; }
    bool Remove(const TrayIconData&) override { ++removes; return true; }
};
struct FakeInstance : InstanceService {
    bool another = false;
    bool AnotherCopyRunning() override { return another; }
};
struct FakeBrowser : BrowserService {
    std::vector<std::wstring> opened;
    void Open(const std::wstring& url) override { opened.push_back(url); }
};
struct FakeExit : ProcessExitService {
    int exits = 0;
    void Exit(UINT) override { ++exits; }
};
struct FakeClock : ClockService {
    SYSTEMTIME now{2026, 12, 0, 6, 10, 0, 0, 0};  // a Sunday
    SYSTEMTIME Now() override { return now; }
};

// The registry in memory. Either hive can refuse changes, the way a limited account is refused
// the machine's hive.
struct FakeRegistry : RegistryService {
    using Key = std::tuple<RegistryRoot, std::wstring, std::wstring>;
    std::map<Key, RegistryValue> values;
    bool refuseMachine = false, refuseUser = false;
    int writes = 0;  // accepted SetString calls

    bool Refused(RegistryRoot root) const {
        return root == RegistryRoot::LocalMachine ? refuseMachine : refuseUser;
    }
    bool SetString(RegistryRoot root, const std::wstring& subkey, const std::wstring& name,
                   const std::wstring& text) override {
        if (Refused(root)) return false;
        Put(root, subkey, name, REG_SZ, text);
        ++writes;
        return true;
    }
    bool DeleteValue(RegistryRoot root, const std::wstring& subkey, const std::wstring& name) override {
        if (Refused(root)) return false;
        return values.erase({root, subkey, name}) > 0;
    }
    std::optional<RegistryValue> QueryValue(RegistryRoot root, const std::wstring& subkey,
                                            const std::wstring& name) override {
        auto it = values.find({root, subkey, name});
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    // Stores text with its terminating zero under any type.
    void Put(RegistryRoot root, const std::wstring& subkey, const std::wstring& name, DWORD type,
             const std::wstring& text) {
        RegistryValue v;
        v.type = type;
        v.data.resize((text.size() + 1) * sizeof(wchar_t));
        std::memcpy(v.data.data(), text.c_str(), v.data.size());
        values[{root, subkey, name}] = v;
    }
    bool Has(RegistryRoot root, const std::wstring& subkey, const std::wstring& name) const {
        return values.count({root, subkey, name}) != 0;
    }
    // The stored text up to its first zero; empty when absent.
    std::wstring Text(RegistryRoot root, const std::wstring& subkey, const std::wstring& name) const {
        auto it = values.find({root, subkey, name});
        if (it == values.end()) return {};
        std::wstring s(it->second.data.size() / sizeof(wchar_t), L'\0');
        std::memcpy(s.data(), it->second.data.data(), s.size() * sizeof(wchar_t));
        return s.substr(0, s.find(L'\0'));
    }
};
// Counts the requests to switch off; the machine stays on, as when the request is refused.
struct FakePower : PowerService {
    int powerOffs = 0;
    void PowerOff() override { ++powerOffs; }
};

// One of each fake, and the Services that point at them.
struct FakeServiceSet {
    FakeMessageBox box;
    FakeTray tray;
    FakeInstance instance;
    FakeBrowser browser;
    FakeExit exit;
    FakeClock clock;
    FakeRegistry registry;
    FakePower power;
    Services Make(const std::wstring& appDir, MediaPlayer* player = nullptr) {
        Services s;
        s.messageBox = &box;
        s.tray = &tray;
        s.instance = &instance;
        s.browser = &browser;
        s.processExit = &exit;
        s.clock = &clock;
        s.player = player;
        s.registry = &registry;
        s.power = &power;
        s.appDir = appDir;
        return s;
    }
};

}  // namespace zarvio::test
