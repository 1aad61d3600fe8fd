#include "settings/timed_shutdown.h"

#include <cwchar>

namespace zarvio {

std::wstring ClockText(const SYSTEMTIME& time) {
    wchar_t buf[16] = {};
    swprintf(buf, 16, L"%02u:%02u:%02u", static_cast<unsigned>(time.wHour), static_cast<unsigned>(time.wMinute),
             static_cast<unsigned>(time.wSecond));
    return buf;
}

std::wstring ShutdownTarget(const std::wstring& hours, const std::wstring& minutes, const std::wstring& seconds) {
    return hours + L":" + minutes + L":" + seconds;
}

std::wstring ShutdownFrameCaption(const std::wstring& clockText) {
    return L"定时关机   现在时间是：" + clockText;
}

void TimedShutdown::Tick(const std::wstring& clockText, const std::wstring& target) {
    if (state_ != ShutdownState::Armed) return;  // a tick already queued when the timer stopped
    if (clockText != target) return;
    power_.PowerOff();
    // Still here: the machine was not switched off.
    state_ = ShutdownState::Failed;
}

}  // namespace zarvio
