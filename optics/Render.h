#pragma once
// One run of the renderer without its files: the star image of a pupil (or
// one per focus of a star-test sheet), each as a panel of the field with its
// grey levels, and its metrics. Every panel of a sheet is the picture a single
// image would give for its focus, grid and field.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Display.h"
#include "Metrics.h"
#include "PupilSampler.h"
#include "Sampling.h"
#include "Light.h"

namespace diffrascope::optics {

inline constexpr std::int32_t kWindowGrid = 512;   // the window's start value
inline constexpr std::int32_t kCropSide = 256;     // the window's crop
inline constexpr std::int32_t kMaxPanels = 64;

enum class Layout {
    Crop,   // the window's 256 x 256 centre
    Full,   // the whole grid
    Panels, // panels showing a field chosen for the blur disc (or given)
};

struct RenderJob {
    OpticalSystem pupil;                  // its focus is the single image's
    Spectrum spectrum;                // no line: the pupil's reference wavelength alone
    std::vector<double> focus;        // waves; one panel each; empty: the single image
    Layout layout = Layout::Crop;
    std::optional<std::int32_t> grid; // Crop and Full: else the window's 512; Panels: else automatic
    FieldRequest field;               // Panels: side, width (its grid is `grid`)
    DisplayScale display;
    bool metrics = false;
    bool keepIntensities = false;       // the panels' normalised intensities besides their grey levels
    std::vector<double> encircledRadii; // lambda/D, beyond the Airy dark rings
    std::int32_t threads = 0;           // 0: DIFFRASCOPE_THREADS, else every core
};

struct RenderedPanel {
    double focus = 0; // waves
    Panel panel;
    std::optional<Metrics> metrics;
};

struct RenderResult {
    std::int32_t grid = 0;
    double pixelScale = 0; // lambda/D per grid pixel
    PanelView view;
    double width = 0;      // lambda/D each panel shows
    std::vector<RenderedPanel> panels;
    std::vector<std::string> warnings; // sampling and field, for the user
};

// The focus of every panel: the job's list, or the pupil's own focus.
std::vector<double> PanelFocus(const RenderJob &job);

// The grid, the view and the warnings of the job, without computing it.
// Throws InvalidInputError for a view that does not fit its grid.
RenderResult Plan(const RenderJob &job);

// Throws ZeroDivisionError when no light passes, AllocationError (or
// std::bad_alloc) when memory is short, InvalidInputError for a view that
// does not fit its grid.
RenderResult Render(const RenderJob &job);
// The same for a plan that Plan made of the job, not worked out again.
RenderResult Render(const RenderJob &job, RenderResult plan);

} // namespace diffrascope::optics
