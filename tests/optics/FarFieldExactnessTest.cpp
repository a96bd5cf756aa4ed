// The fast far field against the literal reading, intensity for intensity,
// for pupils with and without symmetry, at small and large grids, on any
// number of threads.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FarField.h"
#include "LiteralFarField.h"
#include "WavefrontMap.h"

namespace diffrascope::optics {
namespace {

struct ExactCase {
    const char *name;
    std::int32_t n;
    double wavelength;
    OpticalSystem system;
};

OpticalSystem Spec(double spherical, double focus, double obstruction) {
    OpticalSystem system;
    system.aberrations.spherical = spherical;
    system.aberrations.focus = focus;
    system.aperture.obstruction = obstruction;
    return system;
}

OpticalSystem With(OpticalSystem system, void (*change)(OpticalSystem &)) {
    change(system);
    return system;
}

// A map with no symmetry, NaN beyond the pupil's circle.
std::shared_ptr<const WavefrontMap> LopsidedMap() {
    const std::int32_t side = 33;
    std::vector<double> values;
    for (std::int32_t j = 0; j < side; ++j) {
        for (std::int32_t i = 0; i < side; ++i) {
            const double x = (i - 16) / 16.5;
            const double y = (j - 16) / 16.5;
            values.push_back(x * x + y * y > 1.1 ? std::nan("") : 0.2 * x * y * y + 0.1 * x - 0.05 * y);
        }
    }
    return std::make_shared<const WavefrontMap>(side, side, std::move(values), WavefrontUnit::Waves,
                                                SpanningGeometry(side, side));
}

std::vector<ExactCase> Cases() {
    const OpticalSystem plain = Spec(0.25, -1.5, 0.33);
    const OpticalSystem comaAlongX = With(plain, [](OpticalSystem &s) { s.aberrations.coma = {0.7, 0}; });
    const OpticalSystem comaAlongY = With(plain, [](OpticalSystem &s) { s.aberrations.coma = {0.7, 90}; });
    const OpticalSystem comaOblique = With(plain, [](OpticalSystem &s) { s.aberrations.coma = {-0.4, 33.3}; });
    const OpticalSystem astigmatism = With(plain, [](OpticalSystem &s) { s.aberrations.astigmatism = {1.2, 90}; });
    const OpticalSystem cross = With(comaAlongX, [](OpticalSystem &s) {
        s.aberrations.astigmatism = {0.5, 0};
        s.aperture.spider = {4, 0.02, 0};
    });
    const OpticalSystem threeVanes = With(plain, [](OpticalSystem &s) { s.aperture.spider = {3, 0.03, 90}; });
    const OpticalSystem zernikeCosines = With(Spec(0, 0, 0), [](OpticalSystem &s) {
        s.aberrations.zernike = {{6, 0.2}, {8, -0.1}, {12, 0.05}, {37, 0.03}};
    });
    const OpticalSystem zernikeSines = With(Spec(0, 0.5, 0.2), [](OpticalSystem &s) {
        s.aberrations.zernike = {{3, 0.3}, {9, 0.1}, {23, -0.04}};
    });
    const OpticalSystem everything = With(cross, [](OpticalSystem &s) {
        s.aberrations.zernike = {{5, 0.1}, {36, 0.02}};
        s.aperture.spider = {5, 0.015, 12.5};
    });
    const OpticalSystem edgeAndZones = With(plain, [](OpticalSystem &s) {
        s.figure.edge = {-0.3, 0.85};
        s.figure.zones = {{0.5, 0.1, 0.05}, {0.2, -0.05, 0.1}};
    });
    const OpticalSystem rough = With(plain, [](OpticalSystem &s) { s.figure.roughness = {0.05, 2, 9, 11}; });
    const OpticalSystem measured = With(threeVanes, [](OpticalSystem &s) { s.figure.measured = LopsidedMap(); });
    std::vector<ExactCase> cases;
    for (std::int32_t n : {8, 32, 64, 256}) {
        cases.push_back({"edge_and_zones", n, 550, edgeAndZones});
        cases.push_back({"roughness", n, 632.8, rough});
        cases.push_back({"measured_map", n, 450, measured});
        cases.push_back({"window_terms", n, 550, plain});
        cases.push_back({"coma_along_x", n, 632.8, comaAlongX});
        cases.push_back({"coma_along_y", n, 550, comaAlongY});
        cases.push_back({"coma_oblique", n, 440, comaOblique});
        cases.push_back({"astigmatism", n, 550, astigmatism});
        cases.push_back({"cross_spider_coma_astigmatism", n, 700, cross});
        cases.push_back({"three_vanes", n, 300, threeVanes});
        cases.push_back({"zernike_cosines", n, 550, zernikeCosines});
        cases.push_back({"zernike_sines", n, 1000, zernikeSines});
        cases.push_back({"everything", n, 500, everything});
    }
    cases.push_back({"everything", 1024, 300, everything});
    cases.push_back({"coma_along_x", 1024, 550, comaAlongX});
    cases.push_back({"no_light", 256, 550, Spec(0, 0, 1)});
    return cases;
}

std::string CaseName(const testing::TestParamInfo<ExactCase> &info) {
    return std::string(info.param.name) + "_N" + std::to_string(info.param.n) + "_" +
           std::to_string(static_cast<int>(info.param.wavelength)) + "nm";
}

class FarFieldExactness : public testing::TestWithParam<ExactCase> {};

TEST_P(FarFieldExactness, IntensitiesEqualTheLiteralReadingBitForBitOnAnyNumberOfThreads) {
    const ExactCase &c = GetParam();
    const PupilSampler pupil(c.system, c.n, c.wavelength);
    const std::vector<double> expected = reference::LiteralIntensity(pupil);
    for (std::int32_t threads : {1, 2, 3}) {
        FarField field(c.n, threads);
        std::vector<double> intensity(expected.size(), -1.0);
        field.Compute(pupil, intensity);
        std::int32_t mismatches = 0;
        for (std::size_t k = 0; k < expected.size(); ++k) {
            if (std::memcmp(&intensity[k], &expected[k], sizeof(double)) != 0 && ++mismatches <= 5) {
                ADD_FAILURE() << threads << " thread(s): intensity at [" << k / c.n << "][" << k % c.n << "] is "
                              << intensity[k] << ", the literal reading gives " << expected[k];
            }
        }
        EXPECT_EQ(mismatches, 0) << threads << " thread(s)";
    }
}

INSTANTIATE_TEST_SUITE_P(Pupils, FarFieldExactness, testing::ValuesIn(Cases()), CaseName);

} // namespace
} // namespace diffrascope::optics
