// What the Windows benchmarks share: a clock, the median of runs and a pump
// of the thread's pending messages. Windows only.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace vt::bench {

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

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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
