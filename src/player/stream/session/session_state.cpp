#include "player/stream/session/session_state.h"

#include <utility>

namespace zarvio::stream {

void SessionState::SetPublisher(std::function<void(int state)> publish) {
    std::lock_guard lock(mutex_);
    publish_ = std::move(publish);
}

std::optional<int> SessionState::Show(int state) {
    if (over_ || state == shown_) return std::nullopt;
    shown_ = state;
    if (publish_) publish_(state);
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

std::optional<int> SessionState::DeviceMissing() {
    std::lock_guard lock(mutex_);
    playing_ = false;
    return Show(6);  // whatever the connection does, nothing is heard until a device takes it
}

std::optional<int> SessionState::Failed() {
    std::lock_guard lock(mutex_);
    const auto shown = Show(10);
    over_ = true;
    return shown;
}

std::optional<int> SessionState::EndHeard() {
    std::lock_guard lock(mutex_);
    Show(8);
    const auto shown = Show(1);
    over_ = true;
    return shown;
}

}  // namespace zarvio::stream
