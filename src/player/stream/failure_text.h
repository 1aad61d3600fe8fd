// The few words the now-playing line shows when a station cannot be played.
#pragma once
#include <string>

#include "player/stream/failure_policy.h"

namespace zarvio::stream {

// "无法播放此电台" followed by the reason, for example "无法播放此电台（HTTP 404）".
std::wstring FailureText(const Failure& failure);

}  // namespace zarvio::stream
