#include "app/media_key_router.h"

namespace zarvio {

std::optional<MediaAction> MediaKeyRouter::Route(MediaKey key, MediaKeySource source, DWORD nowMs) {
    if (!filter_.Accept(key, source, nowMs)) return std::nullopt;
    switch (key) {
    case MediaKey::PlayPause:
        return shown_ == kPlayStateTransitioning || shown_ == kPlayStateBuffering || shown_ == kPlayStatePlaying
                   ? MediaAction::Stop
                   : MediaAction::Play;
    case MediaKey::Play: return MediaAction::Play;
    case MediaKey::Pause:  // no pausing in this player
    case MediaKey::Stop: return MediaAction::Stop;
    case MediaKey::Next: return MediaAction::NextStation;
    case MediaKey::Previous: return MediaAction::PreviousStation;
    }
    return std::nullopt;
}

}  // namespace zarvio
