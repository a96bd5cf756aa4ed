// The library as a program uses it: a job checked against every limit, plans
// made once and used once, results that own their data, computations that
// stop when asked and run side by side, and nothing written to the terminal.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "Engine.h"
#include "OpticsError.h"
#include "Trace.h"

namespace diffrascope::optics {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct LimitCase {
    const char *name;
    std::function<void(Job &)> change;
    const char *refusedAs; // the parameter the refusal names; nullptr when the job is accepted
};

void PrintTo(const LimitCase &c, std::ostream *out) { *out << c.name; }

Job Spidered() {
    Job job;
    job.system.aperture.spider = {4, 0.01, 0};
    return job;
}

// A measured map of 16 x 16 pixels spanning the pupil, NaN within `hole` pupil radii of the centre.
std::shared_ptr<const WavefrontMap> Map(double hole) {
    std::vector<double> values;
    for (std::int32_t j = 0; j < 16; ++j) {
        for (std::int32_t i = 0; i < 16; ++i) {
            values.push_back(std::hypot(i - 7.5, j - 7.5) < 8 * hole ? kNaN : 0.1);
        }
    }
    return std::make_shared<const WavefrontMap>(16, 16, std::move(values), WavefrontUnit::Waves, SpanningGeometry(16, 16));
}

Job Sheet(double defocus) {
    Job job;
    job.layout = Layout::Panels;
    job.panels.kind = Panels::Kind::StarTest;
    job.panels.defocus = defocus;
    return job;
}

Job ThroughFocus(double from, double to, double step) {
    Job job = Sheet(1);
    job.panels.kind = Panels::Kind::ThroughFocus;
    job.panels.from = from;
    job.panels.to = to;
    job.panels.step = step;
    return job;
}

std::vector<SpectralLine> Lines(std::int32_t count) {
    std::vector<SpectralLine> lines;
    for (std::int32_t k = 0; k < count; ++k) {
        lines.push_back({static_cast<double>(300 + k), 1});
    }
    return lines;
}

class Limits : public ::testing::TestWithParam<LimitCase> {};

// Each limit of Limits.h, just inside and just outside, through MakePlan.
TEST_P(Limits, AreCheckedWhenAPlanIsMadeAndARefusalNamesTheParameter) {
    const LimitCase &c = GetParam();
    Job job;
    job.grid = 256;
    c.change(job);
    if (c.refusedAs == nullptr) {
        EXPECT_NO_THROW(MakePlan(job));
        return;
    }
    try {
        MakePlan(job);
        ADD_FAILURE() << "accepted";
    } catch (const ParameterError &refused) {
        EXPECT_EQ(refused.Parameter(), c.refusedAs) << refused.what();
        EXPECT_EQ(std::string(refused.what()).rfind(std::string(c.refusedAs) + ": ", 0), 0u) << refused.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    BothSidesOfEveryLimit, Limits,
    ::testing::Values(
        LimitCase{"spherical_10", [](Job &j) { j.system.aberrations.spherical = 10; }, nullptr},
        LimitCase{"spherical_above_10", [](Job &j) { j.system.aberrations.spherical = 10.001; }, "spherical"},
        LimitCase{"spherical_nan", [](Job &j) { j.system.aberrations.spherical = kNaN; }, "spherical"},
        LimitCase{"focus_minus_50", [](Job &j) { j.system.aberrations.focus = -50; }, nullptr},
        LimitCase{"focus_below_minus_50", [](Job &j) { j.system.aberrations.focus = -50.01; }, "focus"},
        LimitCase{"obstruction_whole", [](Job &j) { j.system.aperture.obstruction = 0.99; }, nullptr},
        LimitCase{"obstruction_above_whole", [](Job &j) { j.system.aperture.obstruction = 1.001; }, "obstruction"},
        LimitCase{"obstruction_negative", [](Job &j) { j.system.aperture.obstruction = -0.01; }, "obstruction"},
        LimitCase{"wavelength_300", [](Job &j) { j.system.wavelength = 300; }, nullptr},
        LimitCase{"wavelength_0", [](Job &j) { j.system.wavelength = 0; }, "wavelength"},
        LimitCase{"wavelength_1000_1", [](Job &j) { j.system.wavelength = 1000.1; }, "wavelength"},
        LimitCase{"coma_minus_10", [](Job &j) { j.system.aberrations.coma = {-10, 0}; }, nullptr},
        LimitCase{"coma_above_10", [](Job &j) { j.system.aberrations.coma = {10.5, 0}; }, "coma"},
        LimitCase{"coma_angle_360", [](Job &j) { j.system.aberrations.coma = {1, 360}; }, nullptr},
        LimitCase{"coma_angle_361", [](Job &j) { j.system.aberrations.coma = {1, 361}; }, "coma"},
        LimitCase{"astigmatism_below", [](Job &j) { j.system.aberrations.astigmatism = {-11, 0}; }, "astigmatism"},
        LimitCase{"zernike_37", [](Job &j) { j.system.aberrations.zernike = {{37, 5}}; }, nullptr},
        LimitCase{"zernike_38", [](Job &j) { j.system.aberrations.zernike = {{38, 1}}; }, "zernike"},
        LimitCase{"zernike_1", [](Job &j) { j.system.aberrations.zernike = {{1, 1}}; }, "zernike"},
        LimitCase{"zernike_2776", [](Job &j) { j.system.aberrations.zernike = {{2776, 1}}; }, "zernike"},
        LimitCase{"zernike_0", [](Job &j) { j.system.aberrations.zernike = {{0, 1}}; }, "zernike"},
        LimitCase{"zernike_above_5", [](Job &j) { j.system.aberrations.zernike = {{8, 5.01}}; }, "zernike"},
        LimitCase{"zernike_twice", [](Job &j) { j.system.aberrations.zernike = {{8, 1}, {8, 2}}; }, "zernike"},
        LimitCase{"vanes_8", [](Job &j) { j = Spidered(), j.system.aperture.spider.vanes = 8; }, nullptr},
        LimitCase{"vanes_9", [](Job &j) { j = Spidered(), j.system.aperture.spider.vanes = 9; }, "spider"},
        LimitCase{"vane_width_20", [](Job &j) { j = Spidered(), j.system.aperture.spider.width = 0.2; }, nullptr},
        LimitCase{"vane_width_0", [](Job &j) { j = Spidered(), j.system.aperture.spider.width = 0; }, "spider"},
        LimitCase{"vane_width_21", [](Job &j) { j = Spidered(), j.system.aperture.spider.width = 0.21; }, "spider"},
        LimitCase{"edge_minus_10", [](Job &j) { j.system.figure.edge = {-10, 0.999}; }, nullptr},
        LimitCase{"edge_above_10", [](Job &j) { j.system.figure.edge = {10.01, 0.9}; }, "turned-edge"},
        LimitCase{"edge_start_1", [](Job &j) { j.system.figure.edge = {-1, 1}; }, "turned-edge"},
        LimitCase{"zones_8", [](Job &j) { j.system.figure.zones.assign(8, {1, -10, 0.01}); }, nullptr},
        LimitCase{"zones_9", [](Job &j) { j.system.figure.zones.assign(9, {0.5, 0.1, 0.1}); }, "zone"},
        LimitCase{"zone_width_0", [](Job &j) { j.system.figure.zones = {{0.5, 0.1, 0}}; }, "zone"},
        LimitCase{"zone_width_above_half", [](Job &j) { j.system.figure.zones = {{0.5, 0.1, 0.51}}; }, "zone"},
        LimitCase{"zone_radius_above_1", [](Job &j) { j.system.figure.zones = {{1.01, 0.1, 0.1}}; }, "zone"},
        LimitCase{"roughness_1_at_1_to_100", [](Job &j) { j.system.figure.roughness = {1, 1, 100, 0}; }, nullptr},
        LimitCase{"roughness_above_1", [](Job &j) { j.system.figure.roughness = {1.01, 10, 40, 1}; }, "roughness"},
        LimitCase{"roughness_from_above_to", [](Job &j) { j.system.figure.roughness = {0.1, 40, 10, 1}; }, "roughness"},
        LimitCase{"roughness_to_101", [](Job &j) { j.system.figure.roughness = {0.1, 10, 101, 1}; }, "roughness"},
        LimitCase{"map_open_in_the_obstruction", [](Job &j) {
            j.system.figure.measured = Map(0.3), j.system.aperture.obstruction = 0.33; }, nullptr},
        LimitCase{"map_open_in_the_light", [](Job &j) { j.system.figure.measured = Map(0.3); }, "wavefront"},
        LimitCase{"f_ratio_half", [](Job &j) { j.panels.fRatio = 0.5; }, nullptr},
        LimitCase{"f_ratio_below_half", [](Job &j) { j.panels.fRatio = 0.49; }, "f-ratio"},
        LimitCase{"travel_without_f_ratio", [](Job &j) { j.panels.focusTravel = 1; }, "defocus-mm"},
        LimitCase{"travel_beyond_50_waves", [](Job &j) { j.panels.fRatio = 2, j.panels.focusTravel = 5; }, "focus"},
        LimitCase{"startest_50", [](Job &j) { j = Sheet(50); }, nullptr},
        LimitCase{"startest_0", [](Job &j) { j = Sheet(0); }, "startest"},
        LimitCase{"startest_beyond_focus", [](Job &j) { j = Sheet(8), j.system.aberrations.focus = 45; }, "startest"},
        LimitCase{"through_focus_64", [](Job &j) { j = ThroughFocus(-6.3, 6.3, 0.2); }, nullptr},
        LimitCase{"through_focus_65", [](Job &j) { j = ThroughFocus(-6.4, 6.4, 0.2); }, "through-focus"},
        LimitCase{"through_focus_no_whole_steps", [](Job &j) { j = ThroughFocus(-1, 1, 0.3); }, "through-focus"},
        LimitCase{"sheet_as_crop", [](Job &j) { j = Sheet(1), j.layout = Layout::Crop; }, "view"},
        LimitCase{"grid_4096", [](Job &j) { j.grid = 4096; }, nullptr},
        LimitCase{"grid_300", [](Job &j) { j.grid = 300; }, "grid"},
        LimitCase{"panel_32", [](Job &j) { j = Sheet(1), j.side = 32; }, nullptr},
        LimitCase{"panel_31", [](Job &j) { j = Sheet(1), j.side = 31; }, "panel"},
        LimitCase{"panel_above_grid", [](Job &j) { j = Sheet(1), j.grid = 256, j.side = 257; }, "panel"},
        LimitCase{"field_10000", [](Job &j) { j = Sheet(1), j.field = 10000; }, nullptr},
        LimitCase{"field_0", [](Job &j) { j = Sheet(1), j.field = 0; }, "field"},
        LimitCase{"decades_10", [](Job &j) { j.display = {Scale::Log, 10}; }, nullptr},
        LimitCase{"decades_below_1", [](Job &j) { j.display = {Scale::Log, 0.9}; }, "decades"},
        LimitCase{"radii_16", [](Job &j) { j.encircledRadii.assign(16, 1000); }, nullptr},
        LimitCase{"radii_17", [](Job &j) { j.encircledRadii.assign(17, 1); }, "ee-radii"},
        LimitCase{"radius_0", [](Job &j) { j.encircledRadii = {0}; }, "ee-radii"},
        LimitCase{"threads_64", [](Job &j) { j.threads = 64; }, nullptr},
        LimitCase{"threads_65", [](Job &j) { j.threads = 65; }, "threads"},
        LimitCase{"spectrum_701_lines", [](Job &j) { j.light.lines = Lines(701); }, nullptr},
        LimitCase{"spectrum_702_lines", [](Job &j) { j.light.lines = Lines(702); }, "spectrum"},
        LimitCase{"spectrum_below_300", [](Job &j) { j.light.lines = {{299, 1}, {500, 1}}; }, "spectrum"},
        LimitCase{"spectrum_twice", [](Job &j) { j.light.lines = {{500, 1}, {500, 1}}; }, "spectrum"},
        LimitCase{"spectrum_dark", [](Job &j) { j.light.lines = {{500, 0}, {600, 0}}; }, "spectrum"},
        LimitCase{"spectrum_negative", [](Job &j) { j.light.lines = {{500, -1}, {600, 1}}; }, "spectrum"}),
    [](const ::testing::TestParamInfo<LimitCase> &info) { return std::string(info.param.name); });

// Suiter's sheet at 1024 in white light: long enough to be stopped halfway.
Job LongSheet() {
    Job job = Sheet(8);
    job.system.aberrations.spherical = 0.25;
    job.system.aperture.obstruction = 0.33;
    job.light.lines = {{500, 1}, {550, 1}, {600, 1}};
    job.grid = 1024;
    job.metrics = true;
    job.keepIntensities = true;
    return job;
}

// A stop requested by another thread while the computation reports progress:
// the progress callback waits until the stop is requested, so the test does
// not depend on how fast either thread runs.
TEST(Engine, StopsWhenAnotherThreadAsksAndComputesTheNextPlanWhole) {
    Engine engine;
    std::stop_source stop;
    std::mutex mutex;
    std::condition_variable changed;
    bool reported = false;
    bool requested = false;
    std::vector<double> fractions;
    const Control control{stop.get_token(), [&](double fraction) {
                              std::unique_lock lock(mutex);
                              fractions.push_back(fraction);
                              reported = true;
                              changed.notify_all();
                              changed.wait(lock, [&] { return requested; });
                          }};
    bool cancelled = false;
    std::thread computing([&] {
        try {
            engine.Compute(MakePlan(LongSheet()), control);
        } catch (const CancelledError &) {
            cancelled = true;
        }
    });
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return reported; });
        stop.request_stop();
        requested = true;
        changed.notify_all();
    }
    computing.join();
    EXPECT_TRUE(cancelled);
    ASSERT_FALSE(fractions.empty());
    EXPECT_LT(fractions.back(), 1.0);

    const Result after = engine.Compute(MakePlan(LongSheet()));
    const Result fresh = Compute(MakePlan(LongSheet()));
    ASSERT_EQ(after.panels.size(), fresh.panels.size());
    for (std::size_t k = 0; k < after.panels.size(); ++k) {
        EXPECT_EQ(after.panels[k].grey, fresh.panels[k].grey) << "panel " << k;
        EXPECT_EQ(after.panels[k].intensities, fresh.panels[k].intensities) << "panel " << k;
        ASSERT_TRUE(after.panels[k].metrics && fresh.panels[k].metrics);
        EXPECT_EQ(after.panels[k].metrics->strehl, fresh.panels[k].metrics->strehl) << "panel " << k;
    }
}

TEST(Engine, ReportsProgressRisingToOneOnTheCallingThread) {
    std::vector<double> fractions;
    const std::thread::id caller = std::this_thread::get_id();
    bool elsewhere = false;
    Compute(MakePlan(LongSheet()), {{}, [&](double fraction) {
                                        fractions.push_back(fraction);
                                        elsewhere = elsewhere || std::this_thread::get_id() != caller;
                                    }});
    ASSERT_GE(fractions.size(), 2u);
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
    EXPECT_EQ(fractions.back(), 1.0);
    EXPECT_FALSE(elsewhere);
}

Job Coma() {
    Job job;
    job.system.aberrations.coma = {0.7, 35};
    job.system.aperture.spider = {3, 0.02, 10};
    job.grid = 512;
    job.layout = Layout::Full;
    job.keepIntensities = true;
    job.metrics = true;
    return job;
}

void ExpectSame(const Result &a, const Result &b, const char *what) {
    ASSERT_EQ(a.panels.size(), b.panels.size()) << what;
    for (std::size_t k = 0; k < a.panels.size(); ++k) {
        EXPECT_EQ(a.panels[k].grey, b.panels[k].grey) << what << ", panel " << k;
        EXPECT_EQ(a.panels[k].intensities, b.panels[k].intensities) << what << ", panel " << k;
    }
}

// Engines on two threads at once share nothing: they give what they give one
// after the other (the ThreadSanitizer build runs this too).
TEST(Engine, TwoComputationsAtOnceGiveWhatTheyGiveOneAfterTheOther) {
    const Result sheetAlone = Compute(MakePlan(LongSheet()));
    const Result comaAlone = Compute(MakePlan(Coma()));
    Result sheet;
    Result coma;
    std::thread first([&] { sheet = Compute(MakePlan(LongSheet())); });
    std::thread second([&] { coma = Compute(MakePlan(Coma())); });
    first.join();
    second.join();
    ExpectSame(sheet, sheetAlone, "the sheet");
    ExpectSame(coma, comaAlone, "the coma");
}

// A result owns its data: the engine's next computation leaves it alone,
// and a plan, once computed, is gone.
TEST(Engine, ResultsOutliveTheNextComputationAndAPlanIsUsedOnce) {
    Engine engine;
    const Result first = engine.Compute(MakePlan(Coma()));
    const Result copy = first;
    Plan plan = MakePlan(LongSheet());
    const Result second = engine.Compute(std::move(plan));
    ExpectSame(first, copy, "the first result after the second computation");
    EXPECT_TRUE(plan.Empty()); // NOLINT(bugprone-use-after-move): moved-from is the state under test
    EXPECT_THROW(engine.Compute(std::move(plan)), ParameterError);
}

// The library keeps standard output and error to its callers, even while the
// window's pipeline writes its trace lines there.
TEST(Engine, WritesNothingToStandardOutputOrError) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::FILE *capture = std::tmpfile();
    ASSERT_NE(capture, nullptr);
    const int savedOut = dup(STDOUT_FILENO);
    const int savedErr = dup(STDERR_FILENO);
    dup2(fileno(capture), STDOUT_FILENO);
    dup2(fileno(capture), STDERR_FILENO);
    SetTraceOutput(stdout);
    Job job = Coma();
    job.grid = 256;
    Compute(MakePlan(job));
    EXPECT_THROW(MakePlan([] {
                     Job bad;
                     bad.system.wavelength = 0;
                     return bad;
                 }()),
                 ParameterError);
    std::fflush(stdout);
    std::fflush(stderr);
    SetTraceOutput(nullptr);
    dup2(savedOut, STDOUT_FILENO);
    dup2(savedErr, STDERR_FILENO);
    close(savedOut);
    close(savedErr);
    EXPECT_EQ(std::ftell(capture), 0L);
    std::fclose(capture);
}

} // namespace
} // namespace diffrascope::optics
