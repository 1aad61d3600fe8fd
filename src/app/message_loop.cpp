#include "app/message_loop.h"

namespace zarvio {

void DispatchProgramMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == 'F' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && SendMessageW(root, kFindKeyMessage, 0, 0)) return;
    }
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
