// Fakes of the platform services for window tests.
#pragma once
#include <deque>
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
    int adds = 0, removes = 0;
    std::wstring tip;
    bool Add(const TrayIconSpec& s) override { ++adds; tip = s.tip; return true; }
    bool Remove(const TrayIconSpec&) override { ++removes; return true; }
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

// One of each fake, and the Services that point at them.
struct FakeServiceSet {
    FakeMessageBox box;
    FakeTray tray;
    FakeInstance instance;
    FakeBrowser browser;
    FakeExit exit;
    FakeClock clock;
    Services Make(const std::wstring& appDir, MediaPlayer* player = nullptr) {
        Services s;
        s.messageBox = &box;
        s.tray = &tray;
        s.instance = &instance;
        s.browser = &browser;
        s.processExit = &exit;
        s.clock = &clock;
        s.player = player;
        s.appDir = appDir;
        return s;
    }
};

}  // namespace zarvio::test
