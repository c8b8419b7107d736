// Cutting a 300-frame animation of about 2 MB (80x80 frames, 256 colours,
// real LZW data that never compresses) into one GIF per frame, against one
// memcpy of the same bytes into a buffer made beforehand, and the block walk
// alone. Google Benchmark times each; a run times the three in turn, so that
// a run's figures meet the machine in the same state. Prints each one's
// processor time per iteration, the median of the runs [min-max], and the
// ratio GIF cut / memcpy (goal: at most 3).
//   ui_bench [--runs N] [Google Benchmark options]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench_stats.h"
#include "ui/gif_builder.h"
#include "ui/gif_frames.h"

namespace {

constexpr int kFrames = 300;

const std::string& Animation() {
    static const std::string gif = [] {
        vt::test::GifBuilder builder(80, 80, 256);
        builder.Loop(0).Comment("benchmark animation");
        for (int i = 0; i < kFrames; ++i)
            builder.Control(4 + i % 3, i % 4).Image(0, 0, 80, 80);
        return builder.Finish();
    }();
    return gif;
}

const uint8_t* Data() {
    return reinterpret_cast<const uint8_t*>(Animation().data());
}

void Memcpy(benchmark::State& state) {
    const std::string& gif = Animation();
    std::vector<uint8_t> copy(gif.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), gif.data(), gif.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(gif.size()));
}

void CutGifFrames(benchmark::State& state) {
    const std::string& gif = Animation();
    for (auto _ : state) {
        std::vector<vt::ui::GifFrame> frames = vt::ui::CutGifFrames(Data(), gif.size());
        if (frames.size() != kFrames) {
            state.SkipWithError("wrong frame count");
            break;
        }
        benchmark::DoNotOptimize(frames.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(gif.size()));
}

// The block walk alone.
void CountGraphicBlocks(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(vt::ui::CountGraphicBlocks(Data(), Animation().size()));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Animation().size()));
}

// Keeps every run's processor time per iteration, in seconds, by benchmark:
// on a busy machine it varies far less than wall time. Prints without
// colours: its output mostly goes to a log.
class RunReporter : public benchmark::ConsoleReporter {
  public:
    RunReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            const std::string name = run.run_name.function_name;
            if (run.error_occurred)
                failed = true;
            else
                seconds[name.substr(0, name.find('/'))].push_back(
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit));
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, std::vector<double>> seconds;
    bool failed = false;
};

}  // namespace

int main(int argc, char** argv) {
    const int runs = vt::bench::RunsOption(argc, argv);
    benchmark::Initialize(&argc, argv);
    // Registered run by run, so that the three take turns.
    const std::pair<const char*, void (*)(benchmark::State&)> benchmarks[] = {
        {"Memcpy", Memcpy},
        {"CutGifFrames", CutGifFrames},
        {"CountGraphicBlocks", CountGraphicBlocks}};
    for (int run = 1; run <= runs; ++run) {
        for (const auto& [name, function] : benchmarks)
            benchmark::RegisterBenchmark(
                (std::string(name) + "/run:" + std::to_string(run)).c_str(), function);
    }
    RunReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf(
        "animation: %d frames, %zu bytes; processor time per iteration, median of %d runs "
        "[min-max]\n",
        kFrames, Animation().size(), runs);
    for (const auto& [name, function] : benchmarks) {
        std::printf(
            "  %-20s %s\n", name,
            vt::bench::Figure(vt::bench::SpreadOf(reporter.seconds[name]), "us", 1e6, 1).c_str());
    }
    vt::bench::PrintRatio(
        "GIF cut / memcpy (processor time)",
        vt::bench::Ratios(reporter.seconds["CutGifFrames"], reporter.seconds["Memcpy"]), 3);
    return reporter.failed ? 1 : 0;
}
