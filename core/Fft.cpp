#include "Fft.h"

#include <cmath>
#include <stdexcept>
#include <utility>

#include "Trace.h"

namespace diffrascope {
namespace {

constexpr double kPi = 3.141592653589793;
// The double nearest sqrt(0.5), bit pattern 3FE6A09E667F3BCD: stored, not computed.
constexpr double kSqrtHalf = 0.7071067811865476;

void CheckLength(std::int32_t n) {
    if (!IsTransformLength(n)) {
        throw std::invalid_argument("transform length must be a power of two, at least 4");
    }
}

// The other half's index: i + n/2 below the middle, i - n/2 from it on.
std::int32_t HalfShifted(std::int32_t i, std::int32_t half) { return i < half ? i + half : i - half; }

void CopyColumnOut(std::int32_t n, std::int32_t column, const TransformBuffers &b, RealGrid re, RealGrid im) {
    for (std::int32_t j = 0; j < n; ++j) {
        b.workRe[j] = re[j][column];
        b.workIm[j] = im[j][column];
    }
}

void CopyColumnIn(std::int32_t n, std::int32_t column, const TransformBuffers &b, RealGrid re, RealGrid im) {
    for (std::int32_t j = 0; j < n; ++j) {
        re[j][column] = b.workRe[j];
        im[j][column] = b.workIm[j];
    }
}

void CopyRowOut(std::int32_t n, std::int32_t row, const TransformBuffers &b, RealGrid re, RealGrid im) {
    for (std::int32_t j = 0; j < n; ++j) {
        b.workRe[j] = re[row][j];
        b.workIm[j] = im[row][j];
    }
}

void CopyRowIn(std::int32_t n, std::int32_t row, const TransformBuffers &b, RealGrid re, RealGrid im) {
    for (std::int32_t j = 0; j < n; ++j) {
        re[row][j] = b.workRe[j];
        im[row][j] = b.workIm[j];
    }
}

// Forward length +n with the imaginary part in the place of x: this conjugates
// the kernel, so each line gets (1/n) sum u[m] exp(+2 pi i m k / n).
void TransformWorkVectors(std::int32_t n, const TransformBuffers &b) {
    Fft(n, b.bitRev, b.sinTable, b.workIm, b.workRe);
}

void Report(const ProgressCallback &progress, std::int32_t percent) {
    if (progress) {
        progress(percent);
    }
}

} // namespace

bool IsTransformLength(std::int32_t n) { return n >= 4 && (n & (n - 1)) == 0; }

void MakeSinTable(std::int32_t n, double *sintbl, TraceLine trace) {
    CheckLength(n);
    const std::int32_t half = n / 2;
    const std::int32_t quarter = half / 2;
    const std::int32_t eighth = quarter / 2;
    double t = std::sin(kPi / n);
    double dc = 2 * t * t;               // 1 - cos(2 pi / n)
    double ds = std::sqrt((2 - dc) * dc); // sin(2 pi / n)
    t = 2 * dc;
    sintbl[quarter] = 1;
    sintbl[0] = 0;
    if (trace == TraceLine::Write) {
        WriteTrace("a\n");
    }
    double c = 1;
    double s = 0;
    // c and s follow cos(2 pi i / n) and sin(2 pi i / n) over the first eighth.
    for (std::int32_t i = 1; i < eighth; ++i) {
        c = c - dc;
        dc = dc + t * c;
        s = s + ds;
        ds = ds - t * s;
        sintbl[i] = s;
        sintbl[quarter - i] = c;
    }
    if (eighth != 0) {
        sintbl[eighth] = kSqrtHalf;
    }
    for (std::int32_t i = 0; i < quarter; ++i) {
        sintbl[half - i] = sintbl[i];
    }
    // From i = half on this negates entries it wrote itself: entry n + i equals entry i.
    for (std::int32_t i = 0; i < half + quarter; ++i) {
        sintbl[half + i] = -sintbl[i];
    }
}

void MakeBitReverseTable(std::int32_t n, std::int32_t *bitrev, TraceLine trace) {
    CheckLength(n);
    const std::int32_t half = n / 2;
    std::int32_t j = 0;
    bitrev[0] = 0;
    // Each step adds one to j counting from the most significant bit downward.
    for (std::int32_t i = 1; i < n; ++i) {
        std::int32_t k = half;
        while (k <= j) {
            j = j - k;
            k = k / 2;
        }
        j = j + k;
        bitrev[i] = j;
    }
    if (trace == TraceLine::Write) {
        WriteTrace("b\n");
    }
}

void Fft(std::int32_t n, const std::int32_t *bitrev, const double *sintbl, double *x, double *y) {
    if (n == 0) {
        return;
    }
    const bool inverse = n < 0;
    if (inverse) {
        CheckLength(n == INT32_MIN ? 0 : -n);
        n = -n;
    } else {
        CheckLength(n);
    }
    const std::int32_t quarter = n / 4;
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t j = bitrev[i];
        if (i < j) {
            std::swap(x[i], x[j]);
            std::swap(y[i], y[j]);
        }
    }
    for (std::int32_t k = 1; k < n; k = 2 * k) {
        const std::int32_t k2 = 2 * k;
        const std::int32_t d = n / k2;
        std::int32_t h = 0;
        for (std::int32_t j = 0; j < k; ++j) {
            const double c = sintbl[h + quarter];
            const double s = inverse ? -sintbl[h] : sintbl[h];
            // z[ik] times c - i s, which is exp(-i pi j / k) forward.
            for (std::int32_t i = j; i < n; i += k2) {
                const std::int32_t ik = i + k;
                const double dx = s * y[ik] + c * x[ik];
                const double dy = c * y[ik] - s * x[ik];
                x[ik] = x[i] - dx;
                x[i] = x[i] + dx;
                y[ik] = y[i] - dy;
                y[i] = y[i] + dy;
            }
            h = h + d;
        }
    }
    if (!inverse) {
        for (std::int32_t i = 0; i < n; ++i) {
            x[i] = x[i] / n;
            y[i] = y[i] / n;
        }
    }
}

void QuadrantSwap(std::int32_t n, RealGrid grid, RealGrid scratch) {
    const std::int32_t half = n / 2;
    for (std::int32_t r = 0; r < n; ++r) {
        for (std::int32_t c = 0; c < n; ++c) {
            scratch[r][c] = grid[r][HalfShifted(c, half)];
        }
    }
    for (std::int32_t r = 0; r < n; ++r) {
        for (std::int32_t c = 0; c < n; ++c) {
            grid[r][c] = scratch[HalfShifted(r, half)][c];
        }
    }
}

void Fft2DCentred(std::int32_t n, RealGrid re, RealGrid im, const TransformBuffers &buffers,
                  const ProgressCallback &progress) {
    CheckLength(n);
    QuadrantSwap(n, re, buffers.shiftScratch);
    QuadrantSwap(n, im, buffers.shiftScratch);
    for (std::int32_t i = 0; i < n; ++i) {
        Report(progress, 50 * i / n);
        CopyColumnOut(n, i, buffers, re, im);
        TransformWorkVectors(n, buffers);
        CopyColumnIn(n, i, buffers, re, im);
    }
    for (std::int32_t i = 0; i < n; ++i) {
        Report(progress, 50 + 50 * i / n);
        CopyRowOut(n, i, buffers, re, im);
        TransformWorkVectors(n, buffers);
        CopyRowIn(n, i, buffers, re, im);
    }
    QuadrantSwap(n, re, buffers.shiftScratch);
    QuadrantSwap(n, im, buffers.shiftScratch);
    Report(progress, 0);
}

} // namespace diffrascope
