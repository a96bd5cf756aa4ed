#pragma once
// From a job to its pictures and numbers: a plan, made once from a job and
// used once, and an engine that computes plans into results. A result owns
// everything it holds and stays valid whatever is computed next.
//
//   Plan plan = MakePlan(job);              // checks the job; grid, field, warnings
//   Result result = engine.Compute(std::move(plan), control);
//
// Pictures are row-major 8-bit grey levels, the top row first, as a PNG holds
// them. Intensities are row-major with the picture's bottom row first, as a
// FITS file holds them (+y up), normalised to the brightest pixel or block of
// the whole field. The library writes nothing to standard
// output or error and keeps no process-wide state: engines on different
// threads compute independently.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Control.h"
#include "Curves.h"
#include "Display.h"
#include "Job.h"
#include "Metrics.h"
#include "WavefrontMap.h"

namespace diffrascope::optics {

class Plan {
  public:
    Plan(Plan &&) noexcept;
    Plan &operator=(Plan &&) noexcept;
    Plan(const Plan &) = delete;
    Plan &operator=(const Plan &) = delete;
    ~Plan();

    // The job as it is computed: spherical aberration and focus read the window's way.
    const Job &GetJob() const;
    const std::vector<PanelFocus> &Panels() const;
    std::int32_t Grid() const;
    const PanelView &View() const;
    double PixelScale() const; // lambda/D per grid pixel at the reference wavelength
    double Width() const;      // lambda/D each panel shows
    double FocusWidth() const; // lambda/D the focus panel shows: Width() unless the job gives it a field
    const std::vector<std::string> &Warnings() const; // sampling and field, for the user
    bool Empty() const;        // true once computed (moved from)

    struct Data; // the library's own

  private:
    explicit Plan(std::unique_ptr<Data> data);
    std::unique_ptr<Data> data_;
    friend Plan MakePlan(Job job, const Control &control);
    friend class Engine;
};

// Checks the job (ParameterError) and plans its grid, field and panels.
// Throws CancelledError when stopped.
Plan MakePlan(Job job, const Control &control = {});

struct PanelResult {
    PanelFocus focus;
    std::int32_t side = 0;
    std::vector<std::uint8_t> grey;  // side x side, row-major, top row first
    std::vector<double> intensities; // side x side, row-major, bottom row first; empty unless the job keeps them
    std::optional<Metrics> metrics;
    std::optional<Curves> curves; // the focus panel's (else the one nearest focus), when the job asks for curves
    double width = 0;             // lambda/D the panel shows

    // Picture pixel (x, y): x right, y down from the top-left corner.
    std::uint8_t GreyAt(std::int32_t x, std::int32_t y) const { return grey[static_cast<std::size_t>(y) * side + x]; }
    double IntensityAt(std::int32_t x, std::int32_t y) const {
        return intensities[static_cast<std::size_t>(side - 1 - y) * side + x];
    }
};

struct Result {
    Job job; // as computed
    std::int32_t grid = 0;
    double pixelScale = 0;
    PanelView view;
    double width = 0;
    std::vector<std::string> warnings;
    std::vector<PanelResult> panels;
    std::optional<Curves> reference; // the perfect aperture's curves (same pupil and light), with the panels'

    bool IsSheet() const { return job.panels.IsSheet() || panels.size() > 1; } // or a sheet of frames
};

// "field 51.2 λ/D": the width a panel shows, to a tenth of lambda/D.
std::string FieldText(double width);
// The second line of a panel's label: its defocus ("-8 waves, -1.014 mm"),
// and its field where it differs from the sheet's (a zoomed focus panel).
std::string DefocusCaption(const PanelResult &panel, const Result &result);

// Computes plans, one at a time, keeping its threads, buffers and the
// reference far fields of the Strehl ratio and the curves (per pupil, light
// and grid) between them.
class Engine {
  public:
    // threads 0: DIFFRASCOPE_THREADS, else every core (at most 64).
    explicit Engine(std::int32_t threads = 0);
    ~Engine();
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    // Throws NoLightError when no light passes, OutOfMemoryError when memory
    // is short, CancelledError when stopped; the engine stays usable.
    Result Compute(Plan &&plan, const Control &control = {});

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A plan computed by an engine of the job's own thread count.
Result Compute(Plan &&plan, const Control &control = {});

// The pupil's whole wavefront as the result sampled it, on its grid at the
// reference wavelength, at the focus of its single image or of its sheet's
// middle panel (of an even count, the first panel after the middle).
WavefrontMap SampledWavefront(const Result &result);

} // namespace diffrascope::optics
