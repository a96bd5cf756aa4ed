#include "PipelineBench.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FftwPipeline.h"
#include "LiteralPipeline.h"
#include "StarImage.h"

namespace diffrascope::bench {
namespace {

struct ParameterSet {
    const char *name;
    ScrollPositions positions;
};

// Representative settings: the start values; an obstructed telescope with
// spherical aberration out of focus; the shortest wavelength, largest pupil.
const ParameterSet kParameterSets[] = {
    {"default", {0, 0, 0, 550}},
    {"obstructed", {50, 30, 33, 550}},
    {"300nm", {0, 0, 0, 300}},
};
const ScrollPositions kAnchorPositions{0, 0, 0, 550}; // the anchors run the start values
const std::int32_t kGridSizes[] = {256, 512, 1024, 2048};

std::vector<std::int32_t> ProgramGreyLevels(std::int32_t n, const ScrollPositions &positions) {
    std::vector<std::int32_t> grey;
    GridSize = n;
    SizeChanged = 1;
    ComputeStarImage(positions, {}, [&](const std::int32_t *const *levels, std::int32_t size) {
        for (std::int32_t i = 0; i < size; ++i) {
            grey.insert(grey.end(), levels[i], levels[i] + size);
        }
    });
    return grey;
}

// Pixels whose grey levels differ by more than one: the anchor must compute the same picture.
std::int64_t CountDistantLevels(const std::vector<std::int32_t> &a, const std::vector<std::int32_t> &b) {
    std::int64_t count = 0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        count += std::abs(a[k] - b[k]) > 1 ? 1 : 0;
    }
    return count;
}

void ComputeStarImageBench(benchmark::State &state, std::int32_t n, ScrollPositions positions) {
    GridSize = n;
    SizeChanged = 1;
    ComputeStarImage(positions); // allocation happens here, outside the timed loop
    std::int64_t progressCalls = 0;
    const ProgressCallback progress = [&](std::int32_t) { ++progressCalls; };
    const PresentCallback present = [](const std::int32_t *const *grey, std::int32_t) {
        benchmark::DoNotOptimize(grey[0][0]);
    };
    for (auto _ : state) {
        ComputeStarImage(positions, progress, present);
    }
    state.SetLabel("threads=" + std::to_string(ComputationThreads()));
    benchmark::DoNotOptimize(progressCalls);
}

void LiteralPipelineBench(benchmark::State &state, std::int32_t n) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(reference::LiteralStarImage(kAnchorPositions, n));
    }
}

void FftwPipelineBench(benchmark::State &state, std::int32_t n) {
    FftwPipeline pipeline(n);
    for (auto _ : state) {
        benchmark::DoNotOptimize(pipeline.Compute(kAnchorPositions).data());
    }
    const std::vector<std::int32_t> program = ProgramGreyLevels(n, kAnchorPositions);
    const std::int64_t distant = CountDistantLevels(pipeline.Compute(kAnchorPositions), program);
    state.SetLabel("grey levels more than 1 apart from the program's: " + std::to_string(distant));
}

} // namespace

void RegisterPipelineBenchmarks() {
    for (std::int32_t n : kGridSizes) {
        const std::string size = std::to_string(n);
        for (const ParameterSet &set : kParameterSets) {
            benchmark::RegisterBenchmark(("BM_ComputeStarImage/" + size + "/" + set.name).c_str(),
                                         ComputeStarImageBench, n, set.positions)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
        benchmark::RegisterBenchmark(("BM_LiteralPipeline/" + size).c_str(), LiteralPipelineBench, n)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("BM_FftwPipeline/" + size).c_str(), FftwPipelineBench, n)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
}

} // namespace diffrascope::bench
