// The play state one playback shows, derived from what its connection and its output report.
// The connection's worker and the output thread both feed it; each change of the shown state
// is handed back exactly once. Plain C++, no Windows calls.
#pragma once
#include <mutex>
#include <optional>

namespace zarvio::stream {

class SessionState {
public:
    // Each returns the play state to show now, or nullopt when the shown state stays.
    std::optional<int> AttemptStarted();   // a connection starts: 9
    std::optional<int> Connected();        // the answer came: 6 while the queue fills, 3 if sound plays
    std::optional<int> Disconnected();     // the connection failed and a reconnect will follow
    std::optional<int> SoundStarted();     // the output began to play: 3
    std::optional<int> Underrun();         // the output ran dry: 6 (unless a connection is starting)

private:
    std::optional<int> Show(int state);

    enum class Link { Connecting, Connected, Waiting } link_ = Link::Connecting;
    bool playing_ = false;
    int shown_ = 0;
    std::mutex mutex_;
};

}  // namespace zarvio::stream
