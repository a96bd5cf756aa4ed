#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "Grid.h"

namespace diffrascope {
namespace {

TEST(Grid, NewGridsAndVectorsReadZeroEverywhere) {
    for (std::int32_t n : {1, 3, 64, 257}) {
        IntGrid ints = nullptr;
        RealGrid reals = nullptr;
        IntVector intVector = nullptr;
        RealVector realVector = nullptr;
        ASSERT_EQ(AllocateIntGrid(n, n + 1, ints), kSuccess);
        ASSERT_EQ(AllocateRealGrid(n, n + 1, reals), kSuccess);
        ASSERT_EQ(AllocateIntVector(n, intVector), kSuccess);
        ASSERT_EQ(AllocateRealVector(n, realVector), kSuccess);
        for (std::int32_t i = 0; i < n; ++i) {
            for (std::int32_t j = 0; j <= n; ++j) {
                EXPECT_EQ(ints[i][j], 0);
                EXPECT_EQ(reals[i][j], 0.0);
            }
            EXPECT_EQ(intVector[i], 0);
            EXPECT_EQ(realVector[i], 0.0);
        }
        EXPECT_EQ(ReleaseGrid(n, n + 1, ints), kSuccess);
        EXPECT_EQ(ReleaseGrid(n, n + 1, reals), kSuccess);
        EXPECT_EQ(ints, nullptr);
        EXPECT_EQ(reals, nullptr);
        ReleaseVector(intVector);
        ReleaseVector(realVector);
        EXPECT_EQ(intVector, nullptr);
    }
}

} // namespace
} // namespace diffrascope
