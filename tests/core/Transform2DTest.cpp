#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "Fft.h"
#include "Grid.h"

namespace diffrascope {
namespace {

constexpr double kTwoPi = 2 * 3.141592653589793;

// A field of n x n doubles with the scratch buffers and tables of its size.
class Field {
  public:
    explicit Field(std::int32_t size) : n(size) {
        AllocateRealGrid(n, n, re);
        AllocateRealGrid(n, n, im);
        AllocateRealGrid(n, n, buffers.shiftScratch);
        AllocateRealVector(n, buffers.workRe);
        AllocateRealVector(n, buffers.workIm);
        AllocateIntVector(n, buffers.bitRev);
        AllocateRealVector(SinTableLength(n), buffers.sinTable);
        MakeSinTable(n, buffers.sinTable);
        MakeBitReverseTable(n, buffers.bitRev);
    }
    ~Field() {
        ReleaseGrid(n, n, re);
        ReleaseGrid(n, n, im);
        ReleaseGrid(n, n, buffers.shiftScratch);
        ReleaseVector(buffers.workRe);
        ReleaseVector(buffers.workIm);
        ReleaseVector(buffers.bitRev);
        ReleaseVector(buffers.sinTable);
    }
    Field(const Field &) = delete;
    Field &operator=(const Field &) = delete;

    std::vector<std::int32_t> Transform() {
        std::vector<std::int32_t> progress;
        Fft2DCentred(n, re, im, buffers, [&](std::int32_t percent) { progress.push_back(percent); });
        return progress;
    }

    std::int32_t n;
    RealGrid re = nullptr;
    RealGrid im = nullptr;
    TransformBuffers buffers;
};

TEST(QuadrantSwap, ExchangesDiagonallyOppositeQuadrantsAndUndoesItself) {
    Field f(8);
    for (std::int32_t r = 0; r < 8; ++r) {
        for (std::int32_t c = 0; c < 8; ++c) {
            f.re[r][c] = r * 8 + c;
        }
    }
    QuadrantSwap(8, f.re, f.buffers.shiftScratch);
    for (std::int32_t r = 0; r < 8; ++r) {
        for (std::int32_t c = 0; c < 8; ++c) {
            EXPECT_EQ(f.re[r][c], ((r + 4) % 8) * 8 + (c + 4) % 8) << r << "," << c;
        }
    }
    EXPECT_EQ(f.re[4][4], 0.0) << "element [0][0] lands on the centre";
    QuadrantSwap(8, f.re, f.buffers.shiftScratch);
    for (std::int32_t r = 0; r < 8; ++r) {
        for (std::int32_t c = 0; c < 8; ++c) {
            EXPECT_EQ(f.re[r][c], r * 8 + c);
        }
    }
}

TEST(Fft2DCentred, ProgressRunsThroughBothPassesAndEndsAtZero) {
    Field f(8);
    EXPECT_EQ(f.Transform(), (std::vector<std::int32_t>{0, 6, 12, 18, 25, 31, 37, 43, 50, 56, 62, 68, 75, 81, 87,
                                                        93, 0}));
    Field g(256);
    const std::vector<std::int32_t> progress = g.Transform();
    ASSERT_EQ(progress.size(), 2u * 256 + 1);
    for (std::int32_t i = 0; i < 256; ++i) {
        EXPECT_EQ(progress[i], 50 * i / 256);
        EXPECT_EQ(progress[256 + i], 50 + 50 * i / 256);
    }
    EXPECT_EQ(progress.back(), 0);
}

TEST(Fft2DCentred, CentralImpulseGivesAFlatFieldOfOneOverNSquared) {
    for (std::int32_t n : {8, 64}) {
        Field f(n);
        f.re[n / 2][n / 2] = 1;
        f.Transform();
        for (std::int32_t r = 0; r < n; ++r) {
            for (std::int32_t c = 0; c < n; ++c) {
                ASSERT_EQ(f.re[r][c], 1.0 / (n * n));
                ASSERT_EQ(f.im[r][c], 0.0);
            }
        }
    }
}

TEST(Fft2DCentred, FlatFieldGivesOneAtTheCentreOnly) {
    const std::int32_t n = 64;
    Field f(n);
    for (std::int32_t r = 0; r < n; ++r) {
        for (std::int32_t c = 0; c < n; ++c) {
            f.re[r][c] = 1;
        }
    }
    f.Transform();
    for (std::int32_t r = 0; r < n; ++r) {
        for (std::int32_t c = 0; c < n; ++c) {
            EXPECT_NEAR(f.re[r][c], r == n / 2 && c == n / 2 ? 1.0 : 0.0, 1e-15);
            EXPECT_NEAR(f.im[r][c], 0.0, 1e-15);
        }
    }
}

// exp(-2 pi i m (a - N/2) / N) along the rows, the same in every column,
// lands on row N/2 + m: the kernel has a positive exponent.
TEST(Fft2DCentred, ExponentIsPositive) {
    const std::int32_t n = 32;
    for (std::int32_t m : {1, 5, -3}) {
        Field f(n);
        for (std::int32_t a = 0; a < n; ++a) {
            for (std::int32_t b = 0; b < n; ++b) {
                f.re[a][b] = std::cos(-kTwoPi * m * (a - n / 2) / n);
                f.im[a][b] = std::sin(-kTwoPi * m * (a - n / 2) / n);
            }
        }
        f.Transform();
        const std::int32_t peakRow = ((n / 2 + m) % n + n) % n;
        for (std::int32_t r = 0; r < n; ++r) {
            for (std::int32_t c = 0; c < n; ++c) {
                const double expected = r == peakRow && c == n / 2 ? 1.0 : 0.0;
                ASSERT_NEAR(f.re[r][c], expected, 1e-13) << "m " << m << " at " << r << "," << c;
                ASSERT_NEAR(f.im[r][c], 0.0, 1e-13) << "m " << m << " at " << r << "," << c;
            }
        }
    }
}

// The column direction too: a wave across the columns lands on column N/2 + m.
TEST(Fft2DCentred, ColumnsAndRowsAreTransformedAlike) {
    const std::int32_t n = 16;
    const std::int32_t m = 2;
    Field f(n);
    for (std::int32_t a = 0; a < n; ++a) {
        for (std::int32_t b = 0; b < n; ++b) {
            f.re[a][b] = std::cos(-kTwoPi * m * (b - n / 2) / n);
            f.im[a][b] = std::sin(-kTwoPi * m * (b - n / 2) / n);
        }
    }
    f.Transform();
    EXPECT_NEAR(f.re[n / 2][n / 2 + m], 1.0, 1e-13);
    EXPECT_NEAR(f.re[n / 2 + m][n / 2], 0.0, 1e-13);
}

} // namespace
} // namespace diffrascope
