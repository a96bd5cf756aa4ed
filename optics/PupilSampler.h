#pragma once
// The pupil of an optical system sampled on the grid of the window's model,
// where the pupil radius is 0.1 N 550 / lambda grid steps and one pixel of
// the far field is 110 / lambda lambda/D wide at any grid size. The
// conventions of the system are those of OpticalSystem.h.

#include <cstdint>
#include <utility>
#include <vector>

#include "Angles.h"
#include "OpticalSystem.h"
#include "Pupil.h" // the core's annulus and phase, shared with the window's pipeline
#include "Zernike.h"

namespace diffrascope::optics {

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
    // The wavefront's gradient at (x, y), waves per pupil radius at this wavelength.
    Vector2 WavefrontGradient(double x, double y) const;

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
