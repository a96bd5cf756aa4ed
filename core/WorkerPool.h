#pragma once
// A small pool of threads that lives as long as the computation's buffers.
// The calling thread takes part in every run and is the only one that talks
// to the caller's callbacks. Idle workers sleep on a condition variable;
// only for a few tens of microseconds after a run do they (and the caller,
// waiting for them) poll instead, because the runs of one computation follow
// each other closely and a sleeping thread takes long to wake.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace diffrascope {

// A non-owning reference to a callable: no allocation, valid while the callable lives.
template <typename Signature> class FunctionRef;

template <typename Result, typename... Args> class FunctionRef<Result(Args...)> {
  public:
    template <typename Callable,
              typename = std::enable_if_t<!std::is_same_v<std::decay_t<Callable>, FunctionRef>>>
    FunctionRef(Callable &&callable) // NOLINT: implicit by design, like std::function
        : object_(const_cast<void *>(static_cast<const void *>(&callable))),
          call_([](void *object, Args... args) -> Result {
              return (*static_cast<std::remove_reference_t<Callable> *>(object))(std::forward<Args>(args)...);
          }) {}

    Result operator()(Args... args) const { return call_(object_, std::forward<Args>(args)...); }

  private:
    void *object_;
    Result (*call_)(void *, Args...);
};

// Thread count from DIFFRASCOPE_THREADS when it holds a whole number from 1 to
// kMaxThreads, otherwise every available core (at most kMaxThreads).
inline constexpr std::int32_t kMaxThreads = 64;
std::int32_t ThreadCountFromEnvironment();
// The cores this process may run on (its affinity mask where the system has
// one), at least one.
std::int32_t AvailableCores();

class WorkerPool {
  public:
    // Starts threads - 1 workers. When the system refuses a thread the pool
    // simply has fewer: the work is the same, only slower.
    explicit WorkerPool(std::int32_t threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    // The calling thread plus the workers that started.
    std::int32_t Threads() const { return static_cast<std::int32_t>(workers_.size()) + 1; }

    // Runs job(unit, thread) once for every unit in [0, units), spread over
    // the threads (thread 0 is the caller). After each unit it finished itself
    // the caller calls progress(units done so far). Returns when every unit
    // is done.
    //
    // Jobs and progress may throw, on any thread. The first exception ends
    // the run early: a thread that sees it claims no further unit (a unit
    // another thread claimed just before may still run), the units already
    // running finish, and once every worker has left the run, Run rethrows
    // that exception on the calling thread; any later ones are dropped. The
    // pool is then ready for the next run.
    void Run(std::int32_t units, FunctionRef<void(std::int32_t unit, std::int32_t thread)> job,
             FunctionRef<void(std::int32_t done)> progress);

  private:
    void WorkerLoop(std::int32_t thread);
    bool AwaitRun(std::uint64_t seen); // false when the pool stops
    void DoUnits(std::int32_t thread);
    void Fail(std::exception_ptr failure); // keeps the first failure of the run and stops it
    void WaitForWorkers();

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_;     // workers: a new run or the end
    std::condition_variable finished_; // caller: the last worker left the run
    // Changed under mutex_, read by polling threads without it.
    std::atomic<std::uint64_t> generation_{0}; // counts runs
    std::atomic<std::int32_t> busyWorkers_{0}; // workers still in the current run
    std::atomic<bool> stopping_{false};

    // The current run; written by the caller before waking the workers.
    FunctionRef<void(std::int32_t, std::int32_t)> *job_ = nullptr;
    std::int32_t units_ = 0;
    std::atomic<std::int32_t> nextUnit_{0};
    std::atomic<std::int32_t> doneUnits_{0};
    std::exception_ptr failure_; // the run's first exception; under mutex_
};

} // namespace diffrascope
