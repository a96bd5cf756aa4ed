#pragma once
// Small helpers the optics tests share.

#include <cstdint>
#include <vector>

#include "PupilSampler.h"
#include "Spectrum.h"
#include "StarImager.h"

namespace diffrascope::optics::testing {

inline constexpr std::int32_t kLargeGrid = 1024;

inline PupilSpec Pupil(double spherical, double focus, double obstruction, double wavelength = 550) {
    PupilSpec spec;
    spec.aberrations.spherical = spherical;
    spec.aberrations.focus = focus;
    spec.aperture.obstruction = obstruction;
    spec.wavelength = wavelength;
    return spec;
}

// The monochromatic image at the pupil's reference wavelength.
inline IntensityImage Image(const PupilSpec &spec, std::int32_t n = kLargeGrid) {
    return StarImager(n).Compute(spec, Spectrum{});
}

inline double At(const IntensityImage &image, std::int32_t i, std::int32_t j) {
    return image.values[static_cast<std::size_t>(i) * image.n + j];
}

} // namespace diffrascope::optics::testing
