#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

#include "Fft.h"
#include "TraceCapture.h"

namespace diffrascope {
namespace {

constexpr double kTwoPi = 2 * 3.141592653589793;
const double kRootHalf = std::sqrt(0.5);

bool IsNegativeZero(double v) { return v == 0 && std::signbit(v); }
bool IsPositiveZero(double v) { return v == 0 && !std::signbit(v); }

std::vector<double> SinTable(std::int32_t n) {
    std::vector<double> table(static_cast<std::size_t>(SinTableLength(n)));
    MakeSinTable(n, table.data());
    return table;
}

std::vector<std::int32_t> BitReverseTable(std::int32_t n) {
    std::vector<std::int32_t> table(static_cast<std::size_t>(n));
    MakeBitReverseTable(n, table.data());
    return table;
}

TEST(SinTable, LengthEightHoldsFiveQuarterPeriodsWithSignedZeros) {
    const std::vector<double> t = SinTable(8);
    ASSERT_EQ(t.size(), 10u);
    EXPECT_TRUE(IsPositiveZero(t[0]));
    EXPECT_EQ(std::bit_cast<std::uint64_t>(t[1]), 0x3FE6A09E667F3BCDu);
    EXPECT_EQ(t[2], 1.0);
    EXPECT_EQ(t[3], t[1]);
    EXPECT_TRUE(IsNegativeZero(t[4]));
    EXPECT_EQ(t[5], -t[1]);
    EXPECT_EQ(t[6], -1.0);
    EXPECT_EQ(t[7], -t[1]);
    EXPECT_TRUE(IsPositiveZero(t[8]));
    EXPECT_EQ(t[9], t[1]);
}

TEST(SinTable, LengthFourHasNoEighthEntry) {
    const std::vector<double> t = SinTable(4);
    ASSERT_EQ(t.size(), 5u);
    EXPECT_TRUE(IsPositiveZero(t[0]));
    EXPECT_EQ(t[1], 1.0);
    EXPECT_TRUE(IsNegativeZero(t[2]));
    EXPECT_EQ(t[3], -1.0);
    EXPECT_TRUE(IsPositiveZero(t[4]));
}

TEST(SinTable, EveryEntryFollowsTheSineAtTheGridSizes) {
    // The recurrence gathers rounding error with the length.
    struct Accuracy {
        std::int32_t n;
        double tolerance;
    };
    for (const Accuracy a : {Accuracy{256, 1e-15}, {512, 1e-15}, {1024, 1e-15}, {2048, 4e-15}, {4096, 4e-15}}) {
        const std::int32_t n = a.n;
        const std::vector<double> t = SinTable(n);
        for (std::int32_t i = 0; i < SinTableLength(n); ++i) {
            EXPECT_NEAR(t[i], std::sin(kTwoPi * i / n), a.tolerance) << "n " << n << " entry " << i;
        }
        EXPECT_EQ(t[n / 8], kRootHalf) << "the eighth is the stored constant";
        EXPECT_TRUE(IsNegativeZero(t[n / 2]));
        EXPECT_TRUE(IsPositiveZero(t[n]));
        for (std::int32_t i = 0; i < n / 4; ++i) {
            ASSERT_EQ(t[n + i], t[i]) << "the fifth quarter repeats the first";
        }
    }
}

TEST(SinTable, BuildingWritesTraceLineA) {
    TraceCapture trace;
    SinTable(64);
    EXPECT_EQ(trace.Text(), "a\n");
}

TEST(BitReverseTable, ReversesTheBitsOfEveryIndex) {
    EXPECT_EQ(BitReverseTable(8), (std::vector<std::int32_t>{0, 4, 2, 6, 1, 5, 3, 7}));
    EXPECT_EQ(BitReverseTable(16),
              (std::vector<std::int32_t>{0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15}));
    for (std::int32_t n : {256, 1024, 4096}) {
        const std::vector<std::int32_t> t = BitReverseTable(n);
        const int bits = std::countr_zero(static_cast<std::uint32_t>(n));
        for (std::int32_t i = 0; i < n; ++i) {
            std::uint32_t reversed = 0;
            for (int b = 0; b < bits; ++b) {
                reversed |= ((static_cast<std::uint32_t>(i) >> b) & 1u) << (bits - 1 - b);
            }
            ASSERT_EQ(t[i], static_cast<std::int32_t>(reversed)) << "n " << n << " index " << i;
        }
    }
}

TEST(BitReverseTable, BuildingWritesTraceLineB) {
    TraceCapture trace;
    BitReverseTable(64);
    EXPECT_EQ(trace.Text(), "b\n");
}

TEST(TransformLength, OnlyPowersOfTwoFromFourAreAccepted) {
    for (std::int32_t n : {4, 8, 256, 4096, 1 << 30}) {
        EXPECT_TRUE(IsTransformLength(n)) << n;
    }
    for (std::int32_t n : {-8, 0, 1, 2, 3, 6, 12, 1000, INT32_MIN}) {
        EXPECT_FALSE(IsTransformLength(n)) << n;
    }
    std::vector<double> table(16), x(12), y(12);
    std::vector<std::int32_t> bitrev(12);
    EXPECT_THROW(MakeSinTable(12, table.data()), std::invalid_argument);
    EXPECT_THROW(Fft(12, bitrev.data(), table.data(), x.data(), y.data()), std::invalid_argument);
    EXPECT_THROW(Fft(-12, bitrev.data(), table.data(), x.data(), y.data()), std::invalid_argument);
    EXPECT_THROW(Fft(INT32_MIN, bitrev.data(), table.data(), x.data(), y.data()), std::invalid_argument);
}

// One transform length with its tables.
struct Line {
    explicit Line(std::int32_t length)
        : n(length), sine(SinTable(length)), bitrev(BitReverseTable(length)),
          x(static_cast<std::size_t>(length)), y(static_cast<std::size_t>(length)) {}
    void Forward() { Fft(n, bitrev.data(), sine.data(), x.data(), y.data()); }
    void Inverse() { Fft(-n, bitrev.data(), sine.data(), x.data(), y.data()); }

    std::int32_t n;
    std::vector<double> sine;
    std::vector<std::int32_t> bitrev;
    std::vector<double> x;
    std::vector<double> y;
};

TEST(Fft, LengthZeroLeavesTheArraysUntouched) {
    std::vector<double> x{1, 2, 3, 4}, y{5, 6, 7, 8};
    Fft(0, nullptr, nullptr, x.data(), y.data());
    EXPECT_EQ(x, (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(y, (std::vector<double>{5, 6, 7, 8}));
}

TEST(Fft, ImpulseGivesAFlatSpectrumScaledForwardAndUnscaledInverse) {
    for (std::int32_t n : {4, 16, 512}) {
        Line forward(n);
        forward.x[0] = 1;
        forward.Forward();
        Line inverse(n);
        inverse.x[0] = 1;
        inverse.Inverse();
        for (std::int32_t k = 0; k < n; ++k) {
            EXPECT_EQ(forward.x[k], 1.0 / n);
            EXPECT_EQ(forward.y[k], 0.0);
            EXPECT_EQ(inverse.x[k], 1.0);
            EXPECT_EQ(inverse.y[k], 0.0);
        }
    }
}

TEST(Fft, LengthFourOfAShiftedImpulseTurnsClockwiseForwardAndAnticlockwiseInverse) {
    Line forward(4);
    forward.x = {0, 1, 0, 0};
    forward.Forward();
    EXPECT_EQ(forward.x, (std::vector<double>{0.25, 0, -0.25, 0}));
    EXPECT_EQ(forward.y, (std::vector<double>{0, -0.25, 0, 0.25}));
    Line inverse(4);
    inverse.x = {0, 1, 0, 0};
    inverse.Inverse();
    EXPECT_EQ(inverse.x, (std::vector<double>{1, 0, -1, 0}));
    EXPECT_EQ(inverse.y, (std::vector<double>{0, 1, 0, -1}));
}

TEST(Fft, ForwardKernelIsExpMinusTwoPiIMkOverN) {
    for (std::int32_t n : {8, 256, 1024}) {
        for (std::int32_t f : {1, 3, n / 2 - 1}) {
            Line line(n);
            for (std::int32_t m = 0; m < n; ++m) {
                line.x[m] = std::cos(kTwoPi * f * m / n);
                line.y[m] = std::sin(kTwoPi * f * m / n);
            }
            line.Forward();
            for (std::int32_t k = 0; k < n; ++k) {
                EXPECT_NEAR(line.x[k], k == f ? 1.0 : 0.0, 1e-12) << "n " << n << " f " << f << " k " << k;
                EXPECT_NEAR(line.y[k], 0.0, 1e-12) << "n " << n << " f " << f << " k " << k;
            }
        }
    }
}

TEST(Fft, MatchesTheDefiningSumOnRandomInput) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-1, 1);
    for (std::int32_t n : {4, 32, 256}) {
        Line line(n);
        std::vector<std::complex<double>> z(static_cast<std::size_t>(n));
        for (std::int32_t m = 0; m < n; ++m) {
            line.x[m] = value(random);
            line.y[m] = value(random);
            z[m] = {line.x[m], line.y[m]};
        }
        line.Forward();
        for (std::int32_t k = 0; k < n; ++k) {
            std::complex<double> sum = 0;
            for (std::int32_t m = 0; m < n; ++m) {
                sum += z[m] * std::polar(1.0, -kTwoPi * ((static_cast<std::int64_t>(m) * k) % n) / n);
            }
            sum /= static_cast<double>(n);
            EXPECT_NEAR(line.x[k], sum.real(), 1e-13);
            EXPECT_NEAR(line.y[k], sum.imag(), 1e-13);
        }
    }
}

TEST(Fft, ForwardThenInverseRestoresTheInput) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> value(-1, 1);
    for (std::int32_t n : {4, 8, 64, 256, 512, 1024, 4096}) {
        Line line(n);
        for (std::int32_t m = 0; m < n; ++m) {
            line.x[m] = value(random);
            line.y[m] = value(random);
        }
        const std::vector<double> x0 = line.x, y0 = line.y;
        line.Forward();
        line.Inverse();
        for (std::int32_t m = 0; m < n; ++m) {
            ASSERT_NEAR(line.x[m], x0[m], 1e-13) << "n " << n;
            ASSERT_NEAR(line.y[m], y0[m], 1e-13) << "n " << n;
        }
    }
}

} // namespace
} // namespace diffrascope
