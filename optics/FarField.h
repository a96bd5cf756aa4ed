#pragma once
// The far field of a sampled pupil, as the window's model forms it: the
// centred two-dimensional transform (a pass along every column, then along
// every row, each scaled by 1/N), and its intensity |F|^2 on the N x N grid,
// element [i][j] at i N + j, the origin at (N/2, N/2). The intensities equal,
// bit for bit, those of the literal reading: the pupil sampled at every grid
// point, QuadrantSwap, Fft along the columns and then the rows, QuadrantSwap,
// re^2 + im^2.
//
// Laid out for speed like the window's pipeline: only the pupil's own columns
// are transformed (zero columns stay zero), several lines at once, one per
// SIMD lane, spread over a worker pool. Where the pupil's samples mirror
// about the x axis, columns b and -b are the same input and only one of each
// pair is transformed; where they mirror about the y axis, each mirrored
// pupil row is computed once.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "Control.h"
#include "FineField.h"
#include "PupilSampler.h"

namespace diffrascope::optics {

class FarField {
  public:
    // Grids of side n, a power of two from 4 to 4096; threads 0 follows
    // DIFFRASCOPE_THREADS (a whole number from 1 to 64), else every core.
    // Throws InvalidInputError for another n and AllocationError when memory is short.
    explicit FarField(std::int32_t n, std::int32_t threads = 0);
    ~FarField();
    FarField(const FarField &) = delete;
    FarField &operator=(const FarField &) = delete;

    std::int32_t Size() const;
    std::int32_t Threads() const;

    // Writes the intensity of the pupil's far field into `intensity` (n x n
    // values; the sampler must be made for this grid size); returns the
    // number of lit pupil points.
    std::int64_t Compute(const PupilSampler &pupil, std::span<double> intensity);
    // The same, reporting its part of a stage of the checkpoint (0 to 1) and
    // stopping where asked (CancelledError; the intensities are then unusable).
    std::int64_t Compute(const PupilSampler &pupil, std::span<double> intensity, Checkpoint &checkpoint);
    // The largest intensity of the last computation; 0 when no light passed.
    double Maximum() const;
    // The pupil samples of the last computation, dense (weight 1); none for
    // the smallest grids, which the literal transform serves.
    std::optional<SampledPupil> LastPupil() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace diffrascope::optics
