// The settings window without a mouse: the focus, the Tab order and Esc.
#include "settings/settings_fixture.h"
#include "support/keyboard.h"

using namespace zarvio;
using namespace zarvio::test;

TEST_F(SettingsTest, KeyboardVisitsTheVisibleControlsAndEscOnlyHides) {
    ASSERT_TRUE(window.Open());
    Activate(window.hwnd());
    EXPECT_EQ(GetFocus(), item(kSetCheck1));
    // Reset is disabled until a shutdown is set; the off-screen list and button are never visited.
    EXPECT_EQ(TabSequence(5), (std::vector<int>{kSetText1, kSetText2, kSetText3, kSetCommand2, kSetCheck1}));

    SetFocus(item(kSetText2));
    SetWindowTextW(item(kSetText2), L"42");
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(IsWindow(window.hwnd())) << "hidden, never destroyed";
    EXPECT_FALSE(IsWindowVisible(window.hwnd()));
    ASSERT_TRUE(window.Open());
    Activate(window.hwnd());
    EXPECT_EQ(Text(kSetText2), L"42");
    EXPECT_EQ(GetFocus(), item(kSetText2)) << "shown again with the control it had";
}
