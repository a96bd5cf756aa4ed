#include "Companions.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace diffrascope::optics {
namespace {

constexpr double kMagnitudeStep = -0.4; // log10 of the flux ratio per magnitude
constexpr double kRadiansPerDegree = std::numbers::pi / 180;

// Frequency of spectrum index k of a transform of side n: negative from n/2 on.
double Frequency(std::int32_t k, std::int32_t n) { return k < n / 2 ? k : k - n; }

using Complex = std::complex<double>;

// exp(-2 pi i f shift / n) for every frequency f of a side of n: one factor
// of a companion's phase ramp, which separates along the two axes.
std::vector<Complex> Ramp(double shift, std::int32_t n) {
    std::vector<Complex> ramp(static_cast<std::size_t>(n));
    for (std::int32_t k = 0; k < n; ++k) {
        const double phase = -2 * std::numbers::pi * Frequency(k, n) * shift / n;
        ramp[static_cast<std::size_t>(k)] = Complex(std::cos(phase), std::sin(phase));
    }
    return ramp;
}

// One companion's shift on the spectrum, its brightness folded into the rows' ramp.
struct Shift {
    std::vector<Complex> rows;
    std::vector<Complex> columns;
};

} // namespace

GridOffset CompanionOffset(const Companion &companion, double arcsecondsPerPixel) {
    const double pixels = companion.separation / arcsecondsPerPixel;
    const double angle = companion.positionAngle * kRadiansPerDegree;
    // North is the picture's +y (grid j falling), east its -x (grid i falling).
    return {-pixels * std::sin(angle), -pixels * std::cos(angle)};
}

double CompanionBrightness(const Companion &companion) { return std::pow(10.0, kMagnitudeStep * companion.magnitudes); }

void AddCompanions(IntensityImage &image, const std::vector<Companion> &companions, double arcsecondsPerPixel,
                   ImageTransform &transform, const Checkpoint &checkpoint) {
    const std::int32_t n = image.n;
    std::vector<Shift> shifts;
    for (const Companion &companion : companions) {
        const GridOffset offset = CompanionOffset(companion, arcsecondsPerPixel);
        Shift shift{Ramp(offset.i, n), Ramp(offset.j, n)};
        for (Complex &factor : shift.rows) {
            factor *= CompanionBrightness(companion);
        }
        shifts.push_back(std::move(shift));
    }
    std::vector<Complex> spectrum = transform.Forward(image.values, checkpoint);
    for (std::int32_t u = 0; u < n; ++u) {
        checkpoint.ThrowIfStopped();
        Complex *row = spectrum.data() + static_cast<std::size_t>(u) * n;
        for (std::int32_t v = 0; v < n; ++v) {
            Complex factor = 1; // the star itself
            for (const Shift &shift : shifts) {
                factor += shift.rows[static_cast<std::size_t>(u)] * shift.columns[static_cast<std::size_t>(v)];
            }
            row[v] *= factor;
        }
    }
    image.values = transform.Inverse(std::move(spectrum), checkpoint);
    // Rounding leaves the dark parts a few 1e-16 of the peak either side of 0.
    double maximum = 0;
    for (double &value : image.values) {
        value = std::max(value, 0.0);
        maximum = std::max(maximum, value);
    }
    image.maximum = maximum;
    image.ValuesChanged();
}

} // namespace diffrascope::optics
