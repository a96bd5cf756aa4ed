#pragma once
// The star image of a system in monochromatic or white light, on the window's
// grid: every wavelength on the same N x N grid, where one pixel is
// 110 / lambda_ref lambda_ref/D wide, so the pattern of a longer wavelength
// is simply larger in pixels and the sum needs no resampling.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Control.h"
#include "FarField.h"
#include "Light.h"
#include "OpticalSystem.h"
#include "Roughness.h"

namespace diffrascope::optics {

struct IntensityImage {
    std::int32_t n = 0;
    // Element [i][j] at i n + j; grid row i is picture column i. Monochromatic:
    // the intensities as the transform scales them; white light: the sum of
    // w_k I_k / flux_k, the weights normalised to a sum of 1.
    std::vector<double> values;
    double maximum = 0;

    double At(std::int32_t i, std::int32_t j) const { return values[static_cast<std::size_t>(i) * n + j]; }
    // The sum of every value, worked out when first asked for.
    double Flux() const;
    void ValuesChanged() { flux_.reset(); }

  private:
    mutable std::optional<double> flux_;
};

// The far fields an image of this light takes: one per line of weight above 0, or one.
std::int32_t FarFields(const Spectrum &spectrum);

// A change made to each wavelength's intensities (nm, the grid's values)
// before the lines are weighed and added: a blur that depends on the
// wavelength, such as the seeing's. It keeps the flux.
using LineFilter = std::function<void(double wavelength, std::vector<double> &values)>;

class Imager {
  public:
    // Grids of side n (a power of two from 4 to 4096); threads 0 follows DIFFRASCOPE_THREADS.
    explicit Imager(std::int32_t n, std::int32_t threads = 0);

    std::int32_t GridSize() const { return field_.Size(); }

    // At the system's reference wavelength when the spectrum has no line, at
    // the line's wavelength when it has one, else the weighted sum, into
    // `image` (resized to the grid).
    void Compute(const OpticalSystem &system, const Spectrum &spectrum, IntensityImage &image);
    // The same, each far field a stage of one unit of the checkpoint (FarFields
    // tells how many), stopping where asked.
    void Compute(const OpticalSystem &system, const Spectrum &spectrum, IntensityImage &image, Checkpoint &checkpoint);
    // The same with every line's intensities passed through `filter` first.
    void Compute(const OpticalSystem &system, const Spectrum &spectrum, IntensityImage &image, Checkpoint &checkpoint,
                 const LineFilter &filter);
    // A new image.
    IntensityImage Compute(const OpticalSystem &system, const Spectrum &spectrum);

    // The field between the pixels of the last image: from the far field's own
    // pupil samples for one wavelength, else sampled again line by line.
    FineField FineFieldOf(const OpticalSystem &system, const Spectrum &spectrum) const;

  private:
    void White(const OpticalSystem &system, const Spectrum &spectrum, IntensityImage &image, Checkpoint &checkpoint,
               const LineFilter &filter);
    // The system's roughness drawn and scaled for the grid, kept while systems share it; null without one.
    RoughnessSurface *RoughnessOf(const OpticalSystem &system);

    FarField field_;
    std::vector<double> line_; // one wavelength's intensities, for white light
    std::optional<RoughnessSurface> roughness_;
};

} // namespace diffrascope::optics
