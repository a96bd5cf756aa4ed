#pragma once
// The curves of a focus image that a window draws beside it: encircled
// energy against the radius (about the optical axis, fractions of the whole
// grid's flux, as Metrics.h measures it) and the MTF (Mtf.h).

#include <vector>

#include "Control.h"
#include "Imager.h"
#include "Light.h"
#include "Mtf.h"

namespace diffrascope::optics {

inline constexpr double kCurveRadius = 5;        // lambda/D the encircled-energy curve reaches
inline constexpr double kCurveRadiusStep = 0.05; // lambda/D between its points

struct EncircledCurve {
    std::vector<double> radius;   // lambda/D of the reference wavelength, from 0
    std::vector<double> fraction; // of the total flux
};

struct Curves {
    EncircledCurve encircled;
    MtfCurve mtf; // up to the cut-off of the light's shortest wavelength
};

// The highest cut-off of the light in units of the reference's D/lambda:
// lambda_ref / the shortest lit wavelength (1 for the reference alone).
double HighestCutOff(const Spectrum &light, double reference);

// pixelScale: lambda/D per pixel; reference: the reference wavelength in nm.
Curves MeasureCurves(const IntensityImage &image, double pixelScale, const Spectrum &light, double reference,
                     const Checkpoint &checkpoint = Checkpoint());

} // namespace diffrascope::optics
