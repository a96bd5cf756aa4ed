#pragma once
// The pupil of an optical system sampled on the grid of the window's model,
// where the pupil radius is 0.1 N 550 / lambda grid steps and one pixel of
// the far field is 110 / lambda lambda/D wide at any grid size. The
// conventions of the system are those of OpticalSystem.h. Roughness and a
// measured wavefront are sampled once, at every grid point, when the sampler
// is made.

#include <cstdint>
#include <utility>
#include <vector>

#include "Angles.h"
#include "OpticalSystem.h"
#include "Pupil.h" // the core's annulus and phase, shared with the window's pipeline
#include "Zernike.h"

namespace diffrascope::optics {

class RoughnessSurface;

struct PupilSample {
    double re;
    double im;
    bool lit;
};

// Columns first .. last (inclusive) of one row of a sampling.
struct ColumnSpan {
    std::int32_t first = 0;
    std::int32_t last = -1;
};

// The grid points of the box |a|, |b| <= R as pupil coordinates: row offset
// a = k - R lies at x = xs[k], column offset b = k - R at y = ys[k]; the
// columns of row k inside the outer rim are spans[k].
struct BoxPoints {
    std::vector<double> xs;
    std::vector<double> ys;
    std::vector<ColumnSpan> spans;
};

// The pupil sampled on the grid of side n at one wavelength. Grid point
// (i, j) lies at offsets a = i - n/2, b = j - n/2 from the centre; the
// picture shows grid row i as picture column i, so the pupil point is
// x = -a / R, y = b / R (R the pupil radius in grid steps): the image of
// the aperture, seen through the transform, is upright in the picture.
class PupilSampler {
  public:
    PupilSampler(const OpticalSystem &system, std::int32_t n, double wavelength);
    // The same with the system's roughness as drawn and scaled for this grid
    // already (Imager keeps it from one wavelength and one panel to the next).
    PupilSampler(const OpticalSystem &system, std::int32_t n, double wavelength, RoughnessSurface *roughness);

    std::int32_t GridSize() const { return n_; }
    double Wavelength() const { return wavelength_; }
    // The pupil radius in grid steps at this wavelength, 0.1 N 550 / lambda.
    double GridRadius() const { return scale_.gridScale / scale_.wavelengthFactor; }
    // Largest offset along a row or column that is inside the outer rim.
    std::int32_t Radius() const { return radius_; }
    // Largest |a| with a point (a, b) inside the outer rim, for |b| given (0 when none is).
    std::int32_t Extent(std::int32_t b) const;
    // Exact mirror symmetries of the samples: (a, b) and (-a, b) give the same
    // sample (MirrorsRows), or (a, b) and (a, -b) (MirrorsColumns).
    bool MirrorsRows() const { return mirrorsRows_; }
    bool MirrorsColumns() const { return mirrorsColumns_; }

    BoxPoints Box() const;

    PupilSample At(std::int32_t a, std::int32_t b) const;
    // Whether light passes grid point (a, b): inside the annulus, off the vanes.
    bool Lit(std::int32_t a, std::int32_t b) const;
    // The whole wavefront at grid point (a, b) in waves at this wavelength,
    // the very value whose phase At gives; NaN where no light passes.
    double Sampled(std::int32_t a, std::int32_t b) const;
    // Whether light passes pupil point (x, y) with `margin` (pupil radii) to
    // spare from the rims and the vanes' edges; margin 0 is the plain test.
    bool Transmits(double x, double y, double margin = 0) const;

    // The smooth terms (aberrations, turned edge, zones) in waves at this
    // wavelength at pupil point (x, y), with u2 = x^2 + y^2 as the annulus
    // test rounds it; roughness and a measured wavefront are only sampled.
    double Wavefront(double x, double y, double u2) const;
    // The smooth terms' gradient at (x, y), waves per pupil radius at this wavelength.
    Vector2 WavefrontGradient(double x, double y) const;

  private:
    double PointX(std::int32_t a) const; // the pupil point of grid row offset a: x = -a / R
    double PointY(std::int32_t b) const; // of column offset b: y = b / R
    bool Blocked(double x, double y, double halfWidth) const;
    double ExtraTerms(double x, double y, double u2) const;
    double FigureTerms(double u) const;
    double GridWavefront(std::int32_t a, std::int32_t b, double u) const;
    void SampleIrregular(const OpticalSystem &system, RoughnessSurface *roughness);

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
    double edgeDepth_ = 0; // waves at this wavelength
    double edgeStart_ = 0;
    double edgeSpan_ = 1;  // 1 - start
    std::vector<Zone> zones_; // heights in waves at this wavelength
    // Roughness and the measured wavefront at every grid point of the box
    // |a|, |b| <= radius, waves at this wavelength; empty without them.
    std::vector<double> irregular_;
    std::vector<Direction> vanes_;
    double vaneHalfWidth_ = 0; // in units of the pupil radius
    bool mirrorsRows_ = true;
    bool mirrorsColumns_ = true;
};

} // namespace diffrascope::optics
