#pragma once
// The model's scale, and the conversions between the numbers a user types
// and the numbers the model computes with. Every program takes them from
// here, so that the same typed value gives the same picture everywhere.
//
// Scale: the pupil is 0.1 N 550 / lambda grid steps in radius at any grid
// size N, as in the window, so one far-field pixel is 110 / lambda lambda/D
// (0.2 at 550 nm) whatever N is.

#include <cstdint>

namespace diffrascope::optics {

// The pupil radius in grid steps of a grid of side n at a wavelength in nm.
double PupilRadius(std::int32_t n, double wavelength);

// One far-field pixel in lambda/D of the given wavelength (nm).
double PixelScale(double wavelength);

// Spherical aberration and focus as the window reads its scroll bars: a
// value that names a whole tenth of a wave k/10 (0.3, -7.7) becomes
// k x 0.1, the window's own product, so that it gives the window's picture
// bit for bit; any other value stays as it is. Applying it twice changes nothing.
double WindowWaves(double waves);

// The obstruction and the vanes' width: percent of the diameter to a fraction.
double FractionOfPercent(double percent);

// lambda/D in arcseconds for a wavelength in nm and an aperture in mm:
// 206264.8 lambda/D, lambda/D in radians (648000 / pi arcseconds to the radian).
double ArcsecondsPerLambdaOverD(double wavelength, double apertureMm);

// The focal length in mm of an aperture in mm at a focal ratio.
double FocalLengthMm(double apertureMm, double fRatio);

// Focuser travel and defocus W020: W = travel / (8 F^2 lambda), travel in mm,
// F the focal ratio, lambda in nm; positive travel is outward (extrafocal).
double WavesOfTravel(double millimetres, double fRatio, double wavelength);
double TravelOfWaves(double waves, double fRatio, double wavelength);

} // namespace diffrascope::optics
