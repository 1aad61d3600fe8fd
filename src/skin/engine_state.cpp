#include "skin/engine_state.h"

namespace zarvio::skin {

EngineState& Engine() {
    static EngineState state;
    return state;
}

bool SkinReady() { return Engine().ready; }
bool HasTrackMouseEvent() { return Engine().hasTrackMouseEvent; }
int HookedCount() { return Engine().hookedCount; }

}  // namespace zarvio::skin
