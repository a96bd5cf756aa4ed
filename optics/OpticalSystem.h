#pragma once
// The optical system a star image is computed for: an annular aperture,
// possibly crossed by spider vanes, and its wavefront error.
//
// Conventions, as the user meets them:
//  - aberrations are in waves at the edge of the pupil, at the reference
//    wavelength (Zernike terms in waves RMS); at another wavelength lambda they
//    scale as lambda_ref / lambda, the optical path difference staying;
//  - W = SA u^4 + F u^2 (+ the other terms): positive focus is extrafocal
//    (beyond focus), and the marginal rays focus at F = -2 SA, so positive
//    spherical aberration is under-correction;
//  - the pupil's x and y axes point like the picture's (x right, y up) and
//    angles count counterclockwise from +x: a wavefront that leads along +x
//    moves the image along +x. Coma W131 u^3 cos(theta - theta0) throws its
//    tail along theta0; astigmatism W222 u^2 cos^2(theta - theta0) draws its
//    line along theta0 at focus 0;
//  - the obstruction and the spider's vane width are fractions of the
//    aperture's diameter.

#include <cstdint>
#include <vector>

namespace diffrascope::optics {

// A term with an orientation: waves at the pupil edge, angle in degrees.
struct AngledTerm {
    double waves = 0;
    double degrees = 0;

    bool operator==(const AngledTerm &) const = default;
};

struct ZernikeTerm {
    std::int32_t noll = 0; // kFirstZernike .. kLastZernike
    double waves = 0;      // RMS over the unobstructed pupil

    bool operator==(const ZernikeTerm &) const = default;
};

// Vanes from the centre to the rim, evenly spaced, the first at `degrees`.
struct Spider {
    std::int32_t vanes = 0;
    double width = 0; // fraction of the aperture's diameter
    double degrees = 0;

    bool operator==(const Spider &) const = default;
};

struct Aberrations {
    double spherical = 0; // W040
    double focus = 0;     // W020
    AngledTerm coma;        // W131
    AngledTerm astigmatism; // W222
    std::vector<ZernikeTerm> zernike;

    // True when nothing but spherical aberration and focus is set: the window's pupil.
    bool WindowTermsOnly() const;
    bool operator==(const Aberrations &) const = default;
};

struct Aperture {
    double obstruction = 0; // fraction of the diameter, 0 .. 1
    Spider spider;

    bool operator==(const Aperture &) const = default;
};

struct OpticalSystem {
    Aperture aperture;
    Aberrations aberrations;
    double wavelength = 550; // nm: the reference at which the aberrations are given

    bool operator==(const OpticalSystem &) const = default;
};

// The same pupil without any aberration: the Strehl ratio's reference.
OpticalSystem WithoutAberrations(const OpticalSystem &system);

} // namespace diffrascope::optics
