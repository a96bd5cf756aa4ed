#include "Seeing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <complex>
#include <functional>

#include "Imager.h"
#include "Job.h"
#include "Limits.h"
#include "OpticsError.h"
#include "StarTest.h"
#include "Units.h"
#include "WavefrontMap.h"

namespace diffrascope::optics {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2 * kPi;
constexpr double kFriedExponent = 6.0 / 5.0;       // r0 grows as lambda^(6/5)
constexpr double kKolmogorovExponent = 5.0 / 3.0;  // of the structure function and the transfer's exponent
constexpr double kSpectrumExponent = -11.0 / 3.0;  // of the phase's power spectrum
constexpr double kSpectrumCoefficient = 0.023;     // 0.023 r0^(-5/3) f^(-11/3)
// Levels of subharmonics, each a third of the frequency step of the one
// before: eight leave out only a centre of 1 / (2 6561 M), and with the near
// cells integrated bring the expected structure function within 3 % of
// 6.88 (r / r0)^(5/3) from 2 samples to an eighth of the square (three levels
// fall 22 % short there: the tilt's power lies at the lowest frequencies).
constexpr std::int32_t kSubharmonicLevels = 8;
constexpr std::int32_t kSubharmonicSpread = 3; // 3 x 3 frequencies per level, the centre left out
// Cells near zero frequency, where the spectrum changes much across a cell,
// take their power integrated over kCellPoints^2 points.
constexpr std::int32_t kNearCells = 2;
constexpr std::int32_t kCellPoints = 16;
constexpr double kMillimetresPerCm = 10;
constexpr double kDiscsInField = 2; // a panel's field holds at least two seeing FWHMs

std::string Number(double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

// To a tenth, as the warnings give lengths.
std::string Tenths(double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1).ptr;
    return std::string(text, end);
}

// The smallest power of two of at least `size` (and at least 4, the transform's least).
std::int32_t PowerOfTwoAtLeast(std::int32_t size) {
    std::int32_t power = 4;
    while (power < size) {
        power *= 2;
    }
    return power;
}

// r0 at the light's shortest wavelength (the smallest r0) in grid steps of its pupil on a grid of side n.
double SmallestR0Steps(const Job &job, std::int32_t n) {
    double shortest = job.system.wavelength;
    if (!job.light.Monochromatic()) {
        shortest = kLongestWavelength;
        for (const SpectralLine &line : job.light.lines) {
            shortest = line.weight > 0 ? std::min(shortest, line.nanometres) : shortest;
        }
    } else if (!job.light.lines.empty()) {
        shortest = job.light.lines.front().nanometres;
    }
    const double diameterSteps = 2 * PupilRadius(n, shortest);
    return FriedParameter(job.seeing->r0, shortest) / (*job.apertureMm / kMillimetresPerCm) * diameterSteps;
}

} // namespace

double FriedParameter(double r0At500, double wavelength) {
    return r0At500 * std::pow(wavelength / kSeeingReference, kFriedExponent);
}

double SeeingTransfer(double nu, double diameterOverR0) {
    return std::exp(-kLongExposureCoefficient * std::pow(nu * diameterOverR0, kKolmogorovExponent));
}

// ---- Phase screens ------------------------------------------------------------------

PhaseScreens::PhaseScreens(std::int32_t side, double r0, std::uint64_t seed, std::int32_t threads)
    : side_(side), square_(PowerOfTwoAtLeast(2 * side)), r0_(r0), draws_(seed), transform_(square_, threads) {
    const std::int32_t m = square_;
    const double step = 1.0 / m; // cycles per sample between neighbouring frequencies
    amplitudes_.assign(static_cast<std::size_t>(m) * m, 0.0);
    for (std::int32_t u = 0; u < m; ++u) {
        const std::int32_t ku = u < m / 2 ? u : u - m;
        for (std::int32_t v = 0; v < m; ++v) {
            const std::int32_t kv = v < m / 2 ? v : v - m;
            const bool near = std::abs(ku) <= kNearCells && std::abs(kv) <= kNearCells;
            const double variance = ku == 0 && kv == 0 ? 0 // no piston
                                    : near ? CellVariance(ku * step, kv * step, step)
                                           : Spectrum(ku * step, kv * step) * step * step;
            amplitudes_[static_cast<std::size_t>(u) * m + v] = std::sqrt(variance);
        }
    }
    const std::int32_t reach = kSubharmonicSpread / 2;
    double level = step;
    for (std::int32_t p = 1; p <= kSubharmonicLevels; ++p) {
        level /= kSubharmonicSpread;
        for (std::int32_t a = -reach; a <= reach; ++a) {
            for (std::int32_t b = -reach; b <= reach; ++b) {
                const bool centre = a == 0 && b == 0;
                subharmonics_.push_back(centre ? 0 : std::sqrt(CellVariance(a * level, b * level, level)));
            }
        }
    }
}

double PhaseScreens::Spectrum(double fu, double fv) const {
    const double f = std::sqrt(fu * fu + fv * fv);
    return kSpectrumCoefficient * std::pow(r0_, -kKolmogorovExponent) * std::pow(f, kSpectrumExponent);
}

// The variance a cell's one frequency carries: the cell's power weighted by
// f^2 over the centre's f^2, as a frequency far below 1 / r adds
// 2 pi^2 (f.r)^2 of its power to the structure function at r.
double PhaseScreens::CellVariance(double fu, double fv, double step) const {
    const double h = step / kCellPoints;
    double weighted = 0;
    for (std::int32_t a = 0; a < kCellPoints; ++a) {
        const double x = fu - step / 2 + (a + 0.5) * h;
        for (std::int32_t b = 0; b < kCellPoints; ++b) {
            const double y = fv - step / 2 + (b + 0.5) * h;
            weighted += Spectrum(x, y) * (x * x + y * y);
        }
    }
    return weighted * h * h / (fu * fu + fv * fv);
}

std::vector<double> PhaseScreens::Next() {
    std::vector<double> screen(static_cast<std::size_t>(side_) * side_, 0.0);
    AddHighFrequencies(screen);
    AddLowFrequencies(screen);
    return screen;
}

// Sum over the square's frequencies (u, v) / M of (a + i b) A(u, v)
// exp(2 pi i (u i + v j) / M), its real part: each frequency brings A^2,
// its cell's share of the spectrum's integral, of variance.
void PhaseScreens::AddHighFrequencies(std::vector<double> &screen) {
    const std::int32_t m = square_;
    const double unscale = static_cast<double>(m) * m; // the inverse transform divides by M^2
    std::vector<std::complex<double>> spectrum(amplitudes_.size());
    for (std::size_t k = 0; k < spectrum.size(); ++k) {
        double a = 0;
        double b = 0;
        draws_.NormalPair(a, b);
        const double weight = amplitudes_[k] * unscale;
        spectrum[k] = {a * weight, b * weight};
    }
    const std::vector<double> square = transform_.Inverse(std::move(spectrum));
    for (std::int32_t i = 0; i < side_; ++i) {
        for (std::int32_t j = 0; j < side_; ++j) {
            screen[static_cast<std::size_t>(i) * side_ + j] += square[static_cast<std::size_t>(i) * m + j];
        }
    }
}

// The frequencies below the square's first: at each level p, steps of
// 1 / (3^p M) around 0, each (a + i b) A exp(2 pi i f.x), A^2 its cell's
// variance; their sum's mean over the screen taken away.
void PhaseScreens::AddLowFrequencies(std::vector<double> &screen) {
    const std::int32_t reach = kSubharmonicSpread / 2;
    std::vector<double> low(screen.size(), 0.0);
    std::vector<std::complex<double>> across(static_cast<std::size_t>(side_));
    std::size_t mode = 0;
    double step = 1.0 / square_;
    for (std::int32_t level = 1; level <= kSubharmonicLevels; ++level) {
        step /= kSubharmonicSpread;
        for (std::int32_t p = -reach; p <= reach; ++p) {
            for (std::int32_t q = -reach; q <= reach; ++q) {
                double a = 0;
                double b = 0;
                draws_.NormalPair(a, b);
                const double weight = subharmonics_[mode++];
                if (weight == 0) {
                    continue; // the centre, divided at the next level
                }
                const std::complex<double> c(a * weight, b * weight);
                const double fu = p * step;
                const double fv = q * step;
                // separable: exp(2 pi i fu i) along rows, exp(2 pi i fv j) along columns
                for (std::int32_t j = 0; j < side_; ++j) {
                    across[j] = std::polar(1.0, kTwoPi * (fv * j));
                }
                for (std::int32_t i = 0; i < side_; ++i) {
                    const std::complex<double> down = c * std::polar(1.0, kTwoPi * (fu * i));
                    double *line = low.data() + static_cast<std::size_t>(i) * side_;
                    for (std::int32_t j = 0; j < side_; ++j) {
                        line[j] += down.real() * across[j].real() - down.imag() * across[j].imag();
                    }
                }
            }
        }
    }
    double mean = 0;
    for (double value : low) {
        mean += value;
    }
    mean /= static_cast<double>(low.size());
    for (std::size_t k = 0; k < screen.size(); ++k) {
        screen[k] += low[k] - mean;
    }
}

// ---- Screens over a pupil -------------------------------------------------------------

FrameScreens::FrameScreens(const OpticalSystem &system, const Seeing &seeing, double apertureMm, std::int32_t n,
                           std::int32_t threads)
    : half_(static_cast<std::int32_t>(std::ceil(PupilRadius(n, system.wavelength))) + 1),
      radius_(PupilRadius(n, system.wavelength)),
      r0Steps_(FriedParameter(seeing.r0, system.wavelength) / (apertureMm / kMillimetresPerCm) * 2 * radius_),
      screens_(2 * half_ + 1, r0Steps_, seeing.seed, threads) {}

std::shared_ptr<const WavefrontMap> FrameScreens::Next() {
    std::vector<double> waves = screens_.Next();
    for (double &value : waves) {
        value = value / kTwoPi; // radians at the reference wavelength to waves
    }
    const std::int32_t side = screens_.Side();
    const MapGeometry centred{static_cast<double>(half_), static_cast<double>(half_), radius_};
    return std::make_shared<const WavefrontMap>(side, side, std::move(waves), WavefrontUnit::Waves, centred,
                                                "seeing");
}

// ---- The long exposure ------------------------------------------------------------------

LongExposure::LongExposure(std::int32_t n, double r0At500, double apertureMm, std::int32_t threads)
    : transform_(n, threads), r0At500_(r0At500), diameterCm_(apertureMm / kMillimetresPerCm) {}

// Grid frequency k (cycles per N pixels) is k / (N p) in units of D / lambda, p
// the pixel in lambda/D of this wavelength.
void LongExposure::operator()(double wavelength, std::vector<double> &values) {
    const std::int32_t n = transform_.Size();
    const double cutOffs = 1 / (n * PixelScale(wavelength)); // per unit of k
    const double diameterOverR0 = diameterCm_ / FriedParameter(r0At500_, wavelength);
    std::vector<std::complex<double>> spectrum = transform_.Forward(values);
    for (std::int32_t u = 0; u < n; ++u) {
        const double ku = u < n / 2 ? u : u - n;
        for (std::int32_t v = 0; v < n; ++v) {
            const double kv = v < n / 2 ? v : v - n;
            const double nu = std::sqrt(ku * ku + kv * kv) * cutOffs;
            spectrum[static_cast<std::size_t>(u) * n + v] *= SeeingTransfer(nu, diameterOverR0);
        }
    }
    values = transform_.Inverse(std::move(spectrum));
    for (double &value : values) {
        value = std::max(value, 0.0); // a blur of light by a positive spread: below 0 is rounding
    }
}

// ---- Jobs ---------------------------------------------------------------------------------

void ValidateSeeing(const Job &job) {
    if (!job.seeing) {
        return;
    }
    const Seeing &seeing = *job.seeing;
    if (!kSeeingLimit.Admits(seeing.r0)) {
        throw ParameterError(kSeeingLimit.parameter,
                             "r0 " + Number(seeing.r0) + " lies outside " + kSeeingLimit.text + " at 500 nm");
    }
    if (!job.apertureMm) {
        throw ParameterError(kSeeingLimit.parameter, "needs the aperture's diameter (aperture-mm) to compare r0 with");
    }
    if (seeing.frames != 0 && !kSeeingFramesLimit.Admits(seeing.frames)) {
        throw ParameterError(kSeeingFramesLimit.parameter,
                             std::to_string(seeing.frames) + " frames lie outside " + kSeeingFramesLimit.text);
    }
    if (seeing.average && seeing.frames == 0) {
        throw ParameterError("average", "needs frames to average (seeing-frames)");
    }
    if (seeing.frames != 0 && !seeing.average && job.panels.IsSheet()) {
        throw ParameterError(kSeeingFramesLimit.parameter, "with a star test or through-focus range needs their "
                                                           "average: each panel is the mean of the "
                                                           "frames at its focus");
    }
}

std::vector<PanelFocus> SeeingPanels(const Job &job, std::vector<PanelFocus> panels) {
    if (!job.seeing || job.seeing->frames == 0 || job.seeing->average) {
        return panels;
    }
    const PanelFocus single = panels.front();
    panels.clear();
    for (std::int32_t k = 1; k <= std::min(job.seeing->frames, kMaxPanels); ++k) {
        PanelFocus frame = single;
        frame.title = "frame " + std::to_string(k);
        panels.push_back(std::move(frame));
    }
    return panels;
}

std::vector<std::string> SeeingWarnings(const Job &job, std::int32_t n, double width) {
    std::vector<std::string> warnings;
    if (!job.seeing) {
        return warnings;
    }
    const double steps = SmallestR0Steps(job, n);
    if (steps < kMinR0Steps) {
        const std::optional<std::int32_t> grid = SeeingGrid(job);
        const std::string remedy = grid ? "the smallest grid that does is " + std::to_string(*grid)
                                        : "no grid up to " + std::to_string(kLargestGrid) + " does";
        warnings.push_back("the " + std::to_string(n) + " grid gives the seeing's r0 " + Tenths(steps) +
                           " grid steps, fewer than " + Tenths(kMinR0Steps) +
                           ": the screens' phase is undersampled and the seeing disc fills the picture; " + remedy);
    }
    if (job.layout != Layout::Crop && width < SeeingField(job)) {
        warnings.push_back("the field of " + Tenths(width) + " λ/D is narrower than two seeing discs of " +
                           Tenths(SeeingField(job) / kDiscsInField) + " λ/D FWHM");
    }
    return warnings;
}

double SeeingField(const Job &job) {
    const double disc = kSeeingFwhm * (*job.apertureMm / kMillimetresPerCm) /
                        FriedParameter(job.seeing->r0, job.system.wavelength); // lambda/D
    return kDiscsInField * disc;
}

std::optional<std::int32_t> SeeingGrid(const Job &job) {
    for (std::int32_t size : kGridSizes) {
        if (SmallestR0Steps(job, size) >= kMinR0Steps) {
            return size;
        }
    }
    return std::nullopt;
}

// ---- Images -------------------------------------------------------------------------------

SeeingImages::SeeingImages(const Job &job, std::int32_t n, std::int32_t threads)
    : job_(job), n_(n), threads_(threads) {
    if (!job.seeing) {
        return;
    }
    if (job.seeing->frames == 0) {
        longExposure_.emplace(n, job.seeing->r0, *job.apertureMm, threads);
    } else if (!job.seeing->average) {
        sheet_.emplace(job.system, *job.seeing, *job.apertureMm, n, threads);
    }
}

SeeingImages::~SeeingImages() = default;

std::int32_t SeeingImages::FramesPerPanel() const {
    return job_.seeing && job_.seeing->average ? job_.seeing->frames : 1;
}

std::shared_ptr<const WavefrontMap> SeeingImages::Frame(FrameScreens &screens) {
    std::shared_ptr<const WavefrontMap> screen = screens.Next();
    if (!first_) {
        first_ = screen;
    }
    return screen;
}

void SeeingImages::Compute(Imager &imager, const OpticalSystem &system, const Spectrum &light, IntensityImage &image,
                           Checkpoint &checkpoint) {
    if (longExposure_) {
        imager.Compute(system, light, image, checkpoint, std::ref(*longExposure_));
        return;
    }
    if (!job_.seeing) {
        imager.Compute(system, light, image, checkpoint);
        return;
    }
    OpticalSystem through = system;
    if (sheet_) {
        through.figure.turbulence = Frame(*sheet_);
        imager.Compute(through, light, image, checkpoint);
        return;
    }
    // the mean of the frames, every panel through the same screens
    FrameScreens screens(job_.system, *job_.seeing, *job_.apertureMm, n_, threads_);
    const std::int32_t frames = job_.seeing->frames;
    for (std::int32_t k = 0; k < frames; ++k) {
        through.figure.turbulence = Frame(screens);
        imager.Compute(through, light, image, checkpoint);
        sum_.resize(image.values.size(), 0.0);
        for (std::size_t p = 0; p < sum_.size(); ++p) {
            sum_[p] = k == 0 ? image.values[p] : sum_[p] + image.values[p];
        }
    }
    double largest = 0;
    for (std::size_t p = 0; p < sum_.size(); ++p) {
        image.values[p] = sum_[p] / frames;
        largest = std::max(largest, image.values[p]);
    }
    image.maximum = largest;
    image.ValuesChanged();
}

} // namespace diffrascope::optics
