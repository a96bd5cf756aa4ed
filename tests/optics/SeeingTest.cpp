// Seeing held against Kolmogorov turbulence's textbook statistics: the long
// exposure's transfer function exp(-3.44 (nu D / r0)^(5/3)), the phase
// screens' structure function 6.88 (r / r0)^(5/3), and short exposures
// whose mean approaches the long exposure.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "Engine.h"
#include "Seeing.h"
#include "Units.h"
#include "WavefrontMap.h"

namespace diffrascope::optics {
namespace {

Job SeeingJob(double r0, double apertureMm, double wavelength, std::int32_t grid) {
    Job job;
    job.system.wavelength = wavelength;
    job.apertureMm = apertureMm;
    job.seeing = Seeing{r0};
    job.grid = grid;
    return job;
}

double Fried(double r0At500, double wavelength) { return r0At500 * std::pow(wavelength / 500, 1.2); }

struct TransferCase {
    double r0;         // cm at 500 nm
    double apertureMm;
    double wavelength; // nm: the reference
    double line = 0;   // nm of the light, when it is not the reference
};

class LongExposureTransfer : public ::testing::TestWithParam<TransferCase> {};

TEST_P(LongExposureTransfer, IsTheTelescopesTimesKolmogorovs) {
    const TransferCase c = GetParam();
    Job job = SeeingJob(c.r0, c.apertureMm, c.wavelength, 512);
    job.curves = true;
    const double line = c.line > 0 ? c.line : c.wavelength;
    if (c.line > 0) {
        job.light.lines = {{c.line, 1}};
    }
    const Result result = Compute(MakePlan(job));
    ASSERT_EQ(result.panels.size(), 1u);
    ASSERT_TRUE(result.panels[0].curves && result.reference);
    const MtfCurve &seeing = result.panels[0].curves->mtf;
    const MtfCurve &telescope = result.reference->mtf;
    ASSERT_EQ(seeing.x.size(), telescope.x.size());
    const double diameterOverR0 = c.apertureMm / 10 / Fried(c.r0, line);
    std::size_t compared = 0;
    for (std::size_t k = 1; k < seeing.x.size(); ++k) {
        if (telescope.x[k] < 0.1) {
            continue; // near the cut-off the ratio is rounding over rounding
        }
        const double nu = seeing.frequency[k] * line / c.wavelength; // in units of the line's D / lambda
        const double expected = std::exp(-3.44 * std::pow(nu * diameterOverR0, 5.0 / 3.0));
        EXPECT_NEAR(seeing.x[k] / telescope.x[k], expected, 0.01) << "at " << nu << " D/lambda";
        ++compared;
    }
    EXPECT_GT(compared, 20u);
}

INSTANTIATE_TEST_SUITE_P(Seeing, LongExposureTransfer,
                         ::testing::Values(TransferCase{10, 200, 550}, TransferCase{20, 100, 700},
                                           TransferCase{5, 150, 450}, TransferCase{8, 200, 550, 700},
                                           TransferCase{8, 200, 550, 420}));

// r0 spans at least 4 grid steps of the pupil, 0.2 N 550 / lambda steps across,
// at the light's shortest wavelength, whatever grid the plan picks; a grid given
// too coarse is warned of.
struct GuardCase {
    double r0;
    double apertureMm;
    std::optional<std::int32_t> grid;
    bool warned;
};

class SeeingGuard : public ::testing::TestWithParam<GuardCase> {};

TEST_P(SeeingGuard, GivesR0FourGridStepsOrWarns) {
    const GuardCase c = GetParam();
    Job job = SeeingJob(c.r0, c.apertureMm, 550, 256);
    job.grid = c.grid;
    job.light.lines = {{450, 1}, {650, 1}};
    const Plan plan = MakePlan(job);
    const double r0Steps = Fried(c.r0, 450) / (c.apertureMm / 10) * 0.2 * plan.Grid() * 550 / 450;
    EXPECT_EQ(!plan.Warnings().empty(), c.warned);
    EXPECT_EQ(r0Steps < 4, c.warned) << r0Steps << " steps on grid " << plan.Grid();
}

INSTANTIATE_TEST_SUITE_P(Seeing, SeeingGuard,
                         ::testing::Values(GuardCase{10, 200, std::nullopt, false},
                                           GuardCase{3, 1000, std::nullopt, false},
                                           GuardCase{3, 1000, 256, true}, GuardCase{1, 10000, std::nullopt, true}));

TEST(SeeingFrames, ASheetShowsTheFirst64FramesEachNamed) {
    Job job = SeeingJob(10, 100, 550, 256);
    job.seeing->frames = 70;
    const Plan plan = MakePlan(job);
    ASSERT_EQ(plan.Panels().size(), 64u);
    for (std::size_t k = 0; k < plan.Panels().size(); ++k) {
        EXPECT_EQ(plan.Panels()[k].Label(), "frame " + std::to_string(k + 1) + ", 0 waves");
    }
}

// <(phi(x + r) - phi(x))^2> over every pair r apart along rows and columns, every frame.
TEST(PhaseScreens, StructureFunctionIsKolmogorovs) {
    constexpr std::int32_t kDiameter = 64; // samples across the pupil
    constexpr std::int32_t kSide = kDiameter + 3;
    constexpr double kR0 = 8; // samples
    constexpr std::int32_t kFrames = 200;
    PhaseScreens screens(kSide, kR0, 7);
    std::vector<double> sums(kDiameter / 2 + 1, 0.0);
    std::vector<double> pairs(sums.size(), 0.0);
    for (std::int32_t frame = 0; frame < kFrames; ++frame) {
        const std::vector<double> phase = screens.Next();
        ASSERT_EQ(phase.size(), static_cast<std::size_t>(kSide) * kSide);
        for (std::int32_t r = 2; r <= kDiameter / 2; ++r) {
            for (std::int32_t i = 0; i < kSide; ++i) {
                for (std::int32_t j = 0; j + r < kSide; ++j) {
                    const double along = phase[i * kSide + j + r] - phase[i * kSide + j];
                    const double across = phase[(j + r) * kSide + i] - phase[j * kSide + i];
                    sums[r] += along * along + across * across;
                    pairs[r] += 2;
                }
            }
        }
    }
    for (std::int32_t r = 2; r <= kDiameter / 2; ++r) {
        const double expected = 6.88 * std::pow(r / kR0, 5.0 / 3.0);
        EXPECT_NEAR(sums[r] / pairs[r] / expected, 1, 0.1) << "at r = " << r;
    }
}

// Noll: the phase over a circular pupil, piston and tilt removed, has the
// variance 0.134 (D / r0)^(5/3) rad^2, r0 that of the wavelength.
TEST(SeeingFrames, ScreensOverThePupilHaveNollsTiltFreeVariance) {
    constexpr std::int32_t kGrid = 256;
    constexpr std::int32_t kFrames = 100;
    const Job job = SeeingJob(5, 200, 550, kGrid);
    FrameScreens screens(job.system, *job.seeing, *job.apertureMm, kGrid);
    const double radius = PupilRadius(kGrid, 550);
    double sum = 0;
    for (std::int32_t frame = 0; frame < kFrames; ++frame) {
        const std::shared_ptr<const WavefrontMap> map = screens.Next();
        ASSERT_TRUE(map);
        const MapGeometry &g = map->Geometry();
        // least squares of w = a + b x + c y over the lit pixels: x and y are uncorrelated over a disc
        double n = 0, w = 0, xw = 0, yw = 0, xx = 0, yy = 0, ww = 0;
        for (std::int32_t row = 0; row < map->Height(); ++row) {
            for (std::int32_t column = 0; column < map->Width(); ++column) {
                const double x = (column - g.centreX) / radius;
                const double y = (row - g.centreY) / radius;
                if (x * x + y * y > 1) {
                    continue;
                }
                const double v = 2 * 3.141592653589793 * map->Value(column, row); // radians
                n += 1, w += v, xw += x * v, yw += y * v, xx += x * x, yy += y * y, ww += v * v;
            }
        }
        sum += ww / n - (w / n) * (w / n) - (xw * xw / xx + yw * yw / yy) / n;
    }
    const double diameterOverR0 = 20 / Fried(5, 550);
    EXPECT_NEAR(sum / kFrames / (0.134 * std::pow(diameterOverR0, 5.0 / 3.0)), 1, 0.1);
}

TEST(SeeingFrames, TheResultsWavefrontIsTheFirstScreenOnTheMirrorsOwn) {
    constexpr std::int32_t kGrid = 256;
    Job job = SeeingJob(5, 200, 550, kGrid);
    job.system.aberrations.spherical = 0.2;
    job.seeing->frames = 2;
    const WavefrontMap seen = SampledWavefront(Compute(MakePlan(job)));
    const WavefrontMap mirror = SampledWavefront(job.system, kGrid);
    const std::shared_ptr<const WavefrontMap> first =
        FrameScreens(job.system, *job.seeing, *job.apertureMm, kGrid).Next();
    ASSERT_EQ(seen.Width(), mirror.Width());
    // both maps put a grid point on each pixel; the screen's centre is its own
    const std::int32_t shift = static_cast<std::int32_t>(first->Geometry().centreX - seen.Geometry().centreX);
    std::int32_t compared = 0;
    for (std::int32_t row = 0; row < seen.Height(); ++row) {
        for (std::int32_t column = 0; column < seen.Width(); ++column) {
            if (std::isfinite(mirror.Value(column, row))) {
                EXPECT_NEAR(seen.Value(column, row) - mirror.Value(column, row),
                            first->Value(column + shift, row + shift), 1e-12);
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 1000);
}

TEST(SeeingFrames, MeanOfManyApproachesTheLongExposure) {
    Job job = SeeingJob(4, 200, 550, 256); // D / r0 = 4.2 at 550 nm
    job.metrics = true;
    Job frames = job;
    frames.seeing->frames = 200;
    frames.seeing->average = true;
    const Result longExposure = Compute(MakePlan(job));
    const Result mean = Compute(MakePlan(frames));
    ASSERT_TRUE(longExposure.panels.size() == 1 && longExposure.panels[0].metrics);
    ASSERT_TRUE(mean.panels.size() == 1 && mean.panels[0].metrics);
    const double expected = longExposure.panels[0].metrics->fwhm;
    EXPECT_NEAR(mean.panels[0].metrics->fwhm / expected, 1, 0.1);
    // and both far wider than the telescope's 1.03 lambda/D: about 0.98 lambda / r0
    EXPECT_GT(expected, 0.98 * 200 / 10 / Fried(4, 550) * 0.8);
}

} // namespace
} // namespace diffrascope::optics
