// What the Windows benchmarks share besides bench_stats.h: a clock, the
// budget of a paint and a pump of the thread's pending messages. Windows only.
#pragma once

#include <windows.h>

#include <algorithm>

namespace vt::bench {

// One frame at 60 Hz: what a paint may take, in milliseconds.
constexpr double kFrameMs = 16;

// A figure of a few milliseconds (one paint) is timed at least this often:
// its single times scatter more than those of the longer figures.
constexpr int kQuickRuns = 41;

inline int QuickRuns(int runs) {
    return std::max(runs, kQuickRuns);
}

// Milliseconds from the performance counter.
inline double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER value;
        ::QueryPerformanceFrequency(&value);
        return static_cast<double>(value.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER value;
    ::QueryPerformanceCounter(&value);
    return static_cast<double>(value.QuadPart) / frequency;
}

// Dispatches what is queued for this thread now.
inline void Pump() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

}  // namespace vt::bench
