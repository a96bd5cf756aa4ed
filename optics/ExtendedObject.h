#pragma once
// An extended object seen through the telescope: the convolution of its
// brightness with the star image, on the grid's pixel scale.
//
// Resampling: the object is centred on the optical axis, grid point
// (n/2, n/2), each of its pixels a square whose brightness is shared among
// the grid pixels it covers in proportion to the area it covers of each, so
// that its flux is kept (its pixels beyond the grid are cut).
// Convolution: the object and the star image, normalised to a flux of 1,
// lie in a plane of twice the grid's side, so that nothing wraps round; the
// grid's part of their convolution is kept. The result is in the object's
// own units: its sum over the plane is the sum of the object's pixels, and
// only the light the star image spreads beyond the grid's edge is missing
// from the grid.

#include <complex>
#include <cstdint>
#include <optional>
#include <vector>

#include "Control.h"
#include "Fourier.h"
#include "Imager.h"
#include "Sky.h"

namespace diffrascope::optics {

// The object on a grid of side n whose pixels are gridArcseconds wide:
// element [i][j] at i n + j, grid row i the picture's column i, grid column
// j the picture's row j from the top.
std::vector<double> ResampleObject(const ObjectImage &object, double objectArcseconds, double gridArcseconds,
                                   std::int32_t n);

// The sum of the object's pixels.
double ObjectFlux(const ObjectImage &object);

// The object's width and height in grid pixels of gridArcseconds.
double ObjectSpan(const SkyObject &object, double gridArcseconds);

// The spectrum of the object resampled to a grid of side n and laid in the
// middle of the plane of `plane`, a transform of twice the grid's side; the
// same for every panel of a sheet.
std::vector<std::complex<double>> ObjectSpectrum(const SkyObject &object, double gridArcseconds, std::int32_t n,
                                                 ImageTransform &plane, const Checkpoint &checkpoint = Checkpoint());

// Replaces the star image by the object of that spectrum seen through it.
void ConvolveObject(IntensityImage &image, const std::vector<std::complex<double>> &objectSpectrum,
                    ImageTransform &plane, const Checkpoint &checkpoint = Checkpoint());

} // namespace diffrascope::optics
