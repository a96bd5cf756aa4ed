#pragma once
// Radix-2 decimation-in-time FFT driven by a sine table and a bit-reversal
// table, and the centred two-dimensional transform of a square field.

#include <cstdint>
#include <functional>

#include "Grid.h"

namespace diffrascope {

// Number of entries of the sine table for length n: five quarter periods.
constexpr std::int32_t SinTableLength(std::int32_t n) { return n + n / 4; }

// True for the lengths the transform accepts: powers of two, at least 4.
bool IsTransformLength(std::int32_t n);

// Whether a table builder writes its trace line: the window's pipeline does;
// a library that serves other programs keeps standard output to itself.
enum class TraceLine { Write, Silent };

// sintbl[i] = sin(2 pi i / n) for i < n + n/4; the cosine is read at i + n/4.
// Writes the trace line "a\n" unless told to keep silent.
void MakeSinTable(std::int32_t n, double *sintbl, TraceLine trace = TraceLine::Write);
// bitrev[i] = i with its log2(n) bits reversed. Writes the trace line "b\n"
// unless told to keep silent.
void MakeBitReverseTable(std::int32_t n, std::int32_t *bitrev, TraceLine trace = TraceLine::Write);

// In-place transform of z = x + i y. n > 0: forward, scaled by 1/n;
// n < 0: inverse of length -n, unscaled; n == 0: nothing.
// Throws std::invalid_argument when |n| is not a transform length.
void Fft(std::int32_t n, const std::int32_t *bitrev, const double *sintbl, double *x, double *y);

// The scratch buffers of one grid size, owned by the star-image pipeline.
struct TransformBuffers {
    RealGrid shiftScratch = nullptr; // n x n
    RealVector workRe = nullptr;     // n
    RealVector workIm = nullptr;     // n
    IntVector bitRev = nullptr;      // n, built for n
    RealVector sinTable = nullptr;   // SinTableLength(n), built for n
};

// Receives the progress of a transform in percent, 0 .. 99, and 0 at the end.
using ProgressCallback = std::function<void(std::int32_t percent)>;

// g[r][c] becomes g[(r + n/2) mod n][(c + n/2) mod n], through scratch.
void QuadrantSwap(std::int32_t n, RealGrid grid, RealGrid scratch);

// Centred 2-D transform in place, origin at [n/2][n/2] in input and output,
// kernel exp(+2 pi i ...), scaled by 1/n per pass.
void Fft2DCentred(std::int32_t n, RealGrid re, RealGrid im, const TransformBuffers &buffers,
                  const ProgressCallback &progress);

} // namespace diffrascope
