#pragma once
// The pupil of a telescope or camera: an annular aperture, possibly crossed by
// spider vanes, with its wavefront error; and its samples on the grid of the
// window's model, where the pupil radius is 0.1 N 550 / lambda grid steps and
// one pixel of the far field is 110 / lambda lambda/D wide at any grid size.
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
#include <utility>
#include <vector>

#include "Angles.h"
#include "Pupil.h" // the core's annulus and phase, shared with the window's pipeline
#include "Zernike.h"

namespace diffrascope::optics {

// A term with an orientation: waves at the pupil edge, angle in degrees.
struct AngledTerm {
    double waves = 0;
    double degrees = 0;
};

struct ZernikeTerm {
    std::int32_t noll = 0; // kFirstZernike .. kLastZernike
    double waves = 0;      // RMS over the unobstructed pupil
};

inline constexpr std::int32_t kMaxVanes = 8;

// Vanes from the centre to the rim, evenly spaced, the first at `degrees`.
struct Spider {
    std::int32_t vanes = 0;
    double width = 0; // fraction of the aperture's diameter
    double degrees = 0;
};

struct Aberrations {
    double spherical = 0; // W040
    double focus = 0;     // W020
    AngledTerm coma;        // W131
    AngledTerm astigmatism; // W222
    std::vector<ZernikeTerm> zernike;

    // True when nothing but spherical aberration and focus is set: the window's pupil.
    bool WindowTermsOnly() const;
};

struct Aperture {
    double obstruction = 0; // fraction of the diameter, 0 .. 1
    Spider spider;
};

struct OpticalSystem {
    Aperture aperture;
    Aberrations aberrations;
    double wavelength = 550; // nm: the reference at which the aberrations are given
};

// The same pupil without any aberration: the Strehl ratio's reference.
OpticalSystem WithoutAberrations(const OpticalSystem &system);

struct PupilSample {
    double re;
    double im;
    bool lit;
};

// The pupil sampled on the grid of side n at one wavelength. Grid point
// (i, j) lies at offsets a = i - n/2, b = j - n/2 from the centre; the
// picture shows grid row i as picture column i, so the pupil point is
// x = -a / R, y = b / R (R the pupil radius in grid steps): the image of
// the aperture, seen through the transform, is upright in the picture.
class PupilSampler {
  public:
    PupilSampler(const OpticalSystem &system, std::int32_t n, double wavelength);

    std::int32_t GridSize() const { return n_; }
    double Wavelength() const { return wavelength_; }
    // Largest offset along a row or column that is inside the outer rim.
    std::int32_t Radius() const { return radius_; }
    // Largest |a| with a point (a, b) inside the outer rim, for |b| given (0 when none is).
    std::int32_t Extent(std::int32_t b) const;
    // Exact mirror symmetries of the samples: (a, b) and (-a, b) give the same
    // sample (MirrorsRows), or (a, b) and (a, -b) (MirrorsColumns).
    bool MirrorsRows() const { return mirrorsRows_; }
    bool MirrorsColumns() const { return mirrorsColumns_; }

    PupilSample At(std::int32_t a, std::int32_t b) const;
    // The wavefront in waves at this wavelength at pupil point (x, y), with
    // u2 = x^2 + y^2 as the annulus test rounds it; for tests of the terms.
    double Wavefront(double x, double y, double u2) const;

  private:
    bool Blocked(double x, double y) const;
    double ExtraTerms(double x, double y, double u2) const;

    std::int32_t n_;
    double wavelength_;
    OpticalParameters window_; // spherical and focus scaled to this wavelength, obstruction, lambda
    RadiusScale scale_;
    std::int32_t radius_;
    bool extra_ = false;
    double coma_ = 0;
    Direction comaDirection_{1, 0};
    double astigmatism_ = 0;
    Direction astigmatismDirection_{1, 0};
    std::vector<std::pair<ZernikePolynomial, double>> zernike_;
    std::vector<Direction> vanes_;
    double vaneHalfWidth_ = 0; // in units of the pupil radius
    bool mirrorsRows_ = true;
    bool mirrorsColumns_ = true;
};

} // namespace diffrascope::optics
