// Esc closes the About window the way its close box does.
#include <gtest/gtest.h>
#include <windows.h>

#include "about/about_window.h"
#include "support/fake_services.h"
#include "support/keyboard.h"
#include "support/temp_dir.h"

using namespace zarvio;
using namespace zarvio::test;

TEST(AboutKeyboardTest, EscDestroysItAndTheNextCommandOpensTheWebPageAgain) {
    FakeServiceSet fakes;
    TempDir dir;
    AboutHost host{fakes.Make(dir.path())};
    host.Open();
    ASSERT_NE(host.current(), nullptr);
    HWND about = host.current()->hwnd();
    Activate(about);
    ASSERT_EQ(GetActiveWindow(), about);
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(IsWindow(about));
    EXPECT_EQ(host.current(), nullptr);
    host.Open();
    EXPECT_EQ(fakes.browser.opened.size(), 2u);
}
