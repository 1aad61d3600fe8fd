#include "app/application.h"

#include <memory>

#include "about/about_window.h"
#include "app/main_window.h"
#include "app/message_loop.h"
#include "directory/directory_window.h"
#include "editor/station_editor.h"
#include "platform/com_support.h"
#include "platform/media_player_wmp.h"
#include "player/media_router.h"
#include "player/stream/session/stream_player.h"
#include "settings/settings_window.h"

namespace zarvio {

int RunApplication(HINSTANCE) {
    // Declared first so it is released last: every COM object below goes before the apartment.
    ComApartment apartment;

    Win32MessageBox messageBox;
    Win32TrayIcon tray;
    Win32Instance instance;
    Win32Browser browser;
    Win32ProcessExit processExit;
    Win32Clock clock;
    // http and https play through the program's own stream player; the component takes every
    // other address, so it starts without one.
    stream::StreamPlayer streams;
    WmpMediaPlayer component(L"");
    MediaRouter player(streams, component);
    Win32Registry registry;
    Win32Power power;

    Services services;
    services.messageBox = &messageBox;
    services.tray = &tray;
    services.instance = &instance;
    services.browser = &browser;
    services.processExit = &processExit;
    services.clock = &clock;
    services.player = &player;
    services.registry = &registry;
    services.power = &power;
    services.appDir = ExecutableDirectory();

    // Each window at most once, modeless and without owner. The settings window is created on
    // first use and lives until the program ends; the editor and the About window are replaced
    // after they have been closed.
    EditorHost editor(services);
    SettingsWindow settings(services);
    AboutHost about(services);
    // The station search plays and adds through the main window, made below.
    MainWindow* mainWindow = nullptr;
    directory::DirectoryLinks links;
    links.tryStation = [&mainWindow](const std::wstring& name, const std::wstring& url) { mainWindow->PlayStation(name, url); };
    links.stationAdded = [&mainWindow](size_t index) { mainWindow->ShowAddedStation(index); };
    directory::DirectoryHost stationSearch(services, links);
    editor.SetPrepare([&stationSearch](StationEditor& e) { e.SetDirectoryOpener([&stationSearch] { stationSearch.Open(); }); });
    WindowOpeners openers;
    openers.editor = [&editor] { editor.Open(); };
    openers.settings = [&settings] { settings.Open(); };
    openers.about = [&about] { about.Open(); };
    openers.directory = [&stationSearch] { stationSearch.Open(); };
    MainWindow main(services, std::move(openers));
    mainWindow = &main;
    if (!main.Start()) return 0;  // the user chose not to run a second copy

    return RunMessageLoop();
}

}  // namespace zarvio
