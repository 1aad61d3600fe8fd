#include "settings/settings_window.h"

#include <cwchar>

#include "platform/contract.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/toolkit/controls.h"
#include "settings/autostart.h"
#include "stations/station_store.h"

namespace zarvio {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255);
// The window's own font. Label1's blanks are measured in it: six blanks are as wide as a
// text box plus its gap's left margin, so only 时, 分 and 秒 show beside the boxes.
constexpr FontDescription kWindowFont{L"宋体", 90};
constexpr FontDescription kFieldFont{L"宋体", 143};

std::wstring TwoDigits(WORD value) {
    wchar_t buf[8] = {};
    swprintf(buf, 8, L"%02u", static_cast<unsigned>(value));
    return buf;
}

}  // namespace

SettingsWindow::SettingsWindow(const Services& services)
    : messageBox_(Required(services.messageBox, "the settings window needs a message box")),
      clock_(Required(services.clock, "the settings window needs a clock")),
      registry_(Required(services.registry, "the settings window needs the registry")),
      appDir_(services.appDir),
      shutdown_(Required(services.power, "the settings window needs the power service")) {}

SettingsWindow::~SettingsWindow() { Destroy(); }

bool SettingsWindow::Open() {
    if (hwnd()) {
        ShowAndActivate(SW_SHOWNORMAL);
        return true;
    }
    if (!CreateShown(FormOptions::Secondary(L"设置选项", 4110, 1860))) return false;
    SetFocus(check1_);  // the first control of the tab order
    return true;
}

void SettingsWindow::BuildControls() {
    // List1 and Command1 lie right of the client area and are never seen; they are kept out of
    // the tab order so the keyboard focus cannot vanish into them.
    list1_ = AddListBox(hwnd(), kSetList1, {8160, 2040, 1455, 600});
    HWND command1 = AddButton(hwnd(), kSetCommand1, {8280, 2880, 1215, 495}, L"Command1");
    for (HWND w : {list1_, command1}) {
        (void)SetWindowLongPtrW(w, GWL_STYLE, GetWindowLongPtrW(w, GWL_STYLE) & ~WS_TABSTOP);
        SetFont(w, kWindowFont);
    }
    SetColors(list1_, std::nullopt, GetSysColor(COLOR_WINDOW));

    // The check box goes before the frame so the keyboard visits it before the frame's fields.
    check1_ = AddCheckBox(hwnd(), kSetCheck1, {2400, 1440, 1575, 375}, L"程序随系统启动");
    SetColors(check1_, kRed);
    SetFont(check1_, kWindowFont);

    frame1_ = AddFrame(hwnd(), kSetFrame1, {120, 120, 3855, 735}, kShutdownFrameFirstCaption);
    SetColors(frame1_, kBlue);
    SetFont(frame1_, kWindowFont);
    text1_ = AddTextBox(frame1_, kSetText1, {120, 240, 495, 375});
    text2_ = AddTextBox(frame1_, kSetText2, {840, 240, 495, 375});
    text3_ = AddTextBox(frame1_, kSetText3, {1560, 240, 495, 375});
    for (HWND t : {text1_, text2_, text3_}) {
        SetColors(t, kRed, GetSysColor(COLOR_WINDOW));
        SetFont(t, kFieldFont);
    }
    HWND label1 = AddLabel(frame1_, kSetLabel1, {120, 360, 2175, 255}, L"      时      分      秒");
    SetColors(label1, kMagenta);
    SetFont(label1, kWindowFont);
    // Behind the three boxes, which cover its blanks.
    (void)SetWindowPos(label1, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    command2_ = AddButton(frame1_, kSetCommand2, {2400, 240, 615, 375}, L"设定");
    command3_ = AddButton(frame1_, kSetCommand3, {3120, 240, 615, 375}, L"重设");
    SetFont(command2_, kWindowFont);
    SetFont(command3_, kWindowFont);
}

void SettingsWindow::Form_Load() {
    CenterOnScreen();
    // Each field asks the clock again, as the fields are filled one after the other.
    SetWindowTextString(text1_, TwoDigits(clock_.Now().wHour));
    SetWindowTextString(text2_, TwoDigits(clock_.Now().wMinute));
    SetWindowTextString(text3_, TwoDigits(clock_.Now().wSecond));
    EnableWindow(command3_, FALSE);
    // A registration found here is written again, so it names the program where it runs now,
    // but only where it was found: opening the window must not register the program anew.
    const AutostartFound found = FindAutostart(registry_, ProgramPath());
    if (found.any()) {
        SetChecked(check1_, true);
        RenewAutostart(registry_, ProgramPath(), found);
    }
}

bool SettingsWindow::Form_QueryUnload() {
    // Hidden, never destroyed: fields, buttons, frame caption and a running timer stay.
    (void)ShowWindow(hwnd(), SW_HIDE);
    return false;
}

std::wstring SettingsWindow::ProgramPath() const {
    return AutostartProgramPath(appDir_, ExecutableBaseName());
}

void SettingsWindow::Check1_Click() {
    const bool wanted = IsChecked(check1_);
    const bool registered = SetAutostart(registry_, ProgramPath(), wanted);
    // The box shows what the registry now holds, also when a write or a delete was refused.
    if (registered != wanted) SetChecked(check1_, registered);
    if (wanted && !registered)
        messageBox_.Show(hwnd(), kAutostartRefusedText, L"错误提示", MB_OK | MB_ICONERROR);
}

void SettingsWindow::Command1_Click() {
    ListClear(list1_);
    for (const auto& line : ReadStationFile(JoinPath(appDir_, kList3FileName)))
        ListAdd(list1_, ToUpper(Trim(line)));
}

void SettingsWindow::Command2_Click() {
    timerRunning_ = SetTimer(hwnd(), kSetTimer1, kSetTimer1Interval, nullptr) != 0;
    shutdown_.Set();
    ShowShutdownState();
}

void SettingsWindow::Command3_Click() {
    (void)KillTimer(hwnd(), kSetTimer1);
    timerRunning_ = false;
    shutdown_.Reset();
    for (HWND t : {text1_, text2_, text3_}) SetWindowTextW(t, L"00");
    SetFocus(text1_);
    ShowShutdownState();
    // The frame keeps the last clock text.
}

void SettingsWindow::Timer1_Timer() {
    if (!shutdown_.timerRunning()) return;
    clockText_ = ClockText(clock_.Now());
    SetWindowTextString(frame1_, ShutdownFrameCaption(clockText_));
    // The fields are read afresh on every tick, so an edit while armed counts from the next one.
    shutdown_.Tick(clockText_, ShutdownTarget(WindowText(text1_), WindowText(text2_), WindowText(text3_)));
    if (!shutdown_.timerRunning()) {
        (void)KillTimer(hwnd(), kSetTimer1);
        timerRunning_ = false;
        ShowShutdownState();
    }
}

void SettingsWindow::ShowShutdownState() {
    EnableWindow(command2_, shutdown_.setEnabled());
    EnableWindow(command3_, shutdown_.resetEnabled());
}

void SettingsWindow::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED) return;
    switch (id) {
    case kSetCheck1: Check1_Click(); break;
    case kSetCommand1: Command1_Click(); break;
    case kSetCommand2: Command2_Click(); break;
    case kSetCommand3: Command3_Click(); break;
    case IDCANCEL: SendMessageW(hwnd(), WM_CLOSE, 0, 0); break;  // Esc: as the close box
    default: break;
    }
}

void SettingsWindow::OnTimer(UINT_PTR id) {
    if (id == kSetTimer1) Timer1_Timer();
}

}  // namespace zarvio
