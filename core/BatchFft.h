#pragma once
// The forward transform of Fft (length +n, scaled by 1/n) applied to
// lanes::kCount lines at once, one line per SIMD lane. Each lane performs the
// very butterflies of Fft, on the same operands, with the same twiddles from
// the same sine table; only the order of independent butterflies changes,
// which cannot change any result. Two consecutive stages are done while their
// four operands sit in registers; that too is only a change of order.
//
// Exact shortcuts: a butterfly whose twiddle is 1 (c = 1, s = 0) or -i
// (c = -0.0, s = 1) skips its products, which are exact and can differ from
// the shortcut only in the sign of a zero; a sub-transform whose inputs are
// all zero is skipped, its outputs being zeros. The sign of a zero never
// changes a later nonzero sum or product, and the intensity squares it away.
//
// Cache use: the first stages run on blocks of kBlockBytes that stay in the
// first-level cache while the block's inputs are gathered; the last stages
// combine positions a block apart, one position column at a time. A spare
// slot after each block spreads those columns over the cache's sets (a block
// is a multiple of the set span, which would pile them into one set).

#include <cstddef>
#include <cstdint>

#include "Lanes.h"

namespace diffrascope::batch {

using lanes::Lanes;

inline constexpr std::int32_t kBlockBytes = 16 * 1024; // x and y of one block
inline constexpr std::int32_t kPadSlots = lanes::kCount;

// Positions per first-stage block for length n.
constexpr std::int32_t BlockLength(std::int32_t n) {
    const std::int32_t fit = kBlockBytes / (2 * lanes::kBytes);
    return n < fit ? n : fit;
}

// Slots of one block, spare slots included.
constexpr std::int32_t BlockStride(std::int32_t n) { return BlockLength(n) + kPadSlots; }

// Vector slots of one work array (x or y) for length n.
constexpr std::int32_t WorkSlots(std::int32_t n) { return (n / BlockLength(n)) * BlockStride(n); }

// Lengths the batched transform accepts: powers of two from kMinLength on.
inline constexpr std::int32_t kMinLength = 4 * lanes::kCount;

// One thread's work area: x (the imaginary parts, which take Fft's x) and y
// (the real parts), WorkSlots(n) vectors each, aligned to lanes::kBytes.
struct Work {
    Lanes *x;
    Lanes *y;
};

// In a work area y lies this many vectors beyond x, so that x[i] and y[i]
// fall into different cache sets.
inline constexpr std::int32_t kWorkYShiftSlots = 2048 / lanes::kBytes;

// Vectors of one thread's work area; the areas of the threads lie one after another.
constexpr std::int32_t WorkAreaSlots(std::int32_t n) { return 2 * WorkSlots(n) + kWorkYShiftSlots; }

// The work area of a thread within the areas starting at `areas`.
inline Work WorkOfThread(Lanes *areas, std::int32_t n, std::int32_t thread) {
    Lanes *area = areas + static_cast<std::ptrdiff_t>(thread) * WorkAreaSlots(n);
    return {area, area + WorkSlots(n) + kWorkYShiftSlots};
}

// Twiddles of every stage, copied from the sine table: the stage with
// half-span k keeps c and s of its twiddle j at index k + j, that is
// sintbl[j (n / 2k) + n/4] and sintbl[j (n / 2k)], as Fft reads them.
inline constexpr std::int32_t TwiddleEntries(std::int32_t n) { return n; }

inline void FillTwiddles(std::int32_t n, const double *sinTable, double *cosines, double *sines) {
    cosines[0] = 0; // unused
    sines[0] = 0;
    for (std::int32_t k = 1; k < n; k *= 2) {
        const std::int32_t d = n / (2 * k);
        for (std::int32_t j = 0; j < k; ++j) {
            cosines[k + j] = sinTable[j * d + n / 4];
            sines[k + j] = sinTable[j * d];
        }
    }
}

struct Tables {
    std::int32_t n;
    const std::int32_t *bitRev; // built for n
    const double *cosines;      // FillTwiddles for n
    const double *sines;
};

namespace detail {

// The literal butterfly: z[ik] times (c - i s), then difference and sum.
inline void Butterfly(Lanes &xi, Lanes &yi, Lanes &xk, Lanes &yk, double c, double s) {
    const Lanes dx = s * yk + c * xk;
    const Lanes dy = c * yk - s * xk;
    xk = xi - dx;
    xi = xi + dx;
    yk = yi - dy;
    yi = yi + dy;
}

// Twiddle 1: dx = 0 y + 1 x and dy = 1 y - 0 x equal x and y up to a zero's sign.
inline void ButterflyOne(Lanes &xi, Lanes &yi, Lanes &xk, Lanes &yk) {
    const Lanes dx = xk;
    const Lanes dy = yk;
    xk = xi - dx;
    xi = xi + dx;
    yk = yi - dy;
    yi = yi + dy;
}

// Twiddle -i (c = -0.0, s = 1): dx = y and dy = -x up to a zero's sign.
inline void ButterflyMinusI(Lanes &xi, Lanes &yi, Lanes &xk, Lanes &yk) {
    const Lanes dx = yk;
    const Lanes minusDy = xk;
    xk = xi - dx;
    xi = xi + dx;
    yk = yi + minusDy;
    yi = yi - minusDy;
}

// The inputs of the sub-transform of length len at position p are the
// elements a == bitRev[p] (mod n / len); they are all zero when none of them
// lies within extent of index 0, cyclically.
inline bool SubTransformIsZero(const Tables &t, std::int32_t p, std::int32_t len, std::int32_t extent) {
    const std::int32_t period = t.n / len;
    const std::int32_t a0 = t.bitRev[p];
    return a0 > extent && a0 < period - extent;
}

// Positions of one line of slots: position i lives in slot i * stride. Its
// butterflies at line half-span k are those of the transform's stage with
// half-span k * unit, twiddle base + (i mod k) * unit. A block is a line with
// stride 1, unit 1, base 0; the column of positions jj + b x blockLength is a
// line with stride blockStride, unit blockLength, base jj.
struct Line {
    Lanes *x;
    Lanes *y;
    std::ptrdiff_t stride;
    std::int32_t unit;
    std::int32_t base;
};

// Stages with line half-spans k and 2k on the positions first .. first + 4k - 1.
inline void TwoStages(const Tables &t, const Line &line, std::int32_t first, std::int32_t k) {
    const std::int32_t span1 = k * line.unit;
    const std::int32_t span2 = 2 * span1;
    const std::ptrdiff_t step = k * line.stride;
    Lanes *x = line.x + first * line.stride;
    Lanes *y = line.y + first * line.stride;
    for (std::int32_t j = 0; j < k; ++j, x += line.stride, y += line.stride) {
        const std::int32_t w1 = span1 + line.base + j * line.unit;
        const std::int32_t w2 = span2 + line.base + j * line.unit;
        Lanes x0 = x[0], x1 = x[step], x2 = x[2 * step], x3 = x[3 * step];
        Lanes y0 = y[0], y1 = y[step], y2 = y[2 * step], y3 = y[3 * step];
        Butterfly(x0, y0, x1, y1, t.cosines[w1], t.sines[w1]);
        Butterfly(x2, y2, x3, y3, t.cosines[w1], t.sines[w1]);
        Butterfly(x0, y0, x2, y2, t.cosines[w2], t.sines[w2]);
        Butterfly(x1, y1, x3, y3, t.cosines[w2 + span1], t.sines[w2 + span1]);
        x[0] = x0, x[step] = x1, x[2 * step] = x2, x[3 * step] = x3;
        y[0] = y0, y[step] = y1, y[2 * step] = y2, y[3 * step] = y3;
    }
}

// The stage with line half-span k on the positions first .. first + 2k - 1.
inline void OneStage(const Tables &t, const Line &line, std::int32_t first, std::int32_t k) {
    const std::int32_t span = k * line.unit;
    const std::ptrdiff_t step = k * line.stride;
    Lanes *x = line.x + first * line.stride;
    Lanes *y = line.y + first * line.stride;
    for (std::int32_t j = 0; j < k; ++j, x += line.stride, y += line.stride) {
        const std::int32_t w = span + line.base + j * line.unit;
        Butterfly(x[0], y[0], x[step], y[step], t.cosines[w], t.sines[w]);
    }
}

// Runs the stages from line half-span firstSpan up to the line's length,
// two at a time while two remain. With p0 >= 0 the line is the block at
// position p0, and sub-transforms with only zero inputs are skipped.
inline void LineStages(const Tables &t, const Line &line, std::int32_t length, std::int32_t firstSpan,
                       std::int32_t p0, std::int32_t extent) {
    std::int32_t k = firstSpan;
    for (; 2 * k < length; k *= 4) {
        for (std::int32_t first = 0; first < length; first += 4 * k) {
            if (p0 < 0 || !SubTransformIsZero(t, p0 + first, 4 * k, extent)) {
                TwoStages(t, line, first, k);
            }
        }
    }
    if (k < length) {
        for (std::int32_t first = 0; first < length; first += 2 * k) {
            if (p0 < 0 || !SubTransformIsZero(t, p0 + first, 2 * k, extent)) {
                OneStage(t, line, first, k);
            }
        }
    }
}

// How an input index reaches the caller's load: mirror-symmetric lines are
// read from source row min(a, n - a); cyclic lines from a itself.
enum class Inputs { Mirrored, Cyclic };

// Gathers four positions in bit-reversed order (Fft's permutation) and runs
// the first two stages on them, whose twiddles are 1 and -i. Inputs farther
// than extent from index 0, cyclically, are zero.
template <Inputs kInputs, typename Load>
void GatherFour(const Tables &t, std::int32_t p, Lanes *x, Lanes *y, std::int32_t extent, Load &load) {
    Lanes xs[4];
    Lanes ys[4];
    bool any = false;
    for (std::int32_t u = 0; u < 4; ++u) {
        const std::int32_t a = t.bitRev[p + u];
        const std::int32_t mirrored = a <= t.n / 2 ? a : t.n - a;
        if (mirrored <= extent) {
            load(kInputs == Inputs::Mirrored ? mirrored : a, xs[u], ys[u]);
            any = true;
        } else {
            xs[u] = Lanes{};
            ys[u] = Lanes{};
        }
    }
    if (any) {
        ButterflyOne(xs[0], ys[0], xs[1], ys[1]);
        ButterflyOne(xs[2], ys[2], xs[3], ys[3]);
        ButterflyOne(xs[0], ys[0], xs[2], ys[2]);
        ButterflyMinusI(xs[1], ys[1], xs[3], ys[3]);
    }
    for (std::int32_t u = 0; u < 4; ++u) {
        x[u] = xs[u];
        y[u] = ys[u];
    }
}

// Gathers one block and runs the stages that stay inside it.
template <Inputs kInputs, typename Load>
void TransformBlock(const Tables &t, const Work &w, std::int32_t block, std::int32_t extent, Load &load) {
    const std::int32_t length = BlockLength(t.n);
    const std::int32_t p0 = block * length;
    Lanes *x = w.x + block * BlockStride(t.n);
    Lanes *y = w.y + block * BlockStride(t.n);
    for (std::int32_t p = 0; p < length; p += 4) {
        GatherFour<kInputs>(t, p0 + p, x + p, y + p, extent, load);
    }
    LineStages(t, Line{x, y, 1, 1, 0}, length, 4, p0, extent);
}

} // namespace detail

// Transforms lanes::kCount lines. load(row, x, y) supplies the lanes of
// input `row`; every input farther than extent from index 0, cyclically, is
// zero. Mirrored lines (input a equals input n - a) are asked for row
// min(a, n - a) <= extent only; cyclic lines for a itself (a <= extent or
// a >= n - extent). consume(q, x, y) receives the finished outputs
// q .. q + kCount - 1, scaled by 1/n as Fft scales them: x[u] and y[u] hold
// output q + u of every line. Requires a power of two n >= kMinLength.
template <detail::Inputs kInputs = detail::Inputs::Mirrored, typename Load, typename Consume>
void TransformLines(const Tables &t, const Work &w, std::int32_t extent, Load &&load, Consume &&consume) {
    const std::int32_t length = BlockLength(t.n);
    const std::int32_t blocks = t.n / length;
    const std::int32_t stride = BlockStride(t.n);
    for (std::int32_t block = 0; block < blocks; ++block) {
        detail::TransformBlock<kInputs>(t, w, block, extent, load);
    }
    const double inverseLength = 1.0 / t.n; // x / n == x * (1/n) exactly: n is a power of two
    for (std::int32_t jj0 = 0; jj0 < length; jj0 += lanes::kCount) {
        for (std::int32_t jj = jj0; jj < jj0 + lanes::kCount; ++jj) {
            detail::LineStages(t, detail::Line{w.x + jj, w.y + jj, stride, length, jj}, blocks, 1, -1, extent);
        }
        for (std::int32_t b = 0; b < blocks; ++b) {
            Lanes *x = w.x + b * stride + jj0;
            Lanes *y = w.y + b * stride + jj0;
            for (std::int32_t u = 0; u < lanes::kCount; ++u) {
                x[u] = x[u] * inverseLength;
                y[u] = y[u] * inverseLength;
            }
            consume(b * length + jj0, x, y);
        }
    }
}

// The outputs consume receives, one vector per output, turned into one
// vector per line: x[l] and y[l] hold outputs q .. q + kCount - 1 of line l.
struct PerLine {
    Lanes x[lanes::kCount];
    Lanes y[lanes::kCount];
};

inline PerLine ToLines(const Lanes *x, const Lanes *y) {
    PerLine lines;
    for (std::int32_t u = 0; u < lanes::kCount; ++u) {
        lines.x[u] = x[u];
        lines.y[u] = y[u];
    }
    lanes::Transpose(lines.x);
    lanes::Transpose(lines.y);
    return lines;
}

// Lines whose inputs hold no symmetry: load(a, x, y) is asked for a itself.
template <typename Load, typename Consume>
void TransformCyclicLines(const Tables &t, const Work &w, std::int32_t extent, Load &&load, Consume &&consume) {
    TransformLines<detail::Inputs::Cyclic>(t, w, extent, load, consume);
}

} // namespace diffrascope::batch
