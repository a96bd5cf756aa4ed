// The part of each pixel inside a circle about the axis, held against the
// circle's own area, perimeter and moments: summed over every pixel they
// must give pi r^2, 2 pi r, no first moment and pi r^4 / 4 about each axis.

#include <gtest/gtest.h>

#include <cmath>

#include "PixelArea.h"

namespace diffrascope::optics {
namespace {

constexpr double kPi = 3.141592653589793;

class PixelsInACircle : public ::testing::TestWithParam<double> {};

TEST_P(PixelsInACircle, AddUpToTheCirclesAreaPerimeterAndMoments) {
    const double r = GetParam();
    const std::int32_t reach = static_cast<std::int32_t>(std::ceil(r)) + 1;
    double area = 0;
    double arc = 0;
    double first = 0;
    double secondI = 0;
    double secondJ = 0;
    double mixed = 0;
    for (std::int32_t i = -reach; i <= reach; ++i) {
        for (std::int32_t j = -reach; j <= reach; ++j) {
            const Coverage c = PixelInDisc(i, j, r);
            ASSERT_GE(c.area, 0);
            ASSERT_LE(c.area, 1);
            area += c.area;
            arc += c.arc;
            first += c.mi + i * c.area; // about the axis
            secondI += c.mii + 2 * i * c.mi + i * i * c.area;
            secondJ += c.mjj + 2 * j * c.mj + j * j * c.area;
            mixed += c.mij + i * c.mj + j * c.mi + i * j * c.area;
        }
    }
    const double scale = r * r * r * r;
    EXPECT_NEAR(area, kPi * r * r, 1e-9 * r * r);
    EXPECT_NEAR(arc, 2 * kPi * r, 1e-9 * r);
    EXPECT_NEAR(first, 0, 1e-9 * r * r * r);
    EXPECT_NEAR(secondI, kPi * scale / 4, 1e-9 * scale);
    EXPECT_NEAR(secondJ, kPi * scale / 4, 1e-9 * scale);
    EXPECT_NEAR(mixed, 0, 1e-9 * scale);
}

// Within one pixel, across the axes, through corners, and far out.
INSTANTIATE_TEST_SUITE_P(SmallAndLarge, PixelsInACircle, ::testing::Values(0.3, 0.5, 0.75, 1.0, 2.7, 13.4, 120.25));

} // namespace
} // namespace diffrascope::optics
