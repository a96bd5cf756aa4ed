// Star-test sheets: the sign convention of spherical aberration and focus,
// panels that are single images, and the display scales.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Engine.h"
#include "Sampling.h"
#include "Units.h"
#include "Support.h"

namespace diffrascope::optics {
namespace {

using testing::Pupil;

struct SuiterCase {
    double spherical;
    double obstruction;
};

class SphericalAberrationOutOfFocus : public ::testing::TestWithParam<SuiterCase> {};

// Under-correction (positive W040) focuses the marginal rays short, at
// F = -2 SA: inside focus the edge rays crowd together and the disc's rim is
// bright; outside focus they spread and the rim is faint. Over-correction swaps the two.
TEST_P(SphericalAberrationOutOfFocus, BrightensTheRimOnTheSideOfTheMarginalFocus) {
    const SuiterCase c = GetParam();
    const double waves = 8;
    auto rimShare = [&](double focus) {
        const OpticalSystem pupil = Pupil(c.spherical, focus, c.obstruction);
        const IntensityImage image = testing::Image(pupil, 512);
        const double disc = BlurRadius(pupil) / PixelScale(550); // pixels
        // the outer fifth of the disc, and the edge's diffraction fringe just beyond it
        return EncircledFraction(image, 1.05 * disc) - EncircledFraction(image, 0.8 * disc);
    };
    const double intrafocal = rimShare(-waves);
    const double extrafocal = rimShare(waves);
    if (c.spherical > 0) {
        EXPECT_GT(intrafocal, 1.1 * extrafocal) << intrafocal << " inside, " << extrafocal << " outside";
    } else {
        EXPECT_GT(extrafocal, 1.1 * intrafocal) << intrafocal << " inside, " << extrafocal << " outside";
    }
}

INSTANTIATE_TEST_SUITE_P(SuitersSettings, SphericalAberrationOutOfFocus,
                         ::testing::Values(SuiterCase{0.25, 0}, SuiterCase{0.25, 0.33}, SuiterCase{0.5, 0.33},
                                           SuiterCase{-0.25, 0}, SuiterCase{-0.25, 0.33}));

Job SuitersSheet() {
    Job sheet;
    sheet.system = Pupil(0.25, 0, 0.33);
    sheet.panels.kind = Panels::Kind::StarTest;
    sheet.panels.defocus = 8;
    sheet.layout = Layout::Panels;
    return sheet;
}

TEST(StarTestSheet, EveryPanelIsTheSingleImageOfItsFocusGridAndField) {
    Job sheet = SuitersSheet();
    sheet.side = 128;
    sheet.keepIntensities = true;
    const Result panels = Compute(MakePlan(sheet));
    ASSERT_EQ(panels.panels.size(), 3u);
    EXPECT_GT(panels.view.bin, 1) << "the field of +-8 waves needs more pixels than the panel";
    for (const PanelResult &expected : panels.panels) {
        Job single = sheet;
        single.panels = {};
        single.system.aberrations.focus = expected.focus.waves;
        single.grid = panels.grid;
        single.field = panels.width;
        const Result alone = Compute(MakePlan(single));
        ASSERT_EQ(alone.view.bin, panels.view.bin);
        ASSERT_EQ(alone.view.first, panels.view.first);
        ASSERT_EQ(alone.panels.size(), 1u);
        const PanelResult &a = alone.panels.front();
        ASSERT_EQ(a.intensities.size(), expected.intensities.size());
        EXPECT_EQ(std::memcmp(a.intensities.data(), expected.intensities.data(), a.intensities.size() * sizeof(double)),
                  0)
            << "focus " << expected.focus.waves;
        EXPECT_EQ(a.grey, expected.grey) << "focus " << expected.focus.waves;
    }
}

TEST(StarTestSheet, FieldHoldsTheLargestBlurDiscAndTheGridIsTheSmallestThatSamplesIt) {
    const Result result = Compute(MakePlan(SuitersSheet()));
    // extrafocal: slope 4 SA + 2 F = 17 waves per radius, a blur disc of radius 34 lambda/D
    EXPECT_GT(result.width, 2 * 34.0);
    EXPECT_LT(result.width, 2 * 34.0 * 1.6);
    EXPECT_EQ(result.grid, 512); // 256 px x 2 per block; 0.1 x 512 x 550 / 550 = 51.2 >= 2 x 17
    EXPECT_TRUE(result.warnings.empty());
}

class OddBins : public ::testing::TestWithParam<std::int32_t> {};

// Block averaging is centred on the optical axis: with any bin, the
// unaberrated image in a panel of odd side is symmetric about the panel's
// centre pixel and brightest there.
TEST_P(OddBins, CentreThePanelOnTheOpticalAxis) {
    const std::int32_t bin = GetParam();
    const std::int32_t side = 33;
    const std::int32_t middle = side / 2;
    Job job;
    job.layout = Layout::Panels;
    job.grid = 256;
    job.side = side;
    job.field = bin * side * PixelScale(550); // bin grid pixels to a panel pixel
    job.keepIntensities = true;
    const Result result = Compute(MakePlan(job));
    ASSERT_EQ(result.view.bin, bin);
    ASSERT_EQ(result.panels.size(), 1u);
    const PanelResult &panel = result.panels.front();
    ASSERT_EQ(panel.intensities.size(), static_cast<std::size_t>(side * side));
    auto at = [&](std::int32_t x, std::int32_t y) { return panel.IntensityAt(x, y); };
    EXPECT_EQ(at(middle, middle), 1.0);
    double asymmetry = 0;
    for (std::int32_t y = 0; y < side; ++y) {
        for (std::int32_t x = 0; x < side; ++x) {
            asymmetry = std::max({asymmetry, std::fabs(at(x, y) - at(side - 1 - x, y)),
                                  std::fabs(at(x, y) - at(x, side - 1 - y))});
        }
    }
    EXPECT_LT(asymmetry, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(OneThreeAndFive, OddBins, ::testing::Values(1, 3, 5));

struct GreyCase {
    double v;
    Scale scale;
    double decades;
    std::int32_t grey;
};

class GreyScale : public ::testing::TestWithParam<GreyCase> {};

TEST_P(GreyScale, MapsNormalisedIntensityToItsGreyLevel) {
    const GreyCase c = GetParam();
    EXPECT_EQ(GreyLevel(c.v, {c.scale, c.decades}), c.grey) << c.v;
}

// Amplitude: min(trunc(300 sqrt(v)), 255) (amplitudes 1, 0.9, 0.5, 0.002 give 255, 255, 150, 0);
// log: 255 (1 + log10(v) / D), clamped at 0.
INSTANTIATE_TEST_SUITE_P(
    AmplitudeAndLog, GreyScale,
    ::testing::Values(GreyCase{1, Scale::Amplitude, 4, 255}, GreyCase{0.81, Scale::Amplitude, 4, 255},
                      GreyCase{0.25, Scale::Amplitude, 4, 150}, GreyCase{0.000004, Scale::Amplitude, 4, 0},
                      GreyCase{0, Scale::Amplitude, 4, 0}, GreyCase{1, Scale::Log, 4, 255},
                      GreyCase{0.1, Scale::Log, 4, 191}, GreyCase{0.01, Scale::Log, 4, 127},
                      GreyCase{0.001, Scale::Log, 4, 63}, GreyCase{0.0001, Scale::Log, 4, 0},
                      GreyCase{0.00001, Scale::Log, 4, 0}, GreyCase{0, Scale::Log, 4, 0},
                      GreyCase{0.001, Scale::Log, 6, 127}, GreyCase{0.5, Scale::Log, 1, 178},
                      GreyCase{1, Scale::Linear, 4, 255}, GreyCase{0.5, Scale::Linear, 4, 127},
                      GreyCase{0.003, Scale::Linear, 4, 0}, GreyCase{0, Scale::Linear, 4, 0}));

TEST(LogDisplay, ShowsTheFaintRingsThatTheAmplitudeScaleLeavesBlack) {
    Job job;
    job.system = Pupil(0, 0, 0);
    job.layout = Layout::Crop;
    const Result amplitude = Compute(MakePlan(job));
    job.display = {Scale::Log, 6};
    const Result log = Compute(MakePlan(job));
    // 20 lambda/D out (100 pixels at 550 nm) the Airy rings are near 1e-5 of the peak
    const std::int32_t x = 128 + 100;
    const std::int32_t y = 128;
    ASSERT_EQ(amplitude.panels.size(), 1u);
    ASSERT_EQ(log.panels.size(), 1u);
    EXPECT_EQ(amplitude.panels[0].GreyAt(x, y), 0);
    EXPECT_GT(log.panels[0].GreyAt(x, y), 20);
}

} // namespace
} // namespace diffrascope::optics
