#pragma once
// The window's computations, off the user-interface thread: one long-lived
// optics engine on a worker thread of its own. Every change posts the newest
// job; a computation still running is stopped through its stop token, so the
// latest job wins and no stale work queues up. Results come back to the
// window's thread through queued signals.

#include <QObject>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

#include "Engine.h"

namespace diffrascope::lab {

using Generation = std::uint64_t; // numbers the jobs posted, from 1

class Computer : public QObject {
    Q_OBJECT

  public:
    // threads 0: DIFFRASCOPE_THREADS, else every core.
    explicit Computer(std::int32_t threads = 0, QObject *parent = nullptr);
    ~Computer() override;

    // Posts a job; returns its number. Stops the computation still running.
    Generation Submit(optics::Job job);
    // Stops the computation running and drops the job waiting: nothing is wanted now.
    void Cancel();

  signals:
    // Emitted on the worker thread, received on the window's (queued).
    void Computed(std::shared_ptr<const optics::Result> result, diffrascope::lab::Generation generation);
    void Failed(const QString &message, diffrascope::lab::Generation generation);

  private:
    void Run(std::stop_token quit);
    void ComputeOne(optics::Job job, Generation generation, std::stop_token stop);

    optics::Engine engine_; // only the worker thread touches it
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::optional<optics::Job> pending_;
    Generation posted_ = 0;
    std::stop_source running_; // the computation in progress
    std::jthread worker_;      // last: starts once everything above exists
};

// What stopped a computation, in the user's language.
QString FailureText(const std::exception_ptr &error);

} // namespace diffrascope::lab
