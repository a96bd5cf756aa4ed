#pragma once
// The pupil of an annular aperture with spherical aberration and defocus, as
// a function of the integer squared distance d from the grid centre. Both the
// literal grid fill and the fast path go through these functions, so every
// pupil value comes from the same double operations.

#include <cmath>
#include <cstdint>

namespace diffrascope {

struct OpticalParameters {
    double spherical;   // waves at the pupil edge
    double focus;       // waves at the pupil edge
    double obstruction; // fraction of the pupil radius
    double wavelength;  // nanometres
};

// The ingredients of the normalised radius that do not depend on the point.
struct RadiusScale {
    double gridScale;        // s = 0.1 N: the pupil radius in grid steps at 550 nm
    double wavelengthFactor; // lambda x (1/550)
};

inline constexpr double kPupilPi = 3.141592653589793;
inline constexpr double kInverse550 = 1.0 / 550.0; // wavelength at which the pupil radius is 0.1 N
inline constexpr double kGridScaleFactor = 0.1;

inline RadiusScale MakeRadiusScale(std::int32_t n, const OpticalParameters &p) {
    return {kGridScaleFactor * n, p.wavelength * kInverse550};
}

// u = (sqrt(d) / s) x (lambda / 550); non-decreasing in d.
inline double NormalisedRadius(std::int32_t d, const RadiusScale &scale) {
    const double r = std::sqrt(static_cast<double>(d));
    return (r / scale.gridScale) * scale.wavelengthFactor;
}

inline bool InsideAperture(double u, const OpticalParameters &p) { return !(u > 1 || u < p.obstruction); }

// Largest distance a from the centre along a row or column, at most limit,
// with u(a^2) <= 1; every point inside the aperture has both coordinates
// within it, because u does not decrease with d.
inline std::int32_t OuterRadius(std::int32_t limit, const RadiusScale &scale) {
    std::int32_t a = static_cast<std::int32_t>(scale.gridScale / scale.wavelengthFactor);
    a = a < limit ? a : limit;
    while (a < limit && NormalisedRadius((a + 1) * (a + 1), scale) <= 1) {
        ++a;
    }
    while (a > 0 && NormalisedRadius(a * a, scale) > 1) {
        --a;
    }
    return a;
}

// Largest row distance a, at most radius, with u(a^2 + c^2) <= 1; 0 when there is none.
inline std::int32_t ColumnExtent(std::int32_t c, std::int32_t radius, const RadiusScale &scale) {
    std::int32_t a = radius;
    while (a > 0 && NormalisedRadius(a * a + c * c, scale) > 1) {
        --a;
    }
    return a;
}

struct PupilValue {
    double re;
    double im;
};

// exp(i 2 pi W) with W = SA u^4 + F u^2 in waves, for a point inside the aperture.
inline PupilValue PhaseFactor(double u, const OpticalParameters &p) {
    const double u2 = u * u;
    const double u4 = u2 * u2;
    const double w = p.spherical * u4 + p.focus * u2;
    const double phi = w * 2 * kPupilPi;
    return {std::cos(phi), std::sin(phi)};
}

} // namespace diffrascope
