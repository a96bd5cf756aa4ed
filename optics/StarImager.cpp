#include "StarImager.h"

#include <algorithm>

namespace diffrascope::optics {
namespace {

constexpr double kPixelScaleAt1nm = 110; // lambda/D per pixel times the wavelength in nm: 2 (0.1 x 550)

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

double PixelScale(double wavelength) { return kPixelScaleAt1nm / wavelength; }

double IntensityImage::Flux() const {
    if (!flux_) {
        flux_ = Sum(values.data(), values.size());
    }
    return *flux_;
}

StarImager::StarImager(std::int32_t n, std::int32_t threads) : field_(n, threads) {
    image_.n = n;
    image_.values.resize(static_cast<std::size_t>(n) * n);
}

const IntensityImage &StarImager::Compute(const OpticalSystem &pupil, const Spectrum &spectrum) {
    if (spectrum.lines.empty()) {
        Monochromatic(pupil, pupil.wavelength);
    } else if (spectrum.lines.size() == 1) {
        Monochromatic(pupil, spectrum.lines.front().nanometres);
    } else {
        White(pupil, spectrum);
    }
    image_.ValuesChanged();
    return image_;
}

void StarImager::Monochromatic(const OpticalSystem &pupil, double wavelength) {
    field_.Compute(PupilSampler(pupil, image_.n, wavelength), image_.values);
    image_.maximum = field_.Maximum();
}

void StarImager::White(const OpticalSystem &pupil, const Spectrum &spectrum) {
    const std::size_t count = image_.values.size();
    double totalWeight = 0;
    for (const SpectralLine &line : spectrum.lines) {
        totalWeight += line.weight;
    }
    line_.resize(count);
    std::fill(image_.values.begin(), image_.values.end(), 0.0);
    for (const SpectralLine &line : spectrum.lines) {
        if (line.weight == 0) {
            continue;
        }
        field_.Compute(PupilSampler(pupil, image_.n, line.nanometres), line_);
        const double flux = Sum(line_.data(), count);
        if (flux == 0) {
            continue; // no grid point of this wavelength's pupil is lit: it brings no light
        }
        const double factor = (line.weight / totalWeight) / flux;
        for (std::size_t k = 0; k < count; ++k) {
            image_.values[k] += factor * line_[k];
        }
    }
    image_.maximum = Largest(image_.values);
}

} // namespace diffrascope::optics
