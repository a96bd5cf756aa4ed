#include "Results.h"

#include <variant>

#include <pybind11/numpy.h>

#include "FitsOutput.h"
#include "MetricsOutput.h"
#include "Picture.h"

namespace py = pybind11;

namespace diffrascope::python {
namespace {

constexpr py::ssize_t kDoubleBytes = sizeof(double);

// The panel's intensities as the FITS data holds them, the picture's bottom
// row first, as the library keeps them: a view of the library's memory.
py::array_t<double> Intensities(const optics::PanelResult &panel, const py::capsule &owner) {
    const py::ssize_t side = panel.side;
    return py::array_t<double>({side, side}, {side * kDoubleBytes, kDoubleBytes}, panel.intensities.data(), owner);
}

py::array_t<std::uint8_t> PanelGrey(const optics::PanelResult &panel, const py::capsule &owner) {
    const py::ssize_t side = panel.side;
    return py::array_t<std::uint8_t>({side, side}, {side, py::ssize_t{1}}, panel.grey.data(), owner);
}

py::dict HeaderOf(const std::vector<frontend::FitsKey> &keys) {
    py::dict header;
    for (const frontend::FitsKey &key : keys) {
        header[key.name.c_str()] = std::visit([](const auto &value) { return py::cast(value); }, key.value);
    }
    return header;
}

py::object MetricsOf(const optics::Result &result) {
    if (!result.job.metrics) {
        return py::none();
    }
    const QByteArray json = frontend::MetricsJson(result);
    return py::module_::import("json").attr("loads")(py::bytes(json.constData(), static_cast<std::size_t>(json.size())));
}

} // namespace

RenderResult::RenderResult(optics::Result result, double seconds)
    : result_(std::make_shared<const optics::Result>(std::move(result))),
      owner_(new std::shared_ptr<const optics::Result>(result_),
             [](void *held) { delete static_cast<std::shared_ptr<const optics::Result> *>(held); }),
      seconds_(seconds) {
    const optics::Result &r = *result_;
    for (std::size_t k = 0; k < r.panels.size(); ++k) {
        panels_.append(Intensities(r.panels[k], owner_));
        labels_.append(r.panels[k].focus.Label());
    }
    metrics_ = MetricsOf(r);
    for (const std::string &warning : r.warnings) {
        warnings_.append(warning);
    }
}

py::object RenderResult::Image() const { return result_->IsSheet() ? py::none() : py::object(panels_[0]); }

py::dict RenderResult::Header() {
    if (!header_) {
        const optics::Result &r = *result_;
        header_ = HeaderOf(r.IsSheet() ? frontend::SheetKeys(r) : frontend::PanelKeys(r, 0));
    }
    return header_;
}

py::list RenderResult::PanelHeaders() {
    if (!panelHeaders_) {
        py::list headers;
        for (std::size_t k = 0; k < result_->panels.size(); ++k) {
            headers.append(HeaderOf(frontend::PanelKeys(*result_, k)));
        }
        panelHeaders_ = headers;
    }
    return panelHeaders_;
}

py::object RenderResult::Grey() {
    if (!grey_) {
        // a sheet, or a panel with its scale bar drawn on, is a picture of its own
        const bool drawn = result_->IsSheet() || result_->job.scaleBar;
        grey_ = drawn ? py::object(SheetGrey(*result_)) : py::object(PanelGrey(result_->panels[0], owner_));
    }
    return grey_;
}

std::string RenderResult::Repr() const {
    const optics::Result &r = *result_;
    const std::string side = std::to_string(r.view.side);
    const std::string shape = side + " x " + side;
    return r.IsSheet() ? "<diffrascope.Result: a sheet of " + std::to_string(r.panels.size()) + " panels of " + shape + ">"
                       : "<diffrascope.Result: an image of " + shape + ">";
}

void RenderResult::Define(py::module_ &module) {
    py::class_<RenderResult>(module, "Result", R"(A computed star image or sheet, as render() returns it.

Arrays are numpy views of the computation's own memory (nothing is copied);
they stay valid as long as any of them, or the result, is alive.)")
        .def_property_readonly("image", &RenderResult::Image, R"(The intensities, float64, shaped and oriented as the renderer's FITS data.

Normalised to the brightest pixel (or block) of the whole field, which is 1;
with normalize="flux" the pixels add up to 1 (an object's: to the sum of its
own pixels), as header["NORMALIZ"] says. image[0] is the picture's bottom row and image[:, 0] its left column, so
imshow(image, origin="lower") shows +y up, as ds9 shows the FITS file. With
one grid pixel per data pixel the optical axis is image[side // 2 - 1, side // 2].
The pixel is header["PIXSCALE"] lambda/D of the reference wavelength. None
for a sheet: its panels are in `panels`.)")
        .def_property_readonly("panels", &RenderResult::Panels,
                               "The intensities of every panel, as `image` (one array for a single image).")
        .def_property_readonly("labels", &RenderResult::Labels,
                               "Each panel's label: its role and defocus, \"intrafocal, -8 waves\".")
        .def_property_readonly("grey", &RenderResult::Grey, R"(The 8-bit picture the renderer writes (uint8), labels and all for a sheet,
with its scale bar when scale_bar=True.

Rows run top first, as a PNG holds them: imshow(grey, cmap="gray") shows it
upright. Grey levels follow `display`: the window's amplitude scale,
min(trunc(300 sqrt(I)), 255), or the log scale.)")
        .def_property_readonly("metrics", &RenderResult::Metrics, R"(The numbers, as --metrics writes them (a dict of the same keys and values).

None unless render() was called with metrics=True. The Strehl ratio is the
peak over the peak of the same aperture and light without aberrations;
encircled energy is a fraction of the whole grid's flux about the optical
axis; lengths are in lambda/D of the reference wavelength.)")
        .def_property_readonly("header", &RenderResult::Header,
                               "The FITS header's keywords and values (a sheet's primary header: the common keywords "
                               "and NPANELS).")
        .def_property_readonly("panel_headers", &RenderResult::PanelHeaders,
                               "Each panel's FITS header, as its image extension holds it (a single image: `header`).")
        .def_property_readonly("warnings", &RenderResult::Warnings,
                               "The renderer's sampling and field warnings, as sentences (empty when none).")
        .def_property_readonly("_compute_seconds", &RenderResult::Seconds,
                               "Seconds of planning and computing, without the interpreter's share.")
        .def("__repr__", &RenderResult::Repr);
}

} // namespace diffrascope::python
