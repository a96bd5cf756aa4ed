#pragma once
// Small helpers the optics tests share.

#include <cstdint>
#include <vector>

#include "PupilSampler.h"
#include "Light.h"
#include "Imager.h"
#include "Units.h"

namespace diffrascope::optics::testing {

inline constexpr std::int32_t kLargeGrid = 1024;

inline OpticalSystem Pupil(double spherical, double focus, double obstruction, double wavelength = 550) {
    OpticalSystem system;
    system.aberrations.spherical = spherical;
    system.aberrations.focus = focus;
    system.aperture.obstruction = obstruction;
    system.wavelength = wavelength;
    return system;
}

// The monochromatic image at the pupil's reference wavelength.
inline IntensityImage Image(const OpticalSystem &system, std::int32_t n = kLargeGrid) {
    return Imager(n).Compute(system, Spectrum{});
}

inline double At(const IntensityImage &image, std::int32_t i, std::int32_t j) {
    return image.values[static_cast<std::size_t>(i) * image.n + j];
}

} // namespace diffrascope::optics::testing
