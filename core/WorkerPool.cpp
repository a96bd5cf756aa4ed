#include "WorkerPool.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <utility>

#if defined(__linux__)
#include <sched.h>
#endif

namespace diffrascope {
namespace {

// How long a thread polls before it sleeps: enough to bridge the hand-over
// between the runs of one computation, short enough to cost next to nothing
// when another program needs the core or no computation follows.
constexpr std::chrono::microseconds kPollTime{15};

// Polls until done() holds or the poll time is over; true when it held.
template <typename Done> bool PollBriefly(Done done) {
    const auto end = std::chrono::steady_clock::now() + kPollTime;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
#if defined(__SSE2__)
        __builtin_ia32_pause(); // a polite spin: less power, no memory-order stalls
#endif
    }
    return true;
}

} // namespace

std::int32_t ThreadCountFromEnvironment() {
    if (const char *text = std::getenv("DIFFRASCOPE_THREADS"); text != nullptr && *text != '\0') {
        char *end = nullptr;
        errno = 0;
        const long value = std::strtol(text, &end, 10);
        if (errno == 0 && *end == '\0' && value >= 1 && value <= kMaxThreads) {
            return static_cast<std::int32_t>(value);
        }
    }
    const std::int32_t cores = AvailableCores();
    return cores < kMaxThreads ? cores : kMaxThreads;
}

std::int32_t AvailableCores() {
#if defined(__linux__)
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0 && CPU_COUNT(&allowed) > 0) {
        return CPU_COUNT(&allowed); // the cores this process may run on, as nproc counts them
    }
#endif
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<std::int32_t>(cores); // 0: the system does not say
}

WorkerPool::WorkerPool(std::int32_t threads) {
    workers_.reserve(threads > 1 ? static_cast<std::size_t>(threads - 1) : 0); // may throw: nothing started yet
    for (std::int32_t t = 1; t < threads; ++t) {
        try {
            workers_.emplace_back([this, t] { WorkerLoop(t); });
        } catch (const std::exception &) {
            break; // no more threads to be had (system_error, bad_alloc): go on with those that started
        }
    }
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_.store(true);
    }
    wake_.notify_all();
    for (std::thread &worker : workers_) {
        worker.join();
    }
}

void WorkerPool::Run(std::int32_t units, FunctionRef<void(std::int32_t, std::int32_t)> job,
                     FunctionRef<void(std::int32_t)> progress) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = &job;
        units_ = units;
        nextUnit_.store(0, std::memory_order_relaxed);
        doneUnits_.store(0, std::memory_order_relaxed);
        busyWorkers_.store(static_cast<std::int32_t>(workers_.size()));
        generation_.fetch_add(1);
    }
    wake_.notify_all();
    try {
        for (std::int32_t unit = nextUnit_.fetch_add(1); unit < units; unit = nextUnit_.fetch_add(1)) {
            job(unit, 0);
            progress(doneUnits_.fetch_add(1) + 1);
        }
    } catch (...) {
        Fail(std::current_exception());
    }
    WaitForWorkers();

    std::exception_ptr failure;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failure = std::exchange(failure_, nullptr); // the next run starts clean
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void WorkerPool::Fail(std::exception_ptr failure) {
    nextUnit_.store(units_); // no thread claims a unit any more
    std::lock_guard<std::mutex> lock(mutex_);
    if (!failure_) {
        failure_ = std::move(failure);
    }
}

void WorkerPool::WaitForWorkers() {
    if (!PollBriefly([this] { return busyWorkers_.load() == 0; })) {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [this] { return busyWorkers_.load() == 0; });
    }
    job_ = nullptr;
}

bool WorkerPool::AwaitRun(std::uint64_t seen) {
    auto woken = [&] { return stopping_.load() || generation_.load() != seen; };
    if (!PollBriefly(woken)) {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, woken);
    }
    return !stopping_.load();
}

void WorkerPool::WorkerLoop(std::int32_t thread) {
    std::uint64_t seen = 0;
    while (AwaitRun(seen)) {
        seen = generation_.load();
        DoUnits(thread);
        if (busyWorkers_.fetch_sub(1) == 1) {
            std::lock_guard<std::mutex> lock(mutex_); // the caller may be between its check and its wait
            finished_.notify_one();
        }
    }
}

void WorkerPool::DoUnits(std::int32_t thread) {
    try {
        for (std::int32_t unit = nextUnit_.fetch_add(1); unit < units_; unit = nextUnit_.fetch_add(1)) {
            (*job_)(unit, thread);
            doneUnits_.fetch_add(1);
        }
    } catch (...) {
        Fail(std::current_exception()); // carried to the caller, which rethrows it
    }
}

} // namespace diffrascope
