// The editor without a mouse: the focus, the Tab order and Esc.
#include <gtest/gtest.h>
#include <windows.h>

#include "editor/station_editor.h"
#include "platform/toolkit/controls.h"
#include "support/fake_services.h"
#include "support/keyboard.h"
#include "support/temp_dir.h"

using namespace zarvio;
using namespace zarvio::test;

namespace {

struct EditorKeyboardTest : ::testing::Test, FakeServiceSet {
    TempDir dir;
    EditorHost host{Make(dir.path())};
    StationEditor& Open() {
        WriteBytes(dir.File(L"zarvtai.mdb"), "A\r\n");
        WriteBytes(dir.File(L"zarvlist.dll"), "http://a\r\n");
        host.Open();
        Activate(host.current()->hwnd());
        return *host.current();
    }
};

}  // namespace

TEST_F(EditorKeyboardTest, FocusStartsInTheNameBoxAndTabFollowsTheLayoutOrder) {
    StationEditor& e = Open();
    EXPECT_EQ(GetFocus(), e.item(kEdText1));
    // The delete button is skipped while the lock keeps it disabled; the hidden Command4 always.
    EXPECT_EQ(TabSequence(7), (std::vector<int>{kEdText2, kEdCommand1, kEdList1, kEdList2, kEdCommand2, kEdCheck1,
                                                kEdText1}));
    SetChecked(e.item(kEdCheck1), true);
    e.Check1_Click();
    EXPECT_EQ(TabSequence(4), (std::vector<int>{kEdText2, kEdCommand1, kEdCommand3, kEdList1}));
}

TEST_F(EditorKeyboardTest, ReactivatedItReturnsTheFocusWhereItWas) {
    StationEditor& e = Open();
    SetFocus(e.item(kEdList2));
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    Activate(other);
    Activate(e.hwnd());
    EXPECT_EQ(GetFocus(), e.item(kEdList2));
    DestroyWindow(other);
}

TEST_F(EditorKeyboardTest, EscClosesItAsTheCloseBoxDoes) {
    StationEditor& e = Open();
    SetFocus(e.item(kEdText2));
    PressKey(VK_ESCAPE);
    EXPECT_EQ(host.current(), nullptr) << "destroyed, as on close";
    EXPECT_FALSE(IsWindow(e.hwnd()));
    Open();  // the next command makes a new one
    EXPECT_NE(host.current(), nullptr);
}
