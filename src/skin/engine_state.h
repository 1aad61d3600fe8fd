// The skin engine's module-wide state. Per-window state lives in the windows' property lists;
// this is what the engine knows across them. Hooking and unhooking (skin_engine) change it, and
// the hover tracking reads which mouse-leave call the start-up probe found.
#pragma once

namespace zarvio::skin {

struct EngineState {
    bool ready = false;               // the images exist and the probe ran
    bool hasTrackMouseEvent = false;  // user32 exports TrackMouseEvent
    int hookedCount = 0;              // windows running through SkinWindowProc now
};

// The one state of the process.
EngineState& Engine();

bool SkinReady();
bool HasTrackMouseEvent();
int HookedCount();

}  // namespace zarvio::skin
