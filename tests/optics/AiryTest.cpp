// The unaberrated and the defocused aperture held against textbook optics:
// the Airy pattern's encircled energy, half width and Strehl ratio, and the
// on-axis Strehl ratio of pure defocus.

#include <gtest/gtest.h>

#include <cmath>

#include "Metrics.h"
#include "Support.h"

namespace diffrascope::optics {
namespace {

using testing::Image;
using testing::Pupil;

constexpr double kPi = 3.141592653589793;

// Encircled energy of the Airy pattern within r lambda/D (Rayleigh):
// 1 - J0(pi r)^2 - J1(pi r)^2.
double AiryEncircled(double r) {
    const double v = kPi * r;
    return 1 - std::pow(std::cyl_bessel_j(0.0, v), 2) - std::pow(std::cyl_bessel_j(1.0, v), 2);
}

Metrics MeasureAt550(const IntensityImage &image, double referencePeak) {
    return Measure(image, referencePeak, PixelScale(550), {});
}

// The annular Airy pattern's encircled energy within r lambda/D: the
// amplitude 2 J1(v)/v - eps^2 2 J1(eps v)/(eps v) at v = pi r, squared,
// integrated over the disc (Simpson's rule) and divided by its whole,
// 2 (1 - eps^2). At eps = 0 it is 1 - J0^2 - J1^2: 0.8378, 0.9099 and 0.9376
// at the first three dark rings.
double AnnularEncircled(double r, double eps) {
    auto amplitude = [eps](double v) {
        if (v == 0) {
            return 1 - eps * eps;
        }
        const double outer = 2 * std::cyl_bessel_j(1.0, v) / v;
        return eps == 0 ? outer : outer - eps * eps * 2 * std::cyl_bessel_j(1.0, eps * v) / (eps * v);
    };
    const std::int32_t steps = 20000; // even
    const double h = kPi * r / steps;
    double sum = 0;
    for (std::int32_t k = 0; k <= steps; ++k) {
        const double v = k * h;
        const double weight = k == 0 || k == steps ? 1 : (k % 2 == 1 ? 4 : 2);
        sum += weight * std::pow(amplitude(v), 2) * v;
    }
    return sum * h / 3 / (2 * (1 - eps * eps));
}

class AnnularAiry : public ::testing::TestWithParam<double> {};

// Each pixel counted with the exact area of it inside the circle.
TEST_P(AnnularAiry, EncircledEnergyAtTheAiryDarkRingsIsTheAnalyticOneAt1024) {
    const double eps = GetParam();
    const IntensityImage image = Image(Pupil(0, 0, eps));
    const Metrics m = MeasureAt550(image, image.maximum);
    ASSERT_EQ(m.encircled.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(m.encircled[k].fraction, AnnularEncircled(kAiryDarkRings[k], eps), 0.001) << "ring " << k + 1;
    }
    if (eps == 0) {
        EXPECT_NEAR(AnnularEncircled(kAiryDarkRings[0], 0), 0.8378, 0.0001); // the textbook's, as a check of the sum
    }
}

INSTANTIATE_TEST_SUITE_P(UnobstructedAndObstructed, AnnularAiry, ::testing::Values(0.0, 0.33));

TEST(AiryPattern, HalfEnergyAndEightyPercentRadiiFollowRayleighsFormula) {
    const IntensityImage airy = Image(Pupil(0, 0, 0));
    const Metrics m = MeasureAt550(airy, airy.maximum);
    ASSERT_TRUE(m.ee50 && m.ee80);
    EXPECT_NEAR(AiryEncircled(*m.ee50), 0.5, 0.005) << *m.ee50;
    EXPECT_NEAR(AiryEncircled(*m.ee80), 0.8, 0.005) << *m.ee80;
}

TEST(AiryPattern, HasStrehlRatio1ItsPeakOnTheAxisAndAHalfWidthOf1029ThousandthsOfLambdaOverD) {
    const IntensityImage airy = Image(Pupil(0, 0, 0));
    const Metrics m = MeasureAt550(airy, Image(Pupil(0, 0, 0)).maximum);
    EXPECT_DOUBLE_EQ(m.strehl, 1);
    EXPECT_EQ(m.peakX, 512);
    EXPECT_EQ(m.peakY, 512);
    EXPECT_NEAR(m.fwhm, 1.029, 0.01); // the Airy core's full width at half maximum, in lambda/D
}

// Far from focus geometric optics holds: W waves of defocus spread the light
// evenly over a disc of radius 4 |W| lambda/D, so half of it lies within
// 4 |W| / sqrt(2) and 80 % within 4 |W| sqrt(0.8).
TEST(StrongDefocus, SpreadsTheLightEvenlyOverTheGeometricBlurDisc) {
    for (double waves : {-12.0, 20.0}) {
        const Metrics m = MeasureAt550(Image(Pupil(0, waves, 0)), 1);
        const double disc = 4 * std::fabs(waves);
        ASSERT_TRUE(m.ee50 && m.ee80);
        EXPECT_NEAR(*m.ee50 / (disc / std::sqrt(2.0)), 1, 0.03) << waves;
        EXPECT_NEAR(*m.ee80 / (disc * std::sqrt(0.8)), 1, 0.03) << waves;
    }
}

struct DefocusCase {
    double waves;
    double obstruction;
};

class Defocus : public ::testing::TestWithParam<DefocusCase> {};

// On the axis, an annulus defocused by W waves gives [sin(x)/x]^2 with
// x = pi W (1 - eps^2): the phase 2 pi W u^2 is uniform in u^2 over [eps^2, 1].
TEST_P(Defocus, StrehlRatioIsTheSquaredSincOfTheAnnulus) {
    const DefocusCase c = GetParam();
    const IntensityImage plain = Image(Pupil(0, 0, c.obstruction));
    const IntensityImage defocused = Image(Pupil(0, c.waves, c.obstruction));
    const double x = kPi * c.waves * (1 - c.obstruction * c.obstruction);
    const double expected = std::pow(std::sin(x) / x, 2);
    EXPECT_NEAR(MeasureAt550(defocused, plain.maximum).strehl, expected, 0.005);
}

INSTANTIATE_TEST_SUITE_P(UpToHalfAWave, Defocus,
                         ::testing::Values(DefocusCase{0.1, 0}, DefocusCase{0.25, 0}, DefocusCase{0.5, 0},
                                           DefocusCase{-0.3, 0}, DefocusCase{0.25, 0.33},
                                           DefocusCase{0.5, 0.33}, DefocusCase{0.4, 0.5}));

} // namespace
} // namespace diffrascope::optics
