// Cutting a 300-frame animation of about 2 MB (80x80 frames, 256 colours,
// real LZW data that never compresses) into one GIF per frame, against one
// memcpy of the same bytes into a buffer made beforehand; prints the ratio
// of the median processor times (the goal is at most 3), and the block walk
// alone.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "ui/gif_builder.h"
#include "ui/gif_frames.h"

namespace {

constexpr int kFrames = 300;
constexpr int kRepetitions = 5;

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
BENCHMARK(Memcpy)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);

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
BENCHMARK(CutGifFrames)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);

// The block walk alone.
void CountGraphicBlocks(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(vt::ui::CountGraphicBlocks(Data(), Animation().size()));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Animation().size()));
}
BENCHMARK(CountGraphicBlocks)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);

// Keeps each benchmark's median processor time per iteration over its
// repetitions: on a busy machine it varies far less than wall time.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.aggregate_name == "median" && !run.error_occurred)
                median[run.run_name.function_name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> median;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double copy = reporter.median["Memcpy"];
    const double cut = reporter.median["CutGifFrames"];
    std::printf("animation: %d frames, %zu bytes\n", kFrames, Animation().size());
    if (copy > 0 && cut > 0)
        std::printf("CutGifFrames / memcpy (median processor time): %.2f (goal: at most 3)\n",
                    cut / copy);
    return 0;
}
