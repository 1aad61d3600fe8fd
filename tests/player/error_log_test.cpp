#include "player/error_log.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "support/temp_dir.h"

namespace zarvio {
namespace {

using test::TempDir;

// The record's fixed texts in code page 936, spelled out so the encoding is checked as well.
const std::string kRecordStart = "\xCF\xB5\xCD\xB3\xB7\xA2\xC9\xFA\xB4\xED\xCE\xF3\xCA\xB1\xBC\xE4: ";
const std::string kCodeLabel = "      \xB4\xED\xCE\xF3\xB4\xFA\xC2\xEB: ";
const std::wstring kLogName = L"\u9519\u8BEF\u65E5\u5FD7.log";  // 错误日志.log

SYSTEMTIME At(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s, WORD ms = 0) {
    SYSTEMTIME t{};
    t.wYear = y; t.wMonth = mo; t.wDay = d; t.wHour = h; t.wMinute = mi; t.wSecond = s;
    t.wMilliseconds = ms;
    return t;
}

std::string Ascii(const std::wstring& s) { return std::string(s.begin(), s.end()); }

bool ChineseLocale() { return PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID())) == LANG_CHINESE; }

TEST(ErrorLog, GeneralDateOfTheChineseLocale) {
    if (!ChineseLocale()) GTEST_SKIP() << "the expected texts are those of the zh-CN locale";
    EXPECT_EQ(FormatGeneralDate(At(2024, 3, 5, 14, 5, 9)), L"2024/3/5 14:05:09");
    // Whether the hour has a leading zero is the locale's choice (Windows and Wine differ).
    const std::wstring early = FormatGeneralDate(At(2024, 12, 31, 0, 0, 1));
    EXPECT_EQ(early.substr(0, 11), L"2024/12/31 ");
    EXPECT_EQ(early.substr(early.size() - 6), L":00:01");
    // Midnight is the date alone, also with milliseconds the format cannot show.
    EXPECT_EQ(FormatGeneralDate(At(2024, 12, 31, 0, 0, 0)), L"2024/12/31");
    EXPECT_EQ(FormatGeneralDate(At(2024, 12, 31, 0, 0, 0, 500)), L"2024/12/31");
}

TEST(ErrorLog, MidnightHasNoTimePartInAnyLocale) {
    const std::wstring midnight = FormatGeneralDate(At(2023, 7, 8, 0, 0, 0));
    const std::wstring later = FormatGeneralDate(At(2023, 7, 8, 0, 0, 1));
    ASSERT_FALSE(midnight.empty());
    EXPECT_EQ(midnight.find(L' '), std::wstring::npos) << Ascii(midnight);
    ASSERT_GT(later.size(), midnight.size() + 1);
    EXPECT_EQ(later.substr(0, midnight.size() + 1), midnight + L" ");
}

TEST(ErrorLog, NewFileStartsWithTheRecord) {
    TempDir dir;
    const SYSTEMTIME t = At(2024, 3, 5, 14, 5, 9);
    ASSERT_TRUE(AppendErrorLog(dir.path(), t, kNoAddressErrorCode));

    const auto bytes = ReadFileBytes(dir.File(kLogName));
    ASSERT_TRUE(bytes.has_value()) << "the log has its Chinese name in the application directory";
    EXPECT_EQ(*bytes, kRecordStart + Ascii(FormatGeneralDate(t)) + kCodeLabel + "380\r\n\r\n");
    if (ChineseLocale()) {
        EXPECT_EQ(*bytes, kRecordStart + "2024/3/5 14:05:09" + kCodeLabel + "380\r\n\r\n");
    }
}

TEST(ErrorLog, RecordsAreAppendedAndSeparatedByAnEmptyLine) {
    TempDir dir;
    const SYSTEMTIME first = At(2024, 3, 5, 14, 5, 9);
    const SYSTEMTIME second = At(2024, 3, 6, 0, 0, 0);
    ASSERT_TRUE(AppendErrorLog(dir.path(), first, kNoAddressErrorCode));
    // An HRESULT such as E_FAIL (0x80004005) is written as the negative number it is.
    ASSERT_TRUE(AppendErrorLog(dir.path(), second, static_cast<long>(E_FAIL)));
    ASSERT_TRUE(AppendErrorLog(dir.path(), second, 0));

    const auto bytes = ReadFileBytes(dir.File(kLogName));
    ASSERT_TRUE(bytes.has_value());
    const std::string expected =
        kRecordStart + Ascii(FormatGeneralDate(first)) + kCodeLabel + "380\r\n\r\n" +
        kRecordStart + Ascii(FormatGeneralDate(second)) + kCodeLabel + "-2147467259\r\n\r\n" +
        kRecordStart + Ascii(FormatGeneralDate(second)) + kCodeLabel + "0\r\n\r\n";
    EXPECT_EQ(*bytes, expected);
}

TEST(ErrorLog, TwoCopiesAppendingAtTheSameTimeBothLandWhole) {
    TempDir dir;
    const SYSTEMTIME t = At(2024, 3, 5, 14, 5, 9);
    const std::string theirs = ToAnsi(FormatErrorRecord(t, 7));
    // The other copy has the log open for its record, as the program opens it, and writes
    // before and after our record goes in through a handle of our own.
    FileHandle other(CreateFileW(dir.File(kLogName).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(other);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(other.get(), theirs.data(), static_cast<DWORD>(theirs.size()), &written, nullptr));
    ASSERT_TRUE(AppendErrorLog(dir.path(), t, kNoAddressErrorCode)) << "the open log must not shut us out";
    ASSERT_TRUE(WriteFile(other.get(), theirs.data(), static_cast<DWORD>(theirs.size()), &written, nullptr));
    other.reset();
    const std::string ours = ToAnsi(FormatErrorRecord(t, kNoAddressErrorCode));
    EXPECT_EQ(ReadFileBytes(dir.File(kLogName)).value_or(""), theirs + ours + theirs)
        << "each write goes at the end, neither overwrites the other";
}

TEST(ErrorLog, MissingDirectoryFailsWithoutCreatingIt) {
    TempDir dir;
    const std::wstring missing = dir.File(L"absent");
    EXPECT_FALSE(AppendErrorLog(missing, At(2024, 1, 1, 1, 1, 1), 380));
    EXPECT_FALSE(FileExists(JoinPath(missing, kLogName)));
}

}  // namespace
}  // namespace zarvio
