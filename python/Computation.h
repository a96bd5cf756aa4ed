#pragma once
// A job computed with the interpreter free: the GIL is released, the library
// plans and computes on a thread of its own (and its worker pool), and the
// calling thread looks for signals every few milliseconds, stopping the
// computation when one is pending, so that Ctrl-C ends it at once.

#include "Engine.h"

namespace diffrascope::python {

struct Computed {
    optics::Result result;
    double seconds = 0; // planning and computing, without the interpreter's share
};

// strict: a sampling or field warning refuses the job. Throws the pending
// Python exception (KeyboardInterrupt) when a signal stopped the
// computation; ValueError for a refusal, in the renderer's words;
// ZeroDivisionError when no light passes and MemoryError when memory runs
// short, in the window's.
Computed ComputeInterruptibly(optics::Job job, bool strict);

} // namespace diffrascope::python
