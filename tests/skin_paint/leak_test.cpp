#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "support/paint_test_support.h"
#include "skin/paint/button_paint.h"
#include "skin/paint/check_paint.h"
#include "skin/paint/combo_paint.h"
#include "skin/paint/header_paint.h"
#include "skin/paint/images.h"

namespace zarvio::skin {
namespace {

constexpr int kCalls = 10000;

class PainterLeaks : public testing::Test {
protected:
    void SetUp() override { BuildSkinImages(); }
    void TearDown() override { ReleaseSkinImages(); }

    // Runs paint once to warm the platform's caches, then kCalls times, and reports how many
    // GDI objects the calls left behind.
    template <typename F>
    int Leftover(F paint) {
        paint();
        const int before = test::CountGdiObjects();
        for (int i = 0; i < kCalls; ++i) paint();
        return test::CountGdiObjects() - before;
    }
    test::HostWindow host_;
};

TEST_F(PainterLeaks, CounterSeesCreatedObjects) {
    // The counter itself must notice objects, or the tests below would prove nothing.
    const int before = test::CountGdiObjects();
    Brush a(CreateSolidBrush(1)), b(CreateSolidBrush(2));
    MemoryDc dc(CreateCompatibleDC(nullptr));
    EXPECT_EQ(test::CountGdiObjects(), before + 3);
}

TEST_F(PainterLeaks, EveryPainterReleasesWhatItMakes) {
    HWND button = host_.Add(L"BUTTON", L"确定", BS_PUSHBUTTON, 10, 10, 60, 24);
    Surface pictures[4];
    for (int n = 0; n < 4; ++n) {
        pictures[n].reset(CreateSurface(60, 24));
        SetPropW(button, (L"HDC" + std::to_wstring(n)).c_str(), pictures[n].get());
    }
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    SetFocus(button);
    EXPECT_EQ(Leftover([&] { RenderButtonStates(button); }), 0);
    SetPropW(button, L"ALPHALEVEL", reinterpret_cast<HANDLE>(128));
    EXPECT_EQ(Leftover([&] { BlendButtonState(button, nullptr); }), 0);

    HWND check = host_.Add(L"BUTTON", L"Check", BS_3STATE, 10, 40, 100, 20);
    SendMessageW(check, BM_SETCHECK, BST_INDETERMINATE, 0);
    int n = 0;
    EXPECT_EQ(Leftover([&] { PaintCheckBox(check, static_cast<VisualState>(++n % 3), false); }), 0);

    HWND option = host_.Add(L"BUTTON", L"Option", BS_RADIOBUTTON, 10, 70, 100, 20);
    SendMessageW(option, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(Leftover([&] { PaintOptionButton(option, static_cast<VisualState>(++n % 3), false); }), 0);

    HWND combo = host_.Add(L"COMBOBOX", L"", CBS_DROPDOWNLIST, 10, 100, 120, 120);
    EXPECT_EQ(Leftover([&] {
                  auto state = static_cast<VisualState>(++n % 3);
                  PaintComboButton(combo, nullptr, state, false);
              }),
              0);

    INITCOMMONCONTROLSEX init{sizeof(init), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&init);
    HWND header = host_.Add(WC_HEADERW, L"", HDS_HORZ, 150, 10, 150, 24);
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH;
    item.pszText = const_cast<wchar_t*>(L"名称");
    item.cxy = 80;
    SendMessageW(header, HDM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    SendMessageW(header, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    EXPECT_EQ(Leftover([&] { PaintHeaderItem(header, nullptr, 0, static_cast<VisualState>(++n % 3)); }), 0);

    for (int i = 0; i < 4; ++i) RemovePropW(button, (L"HDC" + std::to_wstring(i)).c_str());
}

}  // namespace
}  // namespace zarvio::skin
