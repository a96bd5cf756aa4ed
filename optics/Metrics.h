#pragma once
// Numbers of a star image, in lambda/D of the reference wavelength:
//  - the Strehl ratio: the image's true peak, found between the pixels
//    (FineField), over the peak of the same aperture without aberrations
//    (same grid, same light), which lies on the axis; and the same with the
//    brightest pixel for the peak;
//  - the brightest pixel, and the true peak's offset from the optical axis
//    (x right, y up);
//  - the full width at half maximum through the brightest pixel, the mean of
//    its widths along x and y, each edge found by linear interpolation;
//  - encircled energy about the optical axis, grid point (N/2, N/2), each
//    pixel counted with the exact area of its square that lies inside the
//    circle, as a fraction of the total flux of the whole grid.

#include <cstdint>
#include <optional>
#include <vector>

#include "Control.h"
#include "FineField.h"
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
    double strehl = 0;      // at the true peak
    double strehlPixel = 0; // at the brightest pixel
    std::int32_t peakX = 0; // the brightest pixel's picture column of the full grid: grid row
    std::int32_t peakY = 0; // its picture row of the full grid: grid column
    double peakOffsetX = 0; // the true peak, lambda/D right of the optical axis
    double peakOffsetY = 0; // lambda/D above it
    double fwhm = 0;
    std::vector<EncircledEnergy> encircled;
    std::optional<double> ee50; // radius holding half the flux; none when the grid does not
    std::optional<double> ee80;
};

// Working memory of the metrics, kept by a caller that measures image after
// image (fresh memory costs page faults; these buffers take a few MB).
struct MetricsScratch {
    std::vector<double> filtered;
    std::vector<double> prefix;
};

// Encircled energy within radius pixels of grid point (n/2, n/2), as a fraction of the flux.
double EncircledFraction(const IntensityImage &image, double radiusPixels);

// referencePeak: the peak of the unaberrated image; pixelScale: lambda/D per pixel;
// radii: encircled-energy radii in lambda/D beyond the Airy dark rings; fine:
// the image's field between the pixels (without it the brightest pixel is the peak).
Metrics Measure(const IntensityImage &image, double referencePeak, double pixelScale,
                const std::vector<double> &radii, const FineField *fine = nullptr);
// The same, stopping where asked (CancelledError).
Metrics Measure(const IntensityImage &image, double referencePeak, double pixelScale,
                const std::vector<double> &radii, const Checkpoint &checkpoint, const FineField *fine,
                MetricsScratch *scratch = nullptr);

} // namespace diffrascope::optics
