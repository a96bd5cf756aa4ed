#pragma once
// The star image laid out for speed, with the grey levels of the literal
// pipeline bit for bit:
//  - the pupil is mirror-symmetric about the centre in both directions and
//    symmetric under transposition, so one octant of it is computed and the
//    quadrant Q[a][b] (a, b: distances from the centre in rows and columns)
//    holds every distinct value;
//  - after the quadrant swap, column c and column n - c are the same input,
//    and columns farther than the pupil radius are zero: only the columns
//    0 .. R are transformed (zero columns stay zero), into PupilIm and
//    ShiftScratch, blocked so that the row pass reads them in short runs;
//  - every row is then transformed with its inputs read from those rows;
//    its outputs go straight to intensities in PupilRe at their final
//    (swapped back) places;
//  - normalisation, amplitude and grey mapping follow in one pass.
// Lines are transformed kCount at a time, one per SIMD lane (BatchFft.h),
// and the units of each pass are spread over a WorkerPool.

#include <cstdint>

#include "Fft.h"
#include "Grid.h"
#include "Pupil.h"
#include "WorkerPool.h"

namespace diffrascope::fast {

// Grid sizes the fast path handles; smaller ones take the literal path.
bool Supports(std::int32_t n);

// Scratch of the fast path for one grid size and thread count.
struct Scratch {
    std::int32_t n = 0;
    std::int32_t threads = 0;
    std::int32_t quadrantStride = 0; // doubles per quadrant row, a whole number of vectors
    double *quadrantRe = nullptr;    // the pupil quadrant, rows 0 .. R
    double *quadrantIm = nullptr;
    double *cosines = nullptr;       // twiddles of every stage, from the sine table
    double *sines = nullptr;
    double *workArea = nullptr;      // per thread: x and y of a batch transform
    void *tallies = nullptr;         // per thread: results of a pass, one cache line each
};

// All or nothing: on failure nothing is held and the result is kFailure.
Status AllocateScratch(std::int32_t n, std::int32_t threads, Scratch &scratch);
// Copies the twiddles of every stage out of the sine table built for n.
void FillTwiddles(const double *sinTable, Scratch &scratch);
void ReleaseScratch(Scratch &scratch);

// The pipeline's buffers, sized and built for n.
struct Buffers {
    IntGrid grey;
    RealGrid pupilRe;
    RealGrid pupilIm;
    RealGrid shiftScratch;
    const std::int32_t *bitRev;
    const double *sinTable;
};

// Fills buffers.grey for the parameters. Reports the same progress values as
// Fft2DCentred, on the calling thread. Throws ZeroDivisionError when no light
// passes the aperture (buffers.grey is then left as it was).
void ComputeGreyLevels(std::int32_t n, const OpticalParameters &parameters, const Buffers &buffers,
                       Scratch &scratch, WorkerPool &pool, const ProgressCallback &progress);

} // namespace diffrascope::fast
