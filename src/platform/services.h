// Everything the program needs of the platform beyond its own windows, handed in at start-up.
// The program passes the Win32 implementations; tests pass fakes.
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
