#include "Computer.h"

#include <QCoreApplication>

#include <new>

#include "OpticsError.h"

namespace diffrascope::lab {

Computer::Computer(std::int32_t threads, QObject *parent)
    : QObject(parent), engine_(threads), worker_([this](std::stop_token quit) { Run(std::move(quit)); }) {
    qRegisterMetaType<std::shared_ptr<const optics::Result>>();
    qRegisterMetaType<diffrascope::lab::Generation>("diffrascope::lab::Generation");
}

Computer::~Computer() {
    {
        const std::lock_guard lock(mutex_);
        running_.request_stop();
    }
    worker_.request_stop();
    wake_.notify_all();
    worker_.join();
}

Generation Computer::Submit(optics::Job job) {
    Generation generation = 0;
    {
        const std::lock_guard lock(mutex_);
        pending_ = std::move(job);
        generation = ++posted_;
        running_.request_stop();
    }
    wake_.notify_all();
    return generation;
}

void Computer::Cancel() {
    const std::lock_guard lock(mutex_);
    pending_.reset();
    ++posted_; // a result of the stopped job can no longer be the latest
    running_.request_stop();
}

void Computer::Run(std::stop_token quit) {
    while (true) {
        std::optional<optics::Job> job;
        Generation generation = 0;
        std::stop_token stop;
        {
            std::unique_lock lock(mutex_);
            if (!wake_.wait(lock, quit, [this] { return pending_.has_value(); })) {
                return; // asked to quit
            }
            job = std::move(pending_);
            pending_.reset();
            generation = posted_;
            running_ = std::stop_source();
            stop = running_.get_token();
        }
        ComputeOne(std::move(*job), generation, stop);
    }
}

void Computer::ComputeOne(optics::Job job, Generation generation, std::stop_token stop) {
    const optics::Control control{stop, {}};
    try {
        optics::Plan plan = optics::MakePlan(std::move(job), control);
        auto result = std::make_shared<const optics::Result>(engine_.Compute(std::move(plan), control));
        emit Computed(result, generation);
    } catch (const optics::CancelledError &) {
        // a newer job is waiting; it says what to show
    } catch (...) {
        emit Failed(FailureText(std::current_exception()), generation);
    }
}

QString FailureText(const std::exception_ptr &error) {
    try {
        std::rethrow_exception(error);
    } catch (const optics::NoLightError &) {
        return QCoreApplication::translate("diffrascope::lab::Computer", "No light passes the aperture.");
    } catch (const optics::OutOfMemoryError &) {
        return QCoreApplication::translate("diffrascope::lab::Computer", "Memory is short for this grid.");
    } catch (const std::bad_alloc &) {
        return QCoreApplication::translate("diffrascope::lab::Computer", "Memory is short for this grid.");
    } catch (const std::exception &other) {
        return QString::fromUtf8(other.what());
    }
}

} // namespace diffrascope::lab
