#include <gtest/gtest.h>
#include <windows.h>

#include "app/main_window.h"
#include "editor/station_editor.h"
#include "platform/files.h"
#include "platform/toolkit/controls.h"
#include "stations/station_store.h"
#include "support/failing_writer.h"
#include "support/fake_services.h"
#include "support/temp_dir.h"

using namespace zarvio;
using namespace zarvio::test;

namespace {

struct EditorTest : ::testing::Test, FakeServiceSet {
    TempDir dir;
    FailingWriter writer;
    EditorHost host{WithWriter(Make(dir.path()))};
    Services WithWriter(Services s) {
        s.files = &writer;
        return s;
    }
    std::wstring names() const { return NamesFilePath(dir.path()); }
    std::wstring urls() const { return UrlsFilePath(dir.path()); }
    StationEditor& Open() {
        host.Open();
        return *host.current();
    }
    void Type(StationEditor& e, const std::wstring& name, const std::wstring& url) {
        SetWindowTextW(e.item(kEdText1), name.c_str());
        SetWindowTextW(e.item(kEdText2), url.c_str());
    }
    void Select(StationEditor& e, int row) {
        SetListIndex(e.item(kEdList1), row);
        e.List1_Click();
    }
    void Unlock(StationEditor& e) {
        SetChecked(e.item(kEdCheck1), true);
        e.Check1_Click();
    }
};

// Holds a file open without any sharing, as another program writing it would.
struct FileLock {
    HANDLE h;
    explicit FileLock(const std::wstring& path)
        : h(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr)) {}
    ~FileLock() { if (h != INVALID_HANDLE_VALUE) CloseHandle(h); }
};

}  // namespace

TEST_F(EditorTest, AddCreatesMissingFilesWithOneLineEachAndAcceptsBlanks) {
    StationEditor& e = Open();
    EXPECT_EQ(WindowText(e.hwnd()), L"添加新电台");
    Type(e, L"   ", L"http://x/y");
    e.Command1_Click();
    ASSERT_EQ(box.texts.size(), 1u);
    EXPECT_EQ(box.texts[0], L"添加成功");
    EXPECT_EQ(box.styles[0], static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(ReadBytes(names()), "   \r\n");
    EXPECT_EQ(ReadBytes(urls()), "http://x/y\r\n");
    EXPECT_EQ(WindowText(e.item(kEdText1)), L"");
    EXPECT_EQ(WindowText(e.item(kEdText2)), L"");
    ASSERT_EQ(ListCount(e.item(kEdList1)), 1);
    EXPECT_EQ(ListText(e.item(kEdList2), 0), L"http://x/y");
    EXPECT_EQ(GetFocus(), e.item(kEdText1));
}

TEST_F(EditorTest, MissingUrlIsRefusedAndEmptiesBothBoxes) {
    StationEditor& e = Open();
    Type(e, L"中国之声", L"");
    e.Command1_Click();
    ASSERT_EQ(box.texts.size(), 1u);
    EXPECT_EQ(box.texts[0], kMissingInputText);
    EXPECT_EQ(box.styles[0], static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_FALSE(FileExists(names()));
    EXPECT_FALSE(FileExists(urls()));
    EXPECT_EQ(WindowText(e.item(kEdText1)), L"");
}

TEST_F(EditorTest, TextTheCodePageCannotHoldIsRefusedAndKept) {
    StationEditor& e = Open();
    Type(e, L"한국 방송", L"http://k");
    e.Command1_Click();
    ASSERT_EQ(box.texts.size(), 1u);
    EXPECT_EQ(box.texts[0], kUnencodableText);
    EXPECT_FALSE(FileExists(names()));
    EXPECT_EQ(WindowText(e.item(kEdText1)), L"한국 방송");
}

TEST_F(EditorTest, DeleteRewritesBothFilesAtTheSameRow) {
    WriteBytes(names(), "A\r\nB\r\nC");  // the last line lacks its terminator
    WriteBytes(urls(), "a\r\nb\r\nc\r\n");
    StationEditor& e = Open();
    EXPECT_FALSE(IsWindowEnabled(e.item(kEdCommand3)));
    Unlock(e);
    EXPECT_TRUE(IsWindowEnabled(e.item(kEdCommand3)));

    e.Command3_Click();  // nothing selected: same lines, now all terminated
    EXPECT_EQ(ReadBytes(names()), "A\r\nB\r\nC\r\n");
    EXPECT_EQ(ReadBytes(urls()), "a\r\nb\r\nc\r\n");

    // A click on the address list moves the name selection with it.
    SetListIndex(e.item(kEdList2), 2);
    e.List2_Click();
    EXPECT_EQ(ListIndex(e.item(kEdList1)), 2);
    Select(e, 1);
    EXPECT_EQ(ListIndex(e.item(kEdList2)), 1);
    e.Command3_Click();
    EXPECT_EQ(ReadBytes(names()), "A\r\nC\r\n");
    EXPECT_EQ(ReadBytes(urls()), "a\r\nc\r\n");

    for (int i = 0; i < 2; ++i) {
        Select(e, 0);
        e.Command3_Click();
    }
    EXPECT_EQ(ReadBytes(names()), "");
    EXPECT_EQ(ReadBytes(urls()), "");
    EXPECT_TRUE(box.texts.empty());
}

TEST_F(EditorTest, DeleteKeepsTheOtherStationsByteForByte) {
    // Bytes the code page does not define and a NUL inside a line: a round trip through the
    // previews' text would turn them into "?" or cut the line.
    const std::string odd("\x80\xFF name\x00tail", 13);
    WriteBytes(names(), "A\r\n" + odd + "\r\nC\r\n");
    WriteBytes(urls(), "a\r\nhttp://x/\xFE\r\nc\r\n");
    StationEditor& e = Open();
    Unlock(e);
    Select(e, 0);
    e.Command3_Click();
    EXPECT_EQ(ReadBytes(names()), odd + "\r\nC\r\n");
    EXPECT_EQ(ReadBytes(urls()), "http://x/\xFE\r\nc\r\n");
    EXPECT_TRUE(box.texts.empty());
}

TEST_F(EditorTest, DeleteWithNoRowsLeavesTheFilesAlone) {
    StationEditor& e = Open();
    Unlock(e);
    e.Command3_Click();
    EXPECT_FALSE(FileExists(names()));
    EXPECT_FALSE(FileExists(urls()));
}

TEST_F(EditorTest, FailedWritesAreReportedAndKeepTheFilesInStep) {
    WriteBytes(names(), "A\r\n");
    WriteBytes(urls(), "a\r\n");
    StationEditor& e = Open();
    {
        FileLock lock(urls());
        Type(e, L"B", L"b");
        e.Command1_Click();
        ASSERT_EQ(box.texts.size(), 1u);
        EXPECT_EQ(box.texts[0], kAddWriteFailedText);
        EXPECT_EQ(ReadBytes(names()), "A\r\n") << "the name must be taken back";
        EXPECT_EQ(WindowText(e.item(kEdText1)), L"B") << "the typed station is kept";

        Unlock(e);
        Select(e, 0);
        e.Command3_Click();
        ASSERT_EQ(box.texts.size(), 2u);
        EXPECT_EQ(box.texts[1], kDeleteWriteFailedText);
    }
    EXPECT_EQ(ReadBytes(names()), "A\r\n");
    EXPECT_EQ(ReadBytes(urls()), "a\r\n");
    EXPECT_EQ(ListCount(e.item(kEdList1)), 1) << "the previews show what the files hold";
}

TEST_F(EditorTest, OneEditorAtATimeAndAFreshOneAfterClosing) {
    WriteBytes(names(), "A\r\n");
    WriteBytes(urls(), "a\r\n");
    StationEditor& first = Open();
    Unlock(first);
    const HWND window = first.hwnd();
    AppendStation(SystemFileWriter(), dir.path(), L"B", L"b");
    host.Open();  // shows the open editor without reloading it
    EXPECT_EQ(host.current()->hwnd(), window);
    EXPECT_EQ(ListCount(host.current()->item(kEdList1)), 1);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(host.current(), nullptr);
    StationEditor& second = Open();
    EXPECT_EQ(ListCount(second.item(kEdList1)), 2);
    EXPECT_FALSE(IsChecked(second.item(kEdCheck1)));
    EXPECT_FALSE(IsWindowEnabled(second.item(kEdCommand3)));
}

TEST_F(EditorTest, ListTooltipShowsTheSelectedName) {
    WriteBytes(names(), "A\r\nB\r\n");
    WriteBytes(urls(), "a\r\nb\r\n");
    StationEditor& e = Open();
    Select(e, 1);
    SendMessageW(e.item(kEdList1), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(e.ToolTip(e.item(kEdList1)), L"B");
}

TEST_F(EditorTest, MainListShowsAnAddedStationOnlyAfterRefresh) {
    WriteBytes(names(), "A\r\n");
    WriteBytes(urls(), "a\r\n");
    MainWindow main(Make(dir.path()), {});
    ASSERT_TRUE(main.Start());
    StationEditor& e = Open();
    Type(e, L"新台", L"http://n");
    e.Command1_Click();
    EXPECT_EQ(ListCount(main.list1()), 1);
    main.Command1_Click();
    ASSERT_EQ(ListCount(main.list1()), 2);
    EXPECT_EQ(ListText(main.list1(), 1), L"002 \u2605 新台");
}

TEST_F(EditorTest, NamesPastTheLastAddressDeleteTheirOwnRowOnly) {
    WriteBytes(names(), "A\r\nB\r\nC\r\n");
    WriteBytes(urls(), "a\r\nb\r\n");
    StationEditor& e = Open();
    Unlock(e);
    Select(e, 0);
    Select(e, 2);  // no address row 2: the address list must not keep row 0
    EXPECT_EQ(ListIndex(e.item(kEdList2)), -1);
    e.Command3_Click();
    EXPECT_EQ(ReadBytes(names()), "A\r\nB\r\n");
    EXPECT_EQ(ReadBytes(urls()), "a\r\nb\r\n") << "the first station keeps its address";
    EXPECT_EQ(ListCount(e.item(kEdList1)), 2);
    EXPECT_EQ(ListCount(e.item(kEdList2)), 2);
    EXPECT_TRUE(box.texts.empty());
}

TEST_F(EditorTest, LineBreaksInANameOrAddressAreRefusedAndKept) {
    WriteBytes(names(), "A\r\n");
    WriteBytes(urls(), "a\r\n");
    StationEditor& e = Open();
    const std::pair<std::wstring, std::wstring> typed[] = {
        {L"Radio\rTwo", L"http://r"}, {L"Radio", L"http://r\n"}, {L"R\r\nX", L"u"}};
    for (const auto& [name, url] : typed) {
        box.texts.clear();
        Type(e, name, url);
        // A one-line box takes the break from WM_SETTEXT (as from a paste).
        ASSERT_EQ(WindowText(e.item(kEdText1)) + WindowText(e.item(kEdText2)), name + url);
        e.Command1_Click();
        ASSERT_EQ(box.texts.size(), 1u);
        EXPECT_EQ(box.texts[0], kLineBreakText);
        EXPECT_EQ(box.styles[0], static_cast<UINT>(MB_OK | MB_ICONERROR));
        EXPECT_EQ(WindowText(e.item(kEdText1)), name) << "the typed texts stay for correcting";
        EXPECT_EQ(ReadBytes(names()), "A\r\n");
        EXPECT_EQ(ReadBytes(urls()), "a\r\n");
    }
}

TEST_F(EditorTest, DeleteRemovesNothingFromFilesChangedSinceTheyWereShown) {
    struct Case {
        const char* names;  // the files as another copy of the program left them meanwhile
        const char* urls;
    };
    const Case cases[] = {
        {"X\r\nB\r\n", "a\r\nb\r\n"},  // the selected name is another one now
        {"A\r\nB\r\n", "z\r\nb\r\n"},  // the address beside it is
        {"B\r\n", "b\r\n"},          // the selected station was deleted elsewhere
    };
    for (const Case& c : cases) {
        WriteBytes(names(), "A\r\nB\r\n");
        WriteBytes(urls(), "a\r\nb\r\n");
        box.texts.clear();
        StationEditor& e = Open();
        e.Command2_Click();
        Unlock(e);
        Select(e, 0);
        WriteBytes(names(), c.names);
        WriteBytes(urls(), c.urls);
        e.Command3_Click();
        ASSERT_EQ(box.texts.size(), 1u) << c.names << c.urls;
        EXPECT_EQ(box.texts[0], kFilesChangedText);
        EXPECT_EQ(ReadBytes(names()), c.names);
        EXPECT_EQ(ReadBytes(urls()), c.urls);
        EXPECT_EQ(ListText(e.item(kEdList1), 0), DecodeStationLine(SplitStationLines(c.names)[0]))
            << "the previews show the files as they are now";
        EXPECT_EQ(writer.count, 0) << "nothing was written";
    }

    // A name without an address was shown: an address that appeared there since stops the delete.
    WriteBytes(names(), "A\r\nB\r\n");
    WriteBytes(urls(), "a\r\n");
    box.texts.clear();
    StationEditor& e = Open();
    e.Command2_Click();
    Select(e, 1);
    AppendFileBytes(urls(), "b\r\n");
    e.Command3_Click();
    ASSERT_EQ(box.texts.size(), 1u);
    EXPECT_EQ(box.texts[0], kFilesChangedText);
    EXPECT_EQ(ReadBytes(names()), "A\r\nB\r\n");
}

TEST_F(EditorTest, AFailedTakeBackIsReportedAsFilesOutOfStep) {
    WriteBytes(names(), "A\r\n");
    WriteBytes(urls(), "a\r\n");
    StationEditor& e = Open();
    // Add: the name goes in (write 1), the address fails (2) and so does taking the name back (3).
    writer.failing = {2, 3};
    Type(e, L"B", L"b");
    e.Command1_Click();
    ASSERT_EQ(box.texts.size(), 1u);
    EXPECT_EQ(box.texts[0], kOutOfStepText);
    EXPECT_EQ(box.styles[0], static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(ReadBytes(names()), "A\r\nB\r\n");
    EXPECT_EQ(ReadBytes(urls()), "a\r\n");
    EXPECT_EQ(ListCount(e.item(kEdList1)), 2) << "the previews show what the files hold";

    // Delete: the name leaves (write 4), the address stays (5) and the name cannot come back (6).
    writer.failing = {5, 6};
    Unlock(e);
    Select(e, 0);
    e.Command3_Click();
    ASSERT_EQ(box.texts.size(), 2u);
    EXPECT_EQ(box.texts[1], kOutOfStepText);
    EXPECT_EQ(ReadBytes(names()), "B\r\n");
    EXPECT_EQ(ReadBytes(urls()), "a\r\n");

    // A take-back that works keeps the plain write-failure text.
    writer.failing = {8};
    Type(e, L"C", L"c");
    e.Command1_Click();
    ASSERT_EQ(box.texts.size(), 3u);
    EXPECT_EQ(box.texts[2], kAddWriteFailedText);
    EXPECT_EQ(ReadBytes(names()), "B\r\n") << "the name was taken back";
    EXPECT_EQ(ReadBytes(urls()), "a\r\n");
}

TEST_F(EditorTest, StationFilesOverTheSizeLimitAreNeverTouched) {
    const LONGLONG huge = static_cast<LONGLONG>(kMaxStationFileBytes) + 1;
    WriteBytes(names(), "A\r\n");
    ASSERT_TRUE(MakeFileOfSize(urls(), huge));
    StationEditor& e = Open();
    ASSERT_EQ(box.texts.size(), 1u);
    EXPECT_EQ(box.texts[0], kTooLargeText);
    EXPECT_EQ(box.styles[0], static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(ListCount(e.item(kEdList2)), 0);

    Type(e, L"B", L"b");
    e.Command1_Click();
    ASSERT_EQ(box.texts.size(), 2u);
    EXPECT_EQ(box.texts[1], kTooLargeText);
    EXPECT_EQ(WindowText(e.item(kEdText1)), L"B");

    Unlock(e);
    Select(e, 0);
    e.Command3_Click();
    ASSERT_EQ(box.texts.size(), 3u);
    EXPECT_EQ(box.texts[2], kTooLargeText);
    EXPECT_EQ(writer.count, 0);
    EXPECT_EQ(ReadBytes(names()), "A\r\n");
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(urls().c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ((static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, huge);
}
