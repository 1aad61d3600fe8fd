#pragma once
#include <string>
#include <vector>

namespace zarvio::bench {

struct StartupOptions {
    std::wstring dataDir;          // shipped data files copied next to each start; empty: the build's
    int startRepetitions = 15;     // child-process starts of each program
    int inProcessRepetitions = 6;  // main windows started inside the benchmark
};

struct ReportLine {
    const char* figure;
    std::string text;
};

// Figure 1, start-up against the minimal window, is reported at once. The memory and object
// figures (5) measured on the same starts are returned, to be reported last.
std::vector<ReportLine> RunStartupFigures(const StartupOptions& options);

}  // namespace zarvio::bench
