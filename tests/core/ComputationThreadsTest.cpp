// The computation spread over threads looks, from the outside, exactly like
// the single-threaded one: the same progress values on the calling thread,
// the picture handed over on the calling thread, errors from a callback
// leaving a usable state behind.

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <thread>
#include <vector>

#include "LiteralPipeline.h"
#include "StarImage.h"
#include "Trace.h"

namespace diffrascope {
namespace {

constexpr ScrollPositions kStart{};
constexpr ScrollPositions kAberrated{-60, 140, 25, 480};
constexpr ScrollPositions kNoLight{0, 0, 100, 550};

class ThreadedComputation : public testing::Test {
  protected:
    void SetUp() override {
        ResetStarImageState();
        SetTraceOutput(nullptr);
    }
    void TearDown() override {
        SetComputationThreads(0);
        SetTraceOutput(stdout);
        ResetStarImageState();
    }

    static void Allocate(std::int32_t n, std::int32_t threads) {
        SetComputationThreads(threads);
        GridSize = n;
        SizeChanged = 1;
    }

    static std::vector<std::int32_t> Grey(std::int32_t n) {
        std::vector<std::int32_t> grey;
        for (std::int32_t i = 0; i < n; ++i) {
            grey.insert(grey.end(), GreyGrid[i], GreyGrid[i] + n);
        }
        return grey;
    }
};

// floor(50 i / n) before each column, 50 + floor(50 i / n) before each row, then 0.
std::vector<std::int32_t> LiteralProgress(std::int32_t n) {
    std::vector<std::int32_t> values;
    for (std::int32_t pass : {0, 50}) {
        for (std::int32_t i = 0; i < n; ++i) {
            values.push_back(pass + 50 * i / n);
        }
    }
    values.push_back(0);
    return values;
}

TEST_F(ThreadedComputation, ProgressRunsOnTheCallingThreadInTheLiteralSequence) {
    const std::thread::id caller = std::this_thread::get_id();
    for (std::int32_t n : {16, 32, 64, 256, 1024}) {
        for (std::int32_t threads : {1, 2, 3}) {
            for (const ScrollPositions &positions : {kAberrated, kNoLight}) {
                Allocate(n, threads);
                std::vector<std::int32_t> progress;
                bool elsewhere = false;
                bool presentedElsewhere = false;
                try {
                    ComputeStarImage(
                        positions,
                        [&](std::int32_t percent) {
                            elsewhere = elsewhere || std::this_thread::get_id() != caller;
                            progress.push_back(percent);
                        },
                        [&](const std::int32_t *const *, std::int32_t) {
                            presentedElsewhere = std::this_thread::get_id() != caller;
                        });
                } catch (const ZeroDivisionError &) {
                    EXPECT_EQ(positions.obstruction, 100) << "only the full obstruction is dark";
                }
                EXPECT_EQ(progress, LiteralProgress(n)) << "N " << n << ", " << threads << " thread(s)";
                EXPECT_FALSE(elsewhere);
                EXPECT_FALSE(presentedElsewhere);
            }
        }
    }
}

struct StopCase {
    std::int32_t stopAtCall; // the progress call that throws
    const char *where;
};

void PrintTo(const StopCase &c, std::ostream *out) { *out << "call " << c.stopAtCall << ", " << c.where; }

class StoppedByProgress : public ThreadedComputation, public testing::WithParamInterface<StopCase> {};

TEST_P(StoppedByProgress, AThrowingProgressStopsTheComputationAndTheNextOneWorks) {
    const StopCase &c = GetParam();
    constexpr std::int32_t kN = 512;
    Allocate(kN, 2);
    ComputeStarImage(kStart);
    const std::vector<std::int32_t> before = Grey(kN);
    std::int32_t calls = 0;
    bool presented = false;
    EXPECT_THROW(ComputeStarImage(
                     kAberrated,
                     [&](std::int32_t) {
                         if (++calls == c.stopAtCall) {
                             throw std::runtime_error("stopped");
                         }
                     },
                     [&](const std::int32_t *const *, std::int32_t) { presented = true; }),
                 std::runtime_error)
        << c.where;
    EXPECT_EQ(calls, c.stopAtCall) << "no progress after the exception";
    EXPECT_FALSE(presented);
    EXPECT_EQ(Grey(kN), before) << "the grey levels of the last picture stay";
    EXPECT_EQ(AllocatedSize, kN);
    ComputeStarImage(kAberrated);
    EXPECT_EQ(Grey(kN), reference::LiteralStarImage(kAberrated, kN)) << c.where;
}

INSTANTIATE_TEST_SUITE_P(Passes, StoppedByProgress,
                         testing::Values(StopCase{1, "before the column pass"}, StopCase{200, "in the column pass"},
                                         StopCase{700, "in the row pass"}, StopCase{1025, "at the final 0"}));

TEST_F(ThreadedComputation, CountIsFixedWhenTheBuffersAreAllocated) {
    Allocate(256, 3);
    EXPECT_EQ(ComputationThreads(), 3) << "the count the next allocation starts";
    ComputeStarImage(kStart);
    EXPECT_EQ(ComputationThreads(), 3);
    SetComputationThreads(1);
    ComputeStarImage(kStart);
    EXPECT_EQ(ComputationThreads(), 3) << "held buffers keep their threads";
    GridSize = 512;
    SizeChanged = 1;
    ComputeStarImage(kStart);
    EXPECT_EQ(ComputationThreads(), 1);
}

TEST_F(ThreadedComputation, CountsOutside0To64AreRefusedAndChangeNothing) {
    SetComputationThreads(2);
    EXPECT_THROW(SetComputationThreads(-1), InvalidInputError);
    EXPECT_THROW(SetComputationThreads(65), InvalidInputError);
    EXPECT_EQ(ComputationThreads(), 2);
}

} // namespace
} // namespace diffrascope
