// The sampling guard against the grid itself: it warns exactly where the
// sampled wavefront turns by more than half a wave between neighbouring grid
// points, and names the smallest grid where it does not.

#include <gtest/gtest.h>

#include <cmath>

#include "Sampling.h"
#include "Support.h"

namespace diffrascope::optics {
namespace {

// The largest step of the whole sampled wavefront, in waves, between lit
// neighbours along the rows and columns of the grid: measured, not derived
// from the slope.
double LargestStep(const OpticalSystem &system, std::int32_t n) {
    const PupilSampler pupil(system, n, system.wavelength);
    auto wavefront = [&](std::int32_t a, std::int32_t b) { return pupil.Sampled(a, b); };
    double largest = 0;
    const std::int32_t r = pupil.Radius();
    for (std::int32_t a = -r; a <= r; ++a) {
        for (std::int32_t b = -r; b <= r; ++b) {
            if (!pupil.At(a, b).lit) {
                continue;
            }
            if (pupil.At(a + 1, b).lit) {
                largest = std::max(largest, std::fabs(wavefront(a + 1, b) - wavefront(a, b)));
            }
            if (pupil.At(a, b + 1).lit) {
                largest = std::max(largest, std::fabs(wavefront(a, b + 1) - wavefront(a, b)));
            }
        }
    }
    return largest;
}

struct GuardCase {
    const char *name;
    OpticalSystem system;
};

class SamplingGuard : public ::testing::TestWithParam<GuardCase> {};

// At N = 256 and 550 nm the pupil radius is 25.6 grid steps: the guard's
// limits are defocus of 25.6 / 4 = 6.4 waves, spherical aberration of
// 25.6 / 8 = 3.2 waves and coma of 25.6 / 6 = 4.3 waves (its slope is 3 W131
// at the rim). Between neighbouring grid points the wavefront steps a little
// less than the slope at the rim: the guard may warn a few percent early,
// never late. The cases lie a tenth either side of the limits.
TEST_P(SamplingGuard, WarnsWhereTheGridStepsByMoreThanHalfAWave) {
    const OpticalSystem &system = GetParam().system;
    const std::int32_t n = 256;
    const bool aliases = LargestStep(system, n) > 0.5;
    const std::vector<std::string> warnings = SamplingNeeds(system, Spectrum{}).Warnings(n);
    ASSERT_EQ(!warnings.empty(), aliases) << LargestStep(system, n);
    const std::optional<std::int32_t> smallest = SamplingNeeds(system).SmallestGrid();
    ASSERT_TRUE(smallest);
    EXPECT_EQ(*smallest, aliases ? 512 : 256);
    EXPECT_TRUE(SamplingNeeds(system, Spectrum{}).Warnings(*smallest).empty());
    if (aliases) {
        EXPECT_NE(warnings.front().find("512"), std::string::npos) << warnings.front();
    }
}

OpticalSystem WithComa(double waves) {
    OpticalSystem system;
    system.aberrations.coma = {waves, 0};
    return system;
}

// A zone's steepest slope is sqrt(2/e) HEIGHT/WIDTH, at RADIUS +- WIDTH/sqrt 2:
// at a width of 0.1 the limit is a height of 25.6 x 0.1 / (2 x 0.858) = 1.49
// waves. A turned edge's is 2 DEPTH/(1 - START), at the rim: 3.2 waves from 0.5.
OpticalSystem WithZone(double height) {
    OpticalSystem system;
    system.figure.zones = {{0.6, height, 0.1}};
    return system;
}

OpticalSystem WithEdge(double depth) {
    OpticalSystem system;
    system.figure.edge = {depth, 0.5};
    return system;
}

OpticalSystem WithRoughness(double rms, std::int32_t from, std::int32_t to) {
    OpticalSystem system;
    system.figure.roughness = {rms, from, to, 3};
    return system;
}

INSTANTIATE_TEST_SUITE_P(
    EitherSideOfTheLimit, SamplingGuard,
    ::testing::Values(GuardCase{"defocus_5_7", testing::Pupil(0, 5.7, 0)},
                      GuardCase{"defocus_7_1", testing::Pupil(0, 7.1, 0)},
                      GuardCase{"defocus_minus_7_1", testing::Pupil(0, -7.1, 0.33)},
                      GuardCase{"spherical_2_8", testing::Pupil(2.8, 0, 0)},
                      GuardCase{"spherical_3_6", testing::Pupil(3.6, 0, 0)},
                      GuardCase{"coma_3_8", WithComa(3.8)}, GuardCase{"coma_4_8", WithComa(4.8)},
                      GuardCase{"zone_1_35", WithZone(1.35)}, GuardCase{"zone_1_65", WithZone(1.65)},
                      GuardCase{"edge_minus_2_9", WithEdge(-2.9)}, GuardCase{"edge_minus_3_5", WithEdge(-3.5)}),
    [](const ::testing::TestParamInfo<GuardCase> &info) { return std::string(info.param.name); });

TEST(SamplingGuard, NeverStaysSilentWhereTheGridStepsByMoreThanHalfAWave) {
    for (double focus = 5; focus <= 8; focus += 0.1) {
        const OpticalSystem system = testing::Pupil(0.5, focus, 0.2);
        if (LargestStep(system, 256) > 0.5) {
            EXPECT_FALSE(SamplingNeeds(system, Spectrum{}).Warnings(256).empty()) << "focus " << focus;
        }
    }
}

// Roughness's slope has no closed form: the guard takes it from its own finer sampling.
TEST(SamplingGuard, NeverStaysSilentWhereRoughnessStepsByMoreThanHalfAWave) {
    std::int32_t aliasing = 0;
    for (double rms = 0.05; rms <= 0.6; rms += 0.05) {
        const OpticalSystem system = WithRoughness(rms, 5, 20);
        if (LargestStep(system, 256) > 0.5) {
            ++aliasing;
            EXPECT_FALSE(SamplingNeeds(system, Spectrum{}).Warnings(256).empty()) << "RMS " << rms;
        }
    }
    EXPECT_GT(aliasing, 0) << "no case tries the guard";
}

// k cycles per diameter span 2R grid steps: two steps to a cycle of TO = 40
// need R = 40, a 512 grid at 550 nm (R = 51.2) but 1024 at 780 nm (36.1 at 512).
TEST(SamplingGuard, AsksForTwoGridStepsToACycleOfRoughnessHighestFrequency) {
    const OpticalSystem system = WithRoughness(0.001, 10, 40);
    EXPECT_FALSE(SamplingNeeds(system, Spectrum{}).Warnings(256).empty());
    EXPECT_TRUE(SamplingNeeds(system, Spectrum{}).Warnings(512).empty());
    EXPECT_FALSE(SamplingNeeds(system, PhotopicSpectrum()).Warnings(512).empty());
    EXPECT_TRUE(SamplingNeeds(system, PhotopicSpectrum()).Warnings(1024).empty());
}

TEST(SamplingGuard, AsksForVanesAtLeastOneGridStepWide) {
    OpticalSystem system;
    system.aperture.spider = {4, 0.01, 0}; // 1 % of the diameter: 0.51 steps at N = 256, 1.02 at 512
    EXPECT_FALSE(SamplingNeeds(system, Spectrum{}).Warnings(256).empty());
    EXPECT_TRUE(SamplingNeeds(system, Spectrum{}).Warnings(512).empty());
    // at 780 nm the pupil is smaller: 0.72 steps at N = 512
    EXPECT_FALSE(SamplingNeeds(system, PhotopicSpectrum()).Warnings(512).empty());
}

} // namespace
} // namespace diffrascope::optics
