// Two-dimensional transforms of images against their definition.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "Fourier.h"

namespace diffrascope::optics {
namespace {

constexpr double kPi = 3.141592653589793;

// A plane wave cos(2 pi (3 i + 5 j) / N) has its spectrum at (3, 5) and
// (-3, -5), each N^2 / 2; the inverse gives it back.
TEST(ImageTransform, PutsAPlaneWaveAtItsFrequencyAndBringsItBack) {
    const std::int32_t n = 32;
    std::vector<double> image(static_cast<std::size_t>(n) * n);
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = 0; j < n; ++j) {
            image[static_cast<std::size_t>(i) * n + j] = std::cos(2 * kPi * (3 * i + 5 * j) / n) + 0.25;
        }
    }
    ImageTransform transform(n);
    const std::vector<std::complex<double>> spectrum = transform.Forward(image);
    for (std::int32_t u = 0; u < n; ++u) {
        for (std::int32_t v = 0; v < n; ++v) {
            const bool wave = (u == 3 && v == 5) || (u == n - 3 && v == n - 5);
            const double expected = wave ? n * n / 2.0 : (u == 0 && v == 0 ? 0.25 * n * n : 0);
            EXPECT_NEAR(std::abs(spectrum[static_cast<std::size_t>(u) * n + v]), expected, 1e-9) << u << ", " << v;
        }
    }
    const std::vector<double> back = transform.Inverse(spectrum);
    for (std::size_t k = 0; k < image.size(); ++k) {
        ASSERT_NEAR(back[k], image[k], 1e-12) << k;
    }
}

} // namespace
} // namespace diffrascope::optics
