// Shared pieces of the benchmark: a stopwatch, medians, a scratch folder, object counts and the
// one-line report format.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "support/message_pump.h"
#include "support/object_counts.h"
#include "support/temp_dir.h"

namespace zarvio::bench {

// Seconds from the performance counter.
class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&start_); }
    void Restart() { QueryPerformanceCounter(&start_); }
    double Seconds() const {
        LARGE_INTEGER now, freq;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&freq);
        return static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(freq.QuadPart);
    }
    double Milliseconds() const { return Seconds() * 1e3; }
    double Microseconds() const { return Seconds() * 1e6; }

private:
    LARGE_INTEGER start_{};
};

inline double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Runs body `repetitions` times (after `warmups` untimed runs) and gives the median in
// microseconds. Each run is timed on its own, so a stray slow run cannot move the median.
inline double MedianMicroseconds(int repetitions, int warmups, const std::function<void()>& body) {
    for (int i = 0; i < warmups; ++i) body();
    std::vector<double> samples;
    samples.reserve(static_cast<size_t>(repetitions));
    for (int i = 0; i < repetitions; ++i) {
        Stopwatch watch;
        body();
        samples.push_back(watch.Microseconds());
    }
    return Median(std::move(samples));
}

// Shared with the tests: scratch folders and counts of GDI objects and windows.
using test::CountGdiObjects;
using test::CountThreadWindows;
using test::TempDir;


// One figure of the report: a name and the text after it, printed on one line.
inline void Report(const char* figure, const std::string& text) {
    std::printf("%-26s %s\n", figure, text.c_str());
    std::fflush(stdout);
}

std::string Format(const char* format, ...);

// "met" or "MISSED" for a figure with a target.
inline const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

// Runs this thread's queued messages, so windows have painted before a measurement.
inline void PumpMessages() { test::PumpPending(); }

}  // namespace zarvio::bench
