// diffrascope._diffrascope: the optics library and the renderer's front end
// for Python. Keywords become the renderer's command line, read by its own
// parser; the job is computed with the interpreter free; the result's arrays
// are views of the library's memory. The package (diffrascope/__init__.py)
// wraps render() with its docstring.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "Computation.h"
#include "Keywords.h"
#include "RenderOptions.h"
#include "Results.h"

namespace py = pybind11;

namespace diffrascope::python {
namespace {

RenderResult Render(const py::dict &options) {
    const Arguments arguments = ArgumentsOf(options);
    frontend::CommandLineOutcome outcome =
        frontend::ParseCommandLine(arguments.arguments, {QLatin1String(kProgram), /*outputRequired=*/false});
    if (outcome.action != frontend::CommandLineOutcome::Action::Render) {
        throw py::value_error(outcome.text.toStdString());
    }
    optics::Job job = std::move(outcome.request.job);
    job.keepIntensities = true; // the result's image and panels
    job.threads = arguments.threads;
    Computed computed = ComputeInterruptibly(std::move(job), outcome.request.strict);
    return RenderResult(std::move(computed.result), computed.seconds);
}

py::list KeywordTable() {
    py::list table;
    for (const KeywordInfo &keyword : Keywords()) {
        table.append(py::make_tuple(keyword.name, keyword.annotation, keyword.description));
    }
    return table;
}

} // namespace
} // namespace diffrascope::python

PYBIND11_MODULE(_diffrascope, module) {
    using namespace diffrascope::python;
    module.doc() = "The optics of diffrascope-render for Python: see the package diffrascope.";
    module.attr("__version__") = DIFFRASCOPE_VERSION_TEXT;
    RenderResult::Define(module);
    module.def("_render", &Render, py::arg("options"),
               "render()'s work: the options as a dict of keywords, into a Result.");
    module.def("_keywords", &KeywordTable, "Every keyword of render(): (name, annotation, description).");
}
