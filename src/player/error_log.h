// The error log 错误日志.log in the application directory: append-only records of failed choices.
#pragma once
#include <windows.h>

#include <string>

namespace zarvio {

inline constexpr wchar_t kErrorLogName[] = L"错误日志.log";

// The code a choice gets when its name has no address line.
inline constexpr long kNoAddressErrorCode = 380;

// The date and time in the user's general date format: short date, a space, long time; at
// exactly midnight the date alone.
std::wstring FormatGeneralDate(const SYSTEMTIME& when);

// One record as it goes into the file, empty line after it included.
std::wstring FormatErrorRecord(const SYSTEMTIME& when, long code);

// Appends one record in the ANSI code page, creating the file when absent. False when the file
// could not be opened or written.
bool AppendErrorLog(const std::wstring& appDir, const SYSTEMTIME& when, long code);

}  // namespace zarvio
