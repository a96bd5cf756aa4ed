// Searches for settings whose grey levels change when the normalisation
// divides every intensity by the maximum M instead of multiplying it by the
// rounded 1/M. The two differ by a rounding, so the settings where they give
// another grey level are rare and cannot be picked by hand; the ones found
// here go into the exactness cases (tests/core/ExactnessTest.cpp).
//
// For each random setting the tool takes the grey levels of the literal
// reference, computes the intensities once more with the program's own
// pupil formula and transform, checks that multiplying by 1/M gives the
// reference's grey levels (so the intensities are the reference's), and
// prints the setting when dividing by M gives a different picture.
//
//   build/bin/diffrascope-normalisation-search [--seed S] [--settings K] [--grid N]...
//   build/bin/diffrascope-normalisation-search --check N,SA,F,OB,WL
//
// Built with the tests, never run by ctest. Exit status 0 when the search
// ran, 1 when the tool's intensities disagree with the reference (or memory
// runs out), 2 on a bad argument.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Errors.h"
#include "Fft.h"
#include "Grid.h"
#include "LiteralPipeline.h"
#include "Pupil.h"
#include "StarImage.h"
#include "Trace.h"

namespace diffrascope {
namespace {

constexpr std::uint64_t kDefaultSeed = 20261208;
const std::vector<std::int32_t> kDefaultGrids = {4, 8, 16, 32, 64, 128};
// Settings tried per grid size unless --settings says otherwise: fewer on
// the larger grids, each of which takes about a millisecond.
constexpr long kSmallGridSettings = 100000;
constexpr long kLargeGridSettings = 40000;
constexpr std::int32_t kLargeGrid = 64;

constexpr double kGreyScale = 300; // amplitude 1/300 is one grey level
constexpr std::int32_t kWhite = 255;

// splitmix64: the same sequence from the same seed with every compiler.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::int32_t Between(std::int32_t low, std::int32_t high) {
        const auto span = static_cast<std::uint64_t>(high - low + 1);
        return low + static_cast<std::int32_t>(Next() % span);
    }

  private:
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::uint64_t state_;
};

ScrollPositions RandomPositions(Random &random) {
    ScrollPositions p;
    p.spherical = random.Between(kSphericalRange.min, kSphericalRange.max);
    p.focus = random.Between(kFocusRange.min, kFocusRange.max);
    p.obstruction = random.Between(kObstructionRange.min, kObstructionRange.max);
    p.wavelength = random.Between(kWavelengthRange.min, kWavelengthRange.max);
    return p;
}

// The far-field intensities of one setting, element [i][j] at i * n + j,
// through the program's pupil formula and centred transform.
class IntensityField {
  public:
    explicit IntensityField(std::int32_t n) : n_(n) {
        const bool obtained = AllocateRealGrid(n, n, re_) == kSuccess && AllocateRealGrid(n, n, im_) == kSuccess &&
                              AllocateRealGrid(n, n, buffers_.shiftScratch) == kSuccess &&
                              AllocateRealVector(n, buffers_.workRe) == kSuccess &&
                              AllocateRealVector(n, buffers_.workIm) == kSuccess &&
                              AllocateIntVector(n, buffers_.bitRev) == kSuccess &&
                              AllocateRealVector(SinTableLength(n), buffers_.sinTable) == kSuccess;
        if (!obtained) {
            Release();
            throw AllocationError();
        }
        MakeSinTable(n, buffers_.sinTable);
        MakeBitReverseTable(n, buffers_.bitRev);
    }
    ~IntensityField() { Release(); }
    IntensityField(const IntensityField &) = delete;
    IntensityField &operator=(const IntensityField &) = delete;

    std::vector<double> Compute(const ScrollPositions &positions) {
        const OpticalParameters p{positions.spherical * 0.1, positions.focus * 0.1, positions.obstruction * 0.01,
                                  static_cast<double>(positions.wavelength)};
        const std::int32_t h = n_ / 2;
        const RadiusScale scale = MakeRadiusScale(n_, p);
        for (std::int32_t i = 0; i < n_; ++i) {
            for (std::int32_t j = 0; j < n_; ++j) {
                const double u = NormalisedRadius((i - h) * (i - h) + (j - h) * (j - h), scale);
                const PupilValue value = InsideAperture(u, p) ? PhaseFactor(u, p) : PupilValue{0, 0};
                re_[i][j] = value.re;
                im_[i][j] = value.im;
            }
        }
        Fft2DCentred(n_, re_, im_, buffers_, {});
        std::vector<double> intensity;
        intensity.reserve(static_cast<std::size_t>(n_) * n_);
        for (std::int32_t i = 0; i < n_; ++i) {
            for (std::int32_t j = 0; j < n_; ++j) {
                intensity.push_back(re_[i][j] * re_[i][j] + im_[i][j] * im_[i][j]);
            }
        }
        return intensity;
    }

  private:
    // Null handles (never obtained) are left alone.
    void Release() {
        ReleaseGrid(n_, n_, re_);
        ReleaseGrid(n_, n_, im_);
        ReleaseGrid(n_, n_, buffers_.shiftScratch);
        ReleaseVector(buffers_.workRe);
        ReleaseVector(buffers_.workIm);
        ReleaseVector(buffers_.bitRev);
        ReleaseVector(buffers_.sinTable);
    }

    std::int32_t n_;
    RealGrid re_ = nullptr;
    RealGrid im_ = nullptr;
    TransformBuffers buffers_;
};

std::int32_t GreyLevel(double normalised) {
    const auto level = static_cast<std::int32_t>(std::sqrt(normalised) * kGreyScale);
    return level < 0 ? 0 : (level >= kWhite ? kWhite : level);
}

enum class Normalisation { kMultiplyByReciprocal, kDivideByMaximum };

// Grey levels of the intensities; nothing when no light passes.
std::optional<std::vector<std::int32_t>> GreyLevels(const std::vector<double> &intensity, Normalisation how) {
    double maximum = 0.0;
    for (double v : intensity) {
        maximum = v >= maximum ? v : maximum;
    }
    if (maximum == 0) {
        return std::nullopt;
    }
    const double factor = 1 / maximum;
    std::vector<std::int32_t> grey;
    grey.reserve(intensity.size());
    for (double v : intensity) {
        grey.push_back(GreyLevel(how == Normalisation::kMultiplyByReciprocal ? factor * v : v / maximum));
    }
    return grey;
}

std::optional<std::vector<std::int32_t>> ReferenceGreyLevels(const ScrollPositions &p, std::int32_t n) {
    try {
        return reference::LiteralStarImage(p, n);
    } catch (const ZeroDivisionError &) {
        return std::nullopt;
    }
}

enum class Verdict { kNoLight, kSame, kDiffers, kToolDisagrees };

struct Comparison {
    Verdict verdict = Verdict::kNoLight;
    long pixels = 0; // grey levels that differ from the reference's
};

Comparison Compare(IntensityField &field, std::int32_t n, const ScrollPositions &p) {
    const auto reference = ReferenceGreyLevels(p, n);
    const std::vector<double> intensity = field.Compute(p);
    const auto multiplied = GreyLevels(intensity, Normalisation::kMultiplyByReciprocal);
    if (multiplied != reference) {
        return {Verdict::kToolDisagrees, 0};
    }
    if (!reference) {
        return {Verdict::kNoLight, 0};
    }
    const auto divided = GreyLevels(intensity, Normalisation::kDivideByMaximum);
    long pixels = 0;
    for (std::size_t k = 0; k < reference->size(); ++k) {
        pixels += (*divided)[k] != (*reference)[k] ? 1 : 0;
    }
    return {pixels == 0 ? Verdict::kSame : Verdict::kDiffers, pixels};
}

// As an exactness case: {N, {spherical, focus, obstruction, wavelength}}.
void PrintSetting(std::int32_t n, const ScrollPositions &p, long pixels) {
    std::printf("{%d, {%d, %d, %d, %d}}, // %ld pixel%s\n", n, p.spherical, p.focus, p.obstruction, p.wavelength,
                pixels, pixels == 1 ? "" : "s");
}

void PrintDisagreement(std::int32_t n, const ScrollPositions &p) {
    std::fprintf(stderr, "the tool's intensities disagree with the reference at N %d, positions %d, %d, %d, %d\n", n,
                 p.spherical, p.focus, p.obstruction, p.wavelength);
}

struct Options {
    std::uint64_t seed = kDefaultSeed;
    std::optional<long> settings;
    std::vector<std::int32_t> grids;
    std::vector<std::pair<std::int32_t, ScrollPositions>> checks;
};

bool ParseWhole(const char *text, long long &value) {
    char *end = nullptr;
    value = std::strtoll(text, &end, 10);
    return end != text && *end == '\0';
}

bool ParseCheck(const char *text, std::pair<std::int32_t, ScrollPositions> &check) {
    int n = 0, sa = 0, f = 0, ob = 0, wl = 0, used = 0;
    if (std::sscanf(text, "%d,%d,%d,%d,%d%n", &n, &sa, &f, &ob, &wl, &used) != 5 || text[used] != '\0') {
        return false;
    }
    check = {n, ScrollPositions{sa, f, ob, wl}};
    return IsAcceptedGridSize(n);
}

int Usage() {
    std::fprintf(stderr, "usage: diffrascope-normalisation-search [--seed S] [--settings K] [--grid N]...\n"
                         "       diffrascope-normalisation-search --check N,SA,F,OB,WL ...\n");
    return 2;
}

std::optional<Options> ParseOptions(int argc, char *argv[]) {
    Options options;
    for (int k = 1; k < argc; ++k) {
        const std::string option = argv[k];
        if (k + 1 >= argc) {
            return std::nullopt;
        }
        const char *value = argv[++k];
        long long whole = 0;
        std::pair<std::int32_t, ScrollPositions> check;
        if (option == "--seed" && ParseWhole(value, whole) && whole >= 0) {
            options.seed = static_cast<std::uint64_t>(whole);
        } else if (option == "--settings" && ParseWhole(value, whole) && whole > 0) {
            options.settings = static_cast<long>(whole);
        } else if (option == "--grid" && ParseWhole(value, whole) &&
                   IsAcceptedGridSize(static_cast<std::int32_t>(whole))) {
            options.grids.push_back(static_cast<std::int32_t>(whole));
        } else if (option == "--check" && ParseCheck(value, check)) {
            options.checks.push_back(check);
        } else {
            return std::nullopt;
        }
    }
    if (options.grids.empty()) {
        options.grids = kDefaultGrids;
    }
    return options;
}

int Check(const Options &options) {
    for (const auto &[n, p] : options.checks) {
        IntensityField field(n);
        const Comparison result = Compare(field, n, p);
        if (result.verdict == Verdict::kToolDisagrees) {
            PrintDisagreement(n, p);
            return 1;
        }
        if (result.verdict == Verdict::kNoLight) {
            std::printf("N %d, positions %d, %d, %d, %d: no light\n", n, p.spherical, p.focus, p.obstruction,
                        p.wavelength);
        } else {
            PrintSetting(n, p, result.pixels);
        }
    }
    return 0;
}

int Search(const Options &options) {
    Random random(options.seed);
    long tried = 0, lit = 0, found = 0;
    for (std::int32_t n : options.grids) {
        const long settings = options.settings.value_or(n >= kLargeGrid ? kLargeGridSettings : kSmallGridSettings);
        IntensityField field(n);
        long litHere = 0, foundHere = 0;
        for (long k = 0; k < settings; ++k) {
            const ScrollPositions p = RandomPositions(random);
            const Comparison result = Compare(field, n, p);
            if (result.verdict == Verdict::kToolDisagrees) {
                PrintDisagreement(n, p);
                return 1;
            }
            litHere += result.verdict == Verdict::kNoLight ? 0 : 1;
            if (result.verdict == Verdict::kDiffers) {
                ++foundHere;
                PrintSetting(n, p, result.pixels);
            }
        }
        std::fflush(stdout); // the settings found come before their summary
        std::fprintf(stderr, "N %d: %ld settings, %ld with light, %ld differ\n", n, settings, litHere, foundHere);
        tried += settings;
        lit += litHere;
        found += foundHere;
    }
    std::fprintf(stderr, "seed %llu: %ld settings, %ld with light, %ld differ\n",
                 static_cast<unsigned long long>(options.seed), tried, lit, found);
    return 0;
}

int Run(int argc, char *argv[]) {
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        return Usage();
    }
    SetTraceOutput(nullptr);
    try {
        return options->checks.empty() ? Search(*options) : Check(*options);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "diffrascope-normalisation-search: %s\n", error.what());
        return 1;
    }
}

} // namespace
} // namespace diffrascope

int main(int argc, char *argv[]) { return diffrascope::Run(argc, argv); }
