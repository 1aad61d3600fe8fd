#include "player/stream/session_state.h"

namespace zarvio::stream {

std::optional<int> SessionState::Show(int state) {
    if (state == shown_) return std::nullopt;
    shown_ = state;
    return state;
}

std::optional<int> SessionState::AttemptStarted() {
    std::lock_guard lock(mutex_);
    link_ = Link::Connecting;
    return Show(9);
}

std::optional<int> SessionState::Connected() {
    std::lock_guard lock(mutex_);
    link_ = Link::Connected;
    return Show(playing_ ? 3 : 6);
}

std::optional<int> SessionState::Disconnected() {
    std::lock_guard lock(mutex_);
    link_ = Link::Waiting;
    return std::nullopt;  // what is queued still plays; the output reports when it runs dry
}

std::optional<int> SessionState::SoundStarted() {
    std::lock_guard lock(mutex_);
    playing_ = true;
    return Show(3);
}

std::optional<int> SessionState::Underrun() {
    std::lock_guard lock(mutex_);
    playing_ = false;
    if (link_ == Link::Connecting) return std::nullopt;  // "connecting" says more than "buffering"
    return Show(6);
}

}  // namespace zarvio::stream
