#include "FarField.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "AlignedBuffer.h"
#include "Limits.h"
#include "OpticsError.h"
#include "BatchFft.h"
#include "Fft.h"
#include "Intensities.h"
#include "Lanes.h"
#include "WorkerPool.h"

namespace diffrascope::optics {
namespace {

using lanes::Lanes;
constexpr std::int32_t kLanes = lanes::kCount;
constexpr std::int32_t kCacheLine = 64;
constexpr double kPasses = 3; // the pupil box, the columns, the rows

// Per-thread results of a pass, one cache line each so that threads never share one.
struct alignas(kCacheLine) Tally {
    double maximum;
    std::int64_t lit;
};

std::int32_t RoundUpToLanes(std::int32_t count) { return (count + kLanes - 1) / kLanes * kLanes; }

// The pupil's offsets -R .. R in cyclic order: index k holds offset k for
// k <= R and offset k - (2R + 1) above, so that the nonnegative offsets come first.
struct CyclicOffsets {
    std::int32_t radius;
    std::int32_t count; // 2R + 1

    std::int32_t Offset(std::int32_t k) const { return k <= radius ? k : k - count; }
    std::int32_t Index(std::int32_t offset) const { return offset >= 0 ? offset : offset + count; }
};

} // namespace

struct FarField::Impl {
    std::int32_t n;
    std::vector<std::int32_t> bitRev;
    std::vector<double> sinTable;
    AlignedBuffer<double> cosines;
    AlignedBuffer<double> sines;
    std::unique_ptr<WorkerPool> pool;
    std::int32_t threads = 1;
    AlignedBuffer<Lanes> work;
    AlignedBuffer<Tally> tallies;
    double *intensity = nullptr;       // the caller's, during a computation
    Checkpoint *checkpoint = nullptr;  // the caller's, during a computation
    // The pupil box, (2R + 1) rows of boxStride doubles, rows and columns in cyclic order.
    AlignedBuffer<double> boxRe;
    AlignedBuffer<double> boxIm;
    // Column spectra: group g of kLanes frequencies holds, for every stored
    // column k, the vector of its kLanes frequencies at (g stored + k) kLanes.
    AlignedBuffer<double> spectraRe;
    AlignedBuffer<double> spectraIm;
    double maximum = 0;

    // Geometry of the current computation.
    CyclicOffsets offsets{0, 1};
    std::int32_t boxStride = 0;
    std::int32_t storedColumns = 0;
    bool mirrorsColumns = false;

    bool Batched() const { return n >= batch::kMinLength; }
    void Prepare(const PupilSampler &pupil);
    void Reserve(AlignedBuffer<double> &buffer, std::size_t count);
    batch::Tables TransformTables() const { return {n, bitRev.data(), cosines.data(), sines.data()}; }
    batch::Work WorkOf(std::int32_t thread) { return batch::WorkOfThread(work.data(), n, thread); }
    // Runs a pass of the far field (0, 1 or 2) over the pool, stopping where asked.
    void RunPass(std::int32_t pass, std::int32_t units, FunctionRef<void(std::int32_t, std::int32_t)> job);
    std::int64_t BuildBox(const PupilSampler &pupil);
    void BuildBoxRow(const PupilSampler &pupil, std::int32_t k, std::int32_t thread);
    void TransformColumns(const PupilSampler &pupil);
    void TransformColumnGroup(const PupilSampler &pupil, std::int32_t group, std::int32_t thread);
    void TransformRows();
    void TransformRowGroup(std::int32_t group, std::int32_t thread);
    std::int64_t ComputeLiterally(const PupilSampler &pupil);
};

FarField::FarField(std::int32_t n, std::int32_t threads) : impl_(std::make_unique<Impl>()) {
    if (!IsTransformLength(n) || n > kLargestGrid) {
        throw ParameterError("grid", std::to_string(n) + " is not a power of two from 4 to " +
                                         std::to_string(kLargestGrid));
    }
    Impl &f = *impl_;
    f.n = n;
    f.bitRev.resize(static_cast<std::size_t>(n));
    f.sinTable.resize(static_cast<std::size_t>(SinTableLength(n)));
    MakeSinTable(n, f.sinTable.data(), TraceLine::Silent);
    MakeBitReverseTable(n, f.bitRev.data(), TraceLine::Silent);
    if (!f.Batched()) {
        return; // the smallest grids take the literal transform on the calling thread
    }
    f.cosines = AlignedBuffer<double>(static_cast<std::size_t>(batch::TwiddleEntries(n)));
    f.sines = AlignedBuffer<double>(static_cast<std::size_t>(batch::TwiddleEntries(n)));
    batch::FillTwiddles(n, f.sinTable.data(), f.cosines.data(), f.sines.data());
    try {
        f.pool = std::make_unique<WorkerPool>(threads > 0 ? threads : ThreadCountFromEnvironment());
    } catch (const std::exception &) {
        throw OutOfMemoryError();
    }
    f.threads = f.pool->Threads();
    f.work = AlignedBuffer<Lanes>(static_cast<std::size_t>(batch::WorkAreaSlots(n)) * static_cast<std::size_t>(f.threads));
    f.tallies = AlignedBuffer<Tally>(static_cast<std::size_t>(f.threads));
}

FarField::~FarField() = default;

std::optional<SampledPupil> FarField::LastPupil() const {
    const Impl &f = *impl_;
    if (!f.Batched()) {
        return std::nullopt;
    }
    SampledPupil pupil;
    pupil.radius = f.offsets.radius;
    const std::int32_t side = 2 * pupil.radius + 1;
    pupil.re.resize(static_cast<std::size_t>(side) * side);
    pupil.im.resize(pupil.re.size());
    for (std::int32_t a = -pupil.radius; a <= pupil.radius; ++a) {
        const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(f.offsets.Index(a)) * f.boxStride;
        for (std::int32_t b = -pupil.radius; b <= pupil.radius; ++b) {
            // with mirrored columns only b >= 0 was sampled: (a, -b) is (a, b)
            const std::int32_t column = f.mirrorsColumns ? (b < 0 ? -b : b) : f.offsets.Index(b);
            const std::size_t k = static_cast<std::size_t>(a + pupil.radius) * side + (b + pupil.radius);
            pupil.re[k] = f.boxRe[static_cast<std::size_t>(row + column)];
            pupil.im[k] = f.boxIm[static_cast<std::size_t>(row + column)];
        }
    }
    pupil.FindExtents();
    return pupil;
}

std::int32_t FarField::Size() const { return impl_->n; }
std::int32_t FarField::Threads() const { return impl_->threads; }
double FarField::Maximum() const { return impl_->maximum; }

std::int64_t FarField::Compute(const PupilSampler &pupil, std::span<double> intensity) {
    Checkpoint never;
    return Compute(pupil, intensity, never);
}

std::int64_t FarField::Compute(const PupilSampler &pupil, std::span<double> intensity, Checkpoint &checkpoint) {
    Impl &f = *impl_;
    if (pupil.GridSize() != f.n) {
        throw ParameterError("grid", "the pupil is sampled for grid size " + std::to_string(pupil.GridSize()) +
                                         ", the far field has " + std::to_string(f.n));
    }
    if (intensity.size() < static_cast<std::size_t>(f.n) * static_cast<std::size_t>(f.n)) {
        throw ParameterError("grid", "the intensities of grid size " + std::to_string(f.n) + " need " +
                                         std::to_string(static_cast<std::int64_t>(f.n) * f.n) + " values");
    }
    f.intensity = intensity.data();
    f.checkpoint = &checkpoint;
    if (!f.Batched()) {
        return f.ComputeLiterally(pupil);
    }
    f.Prepare(pupil);
    for (std::int32_t t = 0; t < f.threads; ++t) {
        f.tallies[t] = Tally{0.0, 0};
    }
    const std::int64_t lit = f.BuildBox(pupil);
    if (lit == 0) {
        std::memset(f.intensity, 0, sizeof(double) * static_cast<std::size_t>(f.n) * f.n); // the transform of zeros
        f.maximum = 0;
        return 0;
    }
    f.TransformColumns(pupil);
    f.TransformRows();
    f.maximum = 0;
    for (std::int32_t t = 0; t < f.threads; ++t) {
        f.maximum = f.tallies[t].maximum >= f.maximum ? f.tallies[t].maximum : f.maximum;
    }
    return lit;
}

void FarField::Impl::Reserve(AlignedBuffer<double> &buffer, std::size_t count) {
    if (buffer.size() < count) {
        buffer = AlignedBuffer<double>(); // the old block goes first: never both at once
        buffer = AlignedBuffer<double>(count);
    }
}

void FarField::Impl::Prepare(const PupilSampler &pupil) {
    const std::int32_t radius = pupil.Radius();
    offsets = {radius, 2 * radius + 1};
    mirrorsColumns = pupil.MirrorsColumns();
    boxStride = RoundUpToLanes(offsets.count);
    storedColumns = RoundUpToLanes(mirrorsColumns ? radius + 1 : offsets.count);
    const std::size_t box = static_cast<std::size_t>(offsets.count) * static_cast<std::size_t>(boxStride);
    const std::size_t spectra = static_cast<std::size_t>(n) * static_cast<std::size_t>(storedColumns);
    Reserve(boxRe, box);
    Reserve(boxIm, box);
    Reserve(spectraRe, spectra);
    Reserve(spectraIm, spectra);
}

void FarField::Impl::RunPass(std::int32_t pass, std::int32_t units,
                             FunctionRef<void(std::int32_t, std::int32_t)> job) {
    const Checkpoint &stops = *checkpoint;
    pool->Run(
        units,
        [&](std::int32_t unit, std::int32_t thread) {
            stops.ThrowIfStopped();
            job(unit, thread);
        },
        [&](std::int32_t done) { checkpoint->Within((pass + static_cast<double>(done) / units) / kPasses); });
}

// Rows of the box, one unit each; a row mirrored about the y axis is copied, not sampled again.
std::int64_t FarField::Impl::BuildBox(const PupilSampler &pupil) {
    const std::int32_t rows = pupil.MirrorsRows() ? offsets.radius + 1 : offsets.count;
    RunPass(0, rows, [&](std::int32_t k, std::int32_t thread) { BuildBoxRow(pupil, k, thread); });
    std::int64_t lit = 0;
    for (std::int32_t t = 0; t < threads; ++t) {
        lit += tallies[t].lit;
    }
    return lit;
}

void FarField::Impl::BuildBoxRow(const PupilSampler &pupil, std::int32_t k, std::int32_t thread) {
    const std::int32_t a = offsets.Offset(k);
    double *re = boxRe.data() + static_cast<std::ptrdiff_t>(k) * boxStride;
    double *im = boxIm.data() + static_cast<std::ptrdiff_t>(k) * boxStride;
    std::memset(re, 0, sizeof(double) * static_cast<std::size_t>(boxStride));
    std::memset(im, 0, sizeof(double) * static_cast<std::size_t>(boxStride));
    const std::int32_t extent = pupil.Extent(a); // no point of the row lies farther out
    std::int64_t lit = 0;
    for (std::int32_t b = mirrorsColumns ? 0 : -extent; b <= extent; ++b) {
        const PupilSample sample = pupil.At(a, b);
        re[offsets.Index(b)] = sample.re;
        im[offsets.Index(b)] = sample.im;
        lit += sample.lit ? (mirrorsColumns && b != 0 ? 2 : 1) : 0;
    }
    if (pupil.MirrorsRows() && a != 0) {
        const std::int32_t image = offsets.Index(-a);
        std::memcpy(boxRe.data() + static_cast<std::ptrdiff_t>(image) * boxStride, re,
                    sizeof(double) * static_cast<std::size_t>(boxStride));
        std::memcpy(boxIm.data() + static_cast<std::ptrdiff_t>(image) * boxStride, im,
                    sizeof(double) * static_cast<std::size_t>(boxStride));
        lit *= 2;
    }
    tallies[thread].lit += lit;
}

// The columns of the box, kLanes at a time; the spectra go to the spectra buffers.
void FarField::Impl::TransformColumns(const PupilSampler &pupil) {
    RunPass(1, storedColumns / kLanes,
            [&](std::int32_t group, std::int32_t thread) { TransformColumnGroup(pupil, group, thread); });
}

void FarField::Impl::TransformColumnGroup(const PupilSampler &pupil, std::int32_t group, std::int32_t thread) {
    const std::int32_t k0 = group * kLanes;
    // Rows farther out than the group's nearest column reaches are zero in every column of the group.
    std::int32_t nearest = offsets.radius;
    for (std::int32_t k = k0; k < k0 + kLanes && k < offsets.count; ++k) {
        const std::int32_t b = offsets.Offset(k);
        nearest = std::min(nearest, b < 0 ? -b : b);
    }
    const std::int32_t extent = pupil.Extent(nearest);
    const double *re = boxRe.data() + k0;
    const double *im = boxIm.data() + k0;
    auto load = [&](std::int32_t a, Lanes &x, Lanes &y) {
        const std::int32_t row = a <= offsets.radius ? a : a - n + offsets.count;
        x = lanes::LoadUnaligned(im + static_cast<std::ptrdiff_t>(row) * boxStride);
        y = lanes::LoadUnaligned(re + static_cast<std::ptrdiff_t>(row) * boxStride);
    };
    // Output q of the kLanes columns arrives as one vector per output; the
    // row pass wants one vector per column: transpose the block.
    auto consume = [&](std::int32_t q0, const Lanes *x, const Lanes *y) {
        const batch::PerLine columns = batch::ToLines(x, y);
        const std::ptrdiff_t first = (static_cast<std::ptrdiff_t>(q0 / kLanes) * storedColumns + k0) * kLanes;
        for (std::int32_t c = 0; c < kLanes; ++c) {
            lanes::StoreUnaligned(spectraIm.data() + first + c * kLanes, columns.x[c]);
            lanes::StoreUnaligned(spectraRe.data() + first + c * kLanes, columns.y[c]);
        }
    };
    batch::TransformCyclicLines(TransformTables(), WorkOf(thread), extent, load, consume);
}

// Every row of the column spectra, kLanes at a time; intensities go where the
// final quadrant swap puts them: row p to (p + n/2) mod n.
void FarField::Impl::TransformRows() {
    RunPass(2, n / kLanes, [&](std::int32_t group, std::int32_t thread) { TransformRowGroup(group, thread); });
}

void FarField::Impl::TransformRowGroup(std::int32_t group, std::int32_t thread) {
    const std::int32_t half = n / 2;
    const std::int32_t wrap = n - 1; // n is a power of two: & wrap is mod n
    double *rows[kLanes];
    for (std::int32_t l = 0; l < kLanes; ++l) {
        rows[l] = intensity + static_cast<std::ptrdiff_t>((group * kLanes + l + half) & wrap) * n;
    }
    const double *re = spectraRe.data() + static_cast<std::ptrdiff_t>(group) * storedColumns * kLanes;
    const double *im = spectraIm.data() + static_cast<std::ptrdiff_t>(group) * storedColumns * kLanes;
    auto load = [&](std::int32_t c, Lanes &x, Lanes &y) {
        const std::int32_t negative = mirrorsColumns ? n - c : c - n + offsets.count;
        const std::int32_t k = c <= offsets.radius ? c : negative;
        x = lanes::LoadUnaligned(im + static_cast<std::ptrdiff_t>(k) * kLanes);
        y = lanes::LoadUnaligned(re + static_cast<std::ptrdiff_t>(k) * kLanes);
    };
    Lanes maximum{};
    auto consume = [&](std::int32_t q0, const Lanes *x, const Lanes *y) {
        intensities::StoreOutputs(x, y, maximum, rows, (q0 + half) & wrap);
    };
    batch::TransformCyclicLines(TransformTables(), WorkOf(thread), offsets.radius, load, consume);
    intensities::KeepLargest(maximum, tallies[thread].maximum);
}

// The smallest grids: the literal reading itself, on the calling thread.
std::int64_t FarField::Impl::ComputeLiterally(const PupilSampler &pupil) {
    const std::size_t count = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    std::vector<double> re(count), im(count), scratch(count), workRe(static_cast<std::size_t>(n)),
        workIm(static_cast<std::size_t>(n));
    std::vector<double *> reRows(static_cast<std::size_t>(n)), imRows(static_cast<std::size_t>(n)),
        scratchRows(static_cast<std::size_t>(n));
    const std::int32_t half = n / 2;
    std::int64_t lit = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        reRows[i] = re.data() + static_cast<std::ptrdiff_t>(i) * n;
        imRows[i] = im.data() + static_cast<std::ptrdiff_t>(i) * n;
        scratchRows[i] = scratch.data() + static_cast<std::ptrdiff_t>(i) * n;
        for (std::int32_t j = 0; j < n; ++j) {
            const PupilSample sample = pupil.At(i - half, j - half);
            reRows[i][j] = sample.re;
            imRows[i][j] = sample.im;
            lit += sample.lit ? 1 : 0;
        }
    }
    const TransformBuffers buffers{scratchRows.data(), workRe.data(), workIm.data(), bitRev.data(),
                                   sinTable.data()};
    checkpoint->ThrowIfStopped();
    Fft2DCentred(n, reRows.data(), imRows.data(), buffers, {});
    checkpoint->Within(1);
    maximum = 0;
    for (std::size_t k = 0; k < count; ++k) {
        intensity[k] = re[k] * re[k] + im[k] * im[k];
        maximum = intensity[k] >= maximum ? intensity[k] : maximum;
    }
    return lit;
}

} // namespace diffrascope::optics
