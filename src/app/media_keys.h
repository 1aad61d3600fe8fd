// The keyboard's media keys as the main window sees them: which press a hot key or an
// application command stands for, and the rule that lets one press act only once.
#pragma once
#include <windows.h>

#include <optional>

namespace zarvio {

enum class MediaKey { PlayPause, Play, Pause, Stop, Next, Previous };

// How a press reached the main window: as a registered hot key (from anywhere) or as an
// application command (while a window of the program has the focus).
enum class MediaKeySource { HotKey, AppCommand };

// The press a WM_HOTKEY's virtual key or a WM_APPCOMMAND's command names; nullopt for others.
std::optional<MediaKey> MediaKeyFromVirtualKey(UINT virtualKey);
std::optional<MediaKey> MediaKeyFromAppCommand(int command);

// Some keyboards and remotes deliver one press both as a hot key and as an application
// command. The second report of the same key from the other source within a short time is
// the same press and is dropped; repeats from one source are separate presses and all act.
class MediaKeyFilter {
public:
    static constexpr DWORD kSamePressMs = 300;

    // Whether this report should act; nowMs is a millisecond tick count (wraps like GetTickCount).
    bool Accept(MediaKey key, MediaKeySource source, DWORD nowMs);

private:
    bool any_ = false;
    MediaKey lastKey_ = MediaKey::PlayPause;
    MediaKeySource lastSource_ = MediaKeySource::HotKey;
    DWORD lastMs_ = 0;
};

}  // namespace zarvio
