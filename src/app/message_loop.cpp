#include "app/message_loop.h"

namespace zarvio {

void DispatchProgramMessage(MSG& msg) {
    if (IsDialogMessageW(GetActiveWindow(), &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

int RunMessageLoop() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchProgramMessage(msg);
    return static_cast<int>(msg.wParam);
}

}  // namespace zarvio
