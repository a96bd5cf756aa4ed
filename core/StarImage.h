#pragma once
// The star-image pipeline: pupil of an annular aperture with spherical
// aberration and defocus, centred 2-D transform, normalised amplitude, grey
// levels 0..255. It owns every working buffer and the grid size.

#include <cstdint>
#include <functional>

#include "Errors.h"
#include "Fft.h"
#include "Grid.h"

namespace diffrascope {

// Positions of the four parameter scroll bars, as the window holds them.
struct ScrollPositions {
    std::int32_t spherical = 0;    // tenths of a wave
    std::int32_t focus = 0;        // tenths of a wave
    std::int32_t obstruction = 0;  // percent of the pupil radius
    std::int32_t wavelength = 550; // nanometres
};

struct PositionRange {
    std::int32_t min;
    std::int32_t max;
};
inline constexpr PositionRange kSphericalRange{-100, 100};
inline constexpr PositionRange kFocusRange{-500, 500};
inline constexpr PositionRange kObstructionRange{0, 100};
inline constexpr PositionRange kWavelengthRange{300, 1000};

// Grid sizes the pipeline accepts: powers of two from 4 to 4096.
inline constexpr std::int32_t kMinGridSize = 4;
inline constexpr std::int32_t kMaxGridSize = 4096;
inline constexpr std::int32_t kStartGridSize = 512;
// The window shows the centre kCropSide x kCropSide pixels of the picture.
inline constexpr std::int32_t kCropSide = 256;
bool IsAcceptedGridSize(std::int32_t n);

// Process-wide state of the computation.
extern std::int32_t GridSize;        // N, the side of every grid
extern std::int32_t SizeChanged;     // 1 after a grid-size choice, until reallocation
extern std::int32_t NeedsAllocation; // 1 until a computation completes
extern std::int32_t AllocatedSize;   // N of the buffers now held, 0 when none

// Working buffers, sized for AllocatedSize.
extern IntGrid GreyGrid;
extern RealGrid PupilRe;
extern RealGrid PupilIm;
extern RealGrid ShiftScratch;
extern RealVector WorkRe;
extern RealVector WorkIm;
extern IntVector BitRev;
extern RealVector sintbl;

// Receives the finished grey levels: grey[i][j], 0..255, for an n x n grid.
using PresentCallback = std::function<void(const std::int32_t *const *grey, std::int32_t n)>;

// Recomputes the star image for the positions and GridSize, reallocating the
// buffers first when needed, reports transform progress and hands the grey
// levels to present. Throws ZeroDivisionError when no light passes the
// aperture, AllocationError when a buffer cannot be had, InvalidInputError
// for positions or a grid size outside the accepted ranges.
void ComputeStarImage(const ScrollPositions &positions, const ProgressCallback &progress = {},
                      const PresentCallback &present = {});

// Threads the computation spreads over: those of the buffers now held, or
// else those the next allocation will start. The count is fixed when the
// buffers are allocated: DIFFRASCOPE_THREADS (a whole number from 1 to 64)
// when set, else every core. The smallest grids (below four times the vector
// width, 32 at most) are computed on the calling thread alone.
std::int32_t ComputationThreads();
// Overrides the environment from the next allocation on; 0 returns to it.
// Throws InvalidInputError outside 0 .. 64.
void SetComputationThreads(std::int32_t threads);

// Releases every buffer and restores the start state (GridSize included).
void ResetStarImageState();

} // namespace diffrascope
