#pragma once
#include <windows.h>

namespace zarvio {
// Starts the program with the real platform services and runs its message loop until Exit.
int RunApplication(HINSTANCE instance);
}
