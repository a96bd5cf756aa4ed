#include "Fourier.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

#include "BatchFft.h"
#include "Fft.h"
#include "HugePages.h"
#include "OpticsError.h"
#include "WorkerPool.h"

namespace diffrascope::optics {
namespace {

using Complex = std::complex<double>;
using lanes::Lanes;
constexpr std::int32_t kLanes = lanes::kCount; // lines transformed side by side
constexpr std::int32_t kCheckEvery = 32;       // lines between looks at the stop token

// Both directions use the library's forward transform (kernel exp(-...),
// scaled by 1/n). Handing it the imaginary part as the real one conjugates
// the kernel: (im + i re) transformed is (Im W + i Re W), W the transform
// with exp(+...), scaled by 1/n as the inverse wants it per pass.
enum class Direction { Forward, Inverse };

// A thread's place for the lines it transforms: the transform's work area
// and the lines side by side, element a of every line in x[a], y[a] (inputs,
// and outputs once transformed in place).
struct Strip {
    batch::Work work;
    Lanes *x;
    Lanes *y;
    Lanes *pairX; // the second lines of pairs of lines, before the pairs are combined
    Lanes *pairY;
};

// Rows of a real image that share a complex transform: 2i and 2i + 1.
constexpr std::int32_t kPairRows = 2;

// Vectors of one thread's strip: x, y, pairX and pairY of n each.
constexpr std::int32_t kStripArrays = 4;

// Inputs are copied in their natural order, a few rows ahead asked of the
// memory, before the transform reads them in its own order from the cache.
constexpr std::int32_t kRowsAhead = 8;

// Both cache lines of a group's kLanes complex elements in row `row`, if there is one.
void PrefetchRow(const Complex *columns, std::int32_t row, std::int32_t n) {
    if (row < n) {
        const Complex *first = columns + static_cast<std::ptrdiff_t>(row) * n;
        __builtin_prefetch(first);
        __builtin_prefetch(first + kLanes - 1);
    }
}

} // namespace

// The batched transform's tables and one work area and strip per thread.
struct ImageTransform::Batched {
    Batched(std::int32_t n, std::int32_t threads, const std::int32_t *reversed, const double *sines)
        : pool(threads > 0 ? threads : ThreadCountFromEnvironment()),
          cosines(static_cast<std::size_t>(batch::TwiddleEntries(n))),
          twiddleSines(static_cast<std::size_t>(batch::TwiddleEntries(n))),
          work(static_cast<std::size_t>(batch::WorkAreaSlots(n)) * static_cast<std::size_t>(pool.Threads())),
          strips(static_cast<std::size_t>(kStripArrays * n) * static_cast<std::size_t>(pool.Threads())),
          tables{n, reversed, cosines.data(), twiddleSines.data()} {
        batch::FillTwiddles(n, sines, cosines.data(), twiddleSines.data());
    }

    static bool Takes(std::int32_t n) { return n >= batch::kMinLength; }

    // job(first line, strip) for every group of `lines` lines, on every thread.
    template <typename Job> void EveryGroup(const Checkpoint &checkpoint, std::int32_t lines, Job &&job) {
        const std::int32_t n = tables.n;
        pool.Run(
            n / lines,
            [&](std::int32_t group, std::int32_t thread) {
                checkpoint.ThrowIfStopped();
                Lanes *strip = strips.data() + static_cast<std::ptrdiff_t>(kStripArrays * n) * thread;
                job(group * lines, Strip{batch::WorkOfThread(work.data(), n, thread), strip, strip + n,
                                         strip + 2 * n, strip + 3 * n});
            },
            [](std::int32_t) {});
    }

    // The strip's lines transformed; consume(q, x, y) as the batched transform gives them.
    template <typename Consume> void Transform(const Strip &strip, Consume &&consume) const {
        batch::TransformCyclicLines(
            tables, strip.work, tables.n / 2,
            [&](std::int32_t a, Lanes &x, Lanes &y) {
                x = strip.x[a];
                y = strip.y[a];
            },
            consume);
    }

    // Rows first .. first + 2 kLanes - 1 of a real image, along j, into the
    // spectrum, two to a complex line: row first + 2l in the real parts of
    // lane l, row first + 2l + 1 in its imaginary parts (the pairs do not
    // depend on the vector width). Z = A + i B of real lines a and b gives
    // A[k] = (Z[k] + conj Z[-k]) / 2 and B[k] = (Z[k] - conj Z[-k]) / 2i.
    void ForwardRowPairs(const double *image, Complex *spectrum, std::int32_t first, const Strip &strip) const {
        const std::int32_t n = tables.n;
        const double *rows = image + static_cast<std::ptrdiff_t>(first) * n;
        GatherRealRows(rows, strip.x);
        GatherRealRows(rows + n, strip.y);
        TransformInPlace(strip);
        const double half = n / 2; // the transform's 1/n undone and the halves taken, exactly
        Complex *outA = spectrum + static_cast<std::ptrdiff_t>(first) * n;
        Complex *outB = outA + n;
        for (std::int32_t k0 = 0; k0 < n; k0 += kLanes) {
            Lanes reA[kLanes], imA[kLanes], reB[kLanes], imB[kLanes];
            for (std::int32_t u = 0; u < kLanes; ++u) {
                const std::int32_t k = k0 + u;
                const std::int32_t minusK = (n - k) & (n - 1);
                reA[u] = (strip.x[k] + strip.x[minusK]) * half;
                imA[u] = (strip.y[k] - strip.y[minusK]) * half;
                reB[u] = (strip.y[k] + strip.y[minusK]) * half;
                imB[u] = (strip.x[minusK] - strip.x[k]) * half;
            }
            for (Lanes *block : {reA, imA, reB, imB}) {
                lanes::Transpose(block);
            }
            for (std::int32_t l = 0; l < kLanes; ++l) {
                for (std::int32_t u = 0; u < kLanes; ++u) {
                    const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(kPairRows * l) * n + k0 + u;
                    outA[at] = {reA[l][u], imA[l][u]};
                    outB[at] = {reB[l][u], imB[l][u]};
                }
            }
        }
    }

    // Every other row from `rows` on, kLanes of them, element a of the l-th into lines[a][l].
    void GatherRealRows(const double *rows, Lanes *lines) const {
        const std::int32_t n = tables.n;
        for (std::int32_t a = 0; a < n; a += kLanes) {
            Lanes block[kLanes];
            for (std::int32_t l = 0; l < kLanes; ++l) {
                std::memcpy(&block[l], rows + static_cast<std::ptrdiff_t>(kPairRows * l) * n + a, sizeof(Lanes));
            }
            lanes::Transpose(block);
            for (std::int32_t u = 0; u < kLanes; ++u) {
                lines[a + u] = block[u];
            }
        }
    }

    // The strip's lines transformed in place, outputs in their natural order:
    // the transform loads every input before it hands out the first output.
    void TransformInPlace(const Strip &strip) const {
        Transform(strip, [&](std::int32_t q, const Lanes *x, const Lanes *y) {
            for (std::int32_t u = 0; u < kLanes; ++u) {
                strip.x[q + u] = x[u];
                strip.y[q + u] = y[u];
            }
        });
    }

    // Columns first .. first + kLanes - 1, along i, in place.
    void Columns(Complex *data, std::int32_t first, const Strip &strip, Direction direction) const {
        const std::int32_t n = tables.n;
        const bool forward = direction == Direction::Forward;
        Complex *columns = data + first;
        for (std::int32_t a = 0; a < n; ++a) {
            PrefetchRow(columns, a + kRowsAhead, n);
            const Complex *row = columns + static_cast<std::ptrdiff_t>(a) * n;
            for (std::int32_t l = 0; l < kLanes; ++l) {
                strip.x[a][l] = forward ? row[l].real() : row[l].imag();
                strip.y[a][l] = forward ? row[l].imag() : row[l].real();
            }
        }
        const double scale = forward ? n : 1.0;
        Transform(strip, [&](std::int32_t q, const Lanes *x, const Lanes *y) {
            for (std::int32_t u = 0; u < kLanes; ++u) {
                Complex *row = columns + static_cast<std::ptrdiff_t>(q + u) * n;
                for (std::int32_t l = 0; l < kLanes; ++l) {
                    row[l] = forward ? Complex{x[u][l] * scale, y[u][l] * scale} : Complex{y[u][l], x[u][l]};
                }
            }
        });
    }

    // Rows first .. first + 2 kLanes - 1 of a spectrum, along j, inverse:
    // their real parts into the image, two to a complex line, paired as the
    // forward transform pairs them. A line's real part is the inverse of its
    // Hermitian part H[k] = (P[k] + conj P[-k]) / 2, which is real; so
    // Hp + i Hq has the inverse p + i q.
    void InverseRowPairs(const Complex *spectrum, double *image, std::int32_t first, const Strip &strip) const {
        const std::int32_t n = tables.n;
        const Complex *rows = spectrum + static_cast<std::ptrdiff_t>(first) * n;
        GatherComplexRows(rows, strip.y, strip.x);
        GatherComplexRows(rows + n, strip.pairY, strip.pairX);
        CombineHermitianParts(strip);
        TransformInPlace(strip);
        for (std::int32_t a = 0; a < n; a += kLanes) {
            ScatterRealRows(strip.y + a, image + static_cast<std::ptrdiff_t>(first) * n + a);
            ScatterRealRows(strip.x + a, image + static_cast<std::ptrdiff_t>(first + 1) * n + a);
        }
    }

    // Every other row from `rows` on, kLanes of them, element a of the l-th into re[a][l] and im[a][l].
    void GatherComplexRows(const Complex *rows, Lanes *re, Lanes *im) const {
        const std::int32_t n = tables.n;
        for (std::int32_t a = 0; a < n; a += kLanes) {
            Lanes reBlock[kLanes];
            Lanes imBlock[kLanes];
            for (std::int32_t l = 0; l < kLanes; ++l) {
                const Complex *from = rows + static_cast<std::ptrdiff_t>(kPairRows * l) * n + a;
                for (std::int32_t u = 0; u < kLanes; ++u) {
                    reBlock[l][u] = from[u].real();
                    imBlock[l][u] = from[u].imag();
                }
            }
            lanes::Transpose(reBlock);
            lanes::Transpose(imBlock);
            for (std::int32_t u = 0; u < kLanes; ++u) {
                re[a + u] = reBlock[u];
                im[a + u] = imBlock[u];
            }
        }
    }

    // P in (y, x) and Q in (pairY, pairX) become W = Hp + i Hq in (y, x),
    // the imaginary part in x as the inverse wants it; k and -k together.
    void CombineHermitianParts(const Strip &strip) const {
        const std::int32_t n = tables.n;
        constexpr double kHalf = 0.5;
        for (std::int32_t k = 0; k <= n / 2; ++k) {
            const std::int32_t minusK = (n - k) & (n - 1);
            const Lanes pRe = (strip.y[k] + strip.y[minusK]) * kHalf; // Hp[k] = pRe + i pIm, Hp[-k] its conjugate
            const Lanes pIm = (strip.x[k] - strip.x[minusK]) * kHalf;
            const Lanes qRe = (strip.pairY[k] + strip.pairY[minusK]) * kHalf;
            const Lanes qIm = (strip.pairX[k] - strip.pairX[minusK]) * kHalf;
            strip.y[k] = pRe - qIm;
            strip.x[k] = pIm + qRe;
            strip.y[minusK] = pRe + qIm;
            strip.x[minusK] = qRe - pIm;
        }
    }

    // kLanes elements of every line from `lines` on, line l to the (2l)-th row from `out` on.
    void ScatterRealRows(const Lanes *lines, double *out) const {
        Lanes block[kLanes];
        for (std::int32_t u = 0; u < kLanes; ++u) {
            block[u] = lines[u];
        }
        lanes::Transpose(block);
        for (std::int32_t l = 0; l < kLanes; ++l) {
            std::memcpy(out + static_cast<std::ptrdiff_t>(kPairRows * l) * tables.n, &block[l], sizeof(Lanes));
        }
    }

    WorkerPool pool;
    std::vector<double> cosines;
    std::vector<double> twiddleSines;
    std::vector<Lanes> work;   // aligned to the vector's size, as the transform needs
    std::vector<Lanes> strips; // kStripArrays n per thread
    batch::Tables tables;
};

ImageTransform::ImageTransform(std::int32_t n, std::int32_t threads)
    : n_(n), re_(static_cast<std::size_t>(n > 0 ? n : 0)), im_(static_cast<std::size_t>(n > 0 ? n : 0)) {
    if (!IsTransformLength(n)) {
        throw ParameterError("grid", std::to_string(n) + " is not a power of two of at least 4");
    }
    sines_.resize(static_cast<std::size_t>(SinTableLength(n)));
    reversed_.resize(static_cast<std::size_t>(n));
    MakeSinTable(n, sines_.data(), TraceLine::Silent);
    MakeBitReverseTable(n, reversed_.data(), TraceLine::Silent);
    if (Batched::Takes(n)) {
        batched_ = std::make_unique<Batched>(n, threads, reversed_.data(), sines_.data());
    }
}

ImageTransform::~ImageTransform() = default;

// Every line, one at a time, for lengths too short to batch: element k of
// line l at l stride + k step, with the operations of the batched lines.
void ImageTransform::Lines(Complex *data, std::int32_t stride, std::int32_t step, bool inverse,
                           const Checkpoint &checkpoint) {
    const double scale = inverse ? 1.0 : static_cast<double>(n_);
    for (std::int32_t line = 0; line < n_; ++line) {
        if (line % kCheckEvery == 0) {
            checkpoint.ThrowIfStopped();
        }
        Complex *first = data + static_cast<std::ptrdiff_t>(line) * stride;
        for (std::int32_t k = 0; k < n_; ++k) {
            re_[k] = first[static_cast<std::ptrdiff_t>(k) * step].real();
            im_[k] = first[static_cast<std::ptrdiff_t>(k) * step].imag();
        }
        if (inverse) {
            Fft(n_, reversed_.data(), sines_.data(), im_.data(), re_.data());
        } else {
            Fft(n_, reversed_.data(), sines_.data(), re_.data(), im_.data());
        }
        for (std::int32_t k = 0; k < n_; ++k) {
            first[static_cast<std::ptrdiff_t>(k) * step] = {re_[k] * scale, im_[k] * scale};
        }
    }
}

void ImageTransform::CheckSize(std::size_t values) const {
    if (values != static_cast<std::size_t>(n_) * static_cast<std::size_t>(n_)) {
        throw std::invalid_argument("an image transform of side " + std::to_string(n_) + " was given " +
                                    std::to_string(values) + " values");
    }
}

std::vector<Complex> ImageTransform::Forward(const std::vector<double> &image, const Checkpoint &checkpoint) {
    CheckSize(image.size());
    if (!batched_) {
        std::vector<Complex> spectrum(image.begin(), image.end());
        Lines(spectrum.data(), n_, 1, false, checkpoint); // along j
        Lines(spectrum.data(), 1, n_, false, checkpoint); // along i
        return spectrum;
    }
    std::vector<Complex> spectrum = std::move(spare_); // every element is written before it is read
    ResizeLarge(spectrum, image.size());
    batched_->EveryGroup(checkpoint, kPairRows * kLanes, [&](std::int32_t first, const Strip &strip) {
        batched_->ForwardRowPairs(image.data(), spectrum.data(), first, strip);
    });
    batched_->EveryGroup(checkpoint, kLanes, [&](std::int32_t first, const Strip &strip) {
        batched_->Columns(spectrum.data(), first, strip, Direction::Forward);
    });
    return spectrum;
}

std::vector<double> ImageTransform::Inverse(std::vector<Complex> spectrum, const Checkpoint &checkpoint) {
    CheckSize(spectrum.size());
    std::vector<double> image;
    ResizeLarge(image, spectrum.size());
    if (!batched_) {
        Lines(spectrum.data(), 1, n_, true, checkpoint); // along i
        Lines(spectrum.data(), n_, 1, true, checkpoint); // along j
        for (std::size_t k = 0; k < spectrum.size(); ++k) {
            image[k] = spectrum[k].real();
        }
        return image;
    }
    batched_->EveryGroup(checkpoint, kLanes, [&](std::int32_t first, const Strip &strip) {
        batched_->Columns(spectrum.data(), first, strip, Direction::Inverse);
    });
    batched_->EveryGroup(checkpoint, kPairRows * kLanes, [&](std::int32_t first, const Strip &strip) {
        batched_->InverseRowPairs(spectrum.data(), image.data(), first, strip);
    });
    spare_ = std::move(spectrum);
    return image;
}

} // namespace diffrascope::optics
