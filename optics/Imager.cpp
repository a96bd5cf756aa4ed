#include "Imager.h"

#include <algorithm>

#include "HugePages.h"
#include "PupilSampler.h"

namespace diffrascope::optics {
namespace {

constexpr std::size_t kAddedAtOnce = std::size_t{1} << 20; // values of a line added between looks at the stop token

double Sum(const double *values, std::size_t count) {
    double sum = 0;
    for (std::size_t k = 0; k < count; ++k) {
        sum += values[k];
    }
    return sum;
}

double Largest(const std::vector<double> &values) {
    double largest = 0;
    for (double v : values) {
        largest = v >= largest ? v : largest;
    }
    return largest;
}

} // namespace

std::int32_t FarFields(const Spectrum &spectrum) {
    if (spectrum.Monochromatic()) {
        return 1;
    }
    return static_cast<std::int32_t>(std::count_if(spectrum.lines.begin(), spectrum.lines.end(),
                                                   [](const SpectralLine &line) { return line.weight != 0; }));
}

// The sum in several running parts at once, so the additions do not wait on each other.
double IntensityImage::Flux() const {
    if (!flux_) {
        constexpr std::size_t kParts = 8;
        double parts[kParts] = {};
        const std::size_t whole = values.size() / kParts * kParts;
        for (std::size_t k = 0; k < whole; k += kParts) {
            for (std::size_t p = 0; p < kParts; ++p) {
                parts[p] += values[k + p];
            }
        }
        double sum = 0;
        for (std::size_t k = whole; k < values.size(); ++k) {
            sum += values[k];
        }
        for (double part : parts) {
            sum += part;
        }
        flux_ = sum;
    }
    return *flux_;
}

Imager::Imager(std::int32_t n, std::int32_t threads) : field_(n, threads) {}

void Imager::Compute(const OpticalSystem &system, const Spectrum &spectrum, IntensityImage &image) {
    Checkpoint never;
    Compute(system, spectrum, image, never);
}

IntensityImage Imager::Compute(const OpticalSystem &system, const Spectrum &spectrum) {
    IntensityImage image;
    Compute(system, spectrum, image);
    return image;
}

RoughnessSurface *Imager::RoughnessOf(const OpticalSystem &system) {
    if (!system.figure.HasRoughness()) {
        return nullptr;
    }
    if (!roughness_ || !roughness_->Serves(system, field_.Size())) {
        roughness_.reset();
        roughness_.emplace(system, field_.Size());
    }
    return &*roughness_;
}

void Imager::Compute(const OpticalSystem &system, const Spectrum &spectrum, IntensityImage &image,
                     Checkpoint &checkpoint) {
    Compute(system, spectrum, image, checkpoint, LineFilter());
}

void Imager::Compute(const OpticalSystem &system, const Spectrum &spectrum, IntensityImage &image,
                     Checkpoint &checkpoint, const LineFilter &filter) {
    const std::int32_t n = field_.Size();
    image.n = n;
    ResizeLarge(image.values, static_cast<std::size_t>(n) * n);
    image.ValuesChanged();
    if (spectrum.Monochromatic()) {
        const double wavelength = spectrum.lines.empty() ? system.wavelength : spectrum.lines.front().nanometres;
        checkpoint.Begin(1);
        field_.Compute(PupilSampler(system, n, wavelength, RoughnessOf(system)), image.values, checkpoint);
        checkpoint.End();
        if (filter) {
            filter(wavelength, image.values);
        }
        image.maximum = filter ? Largest(image.values) : field_.Maximum();
        return;
    }
    White(system, spectrum, image, checkpoint, filter);
}

FineField Imager::FineFieldOf(const OpticalSystem &system, const Spectrum &spectrum) const {
    if (spectrum.Monochromatic()) {
        if (std::optional<SampledPupil> pupil = field_.LastPupil()) {
            std::vector<SampledPupil> lines;
            lines.push_back(std::move(*pupil));
            return FineField(field_.Size(), std::move(lines));
        }
    }
    return FineField(system, spectrum, field_.Size());
}

void Imager::White(const OpticalSystem &system, const Spectrum &spectrum, IntensityImage &image,
                   Checkpoint &checkpoint, const LineFilter &filter) {
    const std::size_t count = image.values.size();
    double totalWeight = 0;
    for (const SpectralLine &line : spectrum.lines) {
        totalWeight += line.weight;
    }
    ResizeLarge(line_, count);
    std::fill(image.values.begin(), image.values.end(), 0.0);
    RoughnessSurface *roughness = RoughnessOf(system);
    for (const SpectralLine &line : spectrum.lines) {
        if (line.weight == 0) {
            continue;
        }
        checkpoint.Begin(1);
        field_.Compute(PupilSampler(system, image.n, line.nanometres, roughness), line_, checkpoint);
        checkpoint.End();
        if (filter) {
            filter(line.nanometres, line_);
        }
        const double flux = Sum(line_.data(), count);
        if (flux == 0) {
            continue; // no grid point of this wavelength's pupil is lit: it brings no light
        }
        const double factor = (line.weight / totalWeight) / flux;
        for (std::size_t start = 0; start < count; start += kAddedAtOnce) {
            checkpoint.ThrowIfStopped(); // a 4096 grid's sum takes tens of milliseconds
            const std::size_t end = std::min(count, start + kAddedAtOnce);
            for (std::size_t k = start; k < end; ++k) {
                image.values[k] += factor * line_[k];
            }
        }
    }
    image.maximum = Largest(image.values);
}

} // namespace diffrascope::optics
