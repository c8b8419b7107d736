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

// The runs every figure is the median of, unless "--runs N" says more: fewer
// than five tell nothing of the spread.
constexpr int kDefaultRuns = 5;

// The value of "--runs N" (or of the older name given as synonym) among the
// arguments, else fallback; never fewer than kDefaultRuns.
inline int RunsOption(int argc, char** argv, int fallback = kDefaultRuns,
                      const char* synonym = nullptr) {
    int runs = fallback;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 || (synonym && std::strcmp(argv[i], synonym) == 0))
            runs = std::atoi(argv[i + 1]);
    }
    return std::max(kDefaultRuns, runs);
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
// in the same state, so their ratio varies less than either figure. A run
// with a failed figure (not above 0) is left out.
inline std::vector<double> Ratios(const std::vector<double>& ours,
                                  const std::vector<double>& anchor) {
    std::vector<double> ratios;
    for (size_t i = 0; i < ours.size() && i < anchor.size(); ++i) {
        if (ours[i] > 0 && anchor[i] > 0)
            ratios.push_back(ours[i] / anchor[i]);
    }
    return ratios;
}

// Each value as a share of budget: an absolute goal ("at most 16 ms") as a
// ratio whose goal is 1.
inline std::vector<double> Shares(const std::vector<double>& values, double budget) {
    std::vector<double> shares;
    for (double value : values)
        shares.push_back(value / budget);
    return shares;
}

// "median unit [min-max]" of values times scale, with decimals places.
inline std::string Figure(const Spread& spread, const char* unit, double scale = 1,
                          int decimals = 2) {
    char text[128];
    std::snprintf(text, sizeof text, "%9.*f %s [%.*f-%.*f]", decimals, spread.median * scale, unit,
                  decimals, spread.min * scale, decimals, spread.max * scale);
    return text;
}

// "median [min-max]" of times in seconds, shown in milliseconds.
inline std::string Milliseconds(const Spread& spread) {
    return Figure(spread, "ms", 1e3);
}

// Prints a ratio and, for scripts/bench.sh, the summary line
// "summary|what|median|min|max|goal" (goal: the median is at most goal;
// 0 when the ratio has no goal; median "-" when no run gave a figure).
inline void PrintRatio(const std::string& what, const std::vector<double>& ratios,
                       double goal = 0) {
    if (ratios.empty()) {
        std::printf("  %-44s no figure: every run failed\n", what.c_str());
        std::printf("summary|%s|-|-|-|%.2f\n", what.c_str(), goal);
        return;
    }
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
