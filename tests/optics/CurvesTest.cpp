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

// The overlap of two discs of radii a and b whose centres lie d apart.
double Overlap(double a, double b, double d) {
    if (d >= a + b) {
        return 0;
    }
    if (d <= std::fabs(a - b)) {
        return kPi * std::pow(std::min(a, b), 2);
    }
    const double alpha = std::acos((d * d + a * a - b * b) / (2 * d * a));
    const double beta = std::acos((d * d + b * b - a * a) / (2 * d * b));
    return a * a * (alpha - std::sin(2 * alpha) / 2) + b * b * (beta - std::sin(2 * beta) / 2);
}

// The incoherent transfer function is the pupil's autocorrelation: at v
// cut-offs the pupil (radius 1) overlaps its copy moved by 2v.
// An annulus (inner radius eps): the discs' overlaps by inclusion-exclusion.
double AnnularMtf(double v, double eps) {
    const double d = 2 * v;
    const double overlap = Overlap(1, 1, d) - 2 * Overlap(1, eps, d) + Overlap(eps, eps, d);
    return overlap / (kPi * (1 - eps * eps));
}

// Defocus W u^2 (waves): the pupil times its conjugate moved by 2v along x
// is exp(i 2 pi W 4 v x) over the discs' overlap, which for each x spans
// |y| <= sqrt(1 - (|x| + v)^2); the sine part cancels, and Simpson's rule
// sums the cosine over x.
double DefocusMtf(double v, double waves) {
    const std::int32_t steps = 4000; // even
    const double half = 1 - v;
    if (half <= 0) {
        return 0;
    }
    const double h = 2 * half / steps;
    double sum = 0;
    for (std::int32_t k = 0; k <= steps; ++k) {
        const double x = -half + k * h;
        const double weight = k == 0 || k == steps ? 1 : (k % 2 == 1 ? 4 : 2);
        const double height = 2 * std::sqrt(std::max(0.0, 1 - std::pow(std::fabs(x) + v, 2)));
        sum += weight * std::cos(2 * kPi * waves * 4 * v * x) * height;
    }
    return std::fabs(sum * h / 3) / kPi;
}

struct MtfCase {
    double obstruction;
    double focus; // waves
};

void PrintTo(const MtfCase &c, std::ostream *out) { *out << c.obstruction << " obstructed, " << c.focus << " waves"; }

class ApertureMtf : public ::testing::TestWithParam<MtfCase> {};

// At N = 1024, along the picture's x axis, within 0.003 at every grid frequency.
TEST_P(ApertureMtf, FollowsThePupilsAutocorrelation) {
    const MtfCase c = GetParam();
    const Curves curves = MeasureCurves(Image(Pupil(0, c.focus, c.obstruction)), PixelScale(550), Spectrum{}, 550);
    const MtfCurve &mtf = curves.mtf;
    ASSERT_GT(mtf.frequency.size(), 200u);
    for (std::size_t k = 0; k < mtf.frequency.size(); ++k) {
        const double v = mtf.frequency[k];
        const double expected = c.focus == 0 ? AnnularMtf(v, c.obstruction) : DefocusMtf(v, c.focus);
        EXPECT_NEAR(mtf.x[k], expected, 0.003) << "at " << v;
    }
}

INSTANTIATE_TEST_SUITE_P(ObstructedAndDefocused, ApertureMtf,
                         ::testing::Values(MtfCase{0.33, 0}, MtfCase{0.5, 0}, MtfCase{0, 0.25}, MtfCase{0, 0.5}));

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
    // The wider field than asked is said.
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_NE(result.warnings[0].find("the focus panel shows 51.2"), std::string::npos) << result.warnings[0];
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
