// White light: the weighted sum of monochromatic images, each normalised to
// unit flux, on one grid; and what it does to the dark rings.

#include <gtest/gtest.h>

#include <cmath>

#include "Support.h"

namespace diffrascope::optics {
namespace {

using testing::At;

TEST(WhiteLight, IsTheWeightedSumOfTheMonochromaticImagesEachOfUnitFlux) {
    OpticalSystem system = testing::Pupil(0.3, -0.7, 0.25);
    system.aberrations.coma = {0.4, 20};
    system.aperture.spider = {4, 0.01, 10};
    const Spectrum spectrum{{{450, 0.5}, {550, 1.0}, {656.3, 0.8}, {900, 0.0}}, "test"};
    Imager imager(256);
    const IntensityImage white = imager.Compute(system, spectrum);
    std::vector<double> sum(white.values.size(), 0.0);
    const double total = 0.5 + 1.0 + 0.8;
    for (const SpectralLine &line : spectrum.lines) {
        const IntensityImage mono = imager.Compute(system, Spectrum{{line}, "line"});
        for (std::size_t k = 0; k < sum.size(); ++k) {
            sum[k] += line.weight / total * mono.values[k] / mono.Flux();
        }
    }
    double largest = 0;
    double worst = 0;
    for (std::size_t k = 0; k < sum.size(); ++k) {
        largest = std::max(largest, sum[k]);
        worst = std::max(worst, std::fabs(white.values[k] - sum[k]));
    }
    EXPECT_LT(worst, 1e-12 * largest);
    EXPECT_NEAR(white.Flux(), 1, 1e-12);
}

// The optical path difference stays when the wavelength changes: W waves at
// 500 nm are W/2 waves at 1000 nm. A system given at 500 nm and seen at
// 1000 nm is, bit for bit, the system given with half the waves at 1000 nm.
TEST(OtherWavelengths, SeeTheAberrationsInWavesOfTheReferenceTimesItOverTheWavelength) {
    OpticalSystem at500 = testing::Pupil(0.5, -1.5, 0.2, 500);
    at500.aberrations.coma = {0.6, 30};
    at500.aberrations.astigmatism = {0.4, -20};
    at500.aberrations.zernike = {{7, 0.2}};
    at500.aperture.spider = {3, 0.02, 5};
    OpticalSystem at1000 = testing::Pupil(0.25, -0.75, 0.2, 1000);
    at1000.aberrations.coma = {0.3, 30};
    at1000.aberrations.astigmatism = {0.2, -20};
    at1000.aberrations.zernike = {{7, 0.1}};
    at1000.aperture.spider = at500.aperture.spider;
    Imager imager(512);
    const IntensityImage seen = imager.Compute(at500, Spectrum{{{1000, 1}}, "1000 nm"});
    const IntensityImage given = imager.Compute(at1000, Spectrum{});
    EXPECT_TRUE(seen.values == given.values);
}

// Each wavelength puts its first dark ring at 1.22 lambda/D of its own: the
// sum over the eye's band fills the ring of the monochromatic image in.
TEST(WhiteLight, FillsInTheFirstDarkRing) {
    const OpticalSystem system = testing::Pupil(0, 0, 0);
    Imager imager(testing::kLargeGrid);
    auto darkest = [](const IntensityImage &image) {
        // the faintest of the pixels along the row through the centre, from 1 to 1.5 lambda/D (5 to 7 px)
        double faintest = image.maximum;
        for (std::int32_t step = 5; step <= 8; ++step) {
            faintest = std::min(faintest, At(image, image.n / 2 + step, image.n / 2));
        }
        return faintest / image.maximum;
    };
    const double monochromatic = darkest(imager.Compute(system, Spectrum{}));
    const double white = darkest(imager.Compute(system, PhotopicSpectrum()));
    EXPECT_LT(monochromatic, 0.002);
    EXPECT_GT(white, 3 * monochromatic);
    EXPECT_GT(white, 0.003);
}

} // namespace
} // namespace diffrascope::optics
