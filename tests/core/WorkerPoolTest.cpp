#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "WorkerPool.h"

#if defined(__linux__)
#include <sched.h>
#endif

namespace diffrascope {
namespace {

TEST(WorkerPool, RunsEveryUnitExactlyOnceWhateverTheThreadCount) {
    for (std::int32_t threads : {1, 2, 3, 5}) {
        WorkerPool pool(threads);
        EXPECT_EQ(pool.Threads(), threads);
        for (std::int32_t units : {0, 1, 7, 1000}) {
            std::vector<std::atomic<std::int32_t>> runs(static_cast<std::size_t>(units));
            std::atomic<bool> threadInRange{true};
            pool.Run(
                units,
                [&](std::int32_t unit, std::int32_t thread) {
                    runs[static_cast<std::size_t>(unit)].fetch_add(1);
                    if (thread < 0 || thread >= pool.Threads()) {
                        threadInRange = false;
                    }
                },
                [](std::int32_t) {});
            for (std::int32_t unit = 0; unit < units; ++unit) {
                ASSERT_EQ(runs[static_cast<std::size_t>(unit)].load(), 1)
                    << "unit " << unit << " of " << units << " on " << threads << " threads";
            }
            EXPECT_TRUE(threadInRange.load());
        }
    }
}

TEST(WorkerPool, ReportsProgressOnlyOnTheCallingThreadWithRisingCounts) {
    WorkerPool pool(3);
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<std::int32_t> counts;
    bool elsewhere = false;
    pool.Run(
        200, [](std::int32_t, std::int32_t) { std::this_thread::sleep_for(std::chrono::microseconds(50)); },
        [&](std::int32_t done) {
            elsewhere = elsewhere || std::this_thread::get_id() != caller;
            counts.push_back(done);
        });
    EXPECT_FALSE(elsewhere);
    ASSERT_FALSE(counts.empty());
    for (std::size_t k = 1; k < counts.size(); ++k) {
        EXPECT_LT(counts[k - 1], counts[k]);
    }
    EXPECT_LE(counts.back(), 200);
}

TEST(WorkerPool, AThrowingProgressStopsNewUnitsAndReturnsOnlyWhenTheRunningOnesFinished) {
    WorkerPool pool(3);
    std::atomic<std::int32_t> started{0};
    std::atomic<std::int32_t> finished{0};
    auto job = [&](std::int32_t, std::int32_t) {
        started.fetch_add(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        finished.fetch_add(1);
    };
    EXPECT_THROW(pool.Run(1000, job, [](std::int32_t) { throw std::runtime_error("stop"); }), std::runtime_error);
    EXPECT_EQ(started.load(), finished.load()) << "no unit still runs after the exception";
    EXPECT_LT(started.load(), 1000) << "no new units start after the exception";

    std::atomic<std::int32_t> runs{0};
    pool.Run(
        50, [&](std::int32_t, std::int32_t) { runs.fetch_add(1); }, [](std::int32_t) {});
    EXPECT_EQ(runs.load(), 50) << "the pool works on after an exception";
}

// Sets DIFFRASCOPE_THREADS for one scope and restores what was there.
class ThreadsVariable {
  public:
    explicit ThreadsVariable(const char *value) {
        if (const char *old = std::getenv(kName); old != nullptr) {
            saved_ = old;
            hadValue_ = true;
        }
        if (value != nullptr) {
            setenv(kName, value, 1);
        } else {
            unsetenv(kName);
        }
    }
    ~ThreadsVariable() {
        if (hadValue_) {
            setenv(kName, saved_.c_str(), 1);
        } else {
            unsetenv(kName);
        }
    }
    ThreadsVariable(const ThreadsVariable &) = delete;
    ThreadsVariable &operator=(const ThreadsVariable &) = delete;

  private:
    static constexpr const char *kName = "DIFFRASCOPE_THREADS";
    std::string saved_;
    bool hadValue_ = false;
};

std::int32_t AllCores() { return AvailableCores() < kMaxThreads ? AvailableCores() : kMaxThreads; }

struct VariableCase {
    const char *value; // nullptr: unset
    std::int32_t threads; // 0: every core
};

void PrintTo(const VariableCase &c, std::ostream *out) {
    *out << "DIFFRASCOPE_THREADS " << (c.value == nullptr ? "unset" : "'" + std::string(c.value) + "'");
}

class ThreadCountFromTheEnvironment : public testing::TestWithParam<VariableCase> {};

TEST_P(ThreadCountFromTheEnvironment, TakesAWholeNumberFrom1To64AndEveryCoreOtherwise) {
    const VariableCase &c = GetParam();
    ThreadsVariable variable(c.value);
    EXPECT_EQ(ThreadCountFromEnvironment(), c.threads == 0 ? AllCores() : c.threads)
        << (c.value == nullptr ? "unset" : c.value);
}

TEST(AvailableCores, CountsOnlyTheCoresTheProcessMayRunOn) {
    EXPECT_GE(AvailableCores(), 1);
    EXPECT_LE(AvailableCores(), static_cast<std::int32_t>(std::max(1u, std::thread::hardware_concurrency())));
#if defined(__linux__)
    cpu_set_t saved;
    ASSERT_EQ(sched_getaffinity(0, sizeof saved, &saved), 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &saved)) {
            CPU_SET(cpu, &one);
            break;
        }
    }
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    const std::int32_t restricted = AvailableCores();
    ASSERT_EQ(sched_setaffinity(0, sizeof saved, &saved), 0);
    EXPECT_EQ(restricted, 1) << "a process tied to one core gets one thread by default";
#endif
}

INSTANTIATE_TEST_SUITE_P(Values, ThreadCountFromTheEnvironment,
                         testing::Values(VariableCase{nullptr, 0}, VariableCase{"1", 1}, VariableCase{"3", 3},
                                         VariableCase{"64", 64}, VariableCase{"", 0}, VariableCase{"0", 0},
                                         VariableCase{"-2", 0}, VariableCase{"65", 0}, VariableCase{"two", 0},
                                         VariableCase{"2x", 0},
                                         VariableCase{"99999999999999999999", 0}));

} // namespace
} // namespace diffrascope
