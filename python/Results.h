#pragma once
// render()'s result as Python sees it: numpy arrays over the library's own
// memory (no copies; the arrays keep it alive), the numbers as --metrics
// writes them and the FITS header as dicts.

#include <memory>

#include <pybind11/pybind11.h>

#include "Engine.h"

namespace diffrascope::python {

class RenderResult {
  public:
    RenderResult(optics::Result result, double seconds);

    pybind11::object Image() const;  // None for a sheet
    pybind11::list Panels() const { return panels_; } // one per panel
    pybind11::list Labels() const { return labels_; }
    pybind11::object Grey();         // made at the first call: a sheet's labels need Qt
    pybind11::object Metrics() const { return metrics_; } // None unless asked for
    pybind11::dict Header();          // made at the first call, as the panels' headers
    pybind11::list PanelHeaders();
    pybind11::list Warnings() const { return warnings_; }
    double Seconds() const { return seconds_; }
    std::string Repr() const;

    // The class and its docstrings, in the module.
    static void Define(pybind11::module_ &module);

  private:
    std::shared_ptr<const optics::Result> result_;
    pybind11::capsule owner_; // holds result_ for every array made over it
    pybind11::list panels_;
    pybind11::list labels_;
    pybind11::object metrics_;
    pybind11::object header_;
    pybind11::object panelHeaders_;
    pybind11::list warnings_;
    pybind11::object grey_;
    double seconds_;
};

} // namespace diffrascope::python
