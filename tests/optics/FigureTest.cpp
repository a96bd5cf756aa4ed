// Errors of the figure held against optics: the turned edge's sign against
// ray optics (which side of focus keeps a sharp rim), the Strehl ratio of
// radial errors against the radial diffraction integral, roughness's Strehl
// ratio against Marechal and its halo where its frequencies send the light,
// and roughness drawn the same from its seed, independently of this program.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>

#include "Roughness.h"
#include "Support.h"

namespace diffrascope::optics {
namespace {

using testing::At;
using testing::Image;

constexpr double kPi = 3.141592653589793;
constexpr std::int32_t kQuadrature = 200000; // midpoints across the pupil radius

// The edge and zones as defined: the terms' waves at normalised radius u.
double RadialTerms(const Figure &figure, double u) {
    double w = 0;
    if (u > figure.edge.start) {
        const double t = (u - figure.edge.start) / (1 - figure.edge.start);
        w += figure.edge.depth * t * t;
    }
    for (const Zone &zone : figure.zones) {
        w += zone.height * std::exp(-std::pow((u - zone.radius) / zone.width, 2));
    }
    return w;
}

// The fraction of the light from `inner` to `outer` lambda/D of the optical axis.
double FluxWithin(const IntensityImage &image, double inner, double outer = HUGE_VAL) {
    const std::int32_t h = image.n / 2;
    double flux = 0;
    for (std::int32_t i = 0; i < image.n; ++i) {
        for (std::int32_t j = 0; j < image.n; ++j) {
            const double r = std::hypot(i - h, j - h) * PixelScale(550);
            flux += r > inner && r <= outer ? At(image, i, j) : 0;
        }
    }
    return flux / image.Flux();
}

struct EdgeCase {
    double depth;
    double focus;
};

class TurnedEdgeRim : public ::testing::TestWithParam<EdgeCase> {};

// Ray optics: a ray leaves pupil radius u displaced by twice the wavefront's
// slope, 2 dW/du lambda/D. Defocus F alone fills a disc of radius 4 |F|; a
// turned-down edge (DEPTH < 0) bends the edge's rays inward, so outside focus
// (F > 0) they fold back inside the disc, whose rim stays sharp, and inside
// focus they spread beyond it, a soft rim. A turned-up edge does the
// opposite. The light beyond 1.1 times the disc's radius follows the rays.
TEST_P(TurnedEdgeRim, SendsTheLightBeyondTheDefocusedDiscWhereRayOpticsSendsIt) {
    const EdgeCase c = GetParam();
    OpticalSystem system = testing::Pupil(0, c.focus, 0);
    system.figure.edge = {c.depth, 0.8};
    const double cut = 1.1 * 4 * std::fabs(c.focus);
    double rays = 0; // the pupil's area fraction whose rays land beyond the cut
    for (std::int32_t k = 0; k < kQuadrature; ++k) {
        const double u = (k + 0.5) / kQuadrature;
        const double t = u > 0.8 ? (u - 0.8) / 0.2 : 0;
        const double slope = 2 * c.focus * u + 2 * c.depth * t / 0.2;
        rays += std::fabs(2 * slope) > cut ? 2 * u / kQuadrature : 0;
    }
    EXPECT_NEAR(FluxWithin(Image(system), cut), rays, 0.02) << "rays: " << rays;
}

INSTANTIATE_TEST_SUITE_P(BothSignsBothSidesOfFocus, TurnedEdgeRim,
                         ::testing::Values(EdgeCase{-1, -10}, EdgeCase{-1, 10}, EdgeCase{1, -10},
                                           EdgeCase{1, 10}));

// For a wavefront W(u) of the radius alone the axis holds the peak, and the
// Strehl ratio is |2 integral of exp(i 2 pi W(u)) u du|^2 over the pupil.
TEST(RadialErrors, KeepTheStrehlRatioOfTheRadialDiffractionIntegral) {
    Figure edge;
    edge.edge = {-0.15, 0.75};
    Figure zones;
    zones.zones = {{0.5, 0.06, 0.08}, {0.3, -0.04, 0.02}};
    for (const Figure &figure : {edge, zones}) {
        std::complex<double> integral = 0;
        for (std::int32_t k = 0; k < kQuadrature; ++k) {
            const double u = (k + 0.5) / kQuadrature;
            integral += std::polar(2 * u / kQuadrature, 2 * kPi * RadialTerms(figure, u));
        }
        OpticalSystem system;
        system.figure = figure;
        const double strehl = Image(system).maximum / Image(OpticalSystem{}).maximum;
        EXPECT_NEAR(strehl, std::norm(integral), 0.002);
    }
}

struct Band {
    std::int32_t from;
    std::int32_t to;
};

class RoughnessHalo : public ::testing::TestWithParam<Band> {};

// Marechal: a random wavefront of RMS sigma keeps exp(-(2 pi sigma)^2) of the
// peak, and the light it takes goes to the frequencies of its ripples: a
// ripple of k cycles per diameter to k lambda/D (each mode a copy of the Airy
// pattern there, nearly all within 3 lambda/D of its place).
TEST_P(RoughnessHalo, KeepsMarechalsStrehlRatioAndScattersTheLostLightFromFromToTo) {
    const Band band = GetParam();
    const double sigma = 0.05;
    OpticalSystem system;
    system.figure.roughness = {sigma, band.from, band.to, 7};
    const IntensityImage rough = Image(system);
    const IntensityImage perfect = Image(OpticalSystem{});
    const double marechal = std::exp(-std::pow(2 * kPi * sigma, 2));
    EXPECT_NEAR(rough.maximum / perfect.maximum / marechal, 1, 0.02);
    // the halo: what the rough image holds beyond the perfect image's share (both of the same flux)
    const double inner = band.from - 3;
    const double outer = band.to + 3;
    const double halo = FluxWithin(rough, inner, outer) - marechal * FluxWithin(perfect, inner, outer);
    EXPECT_NEAR(halo / (1 - marechal), 1, 0.1);
}

INSTANTIATE_TEST_SUITE_P(WideAndNarrowBands, RoughnessHalo,
                         ::testing::Values(Band{10, 40}, Band{19, 20}),
                         [](const ::testing::TestParamInfo<Band> &info) {
                             return std::to_string(info.param.from) + "_to_" + std::to_string(info.param.to);
                         });

// The modes drawn independently: std::mt19937_64 from the seed, the half
// plane row by row, phase = 2 pi (draw >> 11) / 2^53.
std::vector<std::array<double, 3>> Modes(std::int32_t from, std::int32_t to, std::uint32_t seed) {
    std::mt19937_64 draws(seed);
    std::vector<std::array<double, 3>> modes; // kx, ky, phase
    for (std::int32_t ky = 0; ky <= to; ++ky) {
        for (std::int32_t kx = -to; kx <= to; ++kx) {
            const std::int32_t k2 = kx * kx + ky * ky;
            if ((ky > 0 || kx > 0) && k2 >= from * from && k2 <= to * to) {
                modes.push_back({double(kx), double(ky), 2 * kPi * (double(draws() >> 11) / 9007199254740992.0)});
            }
        }
    }
    return modes;
}

// Calls visit(a, b) for every lit grid point of the pupil.
template <typename Visit> void ForLitPoints(const PupilSampler &pupil, Visit visit) {
    for (std::int32_t a = -pupil.Radius(); a <= pupil.Radius(); ++a) {
        for (std::int32_t b = -pupil.Radius(); b <= pupil.Radius(); ++b) {
            if (pupil.At(a, b).lit) {
                visit(a, b);
            }
        }
    }
}

TEST(RoughnessSeed, GivesTheWavefrontOfItsOwnModesScaledToItsRmsAndAnotherSeedAnother) {
    const std::int32_t n = 256;
    const double radius = 0.1 * n; // grid steps at 550 nm
    OpticalSystem system;
    system.aperture.obstruction = 0.25;
    system.figure.roughness = {0.08, 4, 12, 2024};
    const PupilSampler pupil(system, n, 550);
    const auto modes = Modes(4, 12, 2024);
    std::vector<double> expected;
    double mean = 0;
    ForLitPoints(pupil, [&](std::int32_t a, std::int32_t b) {
        double w = 0;
        for (const auto &[kx, ky, phase] : modes) {
            w += std::cos(kPi * (kx * (-a / radius) + ky * (b / radius)) + phase);
        }
        expected.push_back(w);
        mean += w;
    });
    mean /= expected.size();
    double squares = 0;
    for (double w : expected) {
        squares += (w - mean) * (w - mean) / expected.size();
    }
    std::size_t k = 0;
    ForLitPoints(pupil, [&](std::int32_t a, std::int32_t b) {
        EXPECT_NEAR(pupil.Sampled(a, b), 0.08 / std::sqrt(squares) * expected[k++], 1e-9);
    });
    // the same function at every wavelength, in waves scaled as 550 / lambda (the axis lies on both grids)
    OpticalSystem open = system;
    open.aperture.obstruction = 0;
    EXPECT_NEAR(PupilSampler(open, n, 700).Sampled(0, 0), PupilSampler(open, n, 550).Sampled(0, 0) * 550 / 700,
                1e-12);
    // two independent draws of RMS sigma differ by sqrt(2) sigma RMS
    system.figure.roughness.seed = 2025;
    const PupilSampler other(system, n, 550);
    double differences = 0;
    ForLitPoints(pupil, [&](std::int32_t a, std::int32_t b) {
        differences += std::pow(other.Sampled(a, b) - pupil.Sampled(a, b), 2) / expected.size();
    });
    EXPECT_GT(std::sqrt(differences), 0.08);
}

} // namespace
} // namespace diffrascope::optics
