#pragma once
// Square grids stored as a row-pointer array with one buffer per row, and
// one-dimensional vectors, of 32-bit integers or doubles. A grid does not know
// its size: its owner passes rows and columns to every operation.

#include <cstddef>
#include <cstdint>
#include <functional>

namespace diffrascope {

using Status = std::int32_t;
inline constexpr Status kSuccess = 0;
inline constexpr Status kFailure = 1;

using IntGrid = std::int32_t **;
using RealGrid = double **;
using IntVector = std::int32_t *;
using RealVector = double *;

// Allocation leaves every element 0. On failure the rows already obtained are
// released, the handle is set to null and the result is kFailure.
Status AllocateIntGrid(std::int32_t rows, std::int32_t cols, IntGrid &grid);
Status AllocateRealGrid(std::int32_t rows, std::int32_t cols, RealGrid &grid);
// Writes the trace line "extended int\n" on success.
Status AllocateIntVector(std::int32_t count, IntVector &vector);
Status AllocateRealVector(std::int32_t count, RealVector &vector);

// Releases rows 0 .. rows - 1, then the row-pointer array, and clears the
// handle. A null handle is left alone. cols is not used.
Status ReleaseGrid(std::int32_t rows, std::int32_t cols, IntGrid &grid);
Status ReleaseGrid(std::int32_t rows, std::int32_t cols, RealGrid &grid);
void ReleaseVector(IntVector &vector);
void ReleaseVector(RealVector &vector);

// Every element becomes factor x element.
Status ScaleGrid(double factor, std::int32_t rows, std::int32_t cols, RealGrid &grid);
// Elements below low become low; then elements >= high become high.
Status ClampGrid(std::int32_t low, std::int32_t high, std::int32_t rows, std::int32_t cols,
                 IntGrid &grid);
// The largest element; 0 when no element is 0 or greater.
double GridMaximum(std::int32_t rows, std::int32_t cols, const double *const *grid);

// Every buffer, grid rows included, starts on a boundary of this many bytes.
inline constexpr std::size_t kBlockAlignment = 64;

// A block of raw bytes for the computation's own scratch, obtained through the
// same injectable path as the grids. Not zeroed.
Status AllocateBlock(std::size_t bytes, void *&block);
void ReleaseBlock(void *&block);

// Test seam: when set, the filter sees the byte count of every allocation
// request and returns true to make that request fail as if memory ran out.
using AllocationFailureFilter = std::function<bool(std::size_t bytes)>;
void SetAllocationFailureFilter(AllocationFailureFilter filter);

} // namespace diffrascope
