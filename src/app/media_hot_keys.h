// The four media keys held as system-wide hot keys of one window for as long as an owner lives.
#pragma once
#include <windows.h>

namespace zarvio {

class MediaHotKeys {
public:
    MediaHotKeys() = default;
    ~MediaHotKeys() { Unregister(); }
    MediaHotKeys(const MediaHotKeys&) = delete;
    MediaHotKeys& operator=(const MediaHotKeys&) = delete;

    // Registers Play/Pause, Stop, Next and Previous for window, without auto-repeat. A key that
    // another program already holds is skipped. Returns how many keys this call registered.
    int Register(HWND window);
    void Unregister();
    int registered() const;

private:
    HWND window_ = nullptr;
    bool held_[4] = {};
};

}  // namespace zarvio
