// The focus image's curves held against textbook optics: the MTF of the
// perfect unobstructed aperture (the overlap of two discs) and the encircled
// energy of the Airy pattern; and the engine's focus panel with a field and
// curves of its own.

#include <gtest/gtest.h>

#include <cmath>

#include "Curves.h"
#include "Engine.h"
#include "Metrics.h"
#include "OpticsError.h"
#include "Support.h"

namespace diffrascope::optics {
namespace {

using testing::Image;
using testing::Pupil;

constexpr double kPi = 3.141592653589793;

// The diffraction-limited MTF of a circular aperture at v cut-offs (Goodman,
// Introduction to Fourier Optics): (2/pi)(acos v - v sqrt(1 - v^2)).
double PerfectMtf(double v) { return v >= 1 ? 0 : 2 / kPi * (std::acos(v) - v * std::sqrt(1 - v * v)); }

// Rayleigh's encircled energy of the Airy pattern within r lambda/D.
double AiryEncircled(double r) {
    const double v = kPi * r;
    return 1 - std::pow(std::cyl_bessel_j(0.0, v), 2) - std::pow(std::cyl_bessel_j(1.0, v), 2);
}

TEST(Curves, MtfOfThePerfectApertureFollowsTheOverlapOfTwoDiscsAlongXYAndAroundTheAxis) {
    const Curves curves = MeasureCurves(Image(Pupil(0, 0, 0)), PixelScale(550), Spectrum{}, 550);
    const MtfCurve &mtf = curves.mtf;
    ASSERT_GT(mtf.frequency.size(), 200u); // 1024 x 0.2 grid frequencies per cut-off
    EXPECT_DOUBLE_EQ(mtf.frequency.front(), 0);
    EXPECT_LE(mtf.frequency.back(), 1);
    for (std::size_t k = 0; k < mtf.frequency.size(); ++k) {
        const double expected = PerfectMtf(mtf.frequency[k]);
        EXPECT_NEAR(mtf.x[k], expected, 0.003) << "x at " << mtf.frequency[k];
        EXPECT_NEAR(mtf.y[k], expected, 0.003) << "y at " << mtf.frequency[k];
        EXPECT_NEAR(mtf.azimuthal[k], expected, 0.003) << "mean at " << mtf.frequency[k];
    }
}

TEST(Curves, EncircledEnergyOfThePerfectApertureFollowsRayleighsFormula) {
    const Curves curves = MeasureCurves(Image(Pupil(0, 0, 0)), PixelScale(550), Spectrum{}, 550);
    const EncircledCurve &ee = curves.encircled;
    ASSERT_EQ(ee.radius.size(), 101u);
    EXPECT_DOUBLE_EQ(ee.radius.back(), kCurveRadius);
    // Each pixel's sample counts over its whole square, 0.2 lambda/D wide: within the first dark ring,
    // where the energy climbs by up to 1.3 per lambda/D, that shifts it by up to a hundredth.
    for (std::size_t k = 0; k < ee.radius.size(); ++k) {
        const double tolerance = ee.radius[k] < kAiryDarkRings[0] ? 0.01 : 0.003;
        EXPECT_NEAR(ee.fraction[k], AiryEncircled(ee.radius[k]), tolerance) << "at " << ee.radius[k] << " lambda/D";
    }
}

TEST(Curves, WhiteLightReachesTheCutOffOfItsShortestWavelength) {
    const Spectrum light{{{450, 1}, {650, 1}}, "two lines"};
    EXPECT_DOUBLE_EQ(HighestCutOff(light, 550), 550.0 / 450);
    const Curves curves = MeasureCurves(Image(Pupil(0, 0, 0), 512), PixelScale(550), light, 550);
    EXPECT_GT(curves.mtf.frequency.back(), 1.2);
    EXPECT_NEAR(curves.mtf.azimuthal.back(), 0, 0.01); // nothing passes beyond D / 450 nm
}

// Suiter's star test at +-8 waves on a 512 grid, its focus panel shown at 20 lambda/D.
Job StarTestWithFocusField(std::optional<double> focusField) {
    Job job;
    job.system = Pupil(0.25, 0, 0.33);
    job.layout = Layout::Panels;
    job.grid = 512;
    job.panels.kind = Panels::Kind::StarTest;
    job.panels.defocus = 8;
    job.focusField = focusField;
    job.curves = true;
    return job;
}

TEST(Curves, FocusPanelShowsItsOwnFieldInWholeGridPixelsAndCarriesTheCurves) {
    Engine engine(1);
    const Result result = engine.Compute(MakePlan(StarTestWithFocusField(20)));
    ASSERT_EQ(result.panels.size(), 3u);
    // 20 lambda/D over 256 pixels of 0.2 lambda/D: one grid pixel each, 51.2 lambda/D.
    EXPECT_DOUBLE_EQ(result.panels[1].width, 256 * PixelScale(550));
    EXPECT_DOUBLE_EQ(result.panels[0].width, result.width);
    EXPECT_GT(result.width, result.panels[1].width);
    EXPECT_TRUE(result.panels[1].curves && !result.panels[0].curves && !result.panels[2].curves);
    ASSERT_TRUE(result.reference);
    // The obstructed perfect aperture passes more of the highest frequencies than the aberrated one.
    EXPECT_LT(result.panels[1].curves->encircled.fraction[20], result.reference->encircled.fraction[20]);
}

TEST(Curves, FocusFieldIsRefusedWithoutAStarTest) {
    Job job = StarTestWithFocusField(20);
    job.panels.kind = Panels::Kind::Single;
    EXPECT_THROW(MakePlan(job), ParameterError);
}

} // namespace
} // namespace diffrascope::optics
