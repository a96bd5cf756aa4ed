// Companions and extended objects seen through the optics, and flux
// normalisation, held against optics: the Airy pattern (J1), the Rayleigh
// criterion, magnitudes, the edge-spread function of a circular aperture.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <utility>

#include "Engine.h"
#include "OpticsError.h"

namespace diffrascope::optics {
namespace {

constexpr double kApertureMm = 200;
constexpr double kWavelength = 550;                      // nm
constexpr double kArcsecondsPerRadian = 648000 / std::numbers::pi;
constexpr double kPixel = 110 / kWavelength;             // lambda/D per grid pixel
constexpr std::int32_t kGrid = 512;
constexpr std::int32_t kCentre = kGrid / 2;              // the axis, in picture pixels of a full view

double LambdaOverD() { return kWavelength * 1e-9 / (kApertureMm * 1e-3) * kArcsecondsPerRadian; } // arcseconds
double PixelArcseconds() { return kPixel * LambdaOverD(); }

// The Airy pattern at r lambda/D, 1 on the axis.
double Airy(double r) {
    const double x = std::numbers::pi * r;
    return x == 0 ? 1 : std::pow(2 * std::cyl_bessel_j(1.0, x) / x, 2);
}

Job FullView(std::int32_t grid = kGrid) {
    Job job;
    job.apertureMm = kApertureMm;
    job.layout = Layout::Full;
    job.grid = grid;
    job.keepIntensities = true;
    return job;
}

PanelResult Render(Job job) {
    Result result = Compute(MakePlan(std::move(job)));
    EXPECT_EQ(result.panels.size(), 1u);
    return std::move(result.panels.front());
}

// The peak near picture pixel (x, y): the brightest of its 7 x 7 neighbours,
// refined by a parabola through three samples along each axis.
struct Peak {
    double x;
    double y;
    double value;
};

Peak PeakNear(const PanelResult &panel, std::int32_t x0, std::int32_t y0) {
    std::int32_t bx = x0;
    std::int32_t by = y0;
    for (std::int32_t y = y0 - 3; y <= y0 + 3; ++y) {
        for (std::int32_t x = x0 - 3; x <= x0 + 3; ++x) {
            if (panel.IntensityAt(x, y) > panel.IntensityAt(bx, by)) {
                bx = x;
                by = y;
            }
        }
    }
    auto vertex = [](double left, double mid, double right) {
        const double curvature = left - 2 * mid + right;
        const double offset = 0.5 * (left - right) / curvature;
        return std::pair{offset, mid - 0.25 * (left - right) * offset};
    };
    const auto [dx, vx] = vertex(panel.IntensityAt(bx - 1, by), panel.IntensityAt(bx, by), panel.IntensityAt(bx + 1, by));
    const auto [dy, vy] = vertex(panel.IntensityAt(bx, by - 1), panel.IntensityAt(bx, by), panel.IntensityAt(bx, by + 1));
    return {bx + dx, by + dy, vx + vy - panel.IntensityAt(bx, by)};
}

struct CompanionCase {
    double separation; // arcseconds
    double magnitudes;
    double angle; // degrees from north through east
};

class CompanionTest : public ::testing::TestWithParam<CompanionCase> {};

// The companion lies SEP away towards PA (north up, east left) and its peak
// is 10^(-0.4 DMAG) of the star's.
TEST_P(CompanionTest, LiesAtItsSeparationAndAngleWithItsBrightness) {
    const CompanionCase c = GetParam();
    Job job = FullView();
    job.sky.companions = {{c.separation, c.magnitudes, c.angle}};
    const PanelResult panel = Render(job);
    ASSERT_EQ(panel.side, kGrid);
    const double pixels = c.separation / PixelArcseconds();
    const double angle = c.angle * std::numbers::pi / 180;
    const double x = kCentre - pixels * std::sin(angle); // east is -x
    const double y = kCentre - pixels * std::cos(angle); // north is up, picture rows count down
    const Peak star = PeakNear(panel, kCentre, kCentre);
    const Peak companion = PeakNear(panel, static_cast<std::int32_t>(std::lround(x)), static_cast<std::int32_t>(std::lround(y)));
    EXPECT_NEAR(companion.x, x, 0.5);
    EXPECT_NEAR(companion.y, y, 0.5);
    EXPECT_NEAR(std::hypot(companion.x - star.x, companion.y - star.y), pixels, 0.5);
    EXPECT_NEAR(companion.value / star.value, std::pow(10.0, -0.4 * c.magnitudes), 0.03 * std::pow(10.0, -0.4 * c.magnitudes));
}

INSTANTIATE_TEST_SUITE_P(Sky, CompanionTest,
                         ::testing::Values(CompanionCase{4, 1, 90}, CompanionCase{3, 2.5, 0},
                                           CompanionCase{5.3, 0.5, 225}, CompanionCase{6.1, 4, 300}));

// Two equal stars 1.22 lambda/D apart: the dip between them is the sampled
// Airy patterns' (about 26 %).
TEST(Companion, EqualStarsAtTheRayleighSeparationDipBetweenThePeaks) {
    constexpr double kRayleigh = 1.2197; // lambda/D, the first dark ring
    Job job = FullView();
    job.sky.companions = {{kRayleigh * LambdaOverD(), 0, 90}};
    const PanelResult panel = Render(job);
    ASSERT_EQ(panel.side, kGrid);
    const double apart = kRayleigh / kPixel; // pixels, towards -x
    double brightest = 0;
    double dip = 1e9;
    double expectedBrightest = 0;
    double expectedDip = 1e9;
    for (std::int32_t x = kCentre - static_cast<std::int32_t>(apart); x <= kCentre; ++x) {
        const double value = panel.IntensityAt(x, kCentre);
        const double airy = Airy((kCentre - x) * kPixel) + Airy((x - (kCentre - apart)) * kPixel);
        brightest = std::max(brightest, value);
        dip = std::min(dip, value);
        expectedBrightest = std::max(expectedBrightest, airy);
        expectedDip = std::min(expectedDip, airy);
    }
    const double expected = 1 - expectedDip / expectedBrightest;
    EXPECT_NEAR(expected, 0.26, 0.01);
    EXPECT_NEAR(1 - dip / brightest, expected, 0.01);
}

// Under flux normalisation a lone star's peak pixel holds pi/4 p^2 of its
// light, p the pixel in lambda/D (the Airy pattern's peak for a flux of 1).
TEST(Normalization, FluxGivesTheAiryPeakFractionOfTheLight) {
    Job job = FullView();
    job.sky.normalization = Normalization::Flux;
    const PanelResult panel = Render(job);
    ASSERT_EQ(panel.side, kGrid);
    const double expected = std::numbers::pi / 4 * kPixel * kPixel;
    EXPECT_NEAR(panel.IntensityAt(kCentre, kCentre), expected, 0.005 * expected);
}

// An object picture of side x side pixels, `value` where inside(column, row).
template <typename Inside>
std::shared_ptr<const ObjectImage> Picture(std::int32_t side, Inside inside) {
    auto image = std::make_shared<ObjectImage>();
    image->width = side;
    image->height = side;
    for (std::int32_t r = 0; r < side; ++r) {
        for (std::int32_t c = 0; c < side; ++c) {
            image->values.push_back(inside(c, r) ? 1.0 : 0.0);
        }
    }
    return image;
}

// The full width at half maximum along the picture row through the centre, in pixels.
double WidthAtHalf(const PanelResult &panel) {
    const double half = panel.IntensityAt(kCentre, kCentre) / 2;
    auto crossing = [&](std::int32_t step) {
        std::int32_t x = kCentre;
        while (panel.IntensityAt(x + step, kCentre) > half) {
            x += step;
        }
        const double inside = panel.IntensityAt(x, kCentre);
        const double outside = panel.IntensityAt(x + step, kCentre);
        return x + step * (inside - half) / (inside - outside);
    };
    return crossing(1) - crossing(-1);
}

struct PointCase {
    std::int32_t side;    // object pixels, odd: the bright one in the middle
    double pixelsPerGrid; // object pixels per grid pixel
};

class PointObjectTest : public ::testing::TestWithParam<PointCase> {};

// One bright pixel, smaller than the star image, gives the star image: the
// Airy pattern's FWHM of 1.029 lambda/D.
TEST_P(PointObjectTest, GivesTheStarImage) {
    const PointCase c = GetParam();
    Job job = FullView();
    const std::int32_t middle = c.side / 2;
    job.sky.object = SkyObject{Picture(c.side, [&](std::int32_t col, std::int32_t row) { return col == middle && row == middle; }),
                               PixelArcseconds() / c.pixelsPerGrid};
    const PanelResult panel = Render(job);
    ASSERT_EQ(panel.side, kGrid);
    EXPECT_NEAR(WidthAtHalf(panel) * kPixel, 1.029, 0.05 * 1.029);
}

INSTANTIATE_TEST_SUITE_P(Sky, PointObjectTest,
                         ::testing::Values(PointCase{1, 1}, PointCase{9, 1}, PointCase{5, 3}));

// A uniform disc of radius 10 lambda/D keeps its light: under flux
// normalisation the picture adds up to the sum of the object's pixels.
TEST(ExtendedObject, UniformDiscKeepsItsFlux) {
    constexpr std::int32_t kSide = 101;
    constexpr double kRadius = 10; // lambda/D
    Job job = FullView(1024);
    const double scale = 2 * kRadius / kSide; // lambda/D per object pixel
    auto disc = Picture(kSide, [&](std::int32_t c, std::int32_t r) {
        return std::hypot(c - kSide / 2, r - kSide / 2) * scale <= kRadius;
    });
    double flux = 0;
    for (double v : disc->values) {
        flux += v;
    }
    job.sky.object = SkyObject{disc, scale * LambdaOverD()};
    job.sky.normalization = Normalization::Flux;
    const PanelResult panel = Render(job);
    ASSERT_EQ(panel.intensities.size(), 1024u * 1024u);
    double sum = 0;
    for (double v : panel.intensities) {
        sum += v;
    }
    EXPECT_NEAR(sum, flux, 0.001 * flux);
}

// The edge-spread function of a circular aperture, from its MTF:
// ESF(x) = 1/2 + integral_0^1 MTF(nu) sin(2 pi nu x) / (pi nu) d nu, x in lambda/D.
double EdgeSpread(double x) {
    constexpr int kSteps = 20000;
    double sum = 0;
    for (int k = 0; k < kSteps; ++k) {
        const double nu = (k + 0.5) / kSteps;
        const double mtf = 2 / std::numbers::pi * (std::acos(nu) - nu * std::sqrt(1 - nu * nu));
        sum += mtf * std::sin(2 * std::numbers::pi * nu * x) / (std::numbers::pi * nu);
    }
    return 0.5 + sum / kSteps;
}

// Where a rising function of x crosses `level`, by bisection.
template <typename F>
double Crossing(F f, double level, double from, double to) {
    for (int k = 0; k < 60; ++k) {
        const double mid = (from + to) / 2;
        (f(mid) < level ? from : to) = mid;
    }
    return (from + to) / 2;
}

// The edge of a large uniform disc rises from 10 % to 90 % over the edge
// spread's width, about 1.3 lambda/D.
TEST(ExtendedObject, EdgeOfALargeDiscBlursOverTheEdgeSpread) {
    constexpr std::int32_t kSide = 301; // object pixels of one grid pixel
    Job job = FullView(1024);
    auto disc = Picture(kSide, [&](std::int32_t c, std::int32_t r) { return std::hypot(c - kSide / 2, r - kSide / 2) <= 140; });
    job.sky.object = SkyObject{disc, PixelArcseconds()};
    const PanelResult panel = Render(job);
    ASSERT_EQ(panel.side, 1024);
    const std::int32_t centre = 512;
    const double plateau = panel.IntensityAt(centre, centre);
    // Along the row through the centre, out to the right edge (x rising, brightness falling).
    auto profile = [&](double x) {
        const auto left = static_cast<std::int32_t>(std::floor(x));
        const double t = x - left;
        return -((1 - t) * panel.IntensityAt(left, centre) + t * panel.IntensityAt(left + 1, centre)) / plateau;
    };
    const double width = Crossing(profile, -0.1, centre + 130, centre + 150) - Crossing(profile, -0.9, centre + 130, centre + 150);
    const double expected = Crossing(EdgeSpread, 0.9, -3, 3) - Crossing(EdgeSpread, 0.1, -3, 3);
    EXPECT_NEAR(expected, 1.33, 0.01);
    EXPECT_NEAR(width * kPixel, expected, 0.1 * expected);
}

struct RefusalCase {
    const char *name;
    void (*change)(Job &);
    const char *parameter;
};

void PrintTo(const RefusalCase &c, std::ostream *out) { *out << c.name; }

class SkyRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(SkyRefusalTest, NamesTheParameter) {
    Job job = FullView();
    GetParam().change(job);
    try {
        MakePlan(job);
        FAIL() << "accepted";
    } catch (const ParameterError &error) {
        EXPECT_EQ(error.Parameter(), GetParam().parameter);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sky, SkyRefusalTest,
    ::testing::Values(
        RefusalCase{"companion without an aperture", [](Job &j) { j.apertureMm.reset(); j.sky.companions = {{1, 0, 90}}; }, "companion"},
        RefusalCase{"negative separation", [](Job &j) { j.sky.companions = {{-1, 0, 90}}; }, "companion"},
        RefusalCase{"nine companions", [](Job &j) { j.sky.companions.assign(9, {1, 0, 90}); }, "companion"},
        RefusalCase{"scale of -1", [](Job &j) { j.sky.object = SkyObject{Picture(3, [](int, int) { return true; }), -1}; }, "object-scale"},
        RefusalCase{"empty object", [](Job &j) { j.sky.object = SkyObject{std::make_shared<ObjectImage>(), 1}; }, "object"}));

} // namespace
} // namespace diffrascope::optics
