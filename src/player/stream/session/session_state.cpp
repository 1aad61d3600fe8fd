#include "player/stream/session/session_state.h"

#include <utility>

namespace zarvio::stream {

void SessionState::SetPublisher(std::function<void(PlayState state)> publish) {
    std::lock_guard lock(mutex_);
    publish_ = std::move(publish);
}

std::optional<PlayState> SessionState::Show(PlayState state) {
    if (over_ || state == shown_) return std::nullopt;
    shown_ = state;
    if (publish_) publish_(state);
    return state;
}

std::optional<PlayState> SessionState::AttemptStarted() {
    std::lock_guard lock(mutex_);
    link_ = Link::Connecting;
    return Show(kPlayStateTransitioning);
}

std::optional<PlayState> SessionState::Connected() {
    std::lock_guard lock(mutex_);
    link_ = Link::Connected;
    return Show(playing_ ? kPlayStatePlaying : kPlayStateBuffering);
}

std::optional<PlayState> SessionState::Disconnected() {
    std::lock_guard lock(mutex_);
    link_ = Link::Waiting;
    return std::nullopt;  // what is queued still plays; the output reports when it runs dry
}

std::optional<PlayState> SessionState::SoundStarted() {
    std::lock_guard lock(mutex_);
    playing_ = true;
    return Show(kPlayStatePlaying);
}

std::optional<PlayState> SessionState::Underrun() {
    std::lock_guard lock(mutex_);
    playing_ = false;
    if (link_ == Link::Connecting) return std::nullopt;  // "connecting" says more than "buffering"
    return Show(kPlayStateBuffering);
}

std::optional<PlayState> SessionState::DeviceMissing() {
    std::lock_guard lock(mutex_);
    playing_ = false;
    return Show(kPlayStateBuffering);  // whatever the connection does, nothing is heard until a device takes it
}

std::optional<PlayState> SessionState::Failed() {
    std::lock_guard lock(mutex_);
    const auto shown = Show(kPlayStateReady);
    over_ = true;
    return shown;
}

std::optional<PlayState> SessionState::EndHeard() {
    std::lock_guard lock(mutex_);
    Show(kPlayStateMediaEnded);
    const auto shown = Show(kPlayStateStopped);
    over_ = true;
    return shown;
}

}  // namespace zarvio::stream
