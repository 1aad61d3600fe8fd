#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "skin/paint/images.h"
#include "skin/skin_engine.h"
#include "skin_test_support.h"

namespace zarvio::skin::test {
namespace {

using Lifecycle = SkinTest;

TEST_F(Lifecycle, FormIsHookedWithEveryControlAndHandedBackClean) {
    EveryKindForm form;
    ASSERT_TRUE(form.Open());
    const auto formProc = GetWindowLongPtrW(form.hwnd(), GWLP_WNDPROC);
    std::vector<LONG_PTR> procs;
    for (HWND c : form.Controls()) procs.push_back(GetWindowLongPtrW(c, GWLP_WNDPROC));

    EXPECT_EQ(InitSkin(form.hwnd()), 1);
    EXPECT_TRUE(SkinReady());
    // The form and its twelve controls, the button inside the frame among them. The form's
    // tooltip is a top-level window of its own and is not part of the form.
    EXPECT_EQ(HookedCount(), 1 + static_cast<int>(form.Controls().size()));
    for (HWND c : form.Controls()) {
        EXPECT_TRUE(IsHooked(c)) << GetClassText(c).c_str();
        EXPECT_EQ(GetWindowLongPtrW(c, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&SkinWindowProc));
    }
    EXPECT_EQ(Prop(form.header, L"HDINDEX"), -1);  // -1 reads back as -1
    EXPECT_EQ(Prop(form.header, L"HMINDEX"), -1);
    EXPECT_EQ(Prop(form.button, L"OLDSTATE"), 0);
    EXPECT_NE(Prop(form.button, L"HDC3"), 0);
    EXPECT_EQ(Prop(form.check, L"MOUSEFLAG"), 0);

    EXPECT_EQ(ExitSkin(form.hwnd()), 1);
    EXPECT_EQ(HookedCount(), 0);
    EXPECT_FALSE(SkinReady());
    EXPECT_EQ(ButtonImage(), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(form.hwnd(), GWLP_WNDPROC), formProc);
    EXPECT_TRUE(SkinPropsLeft(form.hwnd()).empty());
    for (size_t i = 0; i < procs.size(); ++i) {
        HWND c = form.Controls()[i];
        EXPECT_EQ(GetWindowLongPtrW(c, GWLP_WNDPROC), procs[i]) << i;
        EXPECT_EQ(SkinPropsLeft(c), std::vector<std::wstring>{}) << GetClassText(c).c_str();
    }
}

// Which state each kind carries while hooked, and what it starts with, written out by kind.
TEST_F(Lifecycle, EveryKindGetsItsOwnStatePropertiesWithTheirStartingValues) {
    EveryKindForm form;
    ASSERT_TRUE(form.Open());
    EnableWindow(form.frameButton, FALSE);  // a disabled button starts in its disabled look
    const LONG_PTR buttonStyle = GetWindowLongPtrW(form.button, GWL_STYLE);
    ASSERT_EQ(InitSkin(form.hwnd()), 1);

    auto names = [](HWND hwnd) {
        std::vector<std::wstring> left = SkinPropsLeft(hwnd);
        std::sort(left.begin(), left.end());
        return left;
    };
    const std::vector<std::wstring> hookedOnly{L"PROCADDR"};
    const std::vector<std::wstring> button{L"ALPHALEVEL", L"BMP0", L"BMP1", L"BMP2", L"BMP3", L"HDC0", L"HDC1",
                                           L"HDC2", L"HDC3", L"MOUSEFLAG", L"OLDSTATE", L"OLDSTYLE", L"PROCADDR",
                                           L"TIMERID"};
    const std::vector<std::wstring> tracked{L"MOUSEFLAG", L"OLDSTATE", L"PROCADDR"};
    const std::vector<std::wstring> header{L"HDINDEX", L"HMINDEX", L"MOUSEFLAG", L"PROCADDR"};

    EXPECT_EQ(names(form.hwnd()), hookedOnly);
    for (HWND b : {form.button, form.frameButton}) {
        EXPECT_EQ(names(b), button);
        EXPECT_EQ(Prop(b, L"MOUSEFLAG"), 0);
        EXPECT_EQ(Prop(b, L"TIMERID"), 0);
        EXPECT_EQ(Prop(b, L"ALPHALEVEL"), 0);
        for (int n = 0; n < 4; ++n) {
            const auto picture = reinterpret_cast<HDC>(Prop(b, (L"HDC" + std::to_wstring(n)).c_str()));
            ASSERT_NE(picture, nullptr) << n;
            EXPECT_EQ(reinterpret_cast<HGDIOBJ>(Prop(b, (L"BMP" + std::to_wstring(n)).c_str())),
                      GetCurrentObject(picture, OBJ_BITMAP))
                << n;
        }
    }
    EXPECT_EQ(Prop(form.button, L"OLDSTATE"), 0);
    EXPECT_EQ(Prop(form.frameButton, L"OLDSTATE"), 3);
    EXPECT_EQ(Prop(form.button, L"OLDSTYLE"), buttonStyle);
    for (HWND t : {form.check, form.option, form.combo}) {
        EXPECT_EQ(names(t), tracked) << GetClassText(t).c_str();
        EXPECT_EQ(Prop(t, L"MOUSEFLAG"), 0);
        EXPECT_EQ(Prop(t, L"OLDSTATE"), 0);
    }
    EXPECT_EQ(names(form.header), header);
    EXPECT_EQ(Prop(form.header, L"MOUSEFLAG"), 0);
    for (HWND other : {form.list, form.text, form.frame, form.label, form.progress, form.plain})
        EXPECT_EQ(names(other), hookedOnly) << GetClassText(other).c_str();

    EXPECT_EQ(ExitSkin(form.hwnd()), 1);
    for (HWND c : form.Controls()) EXPECT_EQ(SkinPropsLeft(c), std::vector<std::wstring>{}) << GetClassText(c).c_str();
}

TEST_F(Lifecycle, HookingTwiceAndUnhookingTwiceChangeNothing) {
    EXPECT_EQ(AttachWindow(nullptr), 0);
    EXPECT_EQ(DetachWindow(nullptr), 0);
    EXPECT_EQ(SkinWindowProc(nullptr, WM_PAINT, 0, 0), 0);

    HostWindow host;
    HWND plain = host.Add(L"STATIC", L"", 0, 0, 0, 10, 10);
    EXPECT_EQ(DetachWindow(plain), 0);  // never hooked: the count stays at 0
    EXPECT_EQ(HookedCount(), 0);

    EXPECT_EQ(InitSkin(plain), 1);
    EXPECT_EQ(InitSkin(plain), 0);
    EXPECT_EQ(AttachWindow(plain), 0);
    EXPECT_EQ(HookedCount(), 1);
    EXPECT_EQ(DetachWindow(plain), 1);
    EXPECT_EQ(DetachWindow(plain), 0);
    EXPECT_EQ(HookedCount(), 0);
}

TEST_F(Lifecycle, ImagesLiveExactlyWhileReadyAndASecondInitKeepsThem) {
    HostWindow host;
    HWND a = host.Add(L"STATIC", L"", 0, 0, 0, 10, 10);
    HWND b = host.Add(L"STATIC", L"", 0, 20, 0, 10, 10);
    EXPECT_FALSE(SkinReady());
    EXPECT_EQ(ButtonImage(), nullptr);

    InitSkin(a);
    ASSERT_TRUE(SkinReady());
    ASSERT_NE(ButtonImage(), nullptr);
    // Mark the image: a rebuild would paint the pixel back to the table's value.
    SetPixelV(ButtonImage(), 0, 0, RGB(1, 2, 3));
    const HDC images[] = {ButtonImage(), ComboImage(), MarkImage(), OptionImage(), HeaderImage()};
    InitSkin(b);
    EXPECT_EQ(HookedCount(), 2);
    EXPECT_EQ(GetPixel(ButtonImage(), 0, 0), RGB(1, 2, 3));
    EXPECT_EQ(ButtonImage(), images[0]);
    EXPECT_EQ(HeaderImage(), images[4]);

    DetachWindow(a);
    EXPECT_TRUE(SkinReady());  // b is still hooked
    EXPECT_NE(MarkImage(), nullptr);
    DetachWindow(b);
    EXPECT_FALSE(SkinReady());
    for (HDC image : {ButtonImage(), ComboImage(), MarkImage(), OptionImage(), HeaderImage()})
        EXPECT_EQ(image, nullptr);
    EXPECT_EQ(GetObjectType(images[0]), 0u);  // the surface itself is gone

    // A later start builds them afresh.
    InitSkin(a);
    EXPECT_NE(ButtonImage(), nullptr);
    EXPECT_NE(GetPixel(ButtonImage(), 0, 0), RGB(1, 2, 3));
    ExitSkin(a);
}

TEST_F(Lifecycle, DestroyUnhooksFirstAndStillReachesTheWindowsOwnProcedure) {
    EveryKindForm form;
    ASSERT_TRUE(form.Open());
    InitSkin(form.hwnd());
    ASSERT_TRUE(IsHooked(form.plain));
    PlainWindowClass::Seen().clear();
    // The unlisted window goes with its form: unhooked, uncounted, and its procedure sees the end.
    form.Destroy();
    EXPECT_EQ(HookedCount(), 0);
    const auto& seen = PlainWindowClass::Seen();
    EXPECT_NE(std::find(seen.begin(), seen.end(), WM_DESTROY), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), WM_NCDESTROY), seen.end());
}

TEST_F(Lifecycle, UnhookingAButtonKeepsWhatChangedSinceAndUndoesOnlyTheOwnerDrawnType) {
    EveryKindForm form;
    ASSERT_TRUE(form.Open());
    ShowWindow(form.hwnd(), SW_SHOW);
    InitSkin(form.hwnd());
    EXPECT_EQ(GetWindowLongPtrW(form.button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    RECT box{};
    EXPECT_NE(GetWindowRgnBox(form.button, &box), ERROR);
    // The user enables and disables things while the skin runs; giving the button back must
    // not put back the enabled state of the moment it was hooked.
    EnableWindow(form.button, FALSE);
    ExitSkin(form.hwnd());
    EXPECT_FALSE(IsWindowEnabled(form.button));
    EXPECT_EQ(GetWindowLongPtrW(form.button, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(GetWindowRgnBox(form.button, &box), ERROR);  // square again
}

TEST_F(Lifecycle, WindowsOfAnotherThreadAreNeverTaken) {
    HWND foreign = nullptr;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    struct Args { HWND* window; HANDLE ready, done; } args{&foreign, ready, done};
    HANDLE thread = CreateThread(nullptr, 0, [](void* p) -> DWORD {
        auto* a = static_cast<Args*>(p);
        *a->window = CreateWindowExW(0, L"BUTTON", L"x", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        SetEvent(a->ready);
        WaitForSingleObject(a->done, INFINITE);
        DestroyWindow(*a->window);
        return 0;
    }, &args, 0, nullptr);
    WaitForSingleObject(ready, INFINITE);
    EXPECT_EQ(AttachWindow(foreign), 0);
    EXPECT_EQ(HookedCount(), 0);
    EXPECT_TRUE(SkinPropsLeft(foreign).empty());
    EXPECT_EQ(GetWindowLongPtrW(foreign, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    SetEvent(done);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(ready);
    CloseHandle(done);
}

}  // namespace
}  // namespace zarvio::skin::test
