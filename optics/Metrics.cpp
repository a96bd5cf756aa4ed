#include "Metrics.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace diffrascope::optics {
namespace {

constexpr std::int32_t kSubsamples = 16; // per pixel side, for pixels the circle's edge crosses
constexpr double kHalf = 0.5;
constexpr std::int32_t kBisections = 40;

// Part of the unit square centred on (x, y) that lies within radius of the origin.
double PartInside(double x, double y, double radius) {
    const double r2 = radius * radius;
    const double nearX = std::max(std::fabs(x) - kHalf, 0.0);
    const double nearY = std::max(std::fabs(y) - kHalf, 0.0);
    if (nearX * nearX + nearY * nearY >= r2) {
        return 0;
    }
    const double farX = std::fabs(x) + kHalf;
    const double farY = std::fabs(y) + kHalf;
    if (farX * farX + farY * farY <= r2) {
        return 1;
    }
    std::int32_t inside = 0;
    for (std::int32_t u = 0; u < kSubsamples; ++u) {
        const double sx = x - kHalf + (u + kHalf) / kSubsamples;
        for (std::int32_t v = 0; v < kSubsamples; ++v) {
            const double sy = y - kHalf + (v + kHalf) / kSubsamples;
            inside += sx * sx + sy * sy <= r2 ? 1 : 0;
        }
    }
    return static_cast<double>(inside) / (kSubsamples * kSubsamples);
}

// Where the values along a line through the peak fall below half of it, in
// pixels from the peak (interpolated); the far end when they never do.
double HalfMaximumDistance(const IntensityImage &image, std::int32_t i, std::int32_t j, std::int32_t di,
                           std::int32_t dj) {
    const double half = image.maximum * kHalf;
    double previous = image.maximum;
    for (std::int32_t step = 1;; ++step) {
        const std::int32_t row = i + step * di;
        const std::int32_t column = j + step * dj;
        if (row < 0 || row >= image.n || column < 0 || column >= image.n) {
            return step - 1;
        }
        const double value = image.values[static_cast<std::size_t>(row) * image.n + column];
        if (value < half) {
            return (step - 1) + (previous - half) / (previous - value);
        }
        previous = value;
    }
}

// The radius in pixels holding the fraction of the flux; none if the grid
// holds less. The pixels' centres narrow it down to a few pixels in one pass;
// bisection then weighs only the pixels of that thin annulus, the pixels
// inside it counting whole.
// The light of the pixels whose centres lie k to k + 1 pixels from the axis, for every k.
std::vector<double> Rings(const IntensityImage &image) {
    const std::int32_t centre = image.n / 2;
    std::vector<double> rings(static_cast<std::size_t>(image.n) + 2, 0.0); // reaches past the corners
    for (std::int32_t i = 0; i < image.n; ++i) {
        for (std::int32_t j = 0; j < image.n; ++j) {
            rings[static_cast<std::size_t>(std::hypot(i - centre, j - centre))] += image.At(i, j);
        }
    }
    return rings;
}

std::optional<double> RadiusHolding(const IntensityImage &image, const std::vector<double> &rings, double fraction) {
    const double flux = image.Flux();
    if (flux == 0) {
        return std::nullopt;
    }
    const std::int32_t centre = image.n / 2;
    const double wanted = fraction * flux;
    double within = 0;
    std::size_t ring = 0;
    while (ring < rings.size() && within + rings[ring] < wanted) {
        within += rings[ring++];
    }
    if (ring == rings.size()) {
        return std::nullopt;
    }
    // A pixel counted by its centre is at most half a diagonal from where its square lies.
    double low = std::max(0.0, static_cast<double>(ring) - 1);
    double high = static_cast<double>(ring) + 2;
    double inside = 0;
    struct Edge {
        double x;
        double y;
        double value;
    };
    std::vector<Edge> edge;
    for (std::int32_t i = 0; i < image.n; ++i) {
        for (std::int32_t j = 0; j < image.n; ++j) {
            const double x = i - centre;
            const double y = j - centre;
            const double part = PartInside(x, y, low);
            if (part == 1) {
                inside += image.At(i, j);
            } else if (PartInside(x, y, high) > 0) {
                edge.push_back({x, y, image.At(i, j)});
            }
        }
    }
    for (std::int32_t k = 0; k < kBisections; ++k) {
        const double middle = (low + high) / 2;
        double sum = inside;
        for (const Edge &e : edge) {
            sum += PartInside(e.x, e.y, middle) * e.value;
        }
        (sum < wanted ? low : high) = middle;
    }
    return (low + high) / 2;
}

} // namespace

double EncircledFraction(const IntensityImage &image, double radiusPixels) {
    if (image.Flux() == 0) {
        return 0;
    }
    const std::int32_t centre = image.n / 2;
    const std::int32_t reach = static_cast<std::int32_t>(std::ceil(radiusPixels)) + 1;
    const std::int32_t first = std::max(0, centre - reach);
    const std::int32_t last = std::min(image.n - 1, centre + reach);
    double inside = 0;
    for (std::int32_t i = first; i <= last; ++i) {
        for (std::int32_t j = first; j <= last; ++j) {
            const double part = PartInside(i - centre, j - centre, radiusPixels);
            if (part > 0) {
                inside += part * image.values[static_cast<std::size_t>(i) * image.n + j];
            }
        }
    }
    return inside / image.Flux();
}

Metrics Measure(const IntensityImage &image, double referencePeak, double pixelScale,
                const std::vector<double> &radii) {
    Metrics m;
    m.strehl = referencePeak > 0 ? image.maximum / referencePeak : 0;
    const auto peak = std::max_element(image.values.begin(), image.values.end()) - image.values.begin();
    m.peakX = static_cast<std::int32_t>(peak / image.n);
    m.peakY = static_cast<std::int32_t>(peak % image.n);
    m.peakOffsetX = (m.peakX - image.n / 2) * pixelScale;
    m.peakOffsetY = (image.n / 2 - m.peakY) * pixelScale; // picture rows run downward
    const double widthX = HalfMaximumDistance(image, m.peakX, m.peakY, 1, 0) +
                          HalfMaximumDistance(image, m.peakX, m.peakY, -1, 0);
    const double widthY = HalfMaximumDistance(image, m.peakX, m.peakY, 0, 1) +
                          HalfMaximumDistance(image, m.peakX, m.peakY, 0, -1);
    m.fwhm = (widthX + widthY) / 2 * pixelScale;
    std::vector<double> all(std::begin(kAiryDarkRings), std::end(kAiryDarkRings));
    all.insert(all.end(), radii.begin(), radii.end());
    for (double radius : all) {
        m.encircled.push_back({radius, EncircledFraction(image, radius / pixelScale)});
    }
    const std::vector<double> rings = Rings(image);
    if (auto r = RadiusHolding(image, rings, 0.5)) {
        m.ee50 = *r * pixelScale;
    }
    if (auto r = RadiusHolding(image, rings, 0.8)) {
        m.ee80 = *r * pixelScale;
    }
    return m;
}

} // namespace diffrascope::optics
