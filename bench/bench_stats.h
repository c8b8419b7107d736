// What every benchmark reports: the median of repeated runs with their spread,
// the "--runs N" option, and one summary line per goal that scripts/bench.sh
// gathers into its table.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace vt::bench {

// The runs every figure is the median of, unless "--runs N" says otherwise.
constexpr int kDefaultRuns = 5;

// The value of "--runs N" among the arguments (at least 1), else fallback.
inline int RunsOption(int argc, char** argv, int fallback = kDefaultRuns) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0)
            return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}

// The median and the extremes of a set of measurements.
struct Spread {
    double median = 0;
    double min = 0;
    double max = 0;
};

inline Spread SpreadOf(std::vector<double> values) {
    Spread spread;
    if (values.empty())
        return spread;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    spread.median = values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    spread.min = values.front();
    spread.max = values.back();
    return spread;
}

// The per-run ratios ours[i] / anchor[i]: a run's two figures met the machine
// in the same state, so their ratio varies less than either figure.
inline std::vector<double> Ratios(const std::vector<double>& ours,
                                  const std::vector<double>& anchor) {
    std::vector<double> ratios;
    for (size_t i = 0; i < ours.size() && i < anchor.size(); ++i) {
        if (anchor[i] > 0)
            ratios.push_back(ours[i] / anchor[i]);
    }
    return ratios;
}

// "median [min-max]" of times in milliseconds.
inline std::string Milliseconds(const Spread& spread) {
    char text[96];
    std::snprintf(text, sizeof text, "%9.2f ms [%.2f-%.2f]", spread.median * 1e3, spread.min * 1e3,
                  spread.max * 1e3);
    return text;
}

// Prints a ratio and, for scripts/bench.sh, the summary line
// "summary|what|median|min|max|goal" (goal: the median is at most goal;
// 0 when the ratio has no goal).
inline void PrintRatio(const std::string& what, const std::vector<double>& ratios,
                       double goal = 0) {
    const Spread spread = SpreadOf(ratios);
    if (goal > 0) {
        std::printf("  %-44s %5.2f [%.2f-%.2f] (goal <= %.2f: %s)\n", what.c_str(), spread.median,
                    spread.min, spread.max, goal, spread.median <= goal ? "met" : "NOT met");
    } else {
        std::printf("  %-44s %5.2f [%.2f-%.2f]\n", what.c_str(), spread.median, spread.min,
                    spread.max);
    }
    std::printf("summary|%s|%.3f|%.3f|%.3f|%.2f\n", what.c_str(), spread.median, spread.min,
                spread.max, goal);
}

}  // namespace vt::bench
