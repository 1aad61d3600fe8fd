#include "app/main_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include "app/main_list.h"
#include "app/message_loop.h"
#include "platform/contract.h"
#include "platform/product.h"
#include "player/error_log.h"
#include "player/play_state.h"
#include "player/volume_file.h"
#include "platform/toolkit/controls.h"
#include "res/resource_ids.h"
#include "skin/skin_engine.h"

namespace zarvio {
namespace {

constexpr COLORREF kLime = RGB(0, 255, 0);
constexpr COLORREF kTeal = RGB(0, 128, 128);

struct ButtonRow {
    int id;
    TwipsRect rect;
    const wchar_t* text;
    const wchar_t* tip;
};

}  // namespace

std::wstring DataFolderNotWritableText(const std::wstring& appDir) {
    return L"无法写入 Zarvio 所在文件夹中的数据文件，音量、电台列表和错误日志的更改不会被保存。\r\n\r\n"
           L"文件夹：" + appDir + L"\r\n\r\n"
           L"Zarvio 把这些文件保存在程序旁边。为所有用户安装在 Program Files 下时，普通用户不能写入这个文件夹。"
           L"请改为只为当前用户安装（安装程序的默认方式），或者把 Zarvio 放在可以写入的文件夹中使用。";
}

std::wstring WeekdayName(const SYSTEMTIME& date) {
    wchar_t buf[64] = {};
    SYSTEMTIME d = date;
    // "dddd" is the full name; the weekday is computed from the date, not taken from the field.
    d.wDayOfWeek = 0;
    if (!GetDateFormatW(LOCALE_USER_DEFAULT, 0, &d, L"dddd", buf, 64)) return {};
    return buf;
}

MainWindow::MainWindow(Services services, WindowOpeners openers)
    : services_(std::move(services)),
      messageBox_(Required(services_.messageBox, "the main window needs a message box")),
      clock_(Required(services_.clock, "the main window needs a clock")),
      player_(services_.player ? *services_.player : silentPlayer_),
      openers_(std::move(openers)),
      tray_(Required(services_.tray, "the main window needs the tray"),
            {[this] { return NowPlayingTrayTip(StationNameOf(nowPlaying_.station()), nowPlaying_.title(), TrayTipText()); },
             [this] { RestoreFromTray(); }, [this](int command) { RunMenuCommand(command); }}) {
    icon_.reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ZARVIO),
                                              IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
    if (!icon_) icon_.reset(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
    taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
}

MainWindow::~MainWindow() {
    player_.SetListener(nullptr);
    Destroy();
}

bool MainWindow::Start() {
    FormOptions o;
    o.caption = kProductName;
    o.clientWidthTwips = 5385;
    o.clientHeightTwips = 3375;
    o.icon = icon_.get();
    if (!Create(o)) return false;  // Form_Load ran the first part of the start-up before the prompt
    // With another copy running, the user decides whether this one goes on.
    const bool secondCopy = services_.instance && services_.instance->AnotherCopyRunning();
    if (secondCopy) {
        const int answer = messageBox_.Show(hwnd(), kAnotherCopyText, kAnotherCopyTitle, kAnotherCopyStyle);
        if (answer != IDYES) {
            Destroy();
            return false;
        }
    }
    tray_.Add(hwnd(), icon_.get());      // the tray icon before the window
    (void)ShowWindow(hwnd(), SW_SHOW);   // and the window last of all
    (void)UpdateWindow(hwnd());
    // The media keys work from anywhere while the program runs. A second copy leaves them to
    // the first, so one press never plays in two copies at once.
    if (!secondCopy) hotKeys_.Register(hwnd());
    return true;
}

void MainWindow::BuildControls() {
    // Created in tab order, which is also the order the keyboard visits them.
    list1_ = AddListBox(hwnd(), kIdList1, {30, 690, 3855, 2160});
    SetColors(list1_, RGB(255, 255, 255), RGB(0, 0, 0));
    SetFont(list1_, {L"黑体", 105});
    SetToolTip(list1_, L"");

    statusBar_ = AddStatusBar(kIdStatusBar1, {0, 3000, 5385, 375});
    const StatusPanel panels[] = {
        {PanelKind::Text, 2800, L"电台连接或是播放状态等信息。"},
        {PanelKind::Date, 1151, L"日期。"},
        {PanelKind::Time, 680, L"时间。"},
        {PanelKind::Text, 1440, L"星期"},
    };
    ConfigureStatusBar(statusBar_, panels, 4);

    // The address list lies below the client area and is never seen, so the Tab key passes it
    // by: the focus would vanish from sight.
    list2_ = AddListBox(hwnd(), kIdList2, {1560, 3960, 4575, 2220});
    (void)SetWindowLongPtrW(list2_, GWL_STYLE, GetWindowLongPtrW(list2_, GWL_STYLE) & ~WS_TABSTOP);

    const ButtonRow buttons[] = {
        {kIdCommand1, {3960, 120, 1335, 300}, L"刷新列表(&R)",
         L"刷新列表，在删除或者添加电台的时候，刷新后才能在列表里显示出来的电台名称。"},
        {kIdCommand2, {3960, 1200, 1335, 300}, L"自定义电台(&T)", L"添加电台或者删除电台。"},
        {kIdCommand3, {3960, 480, 1335, 300}, L"播放(&P)", L"是播放按钮。"},
        {kIdCommand4, {3960, 840, 1335, 300}, L"停止(&S)", L"停止播放按钮。"},
    };
    for (const auto& b : buttons) SetToolTip(AddButton(hwnd(), b.id, b.rect, b.text), b.tip);

    slider_ = AddSlider(hwnd(), kIdSlider1, {4440, 2760, 645, 255}, 0, 100);
    SendMessageW(slider_, TBM_SETLINESIZE, 0, 1);
    SendMessageW(slider_, TBM_SETPAGESIZE, 0, 5);
    SetToolTip(slider_, L"向左移动音量减小，向右移动音量增大。");

    HWND label = AddLabel(hwnd(), kIdLabel1, {3960, 2760, 1230, 180}, L"音量-      +");
    SetColors(label, RGB(255, 0, 0));
    SetFont(label, {L"宋体", 90, true});
    SetToolTip(label, L"音量调节。");
    // Behind the slider, which sits between its "-" and "+". Lowering the label rather than
    // raising the slider keeps the slider's place in the tab order.
    (void)SetWindowPos(label, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    const ButtonRow more[] = {
        {kIdCommand5, {3960, 1920, 1335, 300}, L"关于...", L"播放器信息以及作者的一些信息等。"},
        {kIdCommand6, {3960, 1560, 1335, 300}, L"设置选项(&O)", L"选项开机启动或者定时关机等等。"},
    };
    for (const auto& b : more) SetToolTip(AddButton(hwnd(), b.id, b.rect, b.text), b.tip);

    check1_ = AddCheckBox(hwnd(), kIdCheck1, {3960, 2280, 1335, 300}, L"√ 窗体置顶");
    SetColors(check1_, kTeal);
    SetToolTip(check1_, L"选择保持窗体总在其他窗体的前面。");

    // The now-playing line fills the space between the top green lines; drawn by the form so each
    // of its two lines gets its own ellipsis.
    HWND nowPlaying = AddLabel(hwnd(), kIdNowPlaying, {30, 11, 3840, 630}, L"");
    (void)SetWindowLongPtrW(nowPlaying, GWL_STYLE,
                            (GetWindowLongPtrW(nowPlaying, GWL_STYLE) & ~SS_TYPEMASK) | SS_OWNERDRAW);
    SetFont(nowPlaying, {L"宋体", 90});
    nowPlaying_.Attach(nowPlaying);

    AddLine({0, 20, 3840, 20, 2, kLime});
    AddLine({0, 660, 3870, 660, 3, kLime});
    AddLine({0, 2880, 3870, 2880, 2, kLime});
    AddLine({0, 0, 0, 2880, 2, kLime});
    AddLine({3870, 0, 3870, 2870, 3, kLime});

    player_.SetListener(this);
}

void MainWindow::Form_Load() {
    CenterOnScreen();                                           // before anything shows
    SetWindowTextString(hwnd(), MainWindowTitle());             // the title with the version
    LoadMainList(list1_, list2_, services_.appDir);             // the stations from their files
    skin::InitSkin(hwnd());                                     // the skin takes over
    SetPanelText(statusBar_, 0, kWelcomeText);                  // the welcome in the status bar,
    SetPanelText(statusBar_, 3, WeekdayName(clock_.Now()));     // today's weekday beside it
    if (!player_.Available())
        SetPanelText(statusBar_, 0, PlayerUnavailablePanelText());
    RestoreVolume();                                            // and the volume as last set
}

bool MainWindow::Form_QueryUnload() {
    // Closing only hides: the program, the stream and the tray icon stay.
    (void)ShowWindow(hwnd(), SW_HIDE);
    return false;
}

void MainWindow::Form_Unload() { hotKeys_.Unregister(); }

void MainWindow::ExitProgram() { EndProgram(true); }

void MainWindow::EndProgram(bool forumPage) {
    skin::ExitSkin(hwnd());                                     // first the skin lets go,
    tray_.Remove();                                             // then the tray icon goes
    hotKeys_.Unregister();  // the media keys go back to the system before the process ends
    // Playback ends without waiting for the network: its threads let go by themselves.
    (void)player_.Stop();
    if (forumPage && services_.browser) services_.browser->Open(kForumThreadUrl);  // the forum page opens
    if (services_.processExit) services_.processExit->Exit(0);             // and the process ends
}

void MainWindow::Command1_Click() { LoadMainList(list1_, list2_, services_.appDir); }

void MainWindow::Command3_Click() {
    // Before any choice Play plays the default stream, and the now-playing line says so.
    if (!stationChosen_ && nowPlaying_.station().empty()) nowPlaying_.SetStation(kDefaultStreamUrl);
    (void)player_.Play();
}

void MainWindow::Command4_Click() {
    (void)player_.Stop();
    nowPlaying_.ClearTitle();
    tray_.UpdateTip();
}

void MainWindow::OnTitleChange(const std::wstring& title) {
    nowPlaying_.SetTitle(title);
    tray_.UpdateTip();
}

void MainWindow::OnPlaybackFailed(const std::wstring& text) {
    nowPlaying_.SetFailure(text);
    tray_.UpdateTip();
}

void MainWindow::Check1_Click() {
    if (IsChecked(check1_))
        (void)SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    else
        (void)SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void MainWindow::List1_DblClick() {
    const int index = ListIndex(list1_);
    long failure = 0;
    if (index >= 0 && index >= ListCount(list2_)) {
        failure = kNoAddressErrorCode;  // a name without an address line
    } else {
        SetListIndex(list2_, index);   // -1 clears the selection and hands over the empty address
        const std::wstring url = index >= 0 ? ListText(list2_, index) : std::wstring();
        if (const HRESULT hr = player_.SetUrl(url); FAILED(hr)) failure = static_cast<long>(hr);
    }
    PlayChosen(index >= 0 ? ListText(list1_, index) : std::wstring(), failure);
}

void MainWindow::PlayStation(const std::wstring& name, const std::wstring& url) {
    const HRESULT hr = player_.SetUrl(url);
    PlayChosen(name, FAILED(hr) ? static_cast<long>(hr) : 0);
}

void MainWindow::ShowAddedStation(size_t index) {
    Command1_Click();
    if (index < static_cast<size_t>(ListCount(list1_))) SetListIndex(list1_, static_cast<int>(index));
}

void MainWindow::PlayChosen(const std::wstring& entry, long failure) {
    if (failure != 0 && !AppendErrorLog(services_.appDir, clock_.Now(), failure)) TellWriteFailure();
    stationChosen_ = true;
    nowPlaying_.SetStation(entry);
    tray_.UpdateTip();
    (void)player_.Play();
    SetWindowTextString(hwnd(), L"你选择:" + entry);
}

void MainWindow::ShowPlayState(PlayState state) {
    if (auto text = PlayStatePanelText(state)) {
        SetPanelText(statusBar_, 0, *text);
        mediaKeys_.StateShown(state);
    }
}

void MainWindow::HandleMediaKey(MediaKey key, MediaKeySource source) {
    const std::optional<MediaAction> action = mediaKeys_.Route(key, source, GetTickCount());
    if (!action) return;
    switch (*action) {
    case MediaAction::Play: Command3_Click(); break;
    case MediaAction::Stop: Command4_Click(); break;
    case MediaAction::NextStation: StepStation(+1); break;
    case MediaAction::PreviousStation: StepStation(-1); break;
    }
}

void MainWindow::StepStation(int step) {
    const int count = ListCount(list1_);
    if (count == 0) return;
    const int index = ListIndex(list1_);
    const int next = index < 0 ? (step > 0 ? 0 : count - 1) : ((index + step) % count + count) % count;
    SetListIndex(list1_, next);  // also scrolls the entry into view
    List1_DblClick();
}

void MainWindow::Slider1_Change() {
    const int volume = static_cast<int>(SendMessageW(slider_, TBM_GETPOS, 0, 0));
    (void)player_.SetVolume(volume);
    if (!WriteVolumeFile(services_.files ? *services_.files : SystemFileWriter(), services_.appDir, volume))
        TellWriteFailure();
}

void MainWindow::TellWriteFailure() {
    if (writeFailureTold_) return;
    writeFailureTold_ = true;
    messageBox_.Show(hwnd(), DataFolderNotWritableText(services_.appDir), kDataFolderNotWritableTitle,
                     MB_OK | MB_ICONWARNING);
}

void MainWindow::RestoreVolume() {
    const std::optional<int> stored = ReadStoredVolume(services_.appDir);
    SendMessageW(slider_, TBM_SETPOS, TRUE, stored.value_or(kDefaultVolume));
    if (stored && VolumeFileHolds(services_.appDir, *stored)) {
        // The file already reads as it would be written: rewriting it changes nothing, and in a
        // folder the user may not write to it would fail at every start.
        (void)player_.SetVolume(*stored);
    } else if (stored) {
        Slider1_Change();  // also when the value equals the slider's start position
    } else {
        // A file that is there but cannot be read is left as it is; the next move writes it.
        (void)player_.SetVolume(kDefaultVolume);
    }
}

void MainWindow::RestoreFromTray() {
    ShowAndActivate(SW_RESTORE);
    (void)ShowWindow(hwnd(), SW_SHOW);
}

void MainWindow::RunMenuCommand(int command) {
    switch (command) {
    case kMenuPlay: Command3_Click(); break;
    case kMenuStop: Command4_Click(); break;
    case kMenuEditor: if (openers_.editor) openers_.editor(); break;
    case kMenuSettings: if (openers_.settings) openers_.settings(); break;
    case kMenuAbout: if (openers_.about) openers_.about(); break;
    case kMenuDirectory: if (openers_.directory) openers_.directory(); break;
    case kMenuExit: ExitProgram(); break;
    default: break;
    }
}

void MainWindow::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case kIdCommand1: if (code == BN_CLICKED) Command1_Click(); break;
    case kIdCommand2: if (code == BN_CLICKED) RunMenuCommand(kMenuEditor); break;
    case kIdCommand3: if (code == BN_CLICKED) Command3_Click(); break;
    case kIdCommand4: if (code == BN_CLICKED) Command4_Click(); break;
    case kIdCommand5: if (code == BN_CLICKED) RunMenuCommand(kMenuAbout); break;
    case kIdCommand6: if (code == BN_CLICKED) RunMenuCommand(kMenuSettings); break;
    case kIdCheck1: if (code == BN_CLICKED) Check1_Click(); break;
    case kIdList1: if (code == LBN_DBLCLK) List1_DblClick(); break;
    case kMenuExit: if (code == 0 && control == nullptr) EndProgram(false); break;
    case IDOK:
        // Enter: the dialog keys report it as IDOK. In the station list it plays the selected
        // station as a double-click does; elsewhere it does nothing.
        if (GetFocus() == list1_) List1_DblClick();
        break;
    default: break;
    }
}

void MainWindow::OnHScroll(HWND control, int code) {
    // Only a completed move counts; the drag itself (TB_THUMBTRACK) changes nothing.
    if (control == slider_ && code == TB_ENDTRACK) Slider1_Change();
}

void MainWindow::OnControlMouseMove(int id, HWND) {
    if (id == kIdList1) ShowSelectionAsToolTip(list1_);
}

LRESULT MainWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = false;
    if (msg == kTrayCallbackMessage) {
        handled = true;
        tray_.HandleMessage(static_cast<UINT>(LOWORD(lParam)));
        return 0;
    }
    if (msg == kFindKeyMessage) {  // Ctrl+F: the station search
        handled = true;
        RunMenuCommand(kMenuDirectory);
        return TRUE;
    }
    if (msg == WM_HOTKEY) {
        if (auto key = MediaKeyFromVirtualKey(HIWORD(lParam))) HandleMediaKey(*key, MediaKeySource::HotKey);
        handled = true;
        return 0;
    }
    if (msg == WM_APPCOMMAND) {
        auto key = MediaKeyFromAppCommand(GET_APPCOMMAND_LPARAM(lParam));
        if (!key) return 0;  // not ours: the default procedure passes it on
        HandleMediaKey(*key, MediaKeySource::AppCommand);
        handled = true;
        return TRUE;
    }
    if (msg == WM_DRAWITEM && wParam == kIdNowPlaying) {
        handled = true;
        nowPlaying_.Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    if (msg == WM_POWERBROADCAST) {
        // Back from sleep the old connection is dead: a player waiting to reconnect tries now.
        if (wParam == PBT_APMRESUMEAUTOMATIC) player_.SystemResumed();
        handled = true;
        return TRUE;
    }
    if (msg == taskbarCreatedMessage_ && taskbarCreatedMessage_ != 0) {
        tray_.TaskbarCreated();
        handled = true;
        return 0;
    }
    return 0;
}

}  // namespace zarvio
