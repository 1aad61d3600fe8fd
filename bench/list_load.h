#pragma once

namespace zarvio::bench {

// Figure 2: LoadMainList with 32,767 stations against the floor of the same work.
void RunListLoadFigure(int repetitions);

}  // namespace zarvio::bench
