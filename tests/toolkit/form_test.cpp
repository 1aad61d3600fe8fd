// The form base: its font cache and the rule that a derived class ends its window itself.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/toolkit/form.h"
#include "support/object_counts.h"

using namespace zarvio;

namespace {

class TwoLabels : public Form {
public:
    HWND first = nullptr, second = nullptr;
    ~TwoLabels() override { Destroy(); }

private:
    void BuildControls() override {
        first = AddLabel(hwnd(), 1, {0, 0, 1500, 300}, L"a");
        second = AddLabel(hwnd(), 2, {0, 300, 1500, 300}, L"b");
        SetFont(first, {L"宋体", 143});
        SetFont(second, {L"宋体", 143});
    }
};

HFONT FontOf(HWND control) { return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)); }

}  // namespace

TEST(FormFonts, EqualDescriptionsShareOneFontThatGoesWithTheWindow) {
    {
        TwoLabels warmUp;  // the system's own first-use objects are not the form's to give back
        ASSERT_TRUE(warmUp.Create({L"fonts", 1500, 600}));
    }
    const int before = test::CountGdiObjects();
    {
        TwoLabels form;
        ASSERT_TRUE(form.Create({L"fonts", 1500, 600}));
        ASSERT_NE(FontOf(form.first), nullptr);
        EXPECT_EQ(FontOf(form.first), FontOf(form.second));
        EXPECT_EQ(form.FontFor({L"宋体", 143}), FontOf(form.first));
        const HFONT underlined = form.FontFor({L"宋体", 143, false, true});
        ASSERT_NE(underlined, nullptr);
        EXPECT_NE(underlined, FontOf(form.first));
        LOGFONTW lf{};
        ASSERT_TRUE(GetObjectW(underlined, sizeof(lf), &lf));
        EXPECT_TRUE(lf.lfUnderline);
        form.Destroy();
        EXPECT_EQ(GetObjectType(underlined), 0u) << "released with the window";
    }
    EXPECT_EQ(test::CountGdiObjects(), before);
}

namespace {
// Has something to do when its window ends, and forgets to end the window itself.
class ForgetsDestroy : public Form {
    void Form_Unload() override { ++unloads; }

public:
    int unloads = 0;
};
}  // namespace

TEST(FormDeathTest, AClassThatLeavesItsWindowToTheBaseStopsTheProgram) {
    EXPECT_DEATH(
        {
            ForgetsDestroy form;
            if (form.Create({L"forgetful", 1500, 600})) (void)form.hwnd();
        },
        "must call Destroy");
}
