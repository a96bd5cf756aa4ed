#include "Curves.h"

#include <algorithm>
#include <cmath>

#include "Metrics.h"

namespace diffrascope::optics {

double HighestCutOff(const Spectrum &light, double reference) {
    double shortest = light.lines.empty() ? reference : kLongestWavelength;
    for (const SpectralLine &line : light.lines) {
        if (line.weight > 0) {
            shortest = std::min(shortest, line.nanometres);
        }
    }
    return reference / shortest;
}

Curves MeasureCurves(const IntensityImage &image, double pixelScale, const Spectrum &light, double reference,
                     const Checkpoint &checkpoint) {
    Curves curves;
    const auto points = static_cast<std::int32_t>(std::lround(kCurveRadius / kCurveRadiusStep));
    for (std::int32_t k = 0; k <= points; ++k) {
        if (k % 8 == 0) {
            checkpoint.ThrowIfStopped();
        }
        const double radius = k * kCurveRadiusStep;
        curves.encircled.radius.push_back(radius);
        curves.encircled.fraction.push_back(EncircledFraction(image, radius / pixelScale));
    }
    curves.mtf = Mtf(image, pixelScale, HighestCutOff(light, reference), checkpoint);
    return curves;
}

} // namespace diffrascope::optics
