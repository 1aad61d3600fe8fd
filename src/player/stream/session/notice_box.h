// How the stream player's worker threads reach the UI thread: they leave notices here and post
// one message to the player's window, whose procedure takes them on the UI thread. The box is
// shared (the workers may outlive the player); once the window is gone, notices are dropped.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/play_states.h"

namespace zarvio::stream {

struct Notice {
    enum class Kind { State, Title, Failure, HandOver } kind = Kind::State;
    uint64_t generation = 0;  // which playback it is about; notices of an abandoned one are stale
    PlayState state = kPlayStateUndefined;  // with State
    std::wstring text;        // the title, the failure text, or the address to hand over
};

class NoticeBox {
public:
    // How a notice wakes the window: PostMessageW unless told otherwise. It can fail (a full
    // message queue); the notices then wait for the window's own timer to take them.
    using Wake = std::function<bool(HWND window, UINT message)>;
    explicit NoticeBox(Wake wake = {}) : wake_(std::move(wake)) {}

    // Notices wake this window with this message from now on.
    void Attach(HWND window, UINT message);
    // No window any more: further notices are dropped.
    void Detach();

    void Post(Notice notice);
    // What arrived since the last call, oldest first.
    std::vector<Notice> Take();
    bool Empty();

private:
    const Wake wake_;
    std::mutex mutex_;
    HWND window_ = nullptr;
    UINT message_ = 0;
    bool wakePending_ = false;  // one posted message covers every notice until it is taken
    std::vector<Notice> notices_;
};

}  // namespace zarvio::stream
