// The main window Form1: the numbered station list, the command buttons, the volume slider,
// the status bar and the program's lifetime; its tray icon (app/tray_presence) and what its
// media keys do (app/media_key_router) are theirs to hold.
#pragma once
#include <functional>
#include <string>

#include "app/media_hot_keys.h"
#include "app/media_key_router.h"
#include "app/media_keys.h"
#include "app/tray_presence.h"
#include "platform/handles.h"
#include "platform/services.h"
#include "app/now_playing.h"
#include "platform/toolkit/form.h"

namespace zarvio {

// Control identifiers of the main window.
enum MainControl : int {
    kIdList1 = 101, kIdList2, kIdCommand1, kIdCommand2, kIdCommand3, kIdCommand4, kIdCommand5,
    kIdCommand6, kIdCheck1, kIdLabel1, kIdSlider1, kIdStatusBar1, kIdNowPlaying,
};

// How another program (the installer, the uninstaller) asks a running Zarvio to end before it
// replaces or removes the program's files: it sends the main window WM_COMMAND with kMenuExit
// and lParam 0. The program then ends as the tray's 退出 ends it, only without the forum page,
// which the user did not ask for. The tray menu returns its choice instead of sending it, so
// this message only ever comes from outside. Every form of the program has the class kFormClass;
// the others ignore the command, so a caller may send it to each form of a zarvio.exe process.

// Shown once a run, on the first data file next to the program that cannot be written.
std::wstring DataFolderNotWritableText(const std::wstring& appDir);
inline constexpr wchar_t kDataFolderNotWritableTitle[] = L"提示";

// Opening the other windows; filled in by the program. One left empty makes its command do nothing.
struct WindowOpeners {
    std::function<void()> editor;
    std::function<void()> settings;
    std::function<void()> about;
    std::function<void()> directory;  // the station search
};

// Needs services.messageBox, services.tray and services.clock. May go without services.player
// (nothing plays), services.instance (no check for another copy), services.browser (no page at
// exit), services.processExit (the exit leaves the process running) and services.files.
class MainWindow : public Form, private MediaPlayerListener {
public:
    MainWindow(Services services, WindowOpeners openers);
    ~MainWindow() override;

    // Runs the start-up sequence. Returns false when the user declined to run a second copy:
    // then no window is shown and no tray icon exists.
    bool Start();

    // The tray's 退出: the skin lets go, the tray icon goes, the forum page opens, the process ends.
    void ExitProgram();

    // Operations behind the buttons and menu items.
    void Command1_Click();  // Refresh
    void Command3_Click();  // Play
    void Command4_Click();  // Stop
    void Check1_Click();    // keep on top
    void List1_DblClick();  // ChooseStation
    // Plays a station from elsewhere (the station search) the way a choice in the list plays.
    void PlayStation(const std::wstring& name, const std::wstring& url);
    // The station files gained station index: the list shows them anew with that one selected.
    void ShowAddedStation(size_t index);
    void ShowPlayState(PlayState state);
    void Slider1_Change();
    void RestoreVolume();
    void HandleTrayMessage(UINT mouseMessage) { tray_.HandleMessage(mouseMessage); }
    void ShowTrayMenu() { tray_.ShowMenu(); }
    void RunMenuCommand(int command);
    // A media key press, whichever way it arrived; a second report of one press does nothing.
    void HandleMediaKey(MediaKey key, MediaKeySource source);

    HWND list1() const { return list1_; }
    HWND list2() const { return list2_; }
    HWND statusBar() const { return statusBar_; }
    HWND slider() const { return slider_; }
    HWND check1() const { return check1_; }
    HWND button(int id) const { return Control(id); }
    // True from the start-up's add of the tray icon until the exit takes it away, whether or not
    // the shell took it: the program wants its icon and adds it again when the taskbar returns.
    bool trayIconAdded() const { return tray_.wanted(); }
    // True while the last add of the icon succeeded.
    bool trayIconShown() const { return tray_.shown(); }
    int mediaHotKeysHeld() const { return hotKeys_.registered(); }
    const NowPlaying& nowPlaying() const { return nowPlaying_; }

private:
    void BuildControls() override;
    void Form_Load() override;
    bool Form_QueryUnload() override;
    void Form_Unload() override;
    void OnCommand(int id, int code, HWND control) override;
    void OnHScroll(HWND control, int code) override;
    void OnControlMouseMove(int id, HWND control) override;
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void OnPlayStateChange(int state) override { ShowPlayState(static_cast<PlayState>(state)); }
    void OnStatusChange() override {}  // received and deliberately ignored
    void OnTitleChange(const std::wstring& title) override;
    void OnPlaybackFailed(const std::wstring& text) override;
    void EndProgram(bool forumPage);
    // The first failed write of a run tells the user why; later ones stay quiet, so moving the
    // slider again and again does not bring one box after another.
    void TellWriteFailure();

    void RestoreFromTray();
    void StepStation(int step);  // +1 the next entry, -1 the previous, wrapping at both ends
    void PlayChosen(const std::wstring& entry, long failure);

    Services services_;
    MessageBoxService& messageBox_;
    ClockService& clock_;
    SilentPlayer silentPlayer_;
    MediaPlayer& player_;  // the given player, else silentPlayer_
    WindowOpeners openers_;
    Icon icon_;
    UINT taskbarCreatedMessage_ = 0;
    TrayPresence tray_;
    MediaHotKeys hotKeys_;
    MediaKeyRouter mediaKeys_;
    bool stationChosen_ = false;
    bool writeFailureTold_ = false;
    NowPlaying nowPlaying_;
    HWND list1_ = nullptr, list2_ = nullptr, statusBar_ = nullptr, slider_ = nullptr, check1_ = nullptr;
};

// The full name of the weekday of a date in the user's language ("星期日" for a Sunday).
std::wstring WeekdayName(const SYSTEMTIME& date);

}  // namespace zarvio
