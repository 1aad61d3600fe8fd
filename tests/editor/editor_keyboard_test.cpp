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

TEST(EditorKeyboardTest, FocusTabOrderAndEscClosing) {
    FakeServiceSet fakes;
    TempDir dir;
    EditorHost host{fakes.Make(dir.path())};
    host.Open();
    StationEditor& e = *host.current();
    Activate(e.hwnd());
    EXPECT_EQ(GetFocus(), e.item(kEdText1));
    // The delete button only while the lock enables it; the hidden Command4 never.
    EXPECT_EQ(TabSequence(7), (std::vector<int>{kEdText2, kEdCommand1, kEdList1, kEdList2, kEdCommand2, kEdCheck1,
                                                kEdText1}));
    SetChecked(e.item(kEdCheck1), true);
    e.Check1_Click();
    EXPECT_EQ(TabSequence(3), (std::vector<int>{kEdText2, kEdCommand1, kEdCommand3}));

    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    Activate(other);
    Activate(e.hwnd());
    EXPECT_EQ(GetFocus(), e.item(kEdCommand3)) << "re-activated with the control it had";
    DestroyWindow(other);

    PressKey(VK_ESCAPE);
    EXPECT_EQ(host.current(), nullptr) << "destroyed, as by the close box";
}
