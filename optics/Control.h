#pragma once
// How a caller follows and stops a long computation: a stop token, checked
// between units of work on every thread, and a progress callback, called on
// the calling thread only with the fraction done (0 to 1, never falling).
// A stopped computation throws CancelledError and leaves nothing half-made.

#include <functional>
#include <stop_token>

namespace diffrascope::optics {

struct Control {
    std::stop_token stop;
    std::function<void(double fraction)> progress;
};

// The library's side of a Control: the whole computation is `total` units of
// work, handed out stage by stage. Progress is reported in steps of at least
// kReportStep, so a callback that takes a lock (Python's) costs little.
class Checkpoint {
  public:
    Checkpoint() = default; // never stops, reports nothing
    Checkpoint(const Control &control, double total);

    // Any thread: throws CancelledError once a stop was requested.
    void ThrowIfStopped() const;

    // Calling thread: the next `units` of work start; Within reports the part
    // of them done so far (0 to 1); End completes them.
    void Begin(double units);
    void Within(double part);
    void End();

  private:
    void Report(double done);

    const Control *control_ = nullptr;
    double total_ = 1;
    double done_ = 0;     // units finished before the current stage
    double stage_ = 0;    // units of the current stage
    double reported_ = -1;
};

} // namespace diffrascope::optics
