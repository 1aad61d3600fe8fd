// What a media key press does in the main window: one press acts once, however many ways it
// arrived, and Play/Pause stops what the status panel shows as connecting, buffering or
// playing and plays otherwise (this player cannot pause: a stream does not resume where it
// paused).
#pragma once
#include <windows.h>

#include <optional>

#include "app/media_keys.h"
#include "platform/play_states.h"

namespace zarvio {

enum class MediaAction { Play, Stop, NextStation, PreviousStation };

class MediaKeyRouter {
public:
    // The play state that status panel 1 now shows.
    void StateShown(PlayState state) { shown_ = state; }

    // The action for a press reported now (a millisecond tick count), or nullopt for a second
    // report of a press that already acted.
    std::optional<MediaAction> Route(MediaKey key, MediaKeySource source, DWORD nowMs);

private:
    MediaKeyFilter filter_;
    PlayState shown_ = kPlayStateUndefined;  // before any state changed panel 1
};

}  // namespace zarvio
