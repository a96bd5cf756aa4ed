#pragma once
// Numbers of a star image, in lambda/D of the reference wavelength:
//  - the Strehl ratio: the image's peak over the peak of the same aperture
//    without aberrations (same grid, same light);
//  - the peak's pixel and its offset from the optical axis (x right, y up);
//  - the full width at half maximum through the peak, the mean of its widths
//    along x and y, each edge found by linear interpolation;
//  - encircled energy about the optical axis, grid point (N/2, N/2), each
//    pixel counted with the part of its square that lies inside the circle,
//    as a fraction of the total flux of the whole grid.

#include <cstdint>
#include <optional>
#include <vector>

#include "Control.h"
#include "Imager.h"

namespace diffrascope::optics {

// The first three dark rings of the unobstructed Airy pattern, in lambda/D:
// the first zeros of J1(pi r), 3.8317, 7.0156 and 10.1735, over pi.
inline constexpr double kAiryDarkRings[] = {1.2197, 2.2331, 3.2383};

struct EncircledEnergy {
    double radius;   // lambda/D
    double fraction; // of the total flux
};

struct Metrics {
    double strehl = 0;
    std::int32_t peakX = 0; // picture column of the full grid: grid row
    std::int32_t peakY = 0; // picture row of the full grid: grid column
    double peakOffsetX = 0; // lambda/D, right of the optical axis
    double peakOffsetY = 0; // lambda/D, above it
    double fwhm = 0;
    std::vector<EncircledEnergy> encircled;
    std::optional<double> ee50; // radius holding half the flux; none when the grid does not
    std::optional<double> ee80;
};

// Encircled energy within radius pixels of grid point (n/2, n/2), as a fraction of the flux.
double EncircledFraction(const IntensityImage &image, double radiusPixels);

// referencePeak: the peak of the unaberrated image; pixelScale: lambda/D per pixel;
// radii: encircled-energy radii in lambda/D beyond the Airy dark rings.
Metrics Measure(const IntensityImage &image, double referencePeak, double pixelScale,
                const std::vector<double> &radii);
// The same, stopping where asked (CancelledError).
Metrics Measure(const IntensityImage &image, double referencePeak, double pixelScale,
                const std::vector<double> &radii, const Checkpoint &checkpoint);

} // namespace diffrascope::optics
