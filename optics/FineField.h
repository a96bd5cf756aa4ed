#pragma once
// The far field between the grid's pixels: the intensity of the same
// transform of the pupil's samples at any position, not only at the pixels,
// and its highest point near a pixel. A tilt of half a pixel leaves the
// brightest pixel short of the peak; the Strehl ratio is read at the peak.
//
// E(p, q) = (1/N^2) sum over the samples of P(a, b) exp(i 2 pi (a p + b q) / N),
// a, b the sample's offsets from the grid centre and p, q the position's;
// white light adds the lines' intensities with the weights the image took.

#include <cstdint>
#include <vector>

#include "Light.h"
#include "OpticalSystem.h"

namespace diffrascope::optics {

class PupilSampler;

// One line's pupil samples, dense over the box of offsets -radius .. radius.
struct SampledPupil {
    std::int32_t radius = 0;
    std::vector<double> re; // (2 radius + 1)^2, row a + radius, column b + radius
    std::vector<double> im;
    double weight = 1; // of this line's intensity in the image
    // Per row, the first and last column offsets with a sample not zero.
    std::vector<std::int32_t> first;
    std::vector<std::int32_t> last;

    static SampledPupil Of(const PupilSampler &sampler, double weight);
    // Fills first and last from the samples.
    void FindExtents();
};

struct FieldPeak {
    double p;         // grid row of the peak, continuous
    double q;         // grid column
    double intensity; // there
};

class FineField {
  public:
    FineField(std::int32_t n, std::vector<SampledPupil> lines);
    // The system's pupil for every line of the light, as the image took them
    // (a line's weight over its flux; the flux follows from the samples).
    FineField(const OpticalSystem &system, const Spectrum &spectrum, std::int32_t n);

    // The intensity at grid position (p, q).
    double IntensityAt(double p, double q) const;
    // The highest point within about a pixel of grid position (p0, q0), found
    // by Newton's method on the intensity and its derivatives.
    FieldPeak PeakNear(double p0, double q0) const;

  private:
    struct Derivatives;
    Derivatives Evaluate(double p, double q) const;

    std::int32_t n_;
    std::vector<SampledPupil> lines_;
};

} // namespace diffrascope::optics
