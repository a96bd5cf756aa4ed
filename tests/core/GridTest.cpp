#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "Grid.h"
#include "TraceCapture.h"

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
        EXPECT_EQ(realVector, nullptr);
    }
}

TEST(Grid, EmptySizesAreRefusedWithoutAllocating) {
    IntGrid ints = nullptr;
    RealVector reals = nullptr;
    EXPECT_EQ(AllocateIntGrid(0, 4, ints), kFailure);
    EXPECT_EQ(AllocateIntGrid(4, -1, ints), kFailure);
    EXPECT_EQ(AllocateRealVector(0, reals), kFailure);
    EXPECT_EQ(ints, nullptr);
    EXPECT_EQ(reals, nullptr);
}

TEST(Grid, ReleasingAnEmptyHandleDoesNothing) {
    RealGrid never = nullptr;
    EXPECT_EQ(ReleaseGrid(0, 0, never), kSuccess);
    EXPECT_EQ(ReleaseGrid(8, 8, never), kSuccess);
    EXPECT_EQ(never, nullptr);
}

TEST(Grid, IntegerVectorAllocationWritesItsTraceLine) {
    TraceCapture trace;
    IntVector v = nullptr;
    ASSERT_EQ(AllocateIntVector(16, v), kSuccess);
    RealVector r = nullptr;
    ASSERT_EQ(AllocateRealVector(16, r), kSuccess);
    EXPECT_EQ(trace.Text(), "extended int\n");
    ReleaseVector(v);
    ReleaseVector(r);
}

// The filter fails the request with the given index (0 = the row-pointer array).
class FailRequest {
  public:
    explicit FailRequest(int index) {
        SetAllocationFailureFilter([this, index](std::size_t) { return requests_++ == index; });
    }
    ~FailRequest() { SetAllocationFailureFilter({}); }
    FailRequest(const FailRequest &) = delete;
    FailRequest &operator=(const FailRequest &) = delete;

  private:
    int requests_ = 0;
};

struct FailedGridCase {
    const char *what;
    int failingRequest;
    bool integer;
    const char *trace;
};

void PrintTo(const FailedGridCase &c, std::ostream *out) { *out << c.what; }

class FailedGridAllocation : public testing::TestWithParam<FailedGridCase> {};

TEST_P(FailedGridAllocation, ReturnsFailureLeavesAnEmptyHandleAndTracesOnlyIntegerRows) {
    const FailedGridCase &c = GetParam();
    TraceCapture trace;
    FailRequest fail(c.failingRequest);
    Status status;
    bool empty;
    if (c.integer) {
        IntGrid grid = nullptr;
        status = AllocateIntGrid(8, 8, grid);
        empty = grid == nullptr;
    } else {
        RealGrid grid = nullptr;
        status = AllocateRealGrid(8, 8, grid);
        empty = grid == nullptr;
    }
    EXPECT_EQ(status, kFailure) << c.what;
    EXPECT_TRUE(empty) << c.what;
    EXPECT_EQ(trace.Text(), c.trace) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    RowPointersOrRows, FailedGridAllocation,
    testing::Values(FailedGridCase{"integer row pointers", 0, true, ""},
                    FailedGridCase{"integer first row", 1, true, "Alloc Error  !!\n"},
                    FailedGridCase{"integer last row", 8, true, "Alloc Error  !!\n"},
                    FailedGridCase{"real row pointers", 0, false, ""},
                    FailedGridCase{"real middle row", 4, false, ""}));

TEST(Grid, FailedVectorAllocationReturnsFailureWithoutTrace) {
    TraceCapture trace;
    FailRequest fail(0);
    IntVector v = nullptr;
    EXPECT_EQ(AllocateIntVector(4, v), kFailure);
    EXPECT_EQ(v, nullptr);
    EXPECT_EQ(trace.Text(), "");
}

struct ClampCase {
    std::int32_t in;
    std::int32_t out;
};

TEST(Grid, ClampBringsEveryElementIntoLowToHigh) {
    const std::vector<ClampCase> cases = {{-5, 0}, {0, 0}, {254, 254}, {255, 255}, {300, 255}, {INT32_MIN, 0},
                                          {INT32_MAX, 255}};
    IntGrid grid = nullptr;
    const auto rows = static_cast<std::int32_t>(cases.size());
    ASSERT_EQ(AllocateIntGrid(rows, 2, grid), kSuccess);
    for (std::int32_t i = 0; i < rows; ++i) {
        grid[i][0] = grid[i][1] = cases[i].in;
    }
    EXPECT_EQ(ClampGrid(0, 255, rows, 2, grid), kSuccess);
    for (std::int32_t i = 0; i < rows; ++i) {
        EXPECT_EQ(grid[i][0], cases[i].out) << "from " << cases[i].in;
        EXPECT_EQ(grid[i][1], cases[i].out) << "from " << cases[i].in;
    }
    ReleaseGrid(rows, 2, grid);
}

TEST(Grid, ScaleMultipliesEveryElement) {
    RealGrid grid = nullptr;
    ASSERT_EQ(AllocateRealGrid(3, 4, grid), kSuccess);
    for (std::int32_t i = 0; i < 3; ++i) {
        for (std::int32_t j = 0; j < 4; ++j) {
            grid[i][j] = 0.1 * (i * 4 + j) - 0.5;
        }
    }
    ScaleGrid(1.0, 3, 4, grid);
    EXPECT_EQ(grid[2][3], 0.1 * 11 - 0.5);
    ScaleGrid(0.5, 3, 4, grid);
    for (std::int32_t i = 0; i < 3; ++i) {
        for (std::int32_t j = 0; j < 4; ++j) {
            EXPECT_EQ(grid[i][j], (0.1 * (i * 4 + j) - 0.5) / 2);
        }
    }
    ReleaseGrid(3, 4, grid);
}

TEST(Grid, MaximumIsTheLargestElementAndNeverBelowZero) {
    RealGrid grid = nullptr;
    ASSERT_EQ(AllocateRealGrid(4, 4, grid), kSuccess);
    EXPECT_EQ(GridMaximum(4, 4, grid), 0.0);
    for (std::int32_t i = 0; i < 4; ++i) {
        for (std::int32_t j = 0; j < 4; ++j) {
            grid[i][j] = -1.0 - i - j;
        }
    }
    EXPECT_EQ(GridMaximum(4, 4, grid), 0.0);
    grid[3][1] = 2.5;
    grid[0][2] = 2.25;
    EXPECT_EQ(GridMaximum(4, 4, grid), 2.5);
    ReleaseGrid(4, 4, grid);
}

} // namespace
} // namespace diffrascope
