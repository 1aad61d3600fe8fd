// The timed shutdown of the settings window: armed with "设定", disarmed with "重设", and
// checked once a second against the three time fields as they stand at that moment.
#pragma once
#include <windows.h>

#include <string>

#include "platform/power.h"

namespace zarvio {

// "hh:mm:ss", each part two digits.
std::wstring ClockText(const SYSTEMTIME& time);

// The fields joined as typed: no parsing, no padding, no range check.
std::wstring ShutdownTarget(const std::wstring& hours, const std::wstring& minutes, const std::wstring& seconds);

// The frame caption while armed.
std::wstring ShutdownFrameCaption(const std::wstring& clockText);

inline constexpr wchar_t kShutdownFrameFirstCaption[] = L"定时关机  以24时设置。如 06时06分06秒";

enum class ShutdownState {
    Idle,    // timer stopped; "设定" enabled, "重设" disabled
    Armed,   // timer running; "设定" disabled, "重设" enabled
    Failed,  // the target was reached but the machine is still running: timer stopped, both enabled
};

class TimedShutdown {
public:
    explicit TimedShutdown(PowerService& power) : power_(power) {}

    void Set() { state_ = ShutdownState::Armed; }
    void Reset() { state_ = ShutdownState::Idle; }

    // One timer tick while armed: when the clock text equals the target character for character
    // the machine is switched off. A late tick is not caught up; a second it skipped comes round
    // again the next day.
    void Tick(const std::wstring& clockText, const std::wstring& target);

    ShutdownState state() const { return state_; }
    bool timerRunning() const { return state_ == ShutdownState::Armed; }
    bool setEnabled() const { return state_ != ShutdownState::Armed; }
    bool resetEnabled() const { return state_ != ShutdownState::Idle; }

private:
    PowerService& power_;
    ShutdownState state_ = ShutdownState::Idle;
};

}  // namespace zarvio
