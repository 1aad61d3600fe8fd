// The play state one playback shows, derived from what its connection and its output report.
// The connection's worker and the output thread both feed it; each change of the shown state
// is handed back exactly once, and handed to the publisher under the same lock that decided
// it, so two threads' changes reach the window in the order they were decided. Once the
// playback is over (it failed, or a finite stream was heard to its end) nothing more is shown.
#pragma once
#include <functional>
#include <mutex>
#include <optional>

#include "platform/play_states.h"

namespace zarvio::stream {

class SessionState {
public:
    // Called with each state to show, under the state's lock (so it must not call back).
    void SetPublisher(std::function<void(PlayState state)> publish);

    // Each returns the play state to show now, or nullopt when the shown state stays.
    std::optional<PlayState> AttemptStarted();  // a connection starts: transitioning
    std::optional<PlayState> Connected();       // the answer came: buffering while the queue fills,
                                                // playing if sound plays
    std::optional<PlayState> Disconnected();    // the connection failed and a reconnect will follow
    std::optional<PlayState> SoundStarted();    // the output began to play: playing
    std::optional<PlayState> Underrun();        // the output ran dry: buffering (unless a connection
                                                // is starting)
    std::optional<PlayState> DeviceMissing();   // no sound device takes the audio: buffering
    std::optional<PlayState> Failed();          // the playback ended for good: ready, the last state
    std::optional<PlayState> EndHeard();        // a finite stream was heard to its end: media ended,
                                                // then stopped (returned)

private:
    std::optional<PlayState> Show(PlayState state);

    enum class Link { Connecting, Connected, Waiting } link_ = Link::Connecting;
    bool playing_ = false;
    bool over_ = false;
    PlayState shown_ = kPlayStateUndefined;
    std::function<void(PlayState)> publish_;
    std::mutex mutex_;
};

}  // namespace zarvio::stream
