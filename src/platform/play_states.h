// The play states the main window shows, numbered as the Windows Media Player component numbers
// them: the component's events carry these numbers, and the stream player reports the same.
#pragma once

namespace zarvio {

// Play states as the Windows Media Player enumeration numbers them.
enum PlayState : int {
    kPlayStateUndefined = 0,
    kPlayStateStopped = 1,
    kPlayStatePaused = 2,
    kPlayStatePlaying = 3,
    kPlayStateScanForward = 4,
    kPlayStateScanReverse = 5,
    kPlayStateBuffering = 6,
    kPlayStateWaiting = 7,
    kPlayStateMediaEnded = 8,
    kPlayStateTransitioning = 9,
    kPlayStateReady = 10,
    kPlayStateReconnecting = 11,
};

}  // namespace zarvio
