// Two-dimensional transforms of images against their definition.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <random>
#include <stdexcept>
#include <stop_token>

#include "Fourier.h"
#include "OpticsError.h"

namespace diffrascope::optics {
namespace {

constexpr double kPi = 3.141592653589793;
using Complex = std::complex<double>;
using Image = std::vector<Complex>;

// Uniform in [-1, 1) from std::mt19937_64, whose sequence the standard fixes.
std::vector<double> RandomValues(std::size_t count, std::uint64_t seed) {
    std::mt19937_64 draws(seed);
    std::vector<double> values(count);
    for (double &value : values) {
        value = 2 * std::ldexp(static_cast<double>(draws() >> 11), -53) - 1;
    }
    return values;
}

template <typename T> bool SameBits(const std::vector<T> &a, const std::vector<T> &b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

// The definition, term by term, along j and then along i: sign -1 forward
// (unscaled), +1 inverse (divided by N per direction).
Image DirectDft(Image a, std::int32_t n, int sign) {
    for (const auto &[stride, step] : {std::pair{n, 1}, std::pair{1, n}}) {
        Image b(a.size());
        for (std::int32_t line = 0; line < n; ++line) {
            for (std::int32_t k = 0; k < n; ++k) {
                Complex sum = 0;
                for (std::int32_t m = 0; m < n; ++m) {
                    const double angle = sign * 2 * kPi * ((m * k) % n) / n;
                    sum += a[line * stride + m * step] * std::polar(1.0, angle);
                }
                b[line * stride + k * step] = sign < 0 ? sum : sum / static_cast<double>(n);
            }
        }
        a = b;
    }
    return a;
}

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

// Sizes transformed one line at a time and in batches of lines.
TEST(ImageTransform, AgreesWithTheDefinitionOnARandomImage) {
    for (const std::int32_t n : {4, 8, 64}) {
        const std::size_t count = static_cast<std::size_t>(n) * n;
        const std::vector<double> image = RandomValues(count, 7);
        const std::vector<double> parts = RandomValues(2 * count, 11);
        Image spectrum(count);
        for (std::size_t k = 0; k < count; ++k) {
            spectrum[k] = {parts[2 * k], parts[2 * k + 1]};
        }
        ImageTransform transform(n);
        const Image forward = transform.Forward(image);
        const std::vector<double> inverse = transform.Inverse(spectrum);
        const Image expectedForward = DirectDft(Image(image.begin(), image.end()), n, -1);
        const Image expectedInverse = DirectDft(spectrum, n, +1);
        ASSERT_EQ(forward.size(), count);
        ASSERT_EQ(inverse.size(), count);
        for (std::size_t k = 0; k < count; ++k) {
            EXPECT_LT(std::abs(forward[k] - expectedForward[k]), 1e-12 * n) << n << ": " << k;
            EXPECT_NEAR(inverse[k], expectedInverse[k].real(), 1e-14 * n) << n << ": " << k;
        }
    }
}

TEST(ImageTransform, GivesTheSameBitsOnOneAndTwoThreads) {
    const std::int32_t n = 256;
    const std::vector<double> image = RandomValues(static_cast<std::size_t>(n) * n, 17);
    ImageTransform one(n, 1);
    ImageTransform two(n, 2);
    const Image spectrum = one.Forward(image);
    EXPECT_TRUE(SameBits(spectrum, two.Forward(image)));
    EXPECT_TRUE(SameBits(one.Inverse(spectrum), two.Inverse(spectrum)));
}

TEST(ImageTransform, RefusesAnImageOfAnotherSize) {
    ImageTransform transform(64);
    EXPECT_THROW(transform.Forward(std::vector<double>(64 * 63)), std::invalid_argument);
    EXPECT_THROW(transform.Inverse(Image(65 * 64)), std::invalid_argument);
}

TEST(ImageTransform, StopsWhenAsked) {
    std::stop_source stop;
    stop.request_stop();
    const Control control{stop.get_token(), {}};
    const Checkpoint checkpoint(control, 1);
    ImageTransform transform(64);
    EXPECT_THROW(transform.Forward(std::vector<double>(64 * 64), checkpoint), CancelledError);
    EXPECT_THROW(transform.Inverse(Image(64 * 64), checkpoint), CancelledError);
}

} // namespace
} // namespace diffrascope::optics
