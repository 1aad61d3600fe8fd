// Helpers of the skin engine tests: a form of the program's own classes holding one control of
// every kind, property and counter read-back, and the messages the platform would send.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/toolkit/class_names.h"
#include "platform/toolkit/form.h"
#include "skin/skin_engine.h"
#include "skin/window_kind.h"
#include "skin/paint/window_props.h"
#include "support/paint_test_support.h"

namespace zarvio::skin::test {

inline intptr_t Prop(HWND hwnd, const wchar_t* name) { return ReadWindowProp(hwnd, name); }

// The skin's names a window still carries, also those holding 0 (which read like absent ones).
inline std::vector<std::wstring> SkinPropsLeft(HWND hwnd) {
    std::vector<std::wstring> all;
    EnumPropsExW(
        hwnd,
        [](HWND, LPWSTR name, HANDLE, ULONG_PTR p) -> BOOL {
            if (!IS_INTRESOURCE(name)) reinterpret_cast<std::vector<std::wstring>*>(p)->emplace_back(name);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    std::vector<std::wstring> left;
    for (const std::wstring& name : all)
        for (const wchar_t* skinName : kAllSkinProps)
            if (name == skinName) left.push_back(name);
    return left;
}

// A window class of no kind the skin knows, whose procedure records what reaches it.
struct PlainWindowClass {
    static constexpr wchar_t kName[] = L"ZarvioTestPlainWindow";
    static std::vector<UINT>& Seen() {
        static std::vector<UINT> seen;
        return seen;
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        Seen().push_back(msg);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    static void Register() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kName;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        RegisterClassW(&wc);  // a second registration fails harmlessly
    }
};

// A form with a control of every kind the skin tells apart, made from the toolkit's classes
// where it has them and from the platform's controls elsewhere.
class EveryKindForm : public Form {
public:
    HWND button = nullptr, check = nullptr, option = nullptr, list = nullptr, text = nullptr;
    HWND frame = nullptr, frameButton = nullptr, label = nullptr;
    HWND combo = nullptr, header = nullptr, progress = nullptr, plain = nullptr;

    ~EveryKindForm() override { Destroy(); }

    bool Open(const std::wstring& caption = L"Skin test") {
        FormOptions o;
        o.caption = caption;
        o.clientWidthTwips = 6000;
        o.clientHeightTwips = 4500;
        if (!Create(o)) return false;
        SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
        return true;
    }
    // The controls of the form, in creation order.
    std::vector<HWND> Controls() const {
        return {button, check, option, list, text, frame, frameButton, label, combo, header, progress, plain};
    }

protected:
    void BuildControls() override {
        button = AddButton(hwnd(), 1, {120, 120, 1335, 300}, L"按钮(&B)");
        check = AddCheckBox(hwnd(), 2, {120, 540, 1500, 300}, L"复选");
        option = CreateChild(kOptionClass, L"单选", WS_TABSTOP | BS_AUTORADIOBUTTON, 8, 60, 100, 20);
        list = AddListBox(hwnd(), 4, {1800, 120, 1500, 900});
        text = AddTextBox(hwnd(), 5, {1800, 1140, 1500, 300});
        frame = AddFrame(hwnd(), 6, {3500, 120, 2000, 1200}, L"框架");
        frameButton = AddButton(frame, 7, {150, 300, 1335, 300}, L"框内");
        label = AddLabel(hwnd(), 8, {120, 900, 1500, 300}, L"标签");
        combo = CreateChild(WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL, 8, 100, 110, 120);
        header = CreateChild(WC_HEADERW, L"", HDS_HORZ, 8, 130, 200, 20);
        progress = CreateChild(PROGRESS_CLASSW, L"", 0, 8, 160, 150, 16);
        PlainWindowClass::Register();
        plain = CreateChild(PlainWindowClass::kName, L"", 0, 8, 190, 60, 20);
    }

private:
    HWND CreateChild(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h) {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
};

using ::zarvio::test::CountUserObjects;

// Every test leaves the engine as it found it: nothing hooked, no images.
class SkinTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(HookedCount(), 0);
        EXPECT_FALSE(SkinReady());
    }
};

}  // namespace zarvio::skin::test
