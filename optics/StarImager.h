#pragma once
// The star image of a pupil in monochromatic or white light, on the window's
// grid: every wavelength on the same N x N grid, where one pixel is
// 110 / lambda_ref lambda_ref/D wide, so the pattern of a longer wavelength
// is simply larger in pixels and the sum needs no resampling.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "FarField.h"
#include "PupilSampler.h"
#include "Light.h"

namespace diffrascope::optics {

// One pixel of the far field, in lambda/D at the given wavelength: the pupil
// is 0.1 N 550 / lambda grid steps in radius at any grid size N.
double PixelScale(double wavelength);

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

class StarImager {
  public:
    // Grids of side n (a power of two from 4 to 4096); threads 0 follows DIFFRASCOPE_THREADS.
    explicit StarImager(std::int32_t n, std::int32_t threads = 0);

    std::int32_t GridSize() const { return field_.Size(); }

    // At the pupil's reference wavelength when the spectrum has no line, at
    // the line's wavelength when it has one, else the weighted sum. The image
    // is the imager's own, valid until its next computation.
    const IntensityImage &Compute(const OpticalSystem &pupil, const Spectrum &spectrum);

  private:
    void Monochromatic(const OpticalSystem &pupil, double wavelength);
    void White(const OpticalSystem &pupil, const Spectrum &spectrum);

    FarField field_;
    IntensityImage image_;
    std::vector<double> line_; // one wavelength's intensities, for white light
};

} // namespace diffrascope::optics
