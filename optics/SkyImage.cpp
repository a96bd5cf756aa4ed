#include "SkyImage.h"

#include <charconv>
#include <cmath>

#include "Companions.h"
#include "ExtendedObject.h"
#include "Units.h"

namespace diffrascope::optics {
namespace {

constexpr std::int32_t kPlaneFactor = 2; // the object's plane is twice the grid's side: nothing wraps

std::string Number(double value, int decimals) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    return std::string(text, end);
}

} // namespace

std::optional<double> GridArcseconds(std::optional<double> apertureMm, double wavelength, double pixelScale) {
    if (!apertureMm) {
        return std::nullopt;
    }
    return ArcsecondsPerLambdaOverD(wavelength, *apertureMm) * pixelScale;
}

ImageTransform &SkyImager::TransformOf(std::int32_t n) {
    if (!transform_ || transform_->Size() != n) {
        transform_.reset(); // the old tables go first
        transform_.emplace(n, threads_);
    }
    return *transform_;
}

const IntensityImage &SkyImager::Apply(const IntensityImage &star, const Sky &sky,
                                       std::optional<double> gridArcseconds, const Checkpoint &checkpoint) {
    if (sky.Empty()) {
        fluxUnit_ = star.Flux();
        return star;
    }
    image_.n = star.n;
    image_.values = star.values;
    image_.maximum = star.maximum;
    image_.ValuesChanged();
    if (!sky.companions.empty()) {
        AddCompanions(image_, sky.companions, *gridArcseconds, TransformOf(star.n), checkpoint);
        fluxUnit_ = image_.Flux();
    }
    if (sky.object) {
        const auto &spectrum = ObjectSpectrumOf(*sky.object, *gridArcseconds, star.n, checkpoint);
        ConvolveObject(image_, spectrum, TransformOf(kPlaneFactor * star.n), checkpoint);
        fluxUnit_ = 1;
    }
    return image_;
}

const std::vector<std::complex<double>> &SkyImager::ObjectSpectrumOf(const SkyObject &object, double gridArcseconds,
                                                                     std::int32_t n, const Checkpoint &checkpoint) {
    const ObjectKey key{object.image, object.arcsecondsPerPixel, gridArcseconds, n};
    if (objectKey_ != key) {
        objectKey_.reset(); // until the new spectrum is whole
        objectSpectrum_ = ObjectSpectrum(object, gridArcseconds, n, TransformOf(kPlaneFactor * n), checkpoint);
        objectKey_ = key;
    }
    return objectSpectrum_;
}

void NormalizeToFlux(Panel &panel, double fluxUnit) {
    const double pixels = static_cast<double>(panel.view.bin) * panel.view.bin; // grid pixels in a block
    const double factor = panel.brightest * pixels / fluxUnit;
    for (double &value : panel.values) {
        value *= factor;
    }
}

std::vector<std::string> SkyWarnings(const Sky &sky, double lambdaOverDArcseconds, double width) {
    std::vector<std::string> warnings;
    const double half = width / 2;
    for (const Companion &companion : sky.companions) {
        const GridOffset offset = CompanionOffset(companion, lambdaOverDArcseconds); // in lambda/D
        if (std::fabs(offset.i) > half || std::fabs(offset.j) > half) {
            warnings.push_back("the companion " + Number(companion.separation, 2) + "\" away at " +
                               Number(companion.positionAngle, 1) + " degrees lies outside the field of " +
                               Number(width, 1) + " λ/D (" + Number(width * lambdaOverDArcseconds, 2) +
                               "\"): widen --field or the grid");
        }
    }
    if (sky.object) {
        const double span = ObjectSpan(*sky.object, lambdaOverDArcseconds); // in lambda/D
        if (span > width) {
            warnings.push_back("the object spans " + Number(span, 1) + " λ/D, more than the field of " +
                               Number(width, 1) + " λ/D: its edges are cut");
        }
    }
    return warnings;
}

} // namespace diffrascope::optics
