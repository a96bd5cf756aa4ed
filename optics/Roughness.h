#pragma once
// Roughness: a random wavefront
//
//   W(x, y) = s sum_k cos(pi (kx x + ky y) + phase_k)
//
// over the pupil coordinates x, y in -1 .. 1, summed over every whole
// frequency vector k = (kx, ky) of the half plane (ky > 0, or ky = 0 and
// kx > 0) with FROM <= |k| <= TO cycles per diameter, all of one amplitude:
// its power lies evenly in those frequencies. A ripple of k cycles per
// diameter scatters its light to k lambda/D.
//
// The phases are drawn from std::mt19937_64 seeded with the seed, whose
// sequence the C++ standard fixes: the modes are taken in rows of ky from 0
// to TO, kx from -TO to TO within each, and each takes phase = 2 pi (draw >>
// 11) / 2^53. The same seed gives the same wavefront on every machine and
// compiler.
//
// The scale s makes the RMS about the mean over the lit grid points of the
// pupil at the reference wavelength, on the grid the image is computed on,
// exactly the roughness's RMS; the same s serves every wavelength of a
// spectrum, so that the wavefront is one function of the pupil point.

#include <cstdint>
#include <span>
#include <vector>

#include "OpticalSystem.h"
#include "PupilSampler.h" // ColumnSpan

namespace diffrascope::optics {

class RoughnessModes {
  public:
    explicit RoughnessModes(const Roughness &roughness);

    std::int32_t Count() const { return count_; }
    // The unit-amplitude sum at the points (xs[r], ys[c]) for every row r
    // and the columns c of spans[r], into out[r ys.size() + c]; other
    // entries stay as they are. Separable sums: exp(i pi kx x) per row and
    // exp(i pi ky y) per column, not mode by mode per point.
    void Evaluate(std::span<const double> xs, std::span<const double> ys, std::span<const ColumnSpan> spans,
                  std::span<double> out) const;

  private:
    std::int32_t to_;
    std::int32_t count_ = 0;
    // exp(i phase) of mode (kx, ky) at [ky (2 to + 1) + kx + to]; 0 outside the band.
    std::vector<double> re_;
    std::vector<double> im_;
};

// A system's roughness for a grid: its modes and the scale s of its grid.
class RoughnessSurface {
  public:
    // The system's roughness (its RMS above 0) on the grid of side n.
    RoughnessSurface(const OpticalSystem &system, std::int32_t n);

    const RoughnessModes &Modes() const { return modes_; }
    double Scale() const { return scale_; } // waves at the reference per unit of the modes' sum
    // The modes' sum at a pupil's box of grid points (PupilSampler::Box) at
    // `wavelength`, kept for the next pupil of the same wavelength: the panels
    // of a sheet differ in focus alone.
    const std::vector<double> &OnBox(const BoxPoints &box, double wavelength);
    // True when made for this system's roughness, aperture and reference wavelength on this grid.
    bool Serves(const OpticalSystem &system, std::int32_t n) const;

  private:
    Roughness roughness_;
    Aperture aperture_;
    double wavelength_;
    std::int32_t n_;
    RoughnessModes modes_;
    double scale_ = 0;
    double boxWavelength_ = 0; // of the box kept; 0 before the first
    std::vector<double> box_;
};

} // namespace diffrascope::optics
