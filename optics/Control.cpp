#include "Control.h"

#include <algorithm>

#include "OpticsError.h"

namespace diffrascope::optics {
namespace {

constexpr double kReportStep = 0.005; // fraction of the whole between two reports

} // namespace

Checkpoint::Checkpoint(const Control &control, double total)
    : control_(&control), total_(std::max(total, 1.0)) {}

void Checkpoint::ThrowIfStopped() const {
    if (control_ != nullptr && control_->stop.stop_requested()) {
        throw CancelledError();
    }
}

void Checkpoint::Begin(double units) {
    ThrowIfStopped();
    stage_ = units;
}

void Checkpoint::Within(double part) {
    ThrowIfStopped();
    Report(done_ + stage_ * std::clamp(part, 0.0, 1.0));
}

void Checkpoint::End() {
    done_ += stage_;
    stage_ = 0;
    Report(done_);
    ThrowIfStopped();
}

void Checkpoint::Report(double done) {
    if (control_ == nullptr || !control_->progress) {
        return;
    }
    const double fraction = std::min(done / total_, 1.0);
    if (fraction >= reported_ + kReportStep || (fraction == 1.0 && reported_ < 1.0)) {
        reported_ = fraction;
        control_->progress(fraction);
    }
}

} // namespace diffrascope::optics
