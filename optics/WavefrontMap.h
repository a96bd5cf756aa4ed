#pragma once
// A measured wavefront: a map of the pupil's wavefront error, as
// interferometry or Foucault software gives it, in waves at the reference
// wavelength or in nm, NaN outside the aperture. It adds to the system's
// other terms with their sign convention (positive leads).
//
// Pixel (i, j), column i from the left and row j from the bottom (both from
// 0; the values run bottom row first, as a FITS image holds them), has its
// centre at the pupil point
//
//   x = (i - centreX) / radius,  y = (j - centreY) / radius
//
// (x right, y up, as the picture's axes). By default the map's width spans
// the pupil's diameter: radius = width / 2 and the centre in the middle of
// the map, so pixel centres lie at x = -1 + (2i + 1) / width.
//
// The pupil is resampled by bilinear interpolation between the four pixels
// around each grid point. Pixels without a finite value (outside the
// aperture) take, ring by ring outward, the mean of their finite neighbours
// among the eight around them, so that the interpolation near the rims
// continues the aperture's own values.

#include <cstdint>
#include <string>
#include <vector>

#include "OpticalSystem.h"
#include "PupilSampler.h" // Vector2

namespace diffrascope::optics {

enum class WavefrontUnit { Waves, Nanometres };

// Where the pupil lies on the map's pixels, in pixels (columns from the left, rows from the bottom, from 0).
struct MapGeometry {
    double centreX = 0;
    double centreY = 0;
    double radius = 0;

    bool operator==(const MapGeometry &) const = default;
};

// The width spans the diameter; the centre is the map's middle.
MapGeometry SpanningGeometry(std::int32_t width, std::int32_t height);

class WavefrontMap {
  public:
    // values: width x height, bottom row first. Throws ParameterError
    // ("wavefront") for a side outside kMinWavefrontSide .. kMaxWavefrontSide,
    // a count of values that is not width x height, a geometry that is not
    // finite or whose pupil reaches beyond the map, or no finite value.
    WavefrontMap(std::int32_t width, std::int32_t height, std::vector<double> values, WavefrontUnit unit,
                 const MapGeometry &geometry, std::string source = {});

    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    WavefrontUnit Unit() const { return unit_; }
    const MapGeometry &Geometry() const { return geometry_; }
    const std::string &Source() const { return source_; } // the file it came from, if any
    // The value of pixel (column, row) as given, in the map's unit.
    double Value(std::int32_t column, std::int32_t row) const {
        return values_[static_cast<std::size_t>(row) * width_ + column];
    }
    // Bilinear at a point given in pixels (held to the map's edges), in the map's unit.
    double Interpolated(double column, double row) const;
    // Waves at `wavelength` per unit of the map, the reference being `reference` (nm).
    double WavesPerUnit(double reference, double wavelength) const;

  private:
    std::int32_t width_;
    std::int32_t height_;
    std::vector<double> values_; // as given
    std::vector<double> filled_; // every pixel finite, for the interpolation
    WavefrontUnit unit_;
    MapGeometry geometry_;
    std::string source_;
};

// Throws ParameterError ("wavefront") unless the map is finite at every pixel
// whose centre lies inside the system's lit aperture, with a hair to spare
// from the rims and the vanes, and has at least one such pixel.
void CheckMapCovers(const WavefrontMap &map, const OpticalSystem &system);

// The system's whole wavefront as sampled at its reference wavelength on the
// grid of side n (every term: aberrations, focus, the figure's errors), in
// waves, NaN where no light passes; its geometry puts each pixel's centre on
// a grid point, one pixel of NaN around the pupil, so that reading it back
// samples the very same values.
WavefrontMap SampledWavefront(const OpticalSystem &system, std::int32_t n);

// The slope of the map (and of the system's roughness) over the lit pupil:
// finite differences over a square sampling, the steepest features of both
// resolved. Points in pupil radii, slopes in waves per pupil radius at the
// reference wavelength; nothing when the system has neither.
struct SlopeSample {
    Vector2 at;
    Vector2 slope;
};
std::vector<SlopeSample> IrregularSlopes(const OpticalSystem &system);

} // namespace diffrascope::optics
