#pragma once

namespace zarvio::bench {

// Figures 3 and 4: a fade step, a full header paint and RenderButtonStates, in microseconds.
void RunPaintingFigures(int repetitions);

}  // namespace zarvio::bench
