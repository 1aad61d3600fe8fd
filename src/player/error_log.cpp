#include "player/error_log.h"

#include "platform/files.h"
#include "platform/text.h"

namespace zarvio {
namespace {

std::wstring DateText(const SYSTEMTIME& when) {
    const int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, nullptr, 0);
    if (n <= 1) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, out.data(), n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

std::wstring TimeText(const SYSTEMTIME& when) {
    const int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &when, nullptr, nullptr, 0);
    if (n <= 1) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &when, nullptr, out.data(), n);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

}  // namespace

std::wstring FormatGeneralDate(const SYSTEMTIME& when) {
    // The general format resolves to seconds; milliseconds do not make a time part.
    if (when.wHour == 0 && when.wMinute == 0 && when.wSecond == 0) return DateText(when);
    return DateText(when) + L" " + TimeText(when);
}

std::wstring FormatErrorRecord(const SYSTEMTIME& when, long code) {
    return L"系统发生错误时间: " + FormatGeneralDate(when) + L"      错误代码: " + std::to_wstring(code) +
           L"\r\n\r\n";
}

bool AppendErrorLog(const std::wstring& appDir, const SYSTEMTIME& when, long code) {
    // Two running copies may append at the same moment: the log is opened sharing writing, and
    // the record goes in one write, so each lands whole after the other.
    return AppendSharedFileBytes(JoinPath(appDir, kErrorLogName), ToAnsi(FormatErrorRecord(when, code)));
}

}  // namespace zarvio
