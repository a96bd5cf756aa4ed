#pragma once
// The modulation transfer function of a star image: the modulus of its
// optical transfer function (the Fourier transform of the intensities),
// normalised to 1 at zero frequency. Frequencies are in units of the
// incoherent cut-off D/lambda of the reference wavelength (one cycle per
// lambda/D), so the perfect unobstructed aperture's MTF falls to 0 at 1.
// One value at every grid frequency k: k / (N x pixel scale).

#include <cstdint>
#include <vector>

#include "Control.h"
#include "Imager.h"

namespace diffrascope::optics {

struct MtfCurve {
    std::vector<double> frequency; // units of D/lambda, from 0 in grid steps
    std::vector<double> x;         // along the picture's x axis (fy = 0)
    std::vector<double> y;         // along its y axis (fx = 0)
    std::vector<double> azimuthal; // the mean over the ring of grid frequencies nearest each radius
};

// The MTF of the whole grid's intensities from 0 to `upTo` cut-offs (at most
// the grid's Nyquist frequency); pixelScale in lambda/D per pixel. Stops
// where asked (CancelledError).
MtfCurve Mtf(const IntensityImage &image, double pixelScale, double upTo = 1,
             const Checkpoint &checkpoint = Checkpoint());

} // namespace diffrascope::optics
