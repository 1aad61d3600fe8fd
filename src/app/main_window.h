// The main window Form1: the numbered station list, the command buttons, the volume slider,
// the status bar, the tray icon and the program's lifetime.
#pragma once
#include <functional>
#include <string>

#include "app/media_hot_keys.h"
#include "app/media_keys.h"
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

// Commands of the tray menu "文件".
enum MenuCommand : int {
    kMenuPlay = 201, kMenuStop, kMenuEditor, kMenuSettings, kMenuAbout, kMenuExit, kMenuDirectory,
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

// The tray icon reports mouse actions with this private message, so that a real pointer
// movement over the window can never be mistaken for a click on the icon.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;

// Opening the other windows; filled in by the program, left empty where a test needs none.
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
    void ShowPlayState(int state);
    void Slider1_Change();
    void RestoreVolume();
    void HandleTrayMessage(UINT mouseMessage);
    void ShowTrayMenu();
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
    bool trayIconAdded() const { return trayWanted_; }
    // True while the last add of the icon succeeded.
    bool trayIconShown() const { return trayShown_; }
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
    void OnPlayStateChange(int state) override { ShowPlayState(state); }
    void OnStatusChange() override {}  // received and deliberately ignored
    void OnTitleChange(const std::wstring& title) override;
    void OnPlaybackFailed(const std::wstring& text) override;
    void UpdateTrayTip();
    void EndProgram(bool forumPage);
    // The first failed write of a run tells the user why; later ones stay quiet, so moving the
    // slider again and again does not bring one box after another.
    void TellWriteFailure();

    TrayIconData TrayIcon() const;
    void AddTrayIcon();
    void RestoreFromTray();
    void RunMediaKey(MediaKey key);
    void StepStation(int step);  // +1 the next entry, -1 the previous, wrapping at both ends
    void PlayChosen(const std::wstring& entry, long failure);

    Services services_;
    MessageBoxService& messageBox_;
    TrayIconService& tray_;
    ClockService& clock_;
    SilentPlayer silentPlayer_;
    MediaPlayer& player_;  // the given player, else silentPlayer_
    WindowOpeners openers_;
    Icon icon_;
    UINT taskbarCreatedMessage_ = 0;
    bool trayWanted_ = false;  // from the start-up's add until the exit
    bool trayShown_ = false;   // the last add succeeded
    bool trayMenuOpen_ = false;
    MediaHotKeys hotKeys_;
    MediaKeyFilter mediaKeyFilter_;
    int lastListedState_ = 0;  // the last play state that changed panel 1; 0 before any
    bool stationChosen_ = false;
    bool writeFailureTold_ = false;
    NowPlaying nowPlaying_;
    HWND list1_ = nullptr, list2_ = nullptr, statusBar_ = nullptr, slider_ = nullptr, check1_ = nullptr;
};

// The full name of the weekday of a date in the user's language ("星期日" for a Sunday).
std::wstring WeekdayName(const SYSTEMTIME& date);

}  // namespace zarvio
