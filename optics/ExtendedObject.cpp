#include "ExtendedObject.h"

#include <algorithm>
#include <cmath>

namespace diffrascope::optics {
namespace {

constexpr double kHalfPixel = 0.5;

// One object pixel's share of one grid pixel along an axis.
struct Share {
    std::int32_t grid;
    double weight;
};

// For each of `count` object pixels along an axis, the grid pixels it covers
// and the fraction of its length over each: object edge u lies at grid
// coordinate n/2 + (u - count/2) ratio, grid pixel k spanning k - 1/2 to k + 1/2.
std::vector<std::vector<Share>> Shares(std::int32_t count, double ratio, std::int32_t n) {
    std::vector<std::vector<Share>> shares(static_cast<std::size_t>(count));
    const double centre = n / 2;
    for (std::int32_t c = 0; c < count; ++c) {
        const double from = centre + (c - count / 2.0) * ratio;
        const double to = from + ratio;
        const auto first = std::max<std::int32_t>(0, static_cast<std::int32_t>(std::floor(from + kHalfPixel)));
        const auto last = std::min<std::int32_t>(n - 1, static_cast<std::int32_t>(std::floor(to + kHalfPixel)));
        for (std::int32_t k = first; k <= last; ++k) {
            const double overlap = std::min(to, k + kHalfPixel) - std::max(from, k - kHalfPixel);
            if (overlap > 0) {
                shares[static_cast<std::size_t>(c)].push_back({k, overlap / ratio});
            }
        }
    }
    return shares;
}

// Index of plane point (p, q) of a plane of side m.
std::size_t At(std::int32_t p, std::int32_t q, std::int32_t m) { return static_cast<std::size_t>(p) * m + q; }

// The star image normalised to a flux of 1, its centre (n/2, n/2) moved to
// the plane's origin, negative offsets wrapped to the plane's far end.
std::vector<double> CentredStar(const IntensityImage &star, std::int32_t m) {
    const std::int32_t n = star.n;
    const double flux = star.Flux();
    std::vector<double> plane(static_cast<std::size_t>(m) * m, 0.0);
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t p = (i - n / 2 + m) % m;
        for (std::int32_t j = 0; j < n; ++j) {
            plane[At(p, (j - n / 2 + m) % m, m)] = star.At(i, j) / flux;
        }
    }
    return plane;
}

// The object's grid in the plane's middle: grid point (i, j) at (i + n/2, j + n/2).
std::vector<double> PlacedObject(const std::vector<double> &grid, std::int32_t n, std::int32_t m) {
    std::vector<double> plane(static_cast<std::size_t>(m) * m, 0.0);
    for (std::int32_t i = 0; i < n; ++i) {
        std::copy_n(grid.data() + static_cast<std::size_t>(i) * n, n, plane.data() + At(i + n / 2, n / 2, m));
    }
    return plane;
}

} // namespace

std::vector<double> ResampleObject(const ObjectImage &object, double objectArcseconds, double gridArcseconds,
                                   std::int32_t n) {
    const double ratio = objectArcseconds / gridArcseconds; // grid pixels per object pixel
    const auto columns = Shares(object.width, ratio, n);   // to grid rows i
    const auto rows = Shares(object.height, ratio, n);     // to grid columns j
    std::vector<double> across(static_cast<std::size_t>(object.height) * n, 0.0); // [row][i]
    for (std::int32_t r = 0; r < object.height; ++r) {
        for (std::int32_t c = 0; c < object.width; ++c) {
            const double value = object.At(c, r);
            for (const Share &share : columns[static_cast<std::size_t>(c)]) {
                across[static_cast<std::size_t>(r) * n + share.grid] += value * share.weight;
            }
        }
    }
    std::vector<double> grid(static_cast<std::size_t>(n) * n, 0.0);
    for (std::int32_t r = 0; r < object.height; ++r) {
        for (const Share &share : rows[static_cast<std::size_t>(r)]) {
            for (std::int32_t i = 0; i < n; ++i) {
                grid[static_cast<std::size_t>(i) * n + share.grid] +=
                    across[static_cast<std::size_t>(r) * n + i] * share.weight;
            }
        }
    }
    return grid;
}

double ObjectFlux(const ObjectImage &object) {
    double sum = 0;
    for (double value : object.values) {
        sum += value;
    }
    return sum;
}

double ObjectSpan(const SkyObject &object, double gridArcseconds) {
    const std::int32_t longer = std::max(object.image->width, object.image->height);
    return longer * object.arcsecondsPerPixel / gridArcseconds;
}

std::vector<std::complex<double>> ObjectSpectrum(const SkyObject &object, double gridArcseconds, std::int32_t n,
                                                 ImageTransform &plane, const Checkpoint &checkpoint) {
    const std::vector<double> grid = ResampleObject(*object.image, object.arcsecondsPerPixel, gridArcseconds, n);
    return plane.Forward(PlacedObject(grid, n, plane.Size()), checkpoint);
}

void ConvolveObject(IntensityImage &image, const std::vector<std::complex<double>> &objectSpectrum,
                    ImageTransform &plane, const Checkpoint &checkpoint) {
    const std::int32_t n = image.n;
    const std::int32_t m = plane.Size();
    // The product in the star's own spectrum: the object's, kept for the next panel, is not copied.
    std::vector<std::complex<double>> spectrum = plane.Forward(CentredStar(image, m), checkpoint);
    for (std::size_t k = 0; k < spectrum.size(); ++k) {
        spectrum[k] = objectSpectrum[k] * spectrum[k];
    }
    const std::vector<double> seen = plane.Inverse(std::move(spectrum), checkpoint);
    double maximum = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = 0; j < n; ++j) {
            // Rounding leaves the dark parts a few 1e-16 of the peak either side of 0.
            const double value = std::max(seen[At(i + n / 2, j + n / 2, m)], 0.0);
            image.values[static_cast<std::size_t>(i) * n + j] = value;
            maximum = std::max(maximum, value);
        }
    }
    image.maximum = maximum;
    image.ValuesChanged();
}

} // namespace diffrascope::optics
