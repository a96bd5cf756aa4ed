// Zernike terms, coma, astigmatism and spider vanes held against optics:
// Marechal's Strehl ratio, the polynomials' RMS on the grid, the direction of
// coma's tail, tilt and coma's Strehl ratio, astigmatism's crossed lines, the
// spider's diffraction spikes and the light its vanes take.

#include <gtest/gtest.h>

#include <cmath>

#include "Metrics.h"
#include "Support.h"

namespace diffrascope::optics {
namespace {

using testing::At;
using testing::Image;
using testing::kLargeGrid;

constexpr double kPi = 3.141592653589793;
const double kScale = PixelScale(550);

class ZernikeTerm : public ::testing::TestWithParam<std::int32_t> {};

// Marechal: a small aberration of RMS sigma waves keeps exp(-(2 pi sigma)^2) of the peak.
TEST_P(ZernikeTerm, OfAOneTwentiethWaveRmsKeepsMarechalsStrehlRatio) {
    OpticalSystem system;
    system.aberrations.zernike = {{GetParam(), 0.05}};
    const double expected = std::exp(-std::pow(2 * kPi * 0.05, 2));
    const Metrics m = Measure(Image(system), Image(OpticalSystem{}).maximum, kScale, {});
    EXPECT_NEAR(m.strehl / expected, 1, 0.005) << m.strehl;
}

INSTANTIATE_TEST_SUITE_P(DefocusToSpherical, ZernikeTerm, ::testing::Range(4, 12));

// The metrics of a system's monochromatic image, its peak found between the pixels.
Metrics MeasureFinely(const OpticalSystem &system, double referencePeak) {
    Imager imager(kLargeGrid);
    const IntensityImage image = imager.Compute(system, Spectrum{});
    const FineField fine = imager.FineFieldOf(system, Spectrum{});
    return Measure(image, referencePeak, kScale, {}, &fine);
}

struct TiltCase {
    std::int32_t noll; // 2: tilt along x, 3: along y
    double rms;        // waves
};

void PrintTo(const TiltCase &c, std::ostream *out) { *out << "Z" << c.noll << " of " << c.rms << " wave RMS"; }

class PureTilt : public ::testing::TestWithParam<TiltCase> {};

// Z2 = 2 u cos(theta) (Z3 the same along y): c waves RMS tilt the wavefront
// by 2c waves per pupil radius and move the image by twice that in lambda/D.
// A tilt moves the image without changing it: the Strehl ratio stays 1,
// also where the peak falls between pixels (0.2 lambda/D at 550 nm).
TEST_P(PureTilt, KeepsAStrehlRatioOf1AndMovesThePeakByTwiceTheTilt) {
    const TiltCase &c = GetParam();
    OpticalSystem tilted;
    tilted.aberrations.zernike = {{c.noll, c.rms}};
    const Metrics m = MeasureFinely(tilted, Image(OpticalSystem{}).maximum);
    EXPECT_NEAR(m.strehl, 1, 0.002);
    const double shift = 4 * c.rms;
    EXPECT_NEAR(m.peakOffsetX, c.noll == 2 ? shift : 0, 0.002);
    EXPECT_NEAR(m.peakOffsetY, c.noll == 3 ? shift : 0, 0.002);
}

// Half a pixel, a whole number of pixels (0.6 lambda/D, where reading the axis
// would give the Airy disc's flank), and far out within the field.
INSTANTIATE_TEST_SUITE_P(AnyAmount, PureTilt,
                         ::testing::Values(TiltCase{2, 0.025}, TiltCase{3, 0.025}, TiltCase{2, 0.15},
                                           TiltCase{3, -0.37}, TiltCase{2, 4.1}));

// Seidel coma W131 u^3 cos(theta) is the Zernike coma W131 / 3 (3 u^3 - 2 u)
// cos(theta), that is W131 / (3 sqrt 8) waves RMS of Z8, plus the tilt
// (2/3) W131 u cos(theta), which moves the image without changing it.
TEST(StrehlRatio, OfSeidelComaIsThatOfTheComaLeftWhenItsTiltIsRemoved) {
    for (double w131 : {0.3, 0.45}) {
        const double rms = w131 / (3 * std::sqrt(8.0));
        OpticalSystem seidel;
        seidel.aberrations.coma = {w131, 0};
        OpticalSystem zernike;
        zernike.aberrations.zernike = {{8, rms}};
        const double reference = Image(OpticalSystem{}).maximum;
        const Metrics withTilt = MeasureFinely(seidel, reference);
        const Metrics withoutTilt = MeasureFinely(zernike, reference);
        EXPECT_NEAR(withTilt.strehl, withoutTilt.strehl, 0.002) << w131;
        EXPECT_NEAR(withTilt.strehl / std::exp(-std::pow(2 * kPi * rms, 2)), 1, 0.01) << w131; // Marechal
        EXPECT_NEAR(withTilt.peakOffsetX - withoutTilt.peakOffsetX, 4.0 / 3 * w131, 0.002) << w131;
    }
}

// The unit coefficient's wavefront over the lit grid points of the
// unobstructed pupil at N = 1024: mean 0 and RMS 1 up to the grid's sampling
// (tilts to spherical aberration; the grid's circle is not quite the disc).
TEST(ZernikePolynomials, HaveUnitRmsAndZeroMeanOnTheGrid) {
    for (std::int32_t j = kFirstZernike; j <= 11; ++j) {
        OpticalSystem system;
        system.aberrations.zernike = {{j, 1.0}};
        const PupilSampler pupil(system, kLargeGrid, 550);
        const double radius = 0.1 * kLargeGrid; // grid steps at 550 nm
        double sum = 0;
        double squares = 0;
        std::int64_t lit = 0;
        for (std::int32_t a = -pupil.Radius(); a <= pupil.Radius(); ++a) {
            for (std::int32_t b = -pupil.Radius(); b <= pupil.Radius(); ++b) {
                if (pupil.At(a, b).lit) {
                    const double x = -a / radius;
                    const double y = b / radius;
                    const double w = pupil.Wavefront(x, y, x * x + y * y);
                    sum += w;
                    squares += w * w;
                    ++lit;
                }
            }
        }
        EXPECT_NEAR(std::sqrt(squares / lit), 1, 0.002) << "J = " << j;
        EXPECT_NEAR(sum / lit, 0, 0.003) << "J = " << j;
    }
}

// The intensity-weighted mean position, in lambda/D (x right, y up).
void Centroid(const IntensityImage &image, double &x, double &y) {
    const std::int32_t h = image.n / 2;
    x = 0;
    y = 0;
    for (std::int32_t i = 0; i < image.n; ++i) {
        for (std::int32_t j = 0; j < image.n; ++j) {
            x += At(image, i, j) * (i - h);
            y += At(image, i, j) * (h - j);
        }
    }
    x = x / image.Flux() * kScale;
    y = y / image.Flux() * kScale;
}

class Coma : public ::testing::TestWithParam<double> {};

// Rays leave the pupil point (x, y) displaced by twice the wavefront's slope
// (lambda/D); for W = C u^3 cos(theta) that is 2 C (3x^2 + y^2, 2xy), on
// average 2 C along theta0: the centroid. The peak moves the same way but
// less far, the tail reaching out beyond it.
TEST_P(Coma, MovesThePeakAndThrowsItsTailAlongItsAngle) {
    const double degrees = GetParam();
    const double waves = 1;
    OpticalSystem system;
    system.aberrations.coma = {waves, degrees};
    const IntensityImage image = Image(system);
    const Metrics m = Measure(image, image.maximum, kScale, {});
    const double c = std::cos(degrees * kPi / 180);
    const double s = std::sin(degrees * kPi / 180);
    double cx = 0;
    double cy = 0;
    Centroid(image, cx, cy);
    const double peakAlong = m.peakOffsetX * c + m.peakOffsetY * s;
    const double peakAcross = -m.peakOffsetX * s + m.peakOffsetY * c;
    EXPECT_GT(peakAlong, 0.5) << "the peak moves along the coma's angle";
    EXPECT_LT(std::fabs(peakAcross), 0.3);
    EXPECT_NEAR(cx, 2 * waves * c, 0.05);
    EXPECT_NEAR(cy, 2 * waves * s, 0.05);
    EXPECT_GT(cx * c + cy * s, peakAlong + 0.5) << "the tail lies beyond the peak";
}

INSTANTIATE_TEST_SUITE_P(Angles, Coma, ::testing::Values(0.0, 90.0, 210.0, 333.0));

// Orientation (degrees, 0 .. 180) of the major axis of the light's second moments.
double MajorAxis(const IntensityImage &image) {
    const std::int32_t h = image.n / 2;
    double xx = 0;
    double yy = 0;
    double xy = 0;
    for (std::int32_t i = 0; i < image.n; ++i) {
        for (std::int32_t j = 0; j < image.n; ++j) {
            const double x = i - h;
            const double y = h - j;
            xx += At(image, i, j) * x * x;
            yy += At(image, i, j) * y * y;
            xy += At(image, i, j) * x * y;
        }
    }
    const double degrees = 0.5 * std::atan2(2 * xy, xx - yy) * 180 / kPi;
    return degrees < 0 ? degrees + 180 : degrees;
}

class Astigmatism : public ::testing::TestWithParam<double> {};

// W = A (x')^2 along theta0: at focus 0 the rays of every y' meet, the image
// is a line along theta0; at focus -A the line turns by 90 degrees.
TEST_P(Astigmatism, DrawsCrossedLinesEitherSideOfBestFocus) {
    const double degrees = GetParam();
    const double waves = 2;
    OpticalSystem system;
    system.aberrations.astigmatism = {waves, degrees};
    const double first = MajorAxis(Image(system));
    system.aberrations.focus = -waves;
    const double second = MajorAxis(Image(system));
    auto apart = [](double a, double b) { return std::fabs(std::remainder(a - b, 180.0)); };
    EXPECT_LT(apart(first, degrees), 2) << first;
    EXPECT_LT(apart(second, degrees + 90), 2) << second;
}

INSTANTIATE_TEST_SUITE_P(Angles, Astigmatism, ::testing::Values(0.0, 30.0, 90.0, 135.0));

struct SpiderCase {
    std::int32_t vanes;
    double degrees;
    std::vector<double> spikes; // directions of the diffraction spikes, degrees
};

// Fraction of the light between 10 and 40 lambda/D within 3 degrees of a direction.
double SpikeLight(const IntensityImage &image, double degrees) {
    const std::int32_t h = image.n / 2;
    double light = 0;
    for (std::int32_t i = 0; i < image.n; ++i) {
        for (std::int32_t j = 0; j < image.n; ++j) {
            const double x = (i - h) * kScale;
            const double y = (h - j) * kScale;
            const double r = std::hypot(x, y);
            const double off = std::fabs(std::remainder(std::atan2(y, x) * 180 / kPi - degrees, 360.0));
            if (r >= 10 && r <= 40 && off <= 3) {
                light += At(image, i, j);
            }
        }
    }
    return light / image.Flux();
}

class SpiderVanes : public ::testing::TestWithParam<SpiderCase> {};

// A straight vane diffracts light perpendicular to itself, both ways: four
// vanes in a cross give four spikes, three vanes six.
TEST_P(SpiderVanes, SendLightIntoSpikesPerpendicularToTheVanes) {
    const SpiderCase &c = GetParam();
    OpticalSystem system;
    system.aperture.obstruction = 0.33;
    system.aperture.spider = {c.vanes, 0.02, c.degrees};
    const IntensityImage image = Image(system);
    double between = 0;
    for (double spike : c.spikes) {
        between = std::max(between, SpikeLight(image, spike + 180.0 / c.spikes.size()));
    }
    for (double spike : c.spikes) {
        EXPECT_GT(SpikeLight(image, spike), 2 * between) << "spike at " << spike << " degrees";
    }
}

// The part of the annulus (inner radius eps, outer 1) that a vane of
// half-width h, from the centre to the rim, covers: the strip |t| <= h, s >= 0
// holds h sqrt(rho^2 - h^2) + rho^2 asin(h / rho) of the disc of radius rho.
double VaneArea(double h, double eps) {
    auto strip = [h](double rho) { return h * std::sqrt(rho * rho - h * h) + rho * rho * std::asin(h / rho); };
    return strip(1) - strip(eps);
}

struct VaneCase {
    std::int32_t vanes;
    double width; // fraction of the diameter: a half-width of `width` pupil radii
};

void PrintTo(const VaneCase &c, std::ostream *out) { *out << c.vanes << " vanes of " << c.width << " of the diameter"; }

class VaneWidth : public ::testing::TestWithParam<VaneCase> {};

// In focus the pupil's every lit point adds in phase at the centre: the peak is
// the square of the open area. The vanes (10 degrees off the grid's axes,
// clear of one another outside the obstruction) take their strips' area.
TEST_P(VaneWidth, DimsThePeakAsTheSquareOfTheOpenArea) {
    const VaneCase &c = GetParam();
    const double eps = 0.33;
    OpticalSystem open;
    open.aperture.obstruction = eps;
    OpticalSystem spidered = open;
    spidered.aperture.spider = {c.vanes, c.width, 10};
    const double annulus = kPi * (1 - eps * eps);
    const double expected = std::pow((annulus - c.vanes * VaneArea(c.width, eps)) / annulus, 2);
    EXPECT_NEAR(Image(spidered).maximum / Image(open).maximum / expected, 1, 0.005);
}

INSTANTIATE_TEST_SUITE_P(TwoWidths, VaneWidth, ::testing::Values(VaneCase{4, 0.02}, VaneCase{3, 0.05}));

INSTANTIATE_TEST_SUITE_P(
    CrossAndTripod, SpiderVanes,
    ::testing::Values(SpiderCase{4, 0, {0, 90, 180, 270}}, SpiderCase{4, 45, {45, 135, 225, 315}},
                      SpiderCase{3, 0, {30, 90, 150, 210, 270, 330}},
                      SpiderCase{3, 90, {0, 60, 120, 180, 240, 300}}));

} // namespace
} // namespace diffrascope::optics
