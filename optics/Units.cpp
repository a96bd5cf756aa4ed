#include "Units.h"

#include <cmath>

#include "Pupil.h" // the core's grid scale, shared with the window's pipeline

namespace diffrascope::optics {
namespace {

constexpr double kReferenceNanometres = 550; // where the pupil radius is 0.1 N
constexpr double kRadiusPerGridAt1nm = kGridScaleFactor * kReferenceNanometres; // R = 55 N / lambda
constexpr double kPixelScaleAt1nm = 2 * kRadiusPerGridAt1nm; // lambda/D per pixel times lambda
static_assert(kRadiusPerGridAt1nm == 55 && kPixelScaleAt1nm == 110);
constexpr double kTenthsPerWave = 10;
constexpr double kWaveTenth = 0.1; // the window's factor for its spherical and focus positions
constexpr double kPercent = 0.01;
constexpr double kNanometresPerMillimetre = 1e6;
constexpr double kTravelFactor = 8; // travel = W 8 F^2 lambda
constexpr double kArcsecondsPerRadian = 648000 / 3.141592653589793;
constexpr double kNanometresPerMillimetreOfAperture = 1e6; // lambda (nm) / D (mm) = 1e-6 radians

} // namespace

double PupilRadius(std::int32_t n, double wavelength) { return kRadiusPerGridAt1nm * n / wavelength; }

double PixelScale(double wavelength) { return kPixelScaleAt1nm / wavelength; }

double WindowWaves(double waves) {
    if (!(std::fabs(waves) < 1e9)) {
        return waves;
    }
    // k / 10.0 is correctly rounded: it is the double that the decimal k/10 reads as.
    const double tenths = std::nearbyint(waves * kTenthsPerWave);
    if (tenths / kTenthsPerWave != waves) {
        return waves;
    }
    return static_cast<std::int32_t>(tenths) * kWaveTenth;
}

double FractionOfPercent(double percent) { return percent * kPercent; }

double ArcsecondsPerLambdaOverD(double wavelength, double apertureMm) {
    return kArcsecondsPerRadian * (wavelength / (apertureMm * kNanometresPerMillimetreOfAperture));
}

double FocalLengthMm(double apertureMm, double fRatio) { return apertureMm * fRatio; }

double WavesOfTravel(double millimetres, double fRatio, double wavelength) {
    const double lambda = wavelength / kNanometresPerMillimetre;
    return millimetres / (kTravelFactor * fRatio * fRatio * lambda);
}

double TravelOfWaves(double waves, double fRatio, double wavelength) {
    return waves * kTravelFactor * fRatio * fRatio * (wavelength / kNanometresPerMillimetre);
}

} // namespace diffrascope::optics
