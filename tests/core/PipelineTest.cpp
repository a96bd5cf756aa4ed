#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "Fft.h"
#include "LiteralPipeline.h"
#include "StarImage.h"
#include "TraceCapture.h"

namespace diffrascope {
namespace {

constexpr ScrollPositions kStart{};
constexpr ScrollPositions kNoLightAt550{0, 0, 100, 550};

// Grey levels as the presenter receives them, element [i][j] at i * n + j.
struct Picture {
    std::int32_t n = 0;
    std::vector<std::int32_t> grey;
    std::int32_t At(std::int32_t i, std::int32_t j) const { return grey[static_cast<std::size_t>(i * n + j)]; }
};

class Pipeline : public testing::Test {
  protected:
    void SetUp() override {
        ResetStarImageState();
        SetTraceOutput(nullptr);
    }
    void TearDown() override {
        SetAllocationFailureFilter({});
        SetTraceOutput(stdout);
        ResetStarImageState();
    }

    static Picture Compute(const ScrollPositions &positions, const ProgressCallback &progress = {}) {
        Picture picture;
        ComputeStarImage(positions, progress, [&](const std::int32_t *const *grey, std::int32_t n) {
            picture.n = n;
            for (std::int32_t i = 0; i < n; ++i) {
                picture.grey.insert(picture.grey.end(), grey[i], grey[i] + n);
            }
        });
        return picture;
    }

    static void ChooseGridSize(std::int32_t n) {
        GridSize = n;
        SizeChanged = 1;
    }

    static bool HoldsNoBuffers() {
        return GreyGrid == nullptr && PupilRe == nullptr && PupilIm == nullptr && ShiftScratch == nullptr &&
               WorkRe == nullptr && WorkIm == nullptr && BitRev == nullptr && sintbl == nullptr;
    }
};

// Counts allocation requests; optionally fails the one with the given index.
class AllocationCounter {
  public:
    explicit AllocationCounter(long failAt = -1) {
        SetAllocationFailureFilter([this, failAt](std::size_t bytes) {
            byteCounts.push_back(bytes);
            return static_cast<long>(byteCounts.size()) - 1 == failAt;
        });
    }
    ~AllocationCounter() { SetAllocationFailureFilter({}); }
    AllocationCounter(const AllocationCounter &) = delete;
    AllocationCounter &operator=(const AllocationCounter &) = delete;

    std::vector<std::size_t> byteCounts;
};

// Four grids of a row-pointer array and n rows each, then four vectors (the
// sine table last), then the six scratch blocks of the fast path: pupil
// quadrant (two), stage twiddles (two), work areas, per-thread tallies.
constexpr long kScratchRequests = 6;
constexpr long SineTableRequest(std::int32_t n) { return 4L * (1 + n) + 3; }
constexpr long RequestsPerAllocation(std::int32_t n) { return SineTableRequest(n) + 1 + kScratchRequests; }

TEST_F(Pipeline, StartsWithNoBuffersAndGridSize512) {
    EXPECT_EQ(GridSize, 512);
    EXPECT_EQ(SizeChanged, 0);
    EXPECT_EQ(NeedsAllocation, 1);
    EXPECT_EQ(AllocatedSize, 0);
    EXPECT_TRUE(HoldsNoBuffers());
}

TEST_F(Pipeline, FirstComputationAllocatesBuildsTheTablesAndClearsTheFlags) {
    TraceCapture trace;
    const Picture picture = Compute(kStart);
    EXPECT_EQ(picture.n, 512);
    EXPECT_EQ(AllocatedSize, 512);
    EXPECT_EQ(NeedsAllocation, 0);
    EXPECT_EQ(SizeChanged, 0);
    EXPECT_EQ(trace.Text(), "extended int\na\nb\n");
    std::vector<double> table(640);
    MakeSinTable(512, table.data());
    for (std::int32_t i = 0; i < 640; ++i) {
        ASSERT_EQ(sintbl[i], table[i]) << i;
    }
    std::vector<std::int32_t> bitrev(512);
    MakeBitReverseTable(512, bitrev.data());
    for (std::int32_t i = 0; i < 512; ++i) {
        ASSERT_EQ(BitRev[i], bitrev[i]) << i;
    }
}

TEST_F(Pipeline, LaterComputationsReuseTheBuffersAndRepeatTheirPicture) {
    const Picture first = Compute({30, -40, 20, 600});
    Compute(kStart);
    const RealGrid pupil = PupilRe;
    TraceCapture trace;
    AllocationCounter counter;
    const Picture again = Compute({30, -40, 20, 600});
    EXPECT_TRUE(counter.byteCounts.empty());
    EXPECT_EQ(trace.Text(), "");
    EXPECT_EQ(PupilRe, pupil);
    EXPECT_EQ(again.grey, first.grey);
}

TEST_F(Pipeline, GridSizeChoiceTakesEffectAtTheNextComputation) {
    Compute(kStart);
    const IntGrid heldGrey = GreyGrid;
    ChooseGridSize(256);
    EXPECT_EQ(AllocatedSize, 512) << "nothing is released before the next computation";
    EXPECT_EQ(GreyGrid, heldGrey);
    const Picture picture = Compute(kStart);
    EXPECT_EQ(picture.n, 256);
    EXPECT_EQ(AllocatedSize, 256);
    EXPECT_EQ(SizeChanged, 0);
    EXPECT_EQ(sintbl[319], std::sin(2 * 3.141592653589793 * 319 / 256)) << "table rebuilt for 256";
    EXPECT_EQ(BitRev[1], 128);
    ChooseGridSize(1024);
    EXPECT_EQ(Compute(kStart).n, 1024);
    EXPECT_EQ(BitRev[1], 512);
}

TEST_F(Pipeline, SeveralChoicesBeforeAComputationAllocateOnceForTheLastChoice) {
    Compute(kStart);
    ChooseGridSize(256);
    ChooseGridSize(1024);
    ChooseGridSize(512);
    AllocationCounter counter;
    const Picture picture = Compute(kStart);
    EXPECT_EQ(picture.n, 512);
    ASSERT_EQ(static_cast<long>(counter.byteCounts.size()), RequestsPerAllocation(512));
    EXPECT_EQ(counter.byteCounts[SineTableRequest(512)], 640 * sizeof(double))
        << "the sine table comes last of the buffers, 1.25 N entries";
}

struct ResizeCase {
    std::int32_t held; // N of the buffers held
    std::int32_t set;  // GridSize written afterwards, SizeChanged left at 0
};

void PrintTo(const ResizeCase &c, std::ostream *out) { *out << "held " << c.held << ", set " << c.set; }

class GridSizeWithoutSizeChanged : public Pipeline, public testing::WithParamInterface<ResizeCase> {};

// A GridSize written without SizeChanged still takes effect at the next
// computation: it presents and holds buffers of the new size, and the old
// set is released with its own row count, so that no row leaks (smaller
// size) and no row pointer is read past its array (larger size). The
// release of the new set, at TearDown, is checked by the sanitizer build.
TEST_P(GridSizeWithoutSizeChanged, NextComputationPresentsAndHoldsTheNewSize) {
    const ResizeCase &c = GetParam();
    const ScrollPositions positions{30, -40, 10, 400}; // light at N = 8: the four points next to the centre
    ChooseGridSize(c.held);
    ASSERT_EQ(Compute(positions).n, c.held);
    GridSize = c.set;
    ASSERT_EQ(SizeChanged, 0);
    const Picture picture = Compute(positions);
    ASSERT_EQ(picture.n, c.set);
    EXPECT_EQ(AllocatedSize, c.set);
    EXPECT_EQ(picture.grey, reference::LiteralStarImage(positions, c.set)) << "buffers and tables built for it";
}

// Grids below four vector widths (32 with AVX-512, 16 with AVX, 8 with SSE2)
// take the literal path, larger ones the fast path; the cases cross between them.
INSTANTIATE_TEST_SUITE_P(SmallerAndLarger, GridSizeWithoutSizeChanged,
                         testing::Values(ResizeCase{16, 8}, ResizeCase{8, 64}, ResizeCase{512, 256},
                                         ResizeCase{256, 1024}),
                         [](const testing::TestParamInfo<ResizeCase> &info) {
                             return "From" + std::to_string(info.param.held) + "To" +
                                    std::to_string(info.param.set);
                         });

TEST_F(Pipeline, ProgressRunsOnceThroughBothPassesPerComputation) {
    ChooseGridSize(256);
    std::vector<std::int32_t> progress;
    Compute(kStart, [&](std::int32_t percent) { progress.push_back(percent); });
    ASSERT_EQ(progress.size(), 513u);
    for (std::int32_t i = 0; i < 256; ++i) {
        EXPECT_EQ(progress[i], 50 * i / 256);
        EXPECT_EQ(progress[256 + i], 50 + 50 * i / 256);
    }
    EXPECT_EQ(progress.back(), 0);
}

struct RingCase {
    std::int32_t n;
    std::int32_t wavelength;
    std::int32_t firstDarkRing; // grid steps from the centre
};

void PrintTo(const RingCase &c, std::ostream *out) { *out << "N " << c.n << ", " << c.wavelength << " nm"; }

class AiryPattern : public Pipeline, public testing::WithParamInterface<RingCase> {};

// One diffraction unit spans 5 lambda / 550 grid steps whatever N: the first
// dark ring, 1.22 units out, lies 6 steps out at 550 nm and 11 at 1000 nm.
TEST_P(AiryPattern, CentreIsWhiteAndTheFirstDarkRingLiesWhereDiffractionPutsIt) {
    const RingCase &c = GetParam();
    ChooseGridSize(c.n);
    const Picture picture = Compute({0, 0, 0, c.wavelength});
    const std::int32_t h = c.n / 2;
    EXPECT_EQ(picture.At(h, h), 255);
    std::int32_t step = 1;
    while (picture.At(h, h + step + 1) <= picture.At(h, h + step)) { // past the saturated core
        ++step;
    }
    EXPECT_EQ(step, c.firstDarkRing);
    EXPECT_LE(picture.At(h, h + step), 20) << "close to black";
    EXPECT_EQ(picture.At(h + step, h), picture.At(h, h + step)) << "the rings are round";
}

INSTANTIATE_TEST_SUITE_P(GridSizesAndWavelengths, AiryPattern,
                         testing::Values(RingCase{256, 550, 6}, RingCase{512, 550, 6}, RingCase{1024, 550, 6},
                                         RingCase{256, 1000, 11}, RingCase{512, 1000, 11},
                                         RingCase{1024, 1000, 11}));

struct GreyCase {
    std::int32_t p; // row offset from the centre
    std::int32_t q; // column offset from the centre
    std::int32_t grey;
};

// At 440 nm and N = 512 a full obstruction lets through only the four rim
// points 64 steps out (u exactly 1 is inside). Their far field has the
// amplitude |cos(pi p / 4) + cos(pi q / 4)| / 2, so the grey levels are known:
// min(trunc(300 a), 255).
TEST_F(Pipeline, RimPointsAloneGiveTheirKnownInterferencePattern) {
    const Picture picture = Compute({0, 0, 100, 440});
    const std::vector<GreyCase> cases = {
        {0, 0, 255},  // a = 1
        {1, 0, 255},  // a = 0.854: 256.07 saturates
        {1, 1, 212},  // a = 0.7071: 212.13
        {2, 1, 106},  // a = 0.3536: 106.07
        {3, 0, 43},   // a = 0.1464: 43.93 is truncated, not rounded
        {4, 0, 0},    // a = 0
        {8, 8, 255},  // the pattern repeats every 8 steps
        {-3, -3, 212} // a = 0.7071
    };
    for (const GreyCase &c : cases) {
        EXPECT_EQ(picture.At(256 + c.p, 256 + c.q), c.grey) << "offset " << c.p << "," << c.q;
    }
}

TEST_F(Pipeline, NoLightStopsWithDivisionByZeroAndKeepsEverythingValid) {
    for (std::int32_t n : {256, 512, 1024}) {
        ChooseGridSize(n);
        const Picture before = Compute({10, 10, 0, 700});
        const IntGrid heldGrey = GreyGrid;
        bool presented = false;
        try {
            ComputeStarImage(kNoLightAt550, {}, [&](const std::int32_t *const *, std::int32_t) { presented = true; });
            ADD_FAILURE() << "no error at N " << n;
        } catch (const ZeroDivisionError &error) {
            EXPECT_STREQ(error.what(), "0 による浮動小数点数除算");
        }
        EXPECT_FALSE(presented);
        EXPECT_EQ(NeedsAllocation, 0);
        EXPECT_EQ(AllocatedSize, n);
        EXPECT_EQ(GridSize, n);
        EXPECT_EQ(GreyGrid, heldGrey);
        for (std::int32_t i = 0; i < n; ++i) {
            ASSERT_EQ(std::vector<std::int32_t>(GreyGrid[i], GreyGrid[i] + n),
                      std::vector<std::int32_t>(before.grey.begin() + i * n, before.grey.begin() + (i + 1) * n))
                << "grey levels of the last picture stay";
        }
        EXPECT_EQ(Compute({10, 10, 0, 700}).grey, before.grey) << "the next computation proceeds";
    }
}

TEST_F(Pipeline, NoLightAtTheFirstComputationLeavesNothingBehindForTheNext) {
    EXPECT_THROW(Compute(kNoLightAt550), ZeroDivisionError);
    EXPECT_EQ(NeedsAllocation, 1);
    EXPECT_EQ(AllocatedSize, 512);
    AllocationCounter counter;
    const Picture picture = Compute(kStart);
    EXPECT_EQ(static_cast<long>(counter.byteCounts.size()), RequestsPerAllocation(512))
        << "the held set is released before the new one is allocated";
    EXPECT_EQ(picture.grey, reference::LiteralStarImage(kStart, 512));
}

class FailedAllocation : public Pipeline, public testing::WithParamInterface<long> {};

TEST_P(FailedAllocation, StopsCleanlyHoldsNothingAndTheNextComputationTriesAgain) {
    const long failingRequest = GetParam();
    Compute(kStart);
    ChooseGridSize(256);
    bool presented = false;
    {
        AllocationCounter counter(failingRequest);
        try {
            ComputeStarImage(kStart, {}, [&](const std::int32_t *const *, std::int32_t) { presented = true; });
            ADD_FAILURE() << "no error when request " << failingRequest << " fails";
        } catch (const AllocationError &error) {
            EXPECT_STREQ(error.what(), "メモリが足りません。\u3000計算分割数を減らして下さい。");
        }
    }
    EXPECT_FALSE(presented);
    EXPECT_TRUE(HoldsNoBuffers());
    EXPECT_EQ(AllocatedSize, 0);
    EXPECT_EQ(NeedsAllocation, 1);
    EXPECT_EQ(GridSize, 256);
    const Picture picture = Compute(kStart);
    EXPECT_EQ(picture.n, 256);
    EXPECT_EQ(AllocatedSize, 256);
    EXPECT_EQ(NeedsAllocation, 0);
    EXPECT_EQ(picture.grey, reference::LiteralStarImage(kStart, 256));
}

INSTANTIATE_TEST_SUITE_P(FirstMiddleAndLastRequest, FailedAllocation,
                         testing::Values(0L, 1L, 256L, 257L, 600L, SineTableRequest(256) - 1, SineTableRequest(256),
                                         SineTableRequest(256) + 1, SineTableRequest(256) + 2,
                                         SineTableRequest(256) + 3, SineTableRequest(256) + 4,
                                         SineTableRequest(256) + 5, RequestsPerAllocation(256) - 1));

struct InvalidCase {
    const char *what;
    ScrollPositions positions;
    std::int32_t gridSize;
};

void PrintTo(const InvalidCase &c, std::ostream *out) { *out << c.what; }

class InvalidInput : public Pipeline, public testing::WithParamInterface<InvalidCase> {};

TEST_P(InvalidInput, IsRefusedBeforeAnythingIsAllocated) {
    const InvalidCase &c = GetParam();
    GridSize = c.gridSize;
    EXPECT_THROW(Compute(c.positions), InvalidInputError) << c.what;
    EXPECT_TRUE(HoldsNoBuffers()) << c.what;
    EXPECT_EQ(NeedsAllocation, 1) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    PositionsAndGridSizes, InvalidInput,
    testing::Values(InvalidCase{"spherical below", {-101, 0, 0, 550}, 512},
                    InvalidCase{"spherical above", {101, 0, 0, 550}, 512},
                    InvalidCase{"focus below", {0, -501, 0, 550}, 512},
                    InvalidCase{"focus above", {0, 501, 0, 550}, 512},
                    InvalidCase{"obstruction below", {0, 0, -1, 550}, 512},
                    InvalidCase{"obstruction above", {0, 0, 101, 550}, 512},
                    InvalidCase{"wavelength below", {0, 0, 0, 299}, 512},
                    InvalidCase{"wavelength above", {0, 0, 0, 1001}, 512},
                    InvalidCase{"grid not a power of two", kStart, 300},
                    InvalidCase{"grid too small", kStart, 2}, InvalidCase{"grid too large", kStart, 8192},
                    InvalidCase{"grid negative", kStart, -512}));

} // namespace
} // namespace diffrascope
