// The few words the now-playing line shows when a station cannot be played.
#pragma once
#include <string>

#include "player/stream/base/failure.h"

namespace zarvio::stream {

// The now-playing line's second line while no sound device takes the audio.
inline constexpr wchar_t kNoSoundDeviceText[] = L"没有可用的声音设备";

// "无法播放此电台" followed by the reason, for example "无法播放此电台（HTTP 404）".
std::wstring FailureText(const Failure& failure);

}  // namespace zarvio::stream
