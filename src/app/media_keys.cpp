#include "app/media_keys.h"

namespace zarvio {

std::optional<MediaKey> MediaKeyFromVirtualKey(UINT virtualKey) {
    switch (virtualKey) {
    case VK_MEDIA_PLAY_PAUSE: return MediaKey::PlayPause;
    case VK_MEDIA_STOP: return MediaKey::Stop;
    case VK_MEDIA_NEXT_TRACK: return MediaKey::Next;
    case VK_MEDIA_PREV_TRACK: return MediaKey::Previous;
    default: return std::nullopt;
    }
}

std::optional<MediaKey> MediaKeyFromAppCommand(int command) {
    switch (command) {
    case APPCOMMAND_MEDIA_PLAY_PAUSE: return MediaKey::PlayPause;
    case APPCOMMAND_MEDIA_PLAY: return MediaKey::Play;
    case APPCOMMAND_MEDIA_PAUSE: return MediaKey::Pause;
    case APPCOMMAND_MEDIA_STOP: return MediaKey::Stop;
    case APPCOMMAND_MEDIA_NEXTTRACK: return MediaKey::Next;
    case APPCOMMAND_MEDIA_PREVIOUSTRACK: return MediaKey::Previous;
    default: return std::nullopt;
    }
}

bool MediaKeyFilter::Accept(MediaKey key, MediaKeySource source, DWORD nowMs) {
    const bool samePress = any_ && source != lastSource_ && key == lastKey_ &&
                           nowMs - lastMs_ <= kSamePressMs;  // unsigned: safe across the wrap
    if (samePress) {
        any_ = false;  // a pair is complete: a third report is a new press
        return false;
    }
    any_ = true;
    lastKey_ = key;
    lastSource_ = source;
    lastMs_ = nowMs;
    return true;
}

}  // namespace zarvio
