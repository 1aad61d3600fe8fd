// The settings window Form2 ("设置选项"): starting with the system and the timed shutdown.
// It is created on first use and only hidden when closed, so an armed shutdown keeps running
// while it is out of sight; it lives until the program ends.
#pragma once
#include <string>

#include "platform/services.h"
#include "platform/toolkit/form.h"
#include "settings/timed_shutdown.h"

namespace zarvio {

enum SettingsControl : int {
    kSetList1 = 401, kSetCommand1, kSetFrame1, kSetCheck1, kSetText1, kSetText2, kSetText3, kSetLabel1,
    kSetCommand2, kSetCommand3,
};

inline constexpr UINT_PTR kSetTimer1 = 1;
inline constexpr UINT kSetTimer1Interval = 1000;
inline constexpr wchar_t kList3FileName[] = L"list3.txt";
inline constexpr wchar_t kAutostartRefusedText[] = L"无法写入启动项，程序不会随系统启动。";

// Needs services.messageBox, services.clock, services.registry, services.power and
// services.appDir; takes nothing else.
class SettingsWindow : public Form {
public:
    explicit SettingsWindow(const Services& services);
    ~SettingsWindow() override;

    // The first call creates the window, which runs the load sequence; later calls show the
    // hidden window as it was left.
    bool Open();

    void Check1_Click();    // start with the system
    void Command1_Click();  // fill the off-screen list from list3.txt
    void Command2_Click();  // Set
    void Command3_Click();  // Reset
    void Timer1_Timer();

    HWND item(int id) const { return Control(id); }
    bool timer1Running() const { return timerRunning_; }
    ShutdownState shutdownState() const { return shutdown_.state(); }
    // The clock text of the last tick; empty before the first.
    const std::wstring& clockText() const { return clockText_; }
    // What the Run value holds for this program.
    std::wstring ProgramPath() const;

private:
    void BuildControls() override;
    void Form_Load() override;
    bool Form_QueryUnload() override;
    void OnCommand(int id, int code, HWND control) override;
    void OnTimer(UINT_PTR id) override;
    void ShowShutdownState();

    MessageBoxService& messageBox_;
    ClockService& clock_;
    RegistryService& registry_;
    std::wstring appDir_;
    TimedShutdown shutdown_;
    std::wstring clockText_;
    bool timerRunning_ = false;
    HWND list1_ = nullptr, frame1_ = nullptr, check1_ = nullptr;
    HWND text1_ = nullptr, text2_ = nullptr, text3_ = nullptr;
    HWND command2_ = nullptr, command3_ = nullptr;
};

}  // namespace zarvio
