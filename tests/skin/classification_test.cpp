#include <gtest/gtest.h>
#include <windows.h>
#include <windowsx.h>

#include <string>

#include "platform/module_probe.h"
#include "skin/window_kind.h"
#include "skin_test_support.h"

namespace zarvio::skin::test {
namespace {

TEST(WindowKinds, ClassNamesCountWhateverTheirLetterCase) {
    EXPECT_EQ(KindOfClassName(L"thunderrt6formdc"), WindowKind::Form);
    EXPECT_EQ(KindOfClassName(L"#32770"), WindowKind::Form);
    EXPECT_EQ(KindOfClassName(L"button"), WindowKind::Button);
    EXPECT_EQ(KindOfClassName(L"combolbox"), WindowKind::ComboList);
    EXPECT_EQ(KindOfClassName(L"combobox"), WindowKind::Combo);
    EXPECT_EQ(KindOfClassName(L"sysheader32"), WindowKind::Header);
    EXPECT_EQ(KindOfClassName(L"thunderrt6drivelistbox"), WindowKind::DriveList);
    EXPECT_EQ(KindOfClassName(L"progressbar20wndclass"), WindowKind::Progress);
    EXPECT_EQ(KindOfClassName(L"dblistwndclass"), WindowKind::DataList);
    EXPECT_EQ(KindOfClassName(L"thunderrt6optionbutton"), WindowKind::Option);
    EXPECT_EQ(KindOfClassName(L""), WindowKind::Other);
    EXPECT_EQ(KindOfClassName(L"edit"), WindowKind::Other);
    // Compared after lower-casing: a name still in capitals is no listed one.
    EXPECT_EQ(KindOfClassName(L"Button"), WindowKind::Other);

    HostWindow host;
    EXPECT_EQ(KindOf(host.Add(L"BuTtOn", L"", BS_AUTOCHECKBOX, 0, 0, 50, 20)), WindowKind::Button);
    EXPECT_EQ(KindOf(host.Add(L"ComboBox", L"", CBS_DROPDOWN, 0, 0, 50, 80)), WindowKind::Combo);
    EXPECT_EQ(KindOf(host.Add(L"SysHeader32", L"", 0, 0, 0, 50, 20)), WindowKind::Header);
    EXPECT_EQ(KindOf(host.get()), WindowKind::Other);  // a STATIC popup
}

TEST(WindowKinds, GridsOnlyByPrefixAndOnlyWhenAskedFor) {
    EXPECT_EQ(KindOfClassName(L"apexgrid", true), WindowKind::Grid);
    EXPECT_EQ(KindOfClassName(L"apexgridoledb32", true), WindowKind::Grid);
    EXPECT_EQ(KindOfClassName(L"myapexgrid", true), WindowKind::Other);
    EXPECT_EQ(KindOfClassName(L"apexgri", true), WindowKind::Other);
    EXPECT_EQ(KindOfClassName(L"apexgrid"), WindowKind::Other);
}

TEST(WindowKinds, ClassTextOfGoneAndOverlongClasses) {
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_EQ(GetClassText(gone), L"");
    EXPECT_EQ(KindOf(gone), WindowKind::Other);

    // A registered name longer than the buffer comes back cut, never overrun.
    std::wstring longName = L"ZarvioTest" + std::wstring(240, L'x');
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = longName.c_str();
    ASSERT_NE(RegisterClassW(&wc), 0);
    HWND w = CreateWindowExW(0, longName.c_str(), L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(w, nullptr);
    const std::wstring text = GetClassText(w);
    EXPECT_FALSE(text.empty());
    EXPECT_LE(text.size(), 255u);
    EXPECT_EQ(longName.compare(0, text.size(), text), 0);
    DestroyWindow(w);
    UnregisterClassW(longName.c_str(), GetModuleHandleW(nullptr));
}

TEST(HoverHelpers, MouseCoordinatesAreSigned) {
    EXPECT_EQ(GET_X_LPARAM(0x0005FFFF), -1);
    EXPECT_EQ(GET_Y_LPARAM(0x0005FFFF), 5);
    EXPECT_EQ(GET_Y_LPARAM(static_cast<LPARAM>(0x80000001)), -32768);
    EXPECT_EQ(GET_X_LPARAM(MAKELPARAM(300, 2)), 300);
}

TEST(HoverHelpers, TheProbeFindsProceduresAndFreesOnlyWhatItLoaded) {
    EXPECT_TRUE(ProcExists("TrackMouseEvent", L"User32"));
    EXPECT_FALSE(ProcExists("NoSuchProcedureAnywhere", L"User32"));
    EXPECT_FALSE(ProcExists("TrackMouseEvent", L"no_such_library_zarvio"));
    EXPECT_NE(GetModuleHandleW(L"user32"), nullptr);  // loaded before, loaded after

    const wchar_t* unloaded = nullptr;
    for (const wchar_t* candidate : {L"wldap32", L"mapi32", L"hnetcfg", L"msacm32", L"avifil32"})
        if (!GetModuleHandleW(candidate)) { unloaded = candidate; break; }
    if (!unloaded) GTEST_SKIP() << "every candidate library is loaded already";
    (void)ProcExists("AnyProcedure", unloaded);  // found or not, the library must go again
    EXPECT_EQ(GetModuleHandleW(unloaded), nullptr) << "the probe must free a library it loaded";
}

}  // namespace
}  // namespace zarvio::skin::test
