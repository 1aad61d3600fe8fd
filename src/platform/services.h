// Everything the program needs of the platform beyond its own windows, handed in at start-up.
// The program passes the Win32 implementations; any other implementation of an interface fits as well.
#pragma once
#include <string>

#include "platform/files.h"
#include "platform/media_player.h"
#include "platform/message_box.h"
#include "platform/power.h"
#include "platform/registry.h"
#include "platform/system_services.h"
#include "platform/tray_icon.h"

namespace zarvio {

// Each window says above its class which members it needs; it takes those as references when it
// is made and stops the program there (ContractBroken) when one is missing. Every other member
// may be null for it, and the window then goes without:
//   instance     no check for another running copy (the main window)
//   browser      no forum page at exit (the main window; the About window needs it)
//   processExit  the exit leaves the process running (the main window)
//   player       nothing plays: the main window plays through a SilentPlayer
//   files        the data files are written straight to the file system
struct Services {
    MessageBoxService* messageBox = nullptr;
    TrayIconService* tray = nullptr;
    InstanceService* instance = nullptr;
    BrowserService* browser = nullptr;
    ProcessExitService* processExit = nullptr;
    ClockService* clock = nullptr;
    MediaPlayer* player = nullptr;
    RegistryService* registry = nullptr;
    PowerService* power = nullptr;
    FileWriter* files = nullptr;  // the data files' rewrites; nullptr: straight to the file system
    std::wstring appDir;  // every file the program reads or writes lives here
};

}  // namespace zarvio
