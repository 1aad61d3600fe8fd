// The play state one playback shows, derived from what its connection and its output report.
// The connection's worker and the output thread both feed it; each change of the shown state
// is handed back exactly once, and handed to the publisher under the same lock that decided
// it, so two threads' changes reach the window in the order they were decided. Once the
// playback is over (it failed, or a finite stream was heard to its end) nothing more is shown.
// Plain C++, no Windows calls.
#pragma once
#include <functional>
#include <mutex>
#include <optional>

namespace zarvio::stream {

class SessionState {
public:
    // Called with each state to show, under the state's lock (so it must not call back).
    void SetPublisher(std::function<void(int state)> publish);

    // Each returns the play state to show now, or nullopt when the shown state stays.
    std::optional<int> AttemptStarted();   // a connection starts: 9
    std::optional<int> Connected();        // the answer came: 6 while the queue fills, 3 if sound plays
    std::optional<int> Disconnected();     // the connection failed and a reconnect will follow
    std::optional<int> SoundStarted();     // the output began to play: 3
    std::optional<int> Underrun();         // the output ran dry: 6 (unless a connection is starting)
    std::optional<int> DeviceMissing();    // no sound device takes the audio: 6
    std::optional<int> Failed();           // the playback ended for good: 10, the last state
    std::optional<int> EndHeard();         // a finite stream was heard to its end: 8, then 1 (returned)

private:
    std::optional<int> Show(int state);

    enum class Link { Connecting, Connected, Waiting } link_ = Link::Connecting;
    bool playing_ = false;
    bool over_ = false;
    int shown_ = 0;
    std::function<void(int)> publish_;
    std::mutex mutex_;
};

}  // namespace zarvio::stream
