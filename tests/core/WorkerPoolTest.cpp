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

// Where the first exception of a run comes from.
enum class Thrower { WorkerJob, CallerJob, Progress };

struct ThrowCase {
    Thrower thrower;
    std::int32_t threads;
};

void PrintTo(const ThrowCase &c, std::ostream *out) {
    const char *names[] = {"a job on a worker", "a job on the caller", "progress"};
    *out << names[static_cast<int>(c.thrower)] << " throws, " << c.threads << " threads";
}

// The exception a test job throws: it says on which thread it was thrown.
struct JobFailure : std::runtime_error {
    JobFailure(const char *what, std::int32_t poolThread)
        : std::runtime_error(what), thread(std::this_thread::get_id()), index(poolThread) {}
    std::thread::id thread;
    std::int32_t index; // the pool's number of that thread, 0 for the caller
};

class WorkerPoolFailure : public testing::TestWithParam<ThrowCase> {};

// One side throws in its first unit while the other side is inside a unit of
// its own and stays there until the exception is on its way, so both the
// carrying back and the wait for the running unit are exercised every time.
TEST_P(WorkerPoolFailure, CarriesTheFirstExceptionToTheCallerAfterTheRunningUnitsFinished) {
    const ThrowCase c = GetParam();
    constexpr std::int32_t kUnits = 1000;
    WorkerPool pool(c.threads);
    ASSERT_EQ(pool.Threads(), c.threads) << "the test needs its workers";
    const std::thread::id caller = std::this_thread::get_id();

    std::vector<std::atomic<std::int32_t>> runs(kUnits);
    std::vector<std::atomic<std::int32_t>> unitsPerThread(static_cast<std::size_t>(c.threads));
    std::atomic<std::int32_t> running{0};
    std::atomic<bool> otherSideInAUnit{false};
    std::atomic<bool> thrown{false};
    const bool workerThrows = c.thrower == Thrower::WorkerJob;

    auto job = [&](std::int32_t unit, std::int32_t thread) {
        runs[static_cast<std::size_t>(unit)].fetch_add(1);
        unitsPerThread[static_cast<std::size_t>(thread)].fetch_add(1);
        running.fetch_add(1);
        struct Leave {
            std::atomic<std::int32_t> &running;
            ~Leave() { running.fetch_sub(1); }
        } leave{running};

        const bool onThrowingSide = workerThrows ? thread != 0 : thread == 0;
        if (!onThrowingSide) {
            otherSideInAUnit = true;
            while (!thrown.load()) {
                std::this_thread::yield();
            }
            // Still busy when the exception arrives: Run must wait for this unit.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return;
        }
        while (!otherSideInAUnit.load()) {
            std::this_thread::yield();
        }
        if (c.thrower != Thrower::Progress && !thrown.exchange(true)) {
            throw JobFailure(workerThrows ? "worker job" : "caller job", thread);
        }
    };
    auto progress = [&](std::int32_t) {
        if (c.thrower == Thrower::Progress && !thrown.exchange(true)) {
            throw JobFailure("progress", 0);
        }
    };

    try {
        pool.Run(kUnits, job, progress);
        FAIL() << "Run returned normally";
    } catch (const JobFailure &failure) {
        const char *expected[] = {"worker job", "caller job", "progress"};
        EXPECT_STREQ(failure.what(), expected[static_cast<int>(c.thrower)]);
        EXPECT_EQ(failure.thread != caller, workerThrows) << "thrown on the thread the case names";
        EXPECT_EQ(unitsPerThread[static_cast<std::size_t>(failure.index)].load(), 1)
            << "the thread that threw claims no unit after its exception";
    }
    EXPECT_EQ(running.load(), 0) << "no unit still runs when Run rethrows";
    for (std::int32_t unit = 0; unit < kUnits; ++unit) {
        ASSERT_LE(runs[static_cast<std::size_t>(unit)].load(), 1) << "unit " << unit;
    }

    std::vector<std::atomic<std::int32_t>> again(kUnits);
    pool.Run(
        kUnits, [&](std::int32_t unit, std::int32_t) { again[static_cast<std::size_t>(unit)].fetch_add(1); },
        [](std::int32_t) {});
    for (std::int32_t unit = 0; unit < kUnits; ++unit) {
        ASSERT_EQ(again[static_cast<std::size_t>(unit)].load(), 1) << "the next run does every unit, unit " << unit;
    }
}

INSTANTIATE_TEST_SUITE_P(Throwers, WorkerPoolFailure,
                         testing::Values(ThrowCase{Thrower::WorkerJob, 2}, ThrowCase{Thrower::WorkerJob, 3},
                                         ThrowCase{Thrower::CallerJob, 2}, ThrowCase{Thrower::CallerJob, 3},
                                         ThrowCase{Thrower::Progress, 2}, ThrowCase{Thrower::Progress, 3}));

TEST(WorkerPool, EachThreadStopsAtItsFirstExceptionAndOneReachesTheCaller) {
    WorkerPool pool(3);
    std::atomic<std::int32_t> throws{0};
    try {
        pool.Run(
            300,
            [&](std::int32_t, std::int32_t) {
                throws.fetch_add(1);
                throw std::runtime_error("every unit fails");
            },
            [](std::int32_t) {});
        FAIL() << "Run returned normally";
    } catch (const std::runtime_error &failure) {
        EXPECT_STREQ(failure.what(), "every unit fails");
    }
    EXPECT_GE(throws.load(), 1);
    EXPECT_LE(throws.load(), pool.Threads()) << "each thread stops at its own first exception";
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
