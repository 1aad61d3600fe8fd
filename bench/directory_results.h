#pragma once

namespace zarvio::bench {

// Figure 12: the station search showing an answer of 10,000 stations against the floor of the
// same work.
void RunDirectoryResultsFigure(int repetitions);

}  // namespace zarvio::bench
