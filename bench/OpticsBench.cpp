#include "OpticsBench.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "Display.h"
#include "Engine.h"
#include "Fourier.h"
#include "Imager.h"
#include "OpticsError.h"
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

std::string Threads() { return "threads=" + std::to_string(ThreadCountFromEnvironment()); }

// The whole grid's grey levels, as the window's pipeline gives them.
void StarImage(benchmark::State &state, std::int32_t n, const optics::Spectrum &spectrum) {
    optics::Imager imager(n);
    const optics::OpticalSystem pupil = Newtonian();
    const optics::PanelView whole = optics::CentredView(n, n, 1);
    optics::IntensityImage image;
    optics::Panel panel;
    for (auto _ : state) {
        imager.Compute(pupil, spectrum, image);
        optics::MakePanel(image, whole, {}, optics::Keep::GreyLevels, panel);
        benchmark::DoNotOptimize(panel.grey.data());
    }
    state.SetLabel(Threads());
}

// Suiter's classic: a quarter wave of under-correction, 33 % obstruction, +-8 waves.
optics::Job StarTest(std::int32_t n, bool metrics) {
    optics::Job job;
    job.system.aberrations.spherical = 0.25;
    job.system.aperture.obstruction = 0.33;
    job.panels.kind = optics::Panels::Kind::StarTest;
    job.panels.defocus = 8;
    job.layout = optics::Layout::Panels;
    job.grid = n;
    job.metrics = metrics;
    return job;
}

// A mirror as it really is, star-tested like Suiter's classic: a quarter-wave
// turned-down edge from 0.9 of the radius, a zone of a tenth of a wave at half
// the radius, and 0.02 wave of roughness from 10 to 40 cycles per diameter.
optics::Job MirrorErrors(std::int32_t n) {
    optics::Job job = StarTest(n, false);
    job.system.aberrations.spherical = 0;
    job.system.figure.edge = {-0.25, 0.9};
    job.system.figure.zones = {{0.5, 0.1, 0.05}};
    job.system.figure.roughness = {0.02, 10, 40, 1};
    return job;
}

optics::Job ThroughFocus(std::int32_t n, std::int32_t panels) {
    optics::Job job = StarTest(n, false);
    job.panels.kind = optics::Panels::Kind::ThroughFocus;
    job.panels.from = -(panels / 2); // -4 .. 4 waves for nine panels
    job.panels.to = panels / 2;
    job.panels.step = 1;
    return job;
}

// A 200 mm telescope under 5 cm seeing on a grid of side n: the long
// exposure, or a sheet of `frames` short exposures through their own screens.
optics::Job Seeing(std::int32_t n, std::int32_t frames) {
    optics::Job job;
    job.system.aperture.obstruction = 0.33;
    job.apertureMm = 200;
    job.seeing = optics::Seeing{5, frames};
    job.grid = n;
    return job;
}

// A whole sheet on a long-lived engine, as the lab window computes it: plan and compute.
void Sheet(benchmark::State &state, const optics::Job &job) {
    optics::Engine engine;
    std::size_t panels = 0;
    for (auto _ : state) {
        optics::Result result = engine.Compute(optics::MakePlan(job));
        panels = result.panels.size();
        benchmark::DoNotOptimize(result.panels.data());
    }
    state.SetLabel(std::to_string(panels) + " panels, " + Threads());
}

// Planning alone: the job checked, the panels' focus, grid, field and warnings.
void Planning(benchmark::State &state, const optics::Job &job) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(optics::MakePlan(job).Grid());
    }
}

// From a stop request, made by another thread a third of the way through a
// white-light sheet, to the computation's return.
void Cancellation(benchmark::State &state, std::int32_t n) {
    optics::Engine engine;
    optics::Job job = StarTest(n, true);
    job.light = optics::PhotopicSpectrum();
    constexpr double kStopAt = 0.3; // of the computation
    for (auto _ : state) {
        std::stop_source stop;
        std::atomic<bool> underway{false};
        const optics::Control control{stop.get_token(), [&](double fraction) {
                                          if (fraction >= kStopAt) {
                                              underway = true;
                                          }
                                      }};
        std::thread computing([&] {
            try {
                engine.Compute(optics::MakePlan(job), control);
            } catch (const optics::CancelledError &) {
            }
        });
        while (!underway) {
            std::this_thread::yield();
        }
        const auto asked = std::chrono::steady_clock::now();
        stop.request_stop();
        computing.join();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count());
    }
    state.SetLabel("stop to return, " + Threads());
}

// A disc of 200 object pixels across, with a band, seen through a 200 mm
// Newtonian on a grid of side n: the object resampled and convolved.
optics::Job ExtendedObject(std::int32_t n) {
    constexpr std::int32_t kSide = 200;
    constexpr double kArcsecondsPerPixel = 0.1;
    auto image = std::make_shared<optics::ObjectImage>();
    image->width = kSide;
    image->height = kSide;
    for (std::int32_t r = 0; r < kSide; ++r) {
        for (std::int32_t c = 0; c < kSide; ++c) {
            const bool inside = std::hypot(c - kSide / 2 + 0.5, r - kSide / 2 + 0.5) < kSide / 2;
            image->values.push_back(inside ? (r / 20 % 2 == 0 ? 1.0 : 0.7) : 0.0);
        }
    }
    optics::Job job;
    job.system = Newtonian();
    job.apertureMm = 200;
    job.layout = optics::Layout::Full;
    job.grid = n;
    job.sky.object = optics::SkyObject{image, kArcsecondsPerPixel};
    return job;
}

// Forward and inverse transform of an n x n image: a star's spectrum
// filtered and brought back, as the sky's companions and objects need.
void ImageTransformBoth(benchmark::State &state, std::int32_t n) {
    optics::ImageTransform transform(n);
    constexpr double kWaves = 7.5; // across the image, so no line is trivial
    std::vector<double> image(static_cast<std::size_t>(n) * n);
    for (std::size_t k = 0; k < image.size(); ++k) {
        image[k] = std::cos(kWaves * static_cast<double>(k) / static_cast<double>(n)) + 1;
    }
    for (auto _ : state) {
        std::vector<double> back = transform.Inverse(transform.Forward(image));
        benchmark::DoNotOptimize(back.data());
    }
    state.SetLabel(Threads());
}

} // namespace

void RegisterOpticsBenchmarks() {
    benchmark::RegisterBenchmark("BM_ImageTransform/2048", ImageTransformBoth, 2048)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_Object/1024", Sheet, ExtendedObject(1024))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    for (std::int32_t n : {512, 1024}) {
        benchmark::RegisterBenchmark(("BM_GeneralStarImage/" + std::to_string(n)).c_str(), StarImage, n,
                                     optics::Spectrum{})
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("BM_WhiteLight/512/visual", StarImage, 512, optics::PhotopicSpectrum())
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    for (std::int32_t n : {512, 1024}) {
        const std::string size = std::to_string(n);
        benchmark::RegisterBenchmark(("BM_StarTest/" + size).c_str(), Sheet, StarTest(n, false))
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("BM_StarTest/" + size + "/metrics").c_str(), Sheet, StarTest(n, true))
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("BM_StarTestPlanning/" + size).c_str(), Planning, StarTest(n, false))
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("BM_MirrorErrors/1024", Sheet, MirrorErrors(1024))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_MirrorErrorsPlanning/1024", Planning, MirrorErrors(1024))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_ThroughFocus/512/9", Sheet, ThroughFocus(512, 9))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_Seeing/512/frames16", Sheet, Seeing(512, 16))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_Seeing/512/long", Sheet, Seeing(512, 0))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_Cancellation/1024", Cancellation, 1024)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(20);
}

} // namespace diffrascope::bench
