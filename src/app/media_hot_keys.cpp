#include "app/media_hot_keys.h"

namespace zarvio {
namespace {

constexpr UINT kKeys[4] = {VK_MEDIA_PLAY_PAUSE, VK_MEDIA_STOP, VK_MEDIA_NEXT_TRACK, VK_MEDIA_PREV_TRACK};
// Hot key identifiers of an application lie in 0x0000 to 0xBFFF.
constexpr int kFirstId = 0x5A10;

}  // namespace

int MediaHotKeys::Register(HWND window) {
    Unregister();
    window_ = window;
    int count = 0;
    for (int i = 0; i < 4; ++i) {
        held_[i] = RegisterHotKey(window, kFirstId + i, MOD_NOREPEAT, kKeys[i]) != FALSE;
        if (held_[i]) ++count;
    }
    return count;
}

void MediaHotKeys::Unregister() {
    for (int i = 0; i < 4; ++i) {
        if (held_[i]) (void)UnregisterHotKey(window_, kFirstId + i);
        held_[i] = false;
    }
    window_ = nullptr;
}

int MediaHotKeys::registered() const {
    int count = 0;
    for (bool held : held_) count += held ? 1 : 0;
    return count;
}

}  // namespace zarvio
