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
//    aperture's diameter;
//  - errors of the figure add to W with the same sign: a turned-down edge of
//    a concave mirror is lower than the ideal surface, so light reflected
//    there travels further and its wavefront lags: a negative depth.

#include <cstdint>
#include <memory>
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

// DEPTH ((u - START) / (1 - START))^2 waves beyond u = START, 0 within:
// negative for a turned-down edge, whose rim focuses long (beyond focus),
// as over-correction confined to the edge; positive for a turned-up edge.
struct TurnedEdge {
    double depth = 0;   // waves at the rim
    double start = 0.9; // normalised pupil radius where the edge turns, 0 <= start < 1

    bool operator==(const TurnedEdge &) const = default;
};

// A zone: HEIGHT exp(-((u - RADIUS) / WIDTH)^2) waves, a raised ring (or a
// trough, HEIGHT below 0) left by the polishing stroke.
struct Zone {
    double radius = 0; // normalised pupil radius, 0 .. 1
    double height = 0; // waves
    double width = 0;  // normalised pupil radius, 0.01 .. 0.5

    bool operator==(const Zone &) const = default;
};

// A random wavefront whose power lies evenly in the spatial frequencies from
// `from` to `to` cycles per diameter, its RMS about its mean over the lit
// pupil `rms` waves; the same seed gives the same wavefront everywhere.
struct Roughness {
    double rms = 0;          // waves
    std::int32_t from = 10;  // cycles per diameter, 1 <= from < to
    std::int32_t to = 40;    // at most kMaxRoughnessFrequency
    std::uint32_t seed = 1;

    bool operator==(const Roughness &) const = default;
};

class WavefrontMap; // WavefrontMap.h: a measured wavefront

// Errors of the figure beyond the aberrations: all in waves at the reference wavelength.
struct Figure {
    TurnedEdge edge;
    std::vector<Zone> zones;
    Roughness roughness;
    // Shared, never changed: a system stays cheap to copy; systems compare the map by identity.
    std::shared_ptr<const WavefrontMap> measured;
    // The atmosphere's phase screen of one short exposure (Seeing.h), sampled as a measured map is.
    std::shared_ptr<const WavefrontMap> turbulence;

    bool HasEdge() const { return edge.depth != 0; }
    bool HasRoughness() const { return roughness.rms != 0; }
    // Only terms of the pupil radius u: the wavefront stays symmetric about both axes.
    bool Radial() const { return !HasRoughness() && !measured && !turbulence; }
    bool operator==(const Figure &) const = default;
};

struct Aperture {
    double obstruction = 0; // fraction of the diameter, 0 .. 1
    Spider spider;

    bool operator==(const Aperture &) const = default;
};

struct OpticalSystem {
    Aperture aperture;
    Aberrations aberrations;
    Figure figure;
    double wavelength = 550; // nm: the reference at which the aberrations are given

    bool operator==(const OpticalSystem &) const = default;
};

// The same pupil without any aberration or error of the figure: the Strehl ratio's reference.
OpticalSystem WithoutAberrations(const OpticalSystem &system);

} // namespace diffrascope::optics
