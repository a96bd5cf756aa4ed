#include "OpticsBench.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "Display.h"
#include "Render.h"
#include "StarImager.h"
#include "WorkerPool.h"

namespace diffrascope::bench {
namespace {

// A mis-collimated, slightly astigmatic Newtonian: 33 % obstruction, a
// four-vane spider of 1 % vanes, 0.3 wave of coma and 0.2 of astigmatism.
optics::OpticalSystem Newtonian() {
    optics::OpticalSystem pupil;
    pupil.aperture.obstruction = 0.33;
    pupil.aperture.spider = {4, 0.01, 0};
    pupil.aberrations.coma = {0.3, 0};
    pupil.aberrations.astigmatism = {0.2, 0};
    return pupil;
}

// The whole grid's grey levels, as the window's pipeline gives them.
void StarImage(benchmark::State &state, std::int32_t n, const optics::Spectrum &spectrum) {
    optics::StarImager imager(n);
    const optics::OpticalSystem pupil = Newtonian();
    const optics::PanelView whole = optics::CentredView(n, n, 1);
    optics::Panel panel;
    for (auto _ : state) {
        const optics::IntensityImage &image = imager.Compute(pupil, spectrum);
        optics::MakePanel(image, whole, {}, optics::Keep::GreyLevels, panel);
        benchmark::DoNotOptimize(panel.grey.data());
    }
    state.SetLabel("threads=" + std::to_string(ThreadCountFromEnvironment()));
}

void Sheet(benchmark::State &state, optics::RenderJob job) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(optics::Render(job).panels.data());
    }
    state.SetLabel(std::to_string(job.focus.size()) + " panels, threads=" +
                   std::to_string(ThreadCountFromEnvironment()));
}

// Suiter's classic: a quarter wave of under-correction, 33 % obstruction, +-8 waves.
optics::RenderJob StarTest(std::int32_t n) {
    optics::RenderJob job;
    job.pupil.aberrations.spherical = 0.25;
    job.pupil.aperture.obstruction = 0.33;
    job.focus = {-8, 0, 8};
    job.layout = optics::Layout::Panels;
    job.grid = n;
    return job;
}

optics::RenderJob ThroughFocus(std::int32_t n, std::int32_t panels) {
    optics::RenderJob job = StarTest(n);
    job.focus.clear();
    for (std::int32_t k = 0; k < panels; ++k) {
        job.focus.push_back(k - panels / 2); // -4 .. 4 waves for nine panels
    }
    return job;
}

} // namespace

void RegisterOpticsBenchmarks() {
    for (std::int32_t n : {512, 1024}) {
        benchmark::RegisterBenchmark(("BM_GeneralStarImage/" + std::to_string(n)).c_str(), StarImage, n,
                                     optics::Spectrum{})
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("BM_WhiteLight/512/visual", StarImage, 512, optics::PhotopicSpectrum())
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_StarTest/1024", Sheet, StarTest(1024))->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("BM_ThroughFocus/512/9", Sheet, ThroughFocus(512, 9))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

} // namespace diffrascope::bench
