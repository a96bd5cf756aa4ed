// Seeing held against Kolmogorov turbulence's textbook statistics: the long
// exposure's transfer function exp(-3.44 (nu D / r0)^(5/3)), the phase
// screens' structure function 6.88 (r / r0)^(5/3), and short exposures
// whose mean approaches the long exposure.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Engine.h"
#include "Seeing.h"

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
    double wavelength; // nm
};

class LongExposureTransfer : public ::testing::TestWithParam<TransferCase> {};

TEST_P(LongExposureTransfer, IsTheTelescopesTimesKolmogorovs) {
    const TransferCase c = GetParam();
    Job job = SeeingJob(c.r0, c.apertureMm, c.wavelength, 512);
    job.curves = true;
    const Result result = Compute(MakePlan(job));
    ASSERT_EQ(result.panels.size(), 1u);
    ASSERT_TRUE(result.panels[0].curves && result.reference);
    const MtfCurve &seeing = result.panels[0].curves->mtf;
    const MtfCurve &telescope = result.reference->mtf;
    ASSERT_EQ(seeing.x.size(), telescope.x.size());
    const double diameterOverR0 = c.apertureMm / 10 / Fried(c.r0, c.wavelength);
    std::size_t compared = 0;
    for (std::size_t k = 1; k < seeing.x.size(); ++k) {
        if (telescope.x[k] < 0.1) {
            continue; // near the cut-off the ratio is rounding over rounding
        }
        const double nu = seeing.frequency[k];
        const double expected = std::exp(-3.44 * std::pow(nu * diameterOverR0, 5.0 / 3.0));
        EXPECT_NEAR(seeing.x[k] / telescope.x[k], expected, 0.01) << "at " << nu << " D/lambda";
        ++compared;
    }
    EXPECT_GT(compared, 20u);
}

INSTANTIATE_TEST_SUITE_P(Seeing, LongExposureTransfer,
                         ::testing::Values(TransferCase{10, 200, 550}, TransferCase{20, 100, 700},
                                           TransferCase{5, 150, 450}));

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
