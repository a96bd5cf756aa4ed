#include "Sampling.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "Limits.h"
#include "OpticsError.h"
#include "PupilSampler.h"
#include "Units.h"
#include "WavefrontMap.h"

namespace diffrascope::optics {
namespace {

constexpr std::int32_t kRadialSamples = 48;
constexpr std::int32_t kAngularSamples = 360;
constexpr double kTwoPi = 2 * 3.141592653589793;
constexpr double kBlurMargin = 1.2;   // the field's radius over the blur disc's
constexpr double kRingsMargin = 8;    // λ/D of the longest wavelength, for the rings beyond the edge
constexpr std::int32_t kAnyGrid = 64; // a sampler's grid for evaluating the wavefront alone
constexpr double kVaneSteps = 1;      // a vane at least this many grid steps wide
constexpr std::int32_t kZoneSamples = 24; // radii either side of a zone's middle, an eighth of its width apart
constexpr double kZoneSpacing = 0.125;    // of the zone's width

// Fixed-point text with a full stop whatever the locale.
std::string Fixed(double value, int decimals) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, result.ptr);
}

// Grids needed for the wavefront's slope (any wavelength) and for the vanes (the longest).
double GridForSlope(double slope, double reference) { return 2 * slope * reference / PupilRadius(1, 1); }

double GridForVanes(double width, double longest) {
    if (width == 0) {
        return 0;
    }
    return kVaneSteps * longest / (2 * width * PupilRadius(1, 1)); // vane width in steps: width x 2R
}

// Roughness's highest frequency, TO cycles per diameter, has two grid steps
// to a cycle when the pupil radius at the longest wavelength is TO steps; its
// halo, TO lambda/D out, then lies within the picture's half-width.
double GridForFrequency(std::int32_t frequency, double longest) {
    return frequency == 0 ? 0 : frequency / PupilRadius(1, longest);
}

std::int32_t PowerOfTwoAtLeast(double size) {
    std::int32_t n = kSmallestGrid;
    while (n < size && n < kLargestGrid) {
        n *= 2;
    }
    return n;
}

// The wavefront's gradient without its focus at the sample points, with the
// points themselves: a focus F adds 2 F (x, y) to each.
struct GradientSamples {
    std::vector<double> x, y, gx, gy;

    double Steepest(double focus) const {
        double steepest2 = 0;
        for (std::size_t k = 0; k < x.size(); ++k) {
            const double sx = gx[k] + 2 * focus * x[k];
            const double sy = gy[k] + 2 * focus * y[k];
            steepest2 = std::max(steepest2, sx * sx + sy * sy);
        }
        return std::sqrt(steepest2);
    }
};

// The radii of the sampling circles: evenly over the annulus, and finely across every zone.
std::vector<double> SampleRadii(const OpticalSystem &system) {
    const double inner = system.aperture.obstruction;
    std::vector<double> radii;
    for (std::int32_t r = 0; r <= kRadialSamples; ++r) {
        radii.push_back(inner + (1 - inner) * r / kRadialSamples);
    }
    for (const Zone &zone : system.figure.zones) {
        for (std::int32_t k = -kZoneSamples; k <= kZoneSamples; ++k) {
            const double u = zone.radius + k * kZoneSpacing * zone.width;
            if (u >= inner && u <= 1) {
                radii.push_back(u);
            }
        }
    }
    return radii;
}

GradientSamples SampleGradient(const OpticalSystem &system, const Checkpoint &checkpoint) {
    OpticalSystem smooth = system; // the analytic terms: roughness and a measured map come as samples
    smooth.aberrations.focus = 0;
    smooth.figure.roughness.rms = 0;
    smooth.figure.measured = nullptr;
    const PupilSampler sampler(smooth, kAnyGrid, system.wavelength);
    std::vector<double> cosines(kAngularSamples);
    std::vector<double> sines(kAngularSamples);
    for (std::int32_t t = 0; t < kAngularSamples; ++t) {
        const double theta = kTwoPi * t / kAngularSamples;
        cosines[t] = std::cos(theta);
        sines[t] = std::sin(theta);
    }
    // Without coma, astigmatism, Zernike terms or irregular errors the gradient is radial and one direction tells all.
    const bool radial = system.aberrations.WindowTermsOnly() && system.figure.Radial();
    const std::int32_t angles = radial ? 1 : kAngularSamples;
    const std::vector<double> radii = SampleRadii(system);
    const std::vector<SlopeSample> irregular = IrregularSlopes(system);
    GradientSamples samples;
    const std::size_t count = radii.size() * static_cast<std::size_t>(angles) + irregular.size();
    for (std::vector<double> *values : {&samples.x, &samples.y, &samples.gx, &samples.gy}) {
        values->reserve(count);
    }
    auto add = [&](double x, double y, Vector2 g) {
        samples.x.push_back(x);
        samples.y.push_back(y);
        samples.gx.push_back(g.x);
        samples.gy.push_back(g.y);
    };
    for (double u : radii) {
        checkpoint.ThrowIfStopped();
        for (std::int32_t t = 0; t < angles; ++t) {
            const double x = u * cosines[t];
            const double y = u * sines[t];
            add(x, y, sampler.WavefrontGradient(x, y));
        }
    }
    // Roughness and a measured map: the slope of their own sampled representation, with the smooth terms'.
    for (const SlopeSample &sample : irregular) {
        const Vector2 g = sampler.WavefrontGradient(sample.at.x, sample.at.y);
        add(sample.at.x, sample.at.y, {g.x + sample.slope.x, g.y + sample.slope.y});
    }
    checkpoint.ThrowIfStopped();
    return samples;
}

// "the field of 20.0 λ/D is narrower than 256 pixels of 0.200 λ/D": a panel
// pixel is at least a grid pixel, whose size the wavelength sets.
std::string NarrowerThanPixels(const char *what, double width, std::int32_t side, double pixelScale) {
    return std::string("the ") + what + " of " + Fixed(width, 1) + " λ/D is narrower than " + std::to_string(side) +
           " pixels of " + Fixed(pixelScale, 3) + " λ/D";
}

} // namespace

double SteepestSlope(const OpticalSystem &system) {
    return SampleGradient(system, Checkpoint()).Steepest(system.aberrations.focus);
}

double BlurRadius(const OpticalSystem &system) { return 2 * SteepestSlope(system); }

SamplingNeeds::SamplingNeeds(const OpticalSystem &system, const std::vector<double> &focus, const Spectrum &spectrum,
                             const Checkpoint &checkpoint) {
    const GradientSamples samples = SampleGradient(system, checkpoint);
    for (double f : focus) {
        slope_ = std::max(slope_, samples.Steepest(f));
    }
    Settle(system, spectrum);
}

SamplingNeeds::SamplingNeeds(const OpticalSystem &system, const Spectrum &spectrum)
    : SamplingNeeds(system, {system.aberrations.focus}, spectrum) {}

void SamplingNeeds::Settle(const OpticalSystem &system, const Spectrum &spectrum) {
    reference_ = system.wavelength;
    longest_ = spectrum.Longest(reference_);
    vaneWidth_ = system.aperture.spider.vanes > 0 ? system.aperture.spider.width : 0;
    frequency_ = system.figure.HasRoughness() ? system.figure.roughness.to : 0;
    grid_ = std::max({GridForSlope(slope_, reference_), GridForVanes(vaneWidth_, longest_),
                      GridForFrequency(frequency_, longest_)});
}

std::optional<std::int32_t> SamplingNeeds::SmallestGrid() const {
    const std::int32_t n = PowerOfTwoAtLeast(grid_);
    return n >= grid_ ? std::optional<std::int32_t>(n) : std::nullopt;
}

std::vector<std::string> SamplingNeeds::Warnings(std::int32_t n) const {
    std::vector<std::string> warnings;
    const std::optional<std::int32_t> smallest = SmallestGrid();
    const std::string remedy = smallest ? "the smallest grid that does is " + std::to_string(*smallest)
                                        : "no grid up to " + std::to_string(kLargestGrid) + " does";
    const double radius = PupilRadius(n, reference_);
    if (2 * slope_ > radius) {
        const double field = n * PixelScale(reference_);
        warnings.push_back("the " + std::to_string(n) + " grid undersamples the wavefront: its phase turns by up to " +
                           Fixed(2 * slope_ / radius, 2) + " π between neighbouring grid points, and the " +
                           "blur disc (radius " + Fixed(2 * slope_, 1) + " λ/D) wraps around the " + "picture's " +
                           Fixed(field, 1) + " λ/D; " + remedy);
    }
    if (vaneWidth_ > 0 && GridForVanes(vaneWidth_, longest_) > n) {
        const double steps = 2 * vaneWidth_ * PupilRadius(n, longest_);
        warnings.push_back("the " + std::to_string(n) + " grid draws the spider's vanes " + Fixed(steps, 2) +
                           " grid steps wide, less than one step; " + remedy);
    }
    if (GridForFrequency(frequency_, longest_) > n) {
        warnings.push_back("the " + std::to_string(n) + " grid samples the roughness's " + std::to_string(frequency_) +
                           " cycles per diameter with fewer than two grid steps to a cycle, and its halo (" +
                           std::to_string(frequency_) + " λ/D) lies beyond the picture; " + remedy);
    }
    return warnings;
}

std::int32_t BinOfField(double width, std::int32_t side, double pixelScale) {
    return std::max(1, static_cast<std::int32_t>(std::ceil(width / (side * pixelScale) - 1e-9)));
}

FieldPlan PlanPanels(const SamplingNeeds &needs, const FieldRequest &request) {
    FieldPlan plan;
    const double reference = needs.Reference();
    plan.pixelScale = PixelScale(reference);
    const double reach = std::max(kBlurMargin * 2 * needs.Slope(), needs.Halo()); // lambda/D from the axis
    const double wanted =
        request.width ? *request.width : 2 * (reach + kRingsMargin * needs.Longest() / reference);
    const std::int32_t side = request.side;
    std::int32_t bin = BinOfField(wanted, side, plan.pixelScale);
    if (request.grid) {
        if (*request.grid < side) {
            throw ParameterError("panel", "a panel of " + std::to_string(side) + " pixels is larger than the grid of " +
                                              std::to_string(*request.grid));
        }
        plan.grid = *request.grid;
    } else {
        plan.grid = PowerOfTwoAtLeast(std::max(static_cast<double>(side) * bin, needs.GridNeeded()));
    }
    if (static_cast<std::int64_t>(side) * bin > plan.grid) {
        bin = plan.grid / side;
    }
    plan.view = CentredView(plan.grid, side, bin);
    plan.width = side * bin * plan.pixelScale;
    plan.warnings = needs.Warnings(plan.grid);
    if (plan.width < wanted * (1 - 1e-9)) {
        plan.warnings.push_back("the field of " + Fixed(wanted, 1) + " λ/D does not fit the " +
                                std::to_string(plan.grid) + " grid; the panels show " + Fixed(plan.width, 1) +
                                " λ/D");
    }
    if (request.width && plan.width > wanted * (1 + 1e-9)) {
        plan.warnings.push_back(NarrowerThanPixels("field", wanted, side, plan.pixelScale) + "; the panels show " +
                                Fixed(plan.width, 1) + " λ/D");
    }
    if (request.focusWidth) {
        const std::int32_t focusBin = std::min(BinOfField(*request.focusWidth, side, plan.pixelScale), plan.grid / side);
        plan.focusView = CentredView(plan.grid, side, focusBin);
        plan.focusWidth = side * focusBin * plan.pixelScale;
        if (plan.focusWidth < *request.focusWidth * (1 - 1e-9)) {
            plan.warnings.push_back("the focus field of " + Fixed(*request.focusWidth, 1) + " λ/D does not fit the " +
                                    std::to_string(plan.grid) + " grid; the focus panel shows " +
                                    Fixed(plan.focusWidth, 1) + " λ/D");
        }
        if (plan.focusWidth > *request.focusWidth * (1 + 1e-9)) {
            plan.warnings.push_back(NarrowerThanPixels("focus field", *request.focusWidth, side, plan.pixelScale) +
                                    "; the focus panel shows " + Fixed(plan.focusWidth, 1) + " λ/D");
        }
    }
    return plan;
}

} // namespace diffrascope::optics
