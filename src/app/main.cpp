// Entry point of zarvio.exe: everything else lives in the zarvio_core library.
#include <windows.h>

#include "app/application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return zarvio::RunApplication(instance);
}
