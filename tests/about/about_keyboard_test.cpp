#include <gtest/gtest.h>
#include <windows.h>

#include "about/about_window.h"
#include "support/fake_services.h"
#include "support/keyboard.h"
#include "support/temp_dir.h"

using namespace zarvio;
using namespace zarvio::test;

TEST(AboutKeyboardTest, EscDestroysItAsTheCloseBoxDoes) {
    FakeServiceSet fakes;
    TempDir dir;
    AboutHost host{fakes.Make(dir.path())};
    host.Open();
    Activate(host.current()->hwnd());
    PressKey(VK_ESCAPE);
    EXPECT_EQ(host.current(), nullptr);
}
