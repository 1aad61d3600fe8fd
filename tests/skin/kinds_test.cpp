#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "platform/toolkit/class_names.h"
#include "platform/toolkit/controls.h"
#include "skin/combo_box.h"
#include "skin/header_control.h"
#include "skin/paint/check_paint.h"
#include "skin/paint/geometry.h"
#include "skin/skin_engine.h"
#include "skin_test_support.h"

namespace zarvio::skin::test {
namespace {

constexpr uint32_t kFrameRgb = 0x54A5D5;
constexpr uint32_t kPaleFrameRgb = 0xA4CFE9;
constexpr uint32_t kBarRgb = 0x4CD6F6;
constexpr uint32_t kWhiteRgb = 0xFFFFFF;

// A platform control under a class name the skin sorts into one of its kinds.
void RegisterSuperclass(const wchar_t* base, const wchar_t* name) {
    WNDCLASSEXW wc{sizeof(wc)};
    if (!GetClassInfoExW(nullptr, base, &wc)) GetClassInfoExW(GetModuleHandleW(nullptr), base, &wc);
    wc.lpszClassName = name;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.style &= ~CS_GLOBALCLASS;
    RegisterClassExW(&wc);
}

uint32_t WindowPixel(HWND hwnd, int x, int y) {
    const WindowDc dc = WindowDc::Whole(hwnd);
    return Pixels(dc.get(), x, y, 1, 1).at(0, 0);
}
Pixels WindowBlock(HWND hwnd, int x, int y, int w, int h) {
    const WindowDc dc = WindowDc::Whole(hwnd);
    return Pixels(dc.get(), x, y, w, h);
}
uint32_t ClientPixel(HWND hwnd, int x, int y) {
    const WindowDc dc = WindowDc::Client(hwnd);
    return Pixels(dc.get(), x, y, 1, 1).at(0, 0);
}
void Repaint(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
}

class SkinKinds : public SkinTest {
protected:
    void SetUp() override {
        RegisterToolkitClasses();
        INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&init);
        anchor_ = host_.Add(L"STATIC", L"", 0, 0, 0, 1, 1);
        InitSkin(anchor_);  // keeps the images alive while the test hooks its own windows
        SetCursorPos(1000, 700);
    }
    void TearDown() override {
        for (HWND w : hooked_) DetachWindow(w);
        ExitSkin(anchor_);
        SkinTest::TearDown();
    }
    HWND Hook(HWND w) {
        EXPECT_EQ(AttachWindow(w), 1);
        hooked_.push_back(w);
        PumpMessages();
        return w;
    }
    static void PointAt(HWND hwnd, int x, int y) {
        POINT p{x, y};
        ClientToScreen(hwnd, &p);
        SetCursorPos(p.x, p.y);
    }

    HostWindow host_{420, 320};
    HWND anchor_ = nullptr;
    std::vector<HWND> hooked_;
};

// The glyph box of a check box or option button, as the screen shows it.
Pixels Glyph(HWND hwnd) {
    const SIZE g = MenuCheckSize();
    RECT r{};
    GetWindowRect(hwnd, &r);
    return WindowBlock(hwnd, 0, Halve(static_cast<int>(r.bottom - r.top) - g.cy), g.cx, g.cy);
}

TEST_F(SkinKinds, AClickOnOneOptionButtonLeavesEveryDotOfTheFormRight) {
    HWND options[3];
    for (int i = 0; i < 3; ++i) {
        options[i] = host_.Add(kOptionClass, L"选项", BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0), 10,
                               10 + 25 * i, 120, 20);
        Hook(options[i]);
    }
    SendMessageW(options[0], BM_SETCHECK, BST_CHECKED, 0);
    PointAt(options[2], 5, 10);
    SendMessageW(options[2], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 10));
    SendMessageW(options[2], WM_LBUTTONUP, 0, MAKELPARAM(5, 10));
    ASSERT_EQ(SendMessageW(options[2], BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_EQ(SendMessageW(options[0], BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // What every option shows must be the skin's own circle for its check value now: drawing it
    // again in the normal state changes no pixel.
    const SIZE g = MenuCheckSize();
    uint32_t centre[3];
    for (int i = 0; i < 3; ++i) {
        const Pixels shown = Glyph(options[i]);
        PaintOptionButton(options[i], VisualState::Normal, true);
        EXPECT_TRUE(Glyph(options[i]) == shown) << "option " << i;
        centre[i] = shown.at(g.cx / 2, g.cy / 2);
    }
    EXPECT_EQ(centre[0], centre[1]);
    EXPECT_NE(centre[2], centre[0]);
}

TEST_F(SkinKinds, CheckBoxMarkFollowsThePointerAndTheButton) {
    HWND check = Hook(host_.Add(kCheckBoxClass, L"删除锁", BS_AUTOCHECKBOX, 10, 10, 120, 20));
    SendMessageW(check, WM_MOUSEMOVE, 0, MAKELPARAM(5, 10));
    EXPECT_EQ(Prop(check, L"OLDSTATE"), 1);
    EXPECT_EQ(Prop(check, L"MOUSEFLAG"), 1);
    const Pixels hover = Glyph(check);
    SendMessageW(check, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 10));
    EXPECT_EQ(Prop(check, L"OLDSTATE"), 2);
    EXPECT_FALSE(Glyph(check) == hover);
    SendMessageW(check, WM_KEYDOWN, 'X', 0);
    EXPECT_EQ(Prop(check, L"OLDSTATE"), 2);  // keys other than space change nothing
    SendMessageW(check, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Prop(check, L"OLDSTATE"), 0);
    EXPECT_EQ(Prop(check, L"MOUSEFLAG"), 0);
    // The square is the skin's: its frame in the skin's blue, white inside.
    const Pixels normal = Glyph(check);
    const SIZE g = MenuCheckSize();
    EXPECT_EQ(normal.at(0, g.cy / 2), kFrameRgb);
    EXPECT_EQ(normal.at(g.cx / 2, 1), kWhiteRgb);
}

TEST_F(SkinKinds, EditableComboButtonReactsOnlyOverItsButton) {
    HWND combo = Hook(host_.Add(WC_COMBOBOXW, L"", CBS_DROPDOWN | WS_VSCROLL, 10, 10, 150, 150));
    WindowBox box;
    GetWindowBox(combo, box);
    const int W = box.width, H = box.height;
    const int bx = W - GetSystemMetrics(SM_CXVSCROLL) / 2 - 2, by = H / 2;
    EXPECT_TRUE(InComboButtonZone(W - GetSystemMetrics(SM_CXVSCROLL) - 2, 2, W, H));
    EXPECT_FALSE(InComboButtonZone(W - GetSystemMetrics(SM_CXVSCROLL) - 3, 2, W, H));
    EXPECT_FALSE(InComboButtonZone(W - 2, H - 1, W, H));

    SendMessageW(combo, WM_MOUSEMOVE, 0, MAKELPARAM(bx, by));
    EXPECT_EQ(Prop(combo, L"OLDSTATE"), 1);
    SendMessageW(combo, WM_MOUSEMOVE, 0, MAKELPARAM(10, by));
    EXPECT_EQ(Prop(combo, L"OLDSTATE"), 0);
    SendMessageW(combo, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(bx, by));
    EXPECT_EQ(Prop(combo, L"OLDSTATE"), 2);
    SendMessageW(combo, WM_MOUSEMOVE, 0, MAKELPARAM(10, by));
    SendMessageW(combo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, by));  // in the text field
    EXPECT_EQ(Prop(combo, L"OLDSTATE"), 0);
    SendMessageW(combo, WM_LBUTTONUP, 0, MAKELPARAM(10, by));  // pointer far away: normal
    EXPECT_EQ(Prop(combo, L"OLDSTATE"), 0);
    PointAt(combo, bx, by);
    SendMessageW(combo, WM_LBUTTONUP, 0, MAKELPARAM(bx, by));  // over the control: hot
    EXPECT_EQ(Prop(combo, L"OLDSTATE"), 1);
    SetWindowPos(combo, nullptr, 12, 12, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(Prop(combo, L"OLDSTATE"), 0);

    Repaint(combo);
    EXPECT_EQ(WindowPixel(combo, 0, H / 2), kFrameRgb);
    EnableWindow(combo, FALSE);
    Repaint(combo);
    EXPECT_EQ(WindowPixel(combo, 0, H / 2), kPaleFrameRgb);
}

TEST_F(SkinKinds, DropDownListAndDriveListLightTheirButtonAllOver) {
    RegisterSuperclass(WC_COMBOBOXW, L"ThunderRT6DriveListBox");
    HWND list = Hook(host_.Add(WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL, 10, 10, 150, 150));
    HWND drives = Hook(host_.Add(L"ThunderRT6DriveListBox", L"", CBS_DROPDOWNLIST | WS_VSCROLL, 10, 50, 150, 150));
    for (HWND c : {list, drives}) {
        SendMessageW(c, WM_MOUSEMOVE, 0, MAKELPARAM(10, 5));
        EXPECT_EQ(Prop(c, L"OLDSTATE"), 1);
        SendMessageW(c, WM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(Prop(c, L"OLDSTATE"), 0);
        EXPECT_EQ(Prop(c, L"MOUSEFLAG"), 0);
        Repaint(c);
        EXPECT_EQ(WindowPixel(c, 0, 5), kFrameRgb);
        EXPECT_EQ(WindowPixel(c, 1, 5), kWhiteRgb);
    }
}

class HeaderKind : public SkinKinds {
protected:
    void SetUp() override {
        SkinKinds::SetUp();
        header_ = host_.Add(WC_HEADERW, L"", HDS_HORZ | HDS_BUTTONS, 10, 10, 200, 22);
        const wchar_t* titles[] = {L"名称", L"", L"地址"};
        for (int i = 0; i < 3; ++i) {
            HDITEMW item{};
            item.mask = HDI_TEXT | HDI_WIDTH;
            item.pszText = const_cast<wchar_t*>(titles[i]);
            item.cxy = 50;
            SendMessageW(header_, HDM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
        }
        Hook(header_);
        Repaint(header_);
    }
    Pixels Item(int i) { return WindowBlock(header_, 50 * i + 2, 2, 46, 18); }
    void Move(int x, WPARAM keys = 0) { SendMessageW(header_, WM_MOUSEMOVE, keys, MAKELPARAM(x, 5)); }
    HWND header_ = nullptr;
};

TEST_F(HeaderKind, HotItemFollowsThePointerAndLeavingResetsBoth) {
    const Pixels normal0 = Item(0), normal1 = Item(1);
    Move(10);
    EXPECT_EQ(Prop(header_, L"HMINDEX"), 0);
    EXPECT_FALSE(Item(0) == normal0);
    Move(60);
    EXPECT_EQ(Prop(header_, L"HMINDEX"), 1);
    EXPECT_TRUE(Item(0) == normal0);
    EXPECT_FALSE(Item(1) == normal1);
    SendMessageW(header_, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Prop(header_, L"HMINDEX"), -1);
    EXPECT_EQ(Prop(header_, L"HDINDEX"), -1);
    EXPECT_TRUE(Item(1) == normal1);
    // The shared edge belongs to the lower item; beyond the last there is none.
    EXPECT_EQ(HeaderItemAt(header_, 50), 0);
    EXPECT_EQ(HeaderItemAt(header_, 51), 1);
    EXPECT_EQ(HeaderItemAt(header_, 180), -1);
}

TEST_F(HeaderKind, PressesAndDragsShowOnlyThePressedItem) {
    const Pixels before = WindowBlock(header_, 0, 0, 200, 22);
    SendMessageW(header_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(180, 5));
    EXPECT_EQ(Prop(header_, L"HDINDEX"), -1);
    EXPECT_TRUE(WindowBlock(header_, 0, 0, 200, 22) == before);
    SendMessageW(header_, WM_LBUTTONUP, 0, MAKELPARAM(180, 5));

    Move(120);
    const Pixels hot2 = Item(2);
    SendMessageW(header_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 5));
    EXPECT_EQ(Prop(header_, L"HDINDEX"), 2);
    const Pixels pressed2 = Item(2);
    EXPECT_FALSE(pressed2 == hot2);
    Move(60, MK_LBUTTON);
    Move(120, MK_LBUTTON);
    EXPECT_TRUE(Item(2) == pressed2);
    EXPECT_EQ(Prop(header_, L"HMINDEX"), 2);
    SendMessageW(header_, WM_LBUTTONUP, 0, MAKELPARAM(120, 5));
    EXPECT_EQ(Prop(header_, L"HDINDEX"), -1);
}

TEST_F(HeaderKind, FullPaintsReleaseTheirSurface) {
    Repaint(header_);
    const int before = CountGdiObjects();
    for (int i = 0; i < 1000; ++i) {
        InvalidateRect(header_, nullptr, FALSE);
        UpdateWindow(header_);
    }
    EXPECT_EQ(CountGdiObjects(), before);
}

TEST_F(SkinKinds, ClientEdgeBecomesAOnePixelFrameWithRings) {
    HWND text = CreateWindowExW(WS_EX_CLIENTEDGE, kTextBoxClass, L"abc", WS_CHILD | WS_VISIBLE, 10, 10, 120, 24,
                                host_.get(), nullptr, GetModuleHandleW(nullptr), nullptr);
    int bx = 0, by = 0;
    GetBorderSize(text, bx, by);
    ASSERT_EQ(bx, 2);
    Hook(text);
    Repaint(text);
    EXPECT_EQ(WindowPixel(text, 0, 12), kFrameRgb);
    EXPECT_EQ(WindowPixel(text, 1, 12), kWhiteRgb);
    EXPECT_EQ(WindowPixel(text, 2, 12), kWhiteRgb);
    EXPECT_EQ(WindowPixel(text, 119, 12), kFrameRgb);
    EnableWindow(text, FALSE);
    Repaint(text);
    EXPECT_EQ(WindowPixel(text, 0, 12), kPaleFrameRgb);
}

TEST_F(SkinKinds, ProgressBarsFillByTheirPositionOutOfThirtyThousand) {
    RegisterSuperclass(PROGRESS_CLASSW, L"ProgressBar20WndClass");
    auto make = [&](DWORD style, int w, int h, int pos) {
        HWND bar = host_.Add(L"ProgressBar20WndClass", L"", WS_BORDER | style, 10, 10, w, h);
        SendMessageW(bar, PBM_SETRANGE32, 0, 30000);
        SendMessageW(bar, PBM_SETPOS, pos, 0);
        Hook(bar);
        Repaint(bar);
        return bar;
    };
    HWND across = make(0, 103, 18, 15000);  // client width 101
    RECT client{};
    GetClientRect(across, &client);
    ASSERT_EQ(client.right, 101);
    EXPECT_EQ(ClientPixel(across, 0, 5), kBarRgb);
    EXPECT_EQ(ClientPixel(across, 49, 5), kBarRgb);
    EXPECT_EQ(ClientPixel(across, 50, 5), kWhiteRgb);
    EXPECT_EQ(WindowPixel(across, 0, 0), kFrameRgb);

    HWND up = make(PBS_VERTICAL, 18, 52, 15000);  // client height 50
    EXPECT_EQ(ClientPixel(up, 5, 24), kWhiteRgb);
    EXPECT_EQ(ClientPixel(up, 5, 25), kBarRgb);
    EXPECT_EQ(ClientPixel(up, 5, 49), kBarRgb);

    HWND empty = make(0, 103, 18, 0);
    for (int x : {0, 50, 100}) EXPECT_EQ(ClientPixel(empty, x, 5), kWhiteRgb);
    EXPECT_EQ(WindowPixel(empty, 0, 9), kFrameRgb);
}

TEST_F(SkinKinds, ListsAreFramedGridsOnlyWithABorder) {
    RegisterSuperclass(L"LISTBOX", L"DataListWndClass");
    RegisterSuperclass(L"LISTBOX", L"ApexGridTest");
    HWND data = Hook(host_.Add(L"DataListWndClass", L"", 0, 10, 10, 100, 60));
    Repaint(data);
    EXPECT_EQ(WindowPixel(data, 0, 30), kFrameRgb);
    EXPECT_EQ(WindowPixel(data, 1, 30), kWhiteRgb);

    HWND plainGrid = host_.Add(L"ApexGridTest", L"", 0, 120, 10, 100, 60);
    SendMessageW(plainGrid, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"行"));
    Repaint(plainGrid);
    const Pixels own = WindowBlock(plainGrid, 0, 0, 100, 60);
    Hook(plainGrid);
    Repaint(plainGrid);
    EXPECT_TRUE(WindowBlock(plainGrid, 0, 0, 100, 60) == own);

    HWND borderGrid = Hook(host_.Add(L"ApexGridTest", L"", WS_BORDER, 230, 10, 100, 60));
    Repaint(borderGrid);
    EXPECT_EQ(WindowPixel(borderGrid, 0, 30), kFrameRgb);
}

TEST_F(SkinKinds, MarksStayTheSkinsWhenCodeChangesTheCheckFocusOrEnabledState) {
    HWND check = Hook(host_.Add(kCheckBoxClass, L"删除锁", BS_AUTOCHECKBOX, 10, 10, 120, 20));
    HWND option = Hook(host_.Add(kOptionClass, L"选项", BS_AUTORADIOBUTTON, 10, 40, 120, 20));
    for (HWND w : {check, option}) {
        // The screen already shows the skin's mark exactly when drawing it again changes nothing.
        auto skinned = [&] {
            const Pixels shown = Glyph(w);
            if (w == check) PaintCheckBox(w, VisualState::Normal, true); else PaintOptionButton(w, VisualState::Normal, true);
            return Glyph(w) == shown;
        };
        Repaint(w);
        EXPECT_TRUE(skinned()) << "painted";
        SetFocus(w);
        EXPECT_TRUE(skinned()) << "focused";
        SendMessageW(w, BM_SETCHECK, BST_CHECKED, 0);
        EXPECT_TRUE(skinned()) << "checked from code";
        SetFocus(host_.get());
        EnableWindow(w, FALSE);
        EXPECT_TRUE(skinned()) << "disabled";
    }
}

}  // namespace
}  // namespace zarvio::skin::test
