#include "settings_fixture.h"

#include <uxtheme.h>

#include "app/main_window.h"
#include "platform/toolkit/twips.h"
#include "support/control_pixels.h"

using namespace zarvio;
using namespace zarvio::test;

namespace {

RECT ChildRect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// True when sibling `upper` lies above `lower` in the z-order of their parent.
bool Above(HWND upper, HWND lower) {
    for (HWND w = GetWindow(upper, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        if (w == lower) return true;
    return false;
}

}  // namespace

TEST_F(SettingsTest, OpeningShowsTheTimeOfOpeningWithResetDisabled) {
    SetClock(9, 5, 7);
    ASSERT_TRUE(window.Open());
    EXPECT_EQ(WindowText(window.hwnd()), L"设置选项");
    EXPECT_EQ(Text(kSetText1), L"09");
    EXPECT_EQ(Text(kSetText2), L"05");
    EXPECT_EQ(Text(kSetText3), L"07");
    EXPECT_EQ(Text(kSetFrame1), L"定时关机  以24时设置。如 06时06分06秒");
    EXPECT_EQ(Text(kSetCheck1), L"程序随系统启动");
    EXPECT_TRUE(SetEnabled());
    EXPECT_FALSE(ResetEnabled());
    EXPECT_FALSE(window.timer1Running());
    EXPECT_FALSE(IsChecked(item(kSetCheck1)));
    EXPECT_EQ(registry.writes, 0) << "nothing registered, nothing written";
    EXPECT_EQ(power.powerOffs, 0);

    // Modeless, without owner, neither minimize nor maximize, client area as laid out, centred.
    EXPECT_TRUE(IsWindowVisible(window.hwnd()));
    EXPECT_EQ(GetWindow(window.hwnd(), GW_OWNER), nullptr);
    EXPECT_FALSE(GetWindowLongW(window.hwnd(), GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    RECT client{}, outer{};
    GetClientRect(window.hwnd(), &client);
    EXPECT_EQ(client.right, TwipsToPixels(4110));
    EXPECT_EQ(client.bottom, TwipsToPixels(1860));
    GetWindowRect(window.hwnd(), &outer);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);

    // The off-screen pair is out of sight and out of the keyboard's way.
    for (int id : {kSetList1, kSetCommand1}) {
        EXPECT_GE(ChildRect(item(id)).left, client.right);
        EXPECT_FALSE(GetWindowLongW(item(id), GWL_STYLE) & WS_TABSTOP);
    }
    EXPECT_EQ(GetFocus(), item(kSetCheck1));
}

TEST_F(SettingsTest, HoursAndMinutesAreTwoDigitsAtTheEndsOfTheirRanges) {
    SetClock(23, 0, 59);
    ASSERT_TRUE(window.Open());
    EXPECT_EQ(Text(kSetText1), L"23");
    EXPECT_EQ(Text(kSetText2), L"00");
    EXPECT_EQ(Text(kSetText3), L"59");
}

TEST_F(SettingsTest, ControlsPaintTheirTextsInTheirColours) {
    ASSERT_TRUE(window.Open());
    const struct { int id; COLORREF colour; } controls[] = {
        {kSetFrame1, RGB(0, 0, 255)}, {kSetCheck1, RGB(255, 0, 0)}, {kSetText1, RGB(255, 0, 0)},
        {kSetLabel1, RGB(255, 0, 255)},
    };
    for (const auto& c : controls) {
        const Picture p = Render(item(c.id));
        EXPECT_GT(p.Count(c.colour), 0) << "control " << c.id;
    }
    EXPECT_GT(Render(item(kSetText1)).Count(RGB(255, 255, 255)), 0) << "the fields are white";
}

TEST_F(SettingsTest, OnlyTheThreeUnitCharactersOfLabel1ShowBesideTheBoxes) {
    ASSERT_TRUE(window.Open());
    HWND label = item(kSetLabel1);
    EXPECT_EQ(Text(kSetLabel1), L"      时      分      秒");
    const HWND boxes[] = {item(kSetText1), item(kSetText2), item(kSetText3)};
    for (HWND box : boxes) EXPECT_TRUE(Above(box, label)) << "the boxes cover the label";

    // Where each character falls in the label's own font.
    WindowDc dc = WindowDc::Client(label);
    SelectGuard keep(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    // The blanks only line up in a face with SimSun's widths, a blank half a Chinese character.
    SIZE blank{}, character{};
    GetTextExtentPoint32W(dc.get(), L" ", 1, &blank);
    GetTextExtentPoint32W(dc.get(), L"时", 1, &character);
    if (blank.cx * 2 != character.cx) {
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(dc.get(), LF_FACESIZE, face);
        char name[3 * LF_FACESIZE] = {};
        WideCharToMultiByte(CP_UTF8, 0, face, -1, name, sizeof(name), nullptr, nullptr);
        GTEST_SKIP() << "this system draws 宋体 with " << name << ", whose blank is " << blank.cx
                     << " px against " << character.cx << " px for a Chinese character";
    }
    const std::wstring text = Text(kSetLabel1);
    const RECT labelRect = ChildRect(label);
    int shown = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L' ') continue;
        SIZE before{}, through{};
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(i), &before);
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(i + 1), &through);
        const int left = labelRect.left + before.cx, right = labelRect.left + through.cx;
        EXPECT_LE(right, labelRect.right) << "character " << i << " is cut off";
        for (HWND box : boxes) {
            const RECT b = ChildRect(box);
            EXPECT_TRUE(right <= b.left || left >= b.right) << "character " << i << " hides under a box";
        }
        ++shown;
    }
    EXPECT_EQ(shown, 3);
}

TEST_F(SettingsTest, ARegistrationIsTickedAndRewrittenWithTheCurrentPath) {
    registry.Put(RegistryRoot::LocalMachine, kRunSubkey, kAutostartValueName, REG_SZ,
                 L"  D:\\old place\\test_settings.exe ");
    ASSERT_TRUE(window.Open());
    EXPECT_TRUE(IsChecked(item(kSetCheck1)));
    EXPECT_EQ(window.ProgramPath(), dir.path() + L"\\test_settings.exe");
    EXPECT_EQ(MachineValue(), window.ProgramPath());
    EXPECT_FALSE(UserHas());
}

TEST_F(SettingsTest, BlanksOrAnotherTypeReadAsNotRegisteredAndStayUntouched) {
    for (DWORD type : {static_cast<DWORD>(REG_SZ), static_cast<DWORD>(REG_EXPAND_SZ)}) {
        FakeServiceSet fakes;
        const std::wstring data = type == REG_SZ ? L"   " : L"C:\\zarvio.exe";
        fakes.registry.Put(RegistryRoot::LocalMachine, kRunSubkey, kAutostartValueName, type, data);
        SettingsWindow w(fakes.Make(dir.path()));
        ASSERT_TRUE(w.Open());
        EXPECT_FALSE(IsChecked(w.item(kSetCheck1))) << "type " << type;
        EXPECT_EQ(fakes.registry.writes, 0) << "type " << type;
        EXPECT_EQ(fakes.registry.values.at({RegistryRoot::LocalMachine, kRunSubkey, kAutostartValueName}).type, type);
    }
}

TEST_F(SettingsTest, TickingWritesClearingDeletesBothHives) {
    ASSERT_TRUE(window.Open());
    SendMessageW(item(kSetCheck1), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsChecked(item(kSetCheck1)));
    EXPECT_EQ(MachineValue(), window.ProgramPath());
    // A per-user value from an earlier refused write goes as well.
    registry.Put(RegistryRoot::CurrentUser, kRunSubkey, kAutostartValueName, REG_SZ, window.ProgramPath());
    SendMessageW(item(kSetCheck1), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsChecked(item(kSetCheck1)));
    EXPECT_FALSE(MachineHas());
    EXPECT_FALSE(UserHas());
}

TEST_F(SettingsTest, TheBoxShowsWhetherARegistrationExistsAfterRefusals) {
    registry.refuseMachine = true;
    ASSERT_TRUE(window.Open());
    SendMessageW(item(kSetCheck1), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsChecked(item(kSetCheck1))) << "registered for this account instead";
    EXPECT_FALSE(MachineHas());
    EXPECT_EQ(UserValue(), window.ProgramPath());
    SendMessageW(item(kSetCheck1), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsChecked(item(kSetCheck1)));
    EXPECT_FALSE(UserHas());

    registry.refuseUser = true;
    box.texts.clear();
    SendMessageW(item(kSetCheck1), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsChecked(item(kSetCheck1))) << "both hives refused: not registered";
    EXPECT_TRUE(registry.values.empty());
    ASSERT_EQ(box.texts.size(), 1u) << "the user is told the tick did not take";
    EXPECT_EQ(box.texts[0], kAutostartRefusedText);
    EXPECT_EQ(box.styles[0], static_cast<UINT>(MB_OK | MB_ICONERROR));
}

TEST_F(SettingsTest, AMachineRegistrationThatCannotBeRemovedKeepsTheBoxTicked) {
    registry.refuseMachine = true;
    SetClock(9, 0, 0);
    // Registered by an administrator for this very program: loading must not add a second,
    // per-user registration that would start another copy at logon.
    registry.Put(RegistryRoot::LocalMachine, kRunSubkey, kAutostartValueName, REG_SZ, window.ProgramPath());
    ASSERT_TRUE(window.Open());
    EXPECT_TRUE(IsChecked(item(kSetCheck1)));
    EXPECT_FALSE(UserHas());
    SendMessageW(item(kSetCheck1), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsChecked(item(kSetCheck1)));
    EXPECT_EQ(MachineValue(), window.ProgramPath());
}

TEST_F(SettingsTest, OpeningRenewsARegistrationOnlyInTheHiveItWasFoundIn) {
    // Found for this account alone: renewed there, and the machine's hive gets nothing.
    registry.Put(RegistryRoot::CurrentUser, kRunSubkey, kAutostartValueName, REG_SZ, L"D:\\test_settings.exe");
    ASSERT_TRUE(window.Open());
    EXPECT_TRUE(IsChecked(item(kSetCheck1)));
    EXPECT_EQ(UserValue(), window.ProgramPath());
    EXPECT_FALSE(MachineHas());

    // Found machine-wide by an account that may not change it: no per-user value appears.
    FakeServiceSet limited;
    limited.registry.refuseMachine = true;
    limited.registry.Put(RegistryRoot::LocalMachine, kRunSubkey, kAutostartValueName, REG_SZ,
                         L"D:\\old place\\test_settings.exe");
    SettingsWindow w(limited.Make(dir.path()));
    ASSERT_TRUE(w.Open());
    EXPECT_TRUE(IsChecked(w.item(kSetCheck1)));
    EXPECT_FALSE(limited.registry.Has(RegistryRoot::CurrentUser, kRunSubkey, kAutostartValueName));
    EXPECT_EQ(limited.registry.writes, 0);
    EXPECT_TRUE(limited.box.texts.empty());
}

TEST_F(SettingsTest, AQuotedMachineValueOfThisPathIsThisProgramsAndIsNotDuplicated) {
    registry.refuseMachine = true;
    registry.Put(RegistryRoot::LocalMachine, kRunSubkey, kAutostartValueName, REG_SZ,
                 L"\"" + window.ProgramPath() + L"\"");
    ASSERT_TRUE(window.Open());
    EXPECT_TRUE(IsChecked(item(kSetCheck1)));
    SendMessageW(item(kSetCheck1), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsChecked(item(kSetCheck1))) << "the machine's value could not be removed";
    // Ticked by the limited account: the machine's value already starts this very copy.
    SetChecked(item(kSetCheck1), false);
    SendMessageW(item(kSetCheck1), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsChecked(item(kSetCheck1)));
    EXPECT_FALSE(UserHas()) << "a second registration would start a second copy";
    EXPECT_TRUE(box.texts.empty());
}

TEST_F(SettingsTest, AnotherProgramsValueLeavesTheBoxClearAndATickReplacesIt) {
    registry.Put(RegistryRoot::LocalMachine, kRunSubkey, kAutostartValueName, REG_SZ, L"\"C:\\Tools\\other.exe\" /q");
    ASSERT_TRUE(window.Open());
    EXPECT_FALSE(IsChecked(item(kSetCheck1)));
    EXPECT_EQ(registry.writes, 0);
    SendMessageW(item(kSetCheck1), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsChecked(item(kSetCheck1)));
    EXPECT_EQ(MachineValue(), window.ProgramPath());
}

TEST_F(SettingsTest, OffScreenListReadsList3TrimmedAndUpperCased) {
    ASSERT_TRUE(window.Open());
    // "ａｂ" (full-width) and "中文" in code page 936; one line without its terminator.
    WriteBytes(dir.File(L"list3.txt"), "  abc Def \r\n\xA3\xE1\xA3\xE2\r\n\r\n\xD6\xD0\xCE\xC4 x");
    SendMessageW(item(kSetCommand1), BM_CLICK, 0, 0);
    HWND list = item(kSetList1);
    ASSERT_EQ(ListCount(list), 4);
    EXPECT_EQ(ListText(list, 0), L"ABC DEF");
    EXPECT_EQ(ListText(list, 1), L"\uFF21\uFF22");
    EXPECT_EQ(ListText(list, 2), L"");
    EXPECT_EQ(ListText(list, 3), L"中文 X");

    DeleteFileW(dir.File(L"list3.txt").c_str());
    window.Command1_Click();
    EXPECT_EQ(ListCount(list), 0) << "a missing file reads as empty";
}

TEST_F(SettingsTest, MainWindowCommandsOpenTheOneWindowAndShowItAsItWasLeft) {
    WindowOpeners openers;
    openers.settings = [this] { window.Open(); };
    MainWindow main(Make(dir.path()), std::move(openers));
    ASSERT_TRUE(main.Start());

    SetClock(9, 5, 7);
    SendMessageW(main.button(kIdCommand6), BM_CLICK, 0, 0);
    const HWND first = window.hwnd();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetWindow(first, GW_OWNER), nullptr);
    SetFields(L"06", L"06", L"06");
    window.Command2_Click();

    SendMessageW(first, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(first)) << "closing only hides";
    EXPECT_FALSE(IsWindowVisible(first));

    SetClock(10, 11, 12);
    main.RunMenuCommand(kMenuSettings);
    EXPECT_EQ(window.hwnd(), first);
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_EQ(Text(kSetText1), L"06") << "the load sequence does not run again";
    EXPECT_EQ(Text(kSetText3), L"06");
    EXPECT_FALSE(SetEnabled());
    EXPECT_TRUE(ResetEnabled());
    EXPECT_TRUE(window.timer1Running());
}

TEST_F(SettingsTest, ColouredCheckBoxesGoWithoutTheThemeAndKeepTheirColours) {
    // A themed check box paints its caption in the theme's colour on Windows; the tests' prefix
    // runs Wine's light theme so that a box still themed shows here.
    EXPECT_TRUE(IsThemeActive()) << "the test prefix has no visual style switched on";
    MainWindow main(Make(dir.path()), {});
    ASSERT_TRUE(main.Start());
    ASSERT_TRUE(window.Open());
    EXPECT_EQ(GetWindowTheme(main.check1()), nullptr) << "√ 窗体置顶";
    EXPECT_EQ(GetWindowTheme(item(kSetCheck1)), nullptr) << "程序随系统启动";
    EXPECT_GT(Render(main.check1()).Count(RGB(0, 128, 128)), 0) << "teal caption";
    EXPECT_GT(Render(item(kSetCheck1)).Count(RGB(255, 0, 0)), 0) << "red caption";
}
