#include "Sampling.h"

#include <algorithm>
#include <cmath>
#include <charconv>

#include "Errors.h"

namespace diffrascope::optics {
namespace {

constexpr std::int32_t kRadialSamples = 48;
constexpr std::int32_t kAngularSamples = 360;
constexpr double kSlopeStep = 1e-6; // pupil radii, for central differences
constexpr double kTwoPi = 2 * 3.141592653589793;
constexpr double kGridScaleTimes550 = 0.1 * 550; // R = 0.1 N 550 / lambda grid steps
constexpr double kBlurMargin = 1.2;          // the field's radius over the blur disc's
constexpr double kRingsMargin = 8;           // λ/D of the longest wavelength, for the rings beyond the edge
constexpr std::int32_t kAnyGrid = 64;        // a sampler's grid for evaluating the wavefront alone
constexpr double kVaneSteps = 1;             // a vane at least this many grid steps wide

// Fixed-point text with a full stop whatever the locale.
std::string Fixed(double value, int decimals) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, result.ptr);
}

// The pupil radius in grid steps of the grid n at a wavelength.
double PupilRadius(std::int32_t n, double wavelength) { return kGridScaleTimes550 * n / wavelength; }

// Grids needed for the wavefront's slope (any wavelength) and for the vanes (the longest).
double GridForSlope(double slope, double reference) { return 2 * slope * reference / kGridScaleTimes550; }

double GridForVanes(const OpticalSystem &pupil, double longest) {
    const Spider &spider = pupil.aperture.spider;
    if (spider.vanes == 0) {
        return 0;
    }
    // vane width in steps: width x 2R
    return kVaneSteps * longest / (2 * spider.width * kGridScaleTimes550);
}

std::int32_t PowerOfTwoAtLeast(double size) {
    std::int32_t n = kSmallestGrid;
    while (n < size && n < kLargestGrid) {
        n *= 2;
    }
    return n;
}

// What a set of pupils asks of a grid, worked out once.
struct Needs {
    double slope = 0;     // the steepest of all, waves per pupil radius
    double reference = 550;
    double longest = 550; // the spectrum's longest wavelength
    double grid = 0;      // the smallest grid size that samples them, not yet a power of two
};

Needs NeedsOf(const std::vector<OpticalSystem> &pupils, const Spectrum &spectrum) {
    Needs needs;
    if (!pupils.empty()) {
        needs.reference = pupils.front().wavelength;
        needs.longest = spectrum.Longest(needs.reference);
    }
    double vanes = 0;
    for (const OpticalSystem &pupil : pupils) {
        needs.slope = std::max(needs.slope, SteepestSlope(pupil));
        vanes = std::max(vanes, GridForVanes(pupil, needs.longest));
    }
    const double slope = GridForSlope(needs.slope, needs.reference);
    needs.grid = std::max(slope, vanes);
    return needs;
}

std::optional<std::int32_t> SmallestGrid(const Needs &needs) {
    const std::int32_t n = PowerOfTwoAtLeast(needs.grid);
    return n >= needs.grid ? std::optional<std::int32_t>(n) : std::nullopt;
}

std::vector<std::string> Warnings(const Needs &needs, const std::vector<OpticalSystem> &pupils, std::int32_t n) {
    std::vector<std::string> warnings;
    const std::optional<std::int32_t> smallest = SmallestGrid(needs);
    const std::string remedy = smallest ? "the smallest grid that does is " + std::to_string(*smallest)
                                        : "no grid up to " + std::to_string(kLargestGrid) + " does";
    const double radius = PupilRadius(n, needs.reference);
    if (2 * needs.slope > radius) {
        const double field = n * PixelScale(needs.reference);
        warnings.push_back("the " + std::to_string(n) + " grid undersamples the wavefront: its phase turns by up to " +
                           Fixed(2 * needs.slope / radius, 2) + " π between neighbouring grid points, and the " +
                           "blur disc (radius " + Fixed(2 * needs.slope, 1) + " λ/D) wraps around the " +
                           "picture's " + Fixed(field, 1) + " λ/D; " + remedy);
    }
    for (const OpticalSystem &pupil : pupils) {
        if (pupil.aperture.spider.vanes > 0 && GridForVanes(pupil, needs.longest) > n) {
            const double steps = 2 * pupil.aperture.spider.width * PupilRadius(n, needs.longest);
            warnings.push_back("the " + std::to_string(n) + " grid draws the spider's vanes " + Fixed(steps, 2) +
                               " grid steps wide, less than one step; " + remedy);
            break;
        }
    }
    return warnings;
}

} // namespace

double SteepestSlope(const OpticalSystem &pupil) {
    const PupilSampler sampler(pupil, kAnyGrid, pupil.wavelength);
    auto wavefront = [&](double x, double y) { return sampler.Wavefront(x, y, x * x + y * y); };
    const double inner = pupil.aperture.obstruction;
    double steepest = 0;
    for (std::int32_t r = 0; r <= kRadialSamples; ++r) {
        const double u = inner + (1 - inner) * r / kRadialSamples;
        for (std::int32_t t = 0; t < kAngularSamples; ++t) {
            const double theta = kTwoPi * t / kAngularSamples;
            const double x = u * std::cos(theta);
            const double y = u * std::sin(theta);
            const double dx = (wavefront(x + kSlopeStep, y) - wavefront(x - kSlopeStep, y)) / (2 * kSlopeStep);
            const double dy = (wavefront(x, y + kSlopeStep) - wavefront(x, y - kSlopeStep)) / (2 * kSlopeStep);
            steepest = std::max(steepest, std::hypot(dx, dy));
        }
    }
    return steepest;
}

double BlurRadius(const OpticalSystem &pupil) { return 2 * SteepestSlope(pupil); }

std::optional<std::int32_t> SmallestSampledGrid(const std::vector<OpticalSystem> &pupils, const Spectrum &spectrum) {
    return SmallestGrid(NeedsOf(pupils, spectrum));
}

std::vector<std::string> SamplingWarnings(const std::vector<OpticalSystem> &pupils, const Spectrum &spectrum,
                                          std::int32_t n) {
    return Warnings(NeedsOf(pupils, spectrum), pupils, n);
}

FieldPlan PlanPanels(const std::vector<OpticalSystem> &pupils, const Spectrum &spectrum, const FieldRequest &request) {
    FieldPlan plan;
    const double reference = pupils.empty() ? 550 : pupils.front().wavelength;
    plan.pixelScale = PixelScale(reference);
    const Needs needs = NeedsOf(pupils, spectrum);
    const double wanted = request.width ? *request.width
                                        : 2 * (kBlurMargin * 2 * needs.slope + kRingsMargin * needs.longest / reference);
    const std::int32_t side = request.side;
    std::int32_t bin = std::max(1, static_cast<std::int32_t>(std::ceil(wanted / (side * plan.pixelScale) - 1e-9)));
    if (request.grid) {
        if (*request.grid < side) {
            throw InvalidInputError("a panel of " + std::to_string(side) + " pixels is larger than the grid of " +
                                    std::to_string(*request.grid));
        }
        plan.grid = *request.grid;
    } else {
        plan.grid = PowerOfTwoAtLeast(std::max(static_cast<double>(side) * bin, needs.grid));
    }
    if (static_cast<std::int64_t>(side) * bin > plan.grid) {
        bin = plan.grid / side;
    }
    plan.view = CentredView(plan.grid, side, bin);
    plan.width = side * bin * plan.pixelScale;
    plan.warnings = Warnings(needs, pupils, plan.grid);
    if (plan.width < wanted * (1 - 1e-9)) {
        plan.warnings.push_back("the field of " + Fixed(wanted, 1) + " λ/D does not fit the " +
                                std::to_string(plan.grid) + " grid; the panels show " + Fixed(plan.width, 1) +
                                " λ/D");
    }
    return plan;
}

} // namespace diffrascope::optics
