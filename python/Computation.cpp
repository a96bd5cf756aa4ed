#include "Computation.h"

#include <chrono>
#include <future>
#include <new>
#include <optional>
#include <stdexcept>
#include <stop_token>

#include <pybind11/pybind11.h>

#include "Errors.h"
#include "Keywords.h" // kProgram
#include "OpticsError.h"

namespace py = pybind11;

namespace diffrascope::python {
namespace {

using Clock = std::chrono::steady_clock;

// How often the calling thread looks for a signal: Ctrl-C stops the
// computation within about this, whatever the job's size.
constexpr auto kSignalPoll = std::chrono::milliseconds(20);

// A warning under strict=True, with the renderer's text.
class StrictRefusal : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::string Sentence(const std::string &text) { return std::string(kProgram) + ": " + text + "."; }

std::string StrictText(const std::vector<std::string> &warnings) {
    std::string text;
    for (const std::string &warning : warnings) {
        text += (text.empty() ? "" : " ") + Sentence(warning);
    }
    return text + " strict=True: nothing was computed.";
}

Computed PlanAndCompute(optics::Job job, const optics::Control &control, bool strict) {
    const Clock::time_point start = Clock::now();
    optics::Plan plan = optics::MakePlan(std::move(job), control);
    if (strict && !plan.Warnings().empty()) {
        throw StrictRefusal(StrictText(plan.Warnings()));
    }
    optics::Result result = optics::Compute(std::move(plan), control);
    return {std::move(result), std::chrono::duration<double>(Clock::now() - start).count()};
}

[[noreturn]] void Raise(PyObject *type, const std::string &message) {
    PyErr_SetString(type, message.c_str());
    throw py::error_already_set();
}

// The library's refusals in the renderer's words, its failures in the window's.
Computed Translated(std::future<Computed> &computed) {
    try {
        return computed.get();
    } catch (const optics::ParameterError &refused) {
        throw py::value_error(Sentence(refused.what()));
    } catch (const StrictRefusal &refused) {
        throw py::value_error(refused.what());
    } catch (const optics::NoLightError &) {
        Raise(PyExc_ZeroDivisionError, std::string(kZeroDivisionText) + ".");
    } catch (const optics::OutOfMemoryError &) {
        Raise(PyExc_MemoryError, kMemoryShortText);
    } catch (const std::bad_alloc &) {
        Raise(PyExc_MemoryError, kMemoryShortText);
    }
}

} // namespace

Computed ComputeInterruptibly(optics::Job job, bool strict) {
    std::stop_source stop;
    const optics::Control control{stop.get_token(), {}};
    std::optional<py::error_already_set> interrupted;
    std::future<Computed> computed;
    {
        py::gil_scoped_release interpreterFree;
        computed = std::async(std::launch::async, [&] { return PlanAndCompute(std::move(job), control, strict); });
        while (computed.wait_for(kSignalPoll) != std::future_status::ready) {
            py::gil_scoped_acquire held;
            if (PyErr_CheckSignals() != 0) {
                interrupted.emplace(); // takes the signal handler's exception
                stop.request_stop();
                break;
            }
        }
        computed.wait(); // a stopped computation ends at its next unit of work
    }
    if (interrupted) {
        throw *interrupted;
    }
    return Translated(computed);
}

} // namespace diffrascope::python
