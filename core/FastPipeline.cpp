#include "FastPipeline.h"

#include <cstring>

#include "BatchFft.h"
#include "Errors.h"
#include "Intensities.h"
#include "Lanes.h"

namespace diffrascope::fast {
namespace {

using lanes::Lanes;
constexpr std::int32_t kLanes = lanes::kCount;

constexpr double kShortestWavelength = 300; // nm: the widest pupil, for sizing the quadrant
constexpr std::int32_t kGreyRowsPerUnit = 16;
constexpr std::int32_t kCacheLine = 64;

// Per-thread results of a pass, one cache line each so that threads never share one.
struct alignas(kCacheLine) ThreadTally {
    double maximum; // largest intensity of the row pass
    std::int32_t lit; // pupil points inside the aperture
};

std::int32_t RoundUpToLanes(std::int32_t count) { return (count + kLanes - 1) / kLanes * kLanes; }

Lanes LoadLanes(const double *from) {
    Lanes v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

void StoreLanes(double *to, const Lanes &v) { std::memcpy(to, &v, sizeof v); }

// ---- Geometry of the aperture -------------------------------------------------

std::int32_t QuadrantStride(std::int32_t n) {
    const OpticalParameters widest{0, 0, 0, kShortestWavelength};
    return RoundUpToLanes(OuterRadius(n / 2, MakeRadiusScale(n, widest)) + 1);
}

// ---- Column spectra --------------------------------------------------------------

// The column pass leaves the spectrum of column c at frequency k in
// PupilIm (imaginary) and ShiftScratch (real), blocked for the row pass:
// group g of kLanes frequencies owns rows g kLanes .. g kLanes + kLanes - 1,
// and holds the vector of its kLanes frequencies for column c at slot c of
// those rows read one after another. The row pass thus reads one short run
// of memory per group instead of a cache line from every column.
class SpectrumLayout {
  public:
    explicit SpectrumLayout(std::int32_t n) : slotsPerRow_(n / kLanes), rowShift_(Log2(n / kLanes)) {}

    double *Slot(double *const *grid, std::int32_t group, std::int32_t column) const {
        return grid[group * kLanes + (column >> rowShift_)] + (column & (slotsPerRow_ - 1)) * kLanes;
    }

  private:
    static std::int32_t Log2(std::int32_t value) {
        std::int32_t log = 0;
        while ((1 << log) < value) {
            ++log;
        }
        return log;
    }

    std::int32_t slotsPerRow_;
    std::int32_t rowShift_;
};

// ---- Progress -------------------------------------------------------------------

constexpr std::int32_t kPassPercent = 50; // each pass covers half of the progress bar

// The values Fft2DCentred reports before each of the n lines of one pass,
// offset + floor(50 i / n), spread over the units of the pass as they finish.
class PassProgress {
  public:
    PassProgress(const ProgressCallback &callback, std::int32_t n, std::int32_t offset)
        : callback_(callback), n_(n), offset_(offset) {}

    void Reached(std::int32_t done, std::int32_t units) {
        const auto due = static_cast<std::int32_t>(1 + static_cast<std::int64_t>(n_ - 1) * done / units);
        ReportUpTo(due);
    }
    void Finish() { ReportUpTo(n_); }

  private:
    void ReportUpTo(std::int32_t due) {
        for (; reported_ < due; ++reported_) {
            if (callback_) {
                callback_(offset_ + kPassPercent * reported_ / n_);
            }
        }
    }

    const ProgressCallback &callback_;
    std::int32_t n_;
    std::int32_t offset_;
    std::int32_t reported_ = 0;
};

constexpr std::int32_t kColumnPassOffset = 0;
constexpr std::int32_t kRowPassOffset = kPassPercent;

// ---- The computation ------------------------------------------------------------

class Computation {
  public:
    Computation(std::int32_t n, const OpticalParameters &p, const Buffers &buffers, Scratch &scratch,
                WorkerPool &pool, const ProgressCallback &progress)
        : n_(n), p_(p), scale_(MakeRadiusScale(n, p)), buffers_(buffers), scratch_(scratch), pool_(pool),
          progress_(progress), tables_{n, buffers.bitRev, scratch.cosines, scratch.sines},
          tallies_(static_cast<ThreadTally *>(scratch.tallies)), radius_(OuterRadius(n / 2, scale_)), layout_(n) {}

    void Run() {
        ResetTallies();
        BuildQuadrant();
        if (LitPoints() == 0) {
            ReportWholeTransform(); // no light: the transform of zeros is zeros
            throw ZeroDivisionError();
        }
        TransformColumns();
        TransformRows();
        Report(0);
        const double maximum = LargestIntensity();
        if (maximum == 0) {
            throw ZeroDivisionError();
        }
        MapGreyLevels(1 / maximum);
    }

  private:
    void Report(std::int32_t percent) const {
        if (progress_) {
            progress_(percent);
        }
    }

    void ReportWholeTransform() const {
        PassProgress columns(progress_, n_, kColumnPassOffset);
        columns.Finish();
        PassProgress rows(progress_, n_, kRowPassOffset);
        rows.Finish();
        Report(0);
    }

    void ResetTallies() {
        for (std::int32_t t = 0; t < scratch_.threads; ++t) {
            tallies_[t] = ThreadTally{0.0, 0};
        }
    }

    std::int32_t LitPoints() const {
        std::int32_t lit = 0;
        for (std::int32_t t = 0; t < scratch_.threads; ++t) {
            lit += tallies_[t].lit;
        }
        return lit;
    }

    double LargestIntensity() const {
        double maximum = 0.0;
        for (std::int32_t t = 0; t < scratch_.threads; ++t) {
            maximum = tallies_[t].maximum >= maximum ? tallies_[t].maximum : maximum;
        }
        return maximum;
    }

    batch::Work WorkOf(std::int32_t thread) const {
        return batch::WorkOfThread(reinterpret_cast<Lanes *>(scratch_.workArea), n_, thread);
    }

    // Q[a][b] for a, b <= R from the octant b >= a; columns beyond R read zero.
    void BuildQuadrant() {
        pool_.Run(
            radius_ + 1, [&](std::int32_t a, std::int32_t thread) { BuildQuadrantRow(a, thread); },
            [](std::int32_t) {});
    }

    // Row a from column a on, and column a below row a: no two rows write
    // the same element.
    void BuildQuadrantRow(std::int32_t a, std::int32_t thread) {
        const std::int32_t stride = scratch_.quadrantStride;
        double *re = scratch_.quadrantRe;
        double *im = scratch_.quadrantIm;
        std::int32_t lit = 0;
        for (std::int32_t b = a; b <= radius_; ++b) {
            const double u = NormalisedRadius(a * a + b * b, scale_);
            PupilValue value{0, 0};
            if (InsideAperture(u, p_)) {
                value = PhaseFactor(u, p_);
                lit += a == b ? 1 : 2;
            }
            re[a * stride + b] = value.re;
            im[a * stride + b] = value.im;
            re[b * stride + a] = value.re;
            im[b * stride + a] = value.im;
        }
        for (std::int32_t b = radius_ + 1; b < stride; ++b) {
            re[a * stride + b] = 0;
            im[a * stride + b] = 0;
        }
        tallies_[thread].lit += lit;
    }

    // Columns 0 .. R of the swapped pupil, kLanes at a time, each read from
    // the quadrant column c (the swapped pupil's column c is the quadrant's
    // row c by symmetry, and its rows a and n - a are quadrant entry a);
    // the spectra go to PupilIm and ShiftScratch in the SpectrumLayout.
    void TransformColumns() {
        const std::int32_t groups = (radius_ + kLanes) / kLanes;
        RunTransformPass(groups, kColumnPassOffset,
                         [&](std::int32_t group, std::int32_t thread) { TransformColumnGroup(group, thread); });
    }

    // One pass of line transforms spread over the pool; its n progress values
    // follow the finished units on the calling thread.
    template <typename Unit> void RunTransformPass(std::int32_t groups, std::int32_t progressOffset, Unit unit) {
        PassProgress progress(progress_, n_, progressOffset);
        progress.Reached(0, groups);
        pool_.Run(groups, unit, [&](std::int32_t done) { progress.Reached(done, groups); });
        progress.Finish();
    }

    void TransformColumnGroup(std::int32_t group, std::int32_t thread) {
        const std::int32_t c0 = group * kLanes;
        const std::int32_t stride = scratch_.quadrantStride;
        const double *quadrantIm = scratch_.quadrantIm + c0;
        const double *quadrantRe = scratch_.quadrantRe + c0;
        auto load = [&](std::int32_t a, Lanes &x, Lanes &y) {
            x = LoadLanes(quadrantIm + a * stride);
            y = LoadLanes(quadrantRe + a * stride);
        };
        // Output q of the kLanes columns arrives as one vector per output;
        // the row pass wants one vector per column: transpose the block.
        auto consume = [&](std::int32_t q0, const Lanes *x, const Lanes *y) {
            const batch::PerLine columns = batch::ToLines(x, y);
            for (std::int32_t c = 0; c < kLanes; ++c) {
                StoreLanes(layout_.Slot(buffers_.pupilIm, q0 / kLanes, c0 + c), columns.x[c]);
                StoreLanes(layout_.Slot(buffers_.shiftScratch, q0 / kLanes, c0 + c), columns.y[c]);
            }
        };
        batch::TransformLines(tables_, WorkOf(thread), ColumnExtent(c0, radius_, scale_), load, consume);
    }

    // Rows of the column spectra, kLanes at a time; intensities go to PupilRe
    // where the final quadrant swap puts them: row k to (k + n/2) mod n.
    void TransformRows() {
        const std::int32_t groups = n_ / kLanes;
        RunTransformPass(groups, kRowPassOffset,
                         [&](std::int32_t group, std::int32_t thread) { TransformRowGroup(group, thread); });
    }

    void TransformRowGroup(std::int32_t group, std::int32_t thread) {
        const std::int32_t k0 = group * kLanes;
        const std::int32_t half = n_ / 2;
        const std::int32_t wrap = n_ - 1; // n is a power of two: & wrap is mod n
        double *rows[kLanes];
        for (std::int32_t l = 0; l < kLanes; ++l) {
            rows[l] = buffers_.pupilRe[(k0 + l + half) & wrap];
        }
        PrefetchSpectra(group);
        auto load = [&](std::int32_t c, Lanes &x, Lanes &y) {
            x = LoadLanes(layout_.Slot(buffers_.pupilIm, group, c));
            y = LoadLanes(layout_.Slot(buffers_.shiftScratch, group, c));
        };
        // Intensity re^2 + im^2 of each output, then one vector per row.
        Lanes maximum{};
        auto consume = [&](std::int32_t q0, const Lanes *x, const Lanes *y) {
            intensities::StoreOutputs(x, y, maximum, rows, (q0 + half) & wrap);
        };
        batch::TransformLines(tables_, WorkOf(thread), radius_, load, consume);
        intensities::KeepLargest(maximum, tallies_[thread].maximum);
    }

    // The row transform gathers its inputs in bit-reversed order, which no
    // hardware prefetcher follows; asking for the group's run first overlaps
    // the misses instead of taking them one after another.
    void PrefetchSpectra(std::int32_t group) const {
        constexpr std::int32_t kSlotsPerLine = kCacheLine > lanes::kBytes ? kCacheLine / lanes::kBytes : 1;
        for (std::int32_t c = 0; c <= radius_; c += kSlotsPerLine) {
            __builtin_prefetch(layout_.Slot(buffers_.pupilIm, group, c));
            __builtin_prefetch(layout_.Slot(buffers_.shiftScratch, group, c));
        }
    }

    // a = sqrt(factor x I); grey = min(trunc(300 a), 255).
    void MapGreyLevels(double factor) {
        const std::int32_t units = (n_ + kGreyRowsPerUnit - 1) / kGreyRowsPerUnit;
        pool_.Run(
            units,
            [&](std::int32_t unit, std::int32_t) {
                const std::int32_t first = unit * kGreyRowsPerUnit;
                const std::int32_t end = first + kGreyRowsPerUnit < n_ ? first + kGreyRowsPerUnit : n_;
                for (std::int32_t i = first; i < end; ++i) {
                    intensities::MapAmplitudeRow(factor, buffers_.pupilRe[i], n_, buffers_.grey[i]);
                }
            },
            [](std::int32_t) {});
    }

    std::int32_t n_;
    OpticalParameters p_;
    RadiusScale scale_;
    const Buffers &buffers_;
    Scratch &scratch_;
    WorkerPool &pool_;
    const ProgressCallback &progress_;
    batch::Tables tables_;
    ThreadTally *tallies_;
    std::int32_t radius_;
    SpectrumLayout layout_;
};

} // namespace

bool Supports(std::int32_t n) { return IsTransformLength(n) && n >= batch::kMinLength; }

Status AllocateScratch(std::int32_t n, std::int32_t threads, Scratch &scratch) {
    scratch = Scratch{};
    const std::int32_t stride = QuadrantStride(n);
    const std::size_t quadrantBytes = sizeof(double) * static_cast<std::size_t>(stride) * stride;
    const std::size_t workBytes =
        static_cast<std::size_t>(threads) * static_cast<std::size_t>(batch::WorkAreaSlots(n)) * lanes::kBytes;
    const std::size_t tallyBytes = static_cast<std::size_t>(threads) * sizeof(ThreadTally);
    const std::size_t twiddleBytes = sizeof(double) * static_cast<std::size_t>(batch::TwiddleEntries(n));
    void *re = nullptr;
    void *im = nullptr;
    void *cosines = nullptr;
    void *sines = nullptr;
    void *work = nullptr;
    void *tallies = nullptr;
    const bool obtained = AllocateBlock(quadrantBytes, re) == kSuccess && AllocateBlock(quadrantBytes, im) == kSuccess &&
                          AllocateBlock(twiddleBytes, cosines) == kSuccess &&
                          AllocateBlock(twiddleBytes, sines) == kSuccess && AllocateBlock(workBytes, work) == kSuccess &&
                          AllocateBlock(tallyBytes, tallies) == kSuccess;
    scratch = {n,
               threads,
               stride,
               static_cast<double *>(re),
               static_cast<double *>(im),
               static_cast<double *>(cosines),
               static_cast<double *>(sines),
               static_cast<double *>(work),
               tallies};
    if (!obtained) {
        ReleaseScratch(scratch);
        return kFailure;
    }
    return kSuccess;
}

void ReleaseScratch(Scratch &scratch) {
    void *blocks[] = {scratch.quadrantRe, scratch.quadrantIm, scratch.cosines, scratch.sines, scratch.workArea,
                      scratch.tallies};
    for (void *&block : blocks) {
        ReleaseBlock(block);
    }
    scratch = Scratch{};
}

void FillTwiddles(const double *sinTable, Scratch &scratch) {
    batch::FillTwiddles(scratch.n, sinTable, scratch.cosines, scratch.sines);
}

void ComputeGreyLevels(std::int32_t n, const OpticalParameters &parameters, const Buffers &buffers,
                       Scratch &scratch, WorkerPool &pool, const ProgressCallback &progress) {
    Computation(n, parameters, buffers, scratch, pool, progress).Run();
}

} // namespace diffrascope::fast
