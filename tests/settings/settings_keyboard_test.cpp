#include "settings/settings_fixture.h"
#include "support/keyboard.h"

using namespace zarvio;
using namespace zarvio::test;

TEST_F(SettingsTest, KeyboardVisitsTheVisibleControlsAndEscOnlyHides) {
    ASSERT_TRUE(window.Open());
    Activate(window.hwnd());
    EXPECT_EQ(GetFocus(), item(kSetCheck1));
    // Reset stays disabled until a shutdown is set; the off-screen list and button are never visited.
    EXPECT_EQ(TabSequence(5), (std::vector<int>{kSetText1, kSetText2, kSetText3, kSetCommand2, kSetCheck1}));
    SetFocus(item(kSetText2));
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(IsWindow(window.hwnd()));
    EXPECT_FALSE(IsWindowVisible(window.hwnd()));
    ASSERT_TRUE(window.Open());
    Activate(window.hwnd());
    EXPECT_EQ(GetFocus(), item(kSetText2)) << "shown again with the control it had";
}
