#include "StarImage.h"

#include <cmath>
#include <exception>
#include <memory>
#include <string>

#include "FastPipeline.h"
#include "Pupil.h"
#include "WorkerPool.h"

namespace diffrascope {

std::int32_t GridSize = kStartGridSize;
std::int32_t SizeChanged = 0;
std::int32_t NeedsAllocation = 1;
std::int32_t AllocatedSize = 0;

IntGrid GreyGrid = nullptr;
RealGrid PupilRe = nullptr;
RealGrid PupilIm = nullptr;
RealGrid ShiftScratch = nullptr;
RealVector WorkRe = nullptr;
RealVector WorkIm = nullptr;
IntVector BitRev = nullptr;
RealVector sintbl = nullptr;

namespace {

// The fast path's own scratch and threads, held exactly as long as the buffers.
fast::Scratch FastScratch;
std::unique_ptr<WorkerPool> Pool;
std::int32_t RequestedThreads = 0; // 0: from the environment

constexpr double kPositionTenth = 0.1;      // spherical and focus positions are tenths of a wave
constexpr double kPositionHundredth = 0.01; // obstruction position is a percentage
constexpr double kGreyScale = 300;          // amplitude 1/300 is one grey level
constexpr std::int32_t kBlack = 0;
constexpr std::int32_t kWhite = 255;

OpticalParameters ToOpticalParameters(const ScrollPositions &p) {
    return {p.spherical * kPositionTenth, p.focus * kPositionTenth, p.obstruction * kPositionHundredth,
            static_cast<double>(p.wavelength)};
}

void CheckPosition(const char *name, std::int32_t value, PositionRange range) {
    if (value < range.min || value > range.max) {
        throw InvalidInputError(std::string(name) + " position " + std::to_string(value) + " outside " +
                                std::to_string(range.min) + " .. " + std::to_string(range.max));
    }
}

void CheckInputs(const ScrollPositions &p) {
    if (!IsAcceptedGridSize(GridSize)) {
        throw InvalidInputError("grid size " + std::to_string(GridSize) +
                                " is not a power of two from 4 to 4096");
    }
    CheckPosition("spherical aberration", p.spherical, kSphericalRange);
    CheckPosition("focus", p.focus, kFocusRange);
    CheckPosition("obstruction", p.obstruction, kObstructionRange);
    CheckPosition("wavelength", p.wavelength, kWavelengthRange);
}

bool HoldsBuffers() {
    return GreyGrid != nullptr || PupilRe != nullptr || PupilIm != nullptr || ShiftScratch != nullptr ||
           WorkRe != nullptr || WorkIm != nullptr || BitRev != nullptr || sintbl != nullptr ||
           FastScratch.workArea != nullptr || Pool != nullptr;
}

std::int32_t WantedThreads() { return RequestedThreads != 0 ? RequestedThreads : ThreadCountFromEnvironment(); }

// Small grids take the literal path and need nothing more.
bool AllocateFastPath(std::int32_t n) {
    if (!fast::Supports(n)) {
        return true;
    }
    const std::int32_t threads = WantedThreads();
    if (fast::AllocateScratch(n, threads, FastScratch) != kSuccess) {
        return false;
    }
    try {
        Pool = std::make_unique<WorkerPool>(threads);
    } catch (const std::exception &) {
        return false; // reported as short memory; the buffers obtained so far are released
    }
    return true;
}

// Releases with the row count the grids were allocated with.
void ReleaseBuffers() {
    ReleaseGrid(AllocatedSize, AllocatedSize, GreyGrid);
    ReleaseGrid(AllocatedSize, AllocatedSize, PupilRe);
    ReleaseGrid(AllocatedSize, AllocatedSize, PupilIm);
    ReleaseGrid(AllocatedSize, AllocatedSize, ShiftScratch);
    ReleaseVector(WorkRe);
    ReleaseVector(WorkIm);
    ReleaseVector(BitRev);
    ReleaseVector(sintbl);
    Pool.reset();
    fast::ReleaseScratch(FastScratch);
    AllocatedSize = 0;
}

// All or nothing: on any failure the buffers obtained so far are released too.
void AllocateBuffers(std::int32_t n) {
    const bool obtained = AllocateIntGrid(n, n, GreyGrid) == kSuccess &&
                          AllocateRealGrid(n, n, PupilRe) == kSuccess &&
                          AllocateRealGrid(n, n, PupilIm) == kSuccess &&
                          AllocateRealGrid(n, n, ShiftScratch) == kSuccess &&
                          AllocateRealVector(n, WorkRe) == kSuccess && AllocateRealVector(n, WorkIm) == kSuccess &&
                          AllocateIntVector(n, BitRev) == kSuccess &&
                          AllocateRealVector(SinTableLength(n), sintbl) == kSuccess && AllocateFastPath(n);
    AllocatedSize = n;
    if (!obtained) {
        ReleaseBuffers();
        NeedsAllocation = 1;
        SizeChanged = 0;
        throw AllocationError();
    }
    MakeSinTable(n, sintbl);
    MakeBitReverseTable(n, BitRev);
    if (Pool != nullptr) {
        fast::FillTwiddles(sintbl, FastScratch);
    }
    SizeChanged = 0;
}

void PrepareBuffers() {
    // A computation that stopped early leaves NeedsAllocation at 1 with the
    // buffers still held, and a grid size set without SizeChanged leaves them
    // the wrong size: release them in both cases, never leak or overrun them.
    const bool stale = SizeChanged == 1 || NeedsAllocation == 1 || AllocatedSize != GridSize;
    if (stale) {
        ReleaseBuffers();
    }
    if (!HoldsBuffers()) {
        AllocateBuffers(GridSize);
    }
}

// Annulus of unit amplitude centred on (n/2, n/2), outer radius 0.1 n at 550 nm.
void BuildPupil(std::int32_t n, const OpticalParameters &p) {
    const std::int32_t h = n / 2;
    const RadiusScale scale = MakeRadiusScale(n, p);
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = 0; j < n; ++j) {
            const std::int32_t d = (i - h) * (i - h) + (j - h) * (j - h);
            const double u = NormalisedRadius(d, scale);
            if (InsideAperture(u, p)) {
                const PupilValue value = PhaseFactor(u, p);
                PupilRe[i][j] = value.re;
                PupilIm[i][j] = value.im;
            } else {
                PupilRe[i][j] = 0;
                PupilIm[i][j] = 0;
            }
        }
    }
}

void FormIntensity(std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = 0; j < n; ++j) {
            PupilRe[i][j] = PupilRe[i][j] * PupilRe[i][j] + PupilIm[i][j] * PupilIm[i][j];
        }
    }
}

// Brightest point becomes 1; no light at all is a division by zero.
void Normalise(std::int32_t n) {
    const double maximum = GridMaximum(n, n, PupilRe);
    if (maximum == 0) {
        throw ZeroDivisionError();
    }
    const double factor = 1 / maximum;
    ScaleGrid(factor, n, n, PupilRe);
}

void TakeAmplitude(std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = 0; j < n; ++j) {
            PupilRe[i][j] = std::sqrt(PupilRe[i][j]);
        }
    }
}

// Amplitude a becomes min(trunc(300 a), 255).
void MapGreyLevels(std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = 0; j < n; ++j) {
            GreyGrid[i][j] = static_cast<std::int32_t>(PupilRe[i][j] * kGreyScale);
        }
    }
    ClampGrid(kBlack, kWhite, n, n, GreyGrid);
}

// The algorithm as it reads, step by step over the whole grids.
void ComputeLiterally(std::int32_t n, const OpticalParameters &parameters, const ProgressCallback &progress) {
    BuildPupil(n, parameters);
    const TransformBuffers buffers{ShiftScratch, WorkRe, WorkIm, BitRev, sintbl};
    Fft2DCentred(n, PupilRe, PupilIm, buffers, progress);
    FormIntensity(n);
    Normalise(n);
    TakeAmplitude(n);
    MapGreyLevels(n);
}

} // namespace

bool IsAcceptedGridSize(std::int32_t n) { return n >= kMinGridSize && n <= kMaxGridSize && (n & (n - 1)) == 0; }

void ComputeStarImage(const ScrollPositions &positions, const ProgressCallback &progress,
                      const PresentCallback &present) {
    CheckInputs(positions);
    PrepareBuffers();
    const std::int32_t n = AllocatedSize;
    const OpticalParameters parameters = ToOpticalParameters(positions);
    if (Pool != nullptr) {
        const fast::Buffers buffers{GreyGrid, PupilRe, PupilIm, ShiftScratch, BitRev, sintbl};
        fast::ComputeGreyLevels(n, parameters, buffers, FastScratch, *Pool, progress);
    } else {
        ComputeLiterally(n, parameters, progress);
    }
    if (present) {
        present(GreyGrid, n);
    }
    NeedsAllocation = 0;
    AllocatedSize = GridSize;
}

std::int32_t ComputationThreads() { return Pool != nullptr ? Pool->Threads() : WantedThreads(); }

void SetComputationThreads(std::int32_t threads) {
    if (threads < 0 || threads > kMaxThreads) {
        throw InvalidInputError("thread count " + std::to_string(threads) + " outside 0 .. " +
                                std::to_string(kMaxThreads));
    }
    RequestedThreads = threads;
}

void ResetStarImageState() {
    ReleaseBuffers();
    GridSize = kStartGridSize;
    SizeChanged = 0;
    NeedsAllocation = 1;
}

} // namespace diffrascope
