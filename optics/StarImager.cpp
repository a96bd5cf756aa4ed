#include "StarImager.h"

#include <algorithm>

namespace diffrascope::optics {
namespace {

constexpr double kPixelScaleAt1nm = 110; // lambda/D per pixel times the wavelength in nm: 2 (0.1 x 550)

double Sum(const std::vector<double> &values) {
    double sum = 0;
    for (double v : values) {
        sum += v;
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

StarImager::StarImager(std::int32_t n, std::int32_t threads) : field_(n, threads) {}

IntensityImage StarImager::Compute(const PupilSpec &pupil, const Spectrum &spectrum) {
    if (spectrum.lines.empty()) {
        return Monochromatic(pupil, pupil.wavelength);
    }
    if (spectrum.lines.size() == 1) {
        return Monochromatic(pupil, spectrum.lines.front().nanometres);
    }
    return White(pupil, spectrum);
}

IntensityImage StarImager::Monochromatic(const PupilSpec &pupil, double wavelength) {
    const std::int32_t n = field_.Size();
    field_.Compute(PupilSampler(pupil, n, wavelength));
    IntensityImage image;
    image.n = n;
    image.values.assign(field_.Intensity(), field_.Intensity() + static_cast<std::size_t>(n) * n);
    image.maximum = field_.Maximum();
    image.flux = Sum(image.values);
    return image;
}

IntensityImage StarImager::White(const PupilSpec &pupil, const Spectrum &spectrum) {
    const std::int32_t n = field_.Size();
    const std::size_t count = static_cast<std::size_t>(n) * n;
    double totalWeight = 0;
    for (const SpectralLine &line : spectrum.lines) {
        totalWeight += line.weight;
    }
    IntensityImage image;
    image.n = n;
    image.values.assign(count, 0.0);
    for (const SpectralLine &line : spectrum.lines) {
        if (line.weight == 0) {
            continue;
        }
        field_.Compute(PupilSampler(pupil, n, line.nanometres));
        const double *intensity = field_.Intensity();
        double flux = 0;
        for (std::size_t k = 0; k < count; ++k) {
            flux += intensity[k];
        }
        if (flux == 0) {
            continue; // no grid point of this wavelength's pupil is lit: it brings no light
        }
        const double factor = (line.weight / totalWeight) / flux;
        for (std::size_t k = 0; k < count; ++k) {
            image.values[k] += factor * intensity[k];
        }
    }
    image.maximum = Largest(image.values);
    image.flux = Sum(image.values);
    return image;
}

} // namespace diffrascope::optics
