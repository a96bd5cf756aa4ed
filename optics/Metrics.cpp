#include "Metrics.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace diffrascope::optics {
namespace {

constexpr std::int32_t kSubsamples = 16; // per pixel side, for pixels the circle's edge crosses
constexpr double kHalf = 0.5;
constexpr std::int32_t kBisections = 40;
constexpr double kTwoPi = 2 * 3.141592653589793;
constexpr double kEe50 = 0.5; // fractions of the flux whose radii are measured
constexpr double kEe80 = 0.8;

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

// The pixels' squared distances from the axis that matter for a radius
// near r: those of the box of half-side h about grid point (n/2, n/2), in the
// grid's own order (row after row), so that every sum below adds the same
// values in the same order as a pass over the whole grid would.
struct Box {
    std::int32_t first;
    std::int32_t last;
};

Box BoxAbout(const IntensityImage &image, std::int32_t half) {
    const std::int32_t centre = image.n / 2;
    return {std::max(0, centre - half), std::min(image.n - 1, centre + half)};
}

// floor of the distance of the pixel centre from the axis: the integer square
// root of d, which is what std::hypot of the offsets truncates to.
std::size_t RingOf(std::int32_t d) { return static_cast<std::size_t>(std::sqrt(static_cast<double>(d))); }

// The light of the pixels whose centres lie k to k + 1 pixels from the axis,
// for every k up to the first ring at which `wanted` of the flux is reached
// (or for all rings when it never is). Rings grow box by box: ring k lies
// within the box of half-side k, and each pass adds only the rings beyond the
// last box, in the grid's order.
std::vector<double> Rings(const IntensityImage &image, double wanted, const Checkpoint &checkpoint) {
    const std::int32_t centre = image.n / 2;
    std::vector<double> rings(static_cast<std::size_t>(image.n) + 2, 0.0); // reaches past the corners
    std::int32_t complete = -1; // rings 0 .. complete are summed
    double within = 0;
    for (std::int32_t half = 16;; half *= 2) {
        const Box box = BoxAbout(image, half);
        const bool whole = box.first == 0 && box.last == image.n - 1;
        const std::int32_t newest = whole ? static_cast<std::int32_t>(rings.size()) - 1 : half;
        for (std::int32_t i = box.first; i <= box.last; ++i) {
            checkpoint.ThrowIfStopped();
            const std::int32_t di = i - centre;
            for (std::int32_t j = box.first; j <= box.last; ++j) {
                const std::int32_t dj = j - centre;
                const std::size_t ring = RingOf(di * di + dj * dj);
                if (static_cast<std::int32_t>(ring) > complete && static_cast<std::int32_t>(ring) <= newest) {
                    rings[ring] += image.At(i, j);
                }
            }
        }
        for (std::int32_t k = complete + 1; k <= newest; ++k) {
            within += rings[static_cast<std::size_t>(k)];
        }
        complete = newest;
        if (whole || within >= wanted) {
            return rings;
        }
    }
}

// A pixel of the thin annulus where the radius is sought, with what decides
// how much of it a circle of squared radius r2 covers, as PartInside decides it.
struct EdgePixel {
    double x;
    double y;
    double value;
    double near2; // squared distance of the square's nearest point
    double far2;  // and of its farthest

    double Part(double r2) const {
        if (near2 >= r2) {
            return 0;
        }
        if (far2 <= r2) {
            return 1;
        }
        double xx[kSubsamples];
        double yy[kSubsamples];
        for (std::int32_t k = 0; k < kSubsamples; ++k) {
            const double sx = x - kHalf + (k + kHalf) / kSubsamples;
            const double sy = y - kHalf + (k + kHalf) / kSubsamples;
            xx[k] = sx * sx;
            yy[k] = sy * sy;
        }
        std::int32_t inside = 0;
        for (std::int32_t u = 0; u < kSubsamples; ++u) {
            for (std::int32_t v = 0; v < kSubsamples; ++v) {
                inside += xx[u] + yy[v] <= r2 ? 1 : 0;
            }
        }
        return static_cast<double>(inside) / (kSubsamples * kSubsamples);
    }
};

EdgePixel MakeEdgePixel(double x, double y, double value) {
    const double nearX = std::max(std::fabs(x) - kHalf, 0.0);
    const double nearY = std::max(std::fabs(y) - kHalf, 0.0);
    const double farX = std::fabs(x) + kHalf;
    const double farY = std::fabs(y) + kHalf;
    return {x, y, value, nearX * nearX + nearY * nearY, farX * farX + farY * farY};
}

// The radius in pixels holding the fraction of the flux; none if the grid
// holds less. The rings narrow it down to a few pixels; bisection then weighs
// only the pixels of that thin annulus, the pixels inside it counting whole.
// A pixel whose share is the same at both ends of the bracket keeps it for
// every radius between (the share grows with the radius), so only the
// pixels that the bracket still cuts are weighed again.
std::optional<double> RadiusHolding(const IntensityImage &image, const std::vector<double> &rings, double fraction,
                                    const Checkpoint &checkpoint) {
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
    std::vector<EdgePixel> edge;
    edge.reserve(static_cast<std::size_t>(kTwoPi * (high + 1) * (high - low + 2))); // the annulus's area
    const Box box = BoxAbout(image, static_cast<std::int32_t>(high) + 1); // no square beyond reaches `high`
    for (std::int32_t i = box.first; i <= box.last; ++i) {
        checkpoint.ThrowIfStopped();
        for (std::int32_t j = box.first; j <= box.last; ++j) {
            const double x = i - centre;
            const double y = j - centre;
            const double part = PartInside(x, y, low);
            if (part == 1) {
                inside += image.At(i, j);
            } else if (PartInside(x, y, high) > 0) {
                edge.push_back(MakeEdgePixel(x, y, image.At(i, j)));
            }
        }
    }
    std::vector<double> partLow(edge.size());
    std::vector<double> partHigh(edge.size());
    std::vector<double> partMiddle(edge.size());
    for (std::size_t k = 0; k < edge.size(); ++k) {
        partLow[k] = edge[k].Part(low * low);
        partHigh[k] = edge[k].Part(high * high);
    }
    for (std::int32_t step = 0; step < kBisections; ++step) {
        checkpoint.ThrowIfStopped();
        const double middle = (low + high) / 2;
        const double r2 = middle * middle;
        double sum = inside;
        for (std::size_t k = 0; k < edge.size(); ++k) {
            partMiddle[k] = partLow[k] == partHigh[k] ? partLow[k] : edge[k].Part(r2);
            sum += partMiddle[k] * edge[k].value;
        }
        if (sum < wanted) {
            low = middle;
            partLow.swap(partMiddle);
        } else {
            high = middle;
            partHigh.swap(partMiddle);
        }
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
    return Measure(image, referencePeak, pixelScale, radii, Checkpoint());
}

Metrics Measure(const IntensityImage &image, double referencePeak, double pixelScale,
                const std::vector<double> &radii, const Checkpoint &checkpoint) {
    Metrics m;
    m.strehl = referencePeak > 0 ? image.maximum / referencePeak : 0;
    // The first pixel holding the maximum, in the grid's order.
    const auto peak = std::find(image.values.begin(), image.values.end(), image.maximum) - image.values.begin();
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
    checkpoint.ThrowIfStopped();
    const std::vector<double> rings = Rings(image, kEe80 * image.Flux(), checkpoint);
    if (auto r = RadiusHolding(image, rings, kEe50, checkpoint)) {
        m.ee50 = *r * pixelScale;
    }
    if (auto r = RadiusHolding(image, rings, kEe80, checkpoint)) {
        m.ee80 = *r * pixelScale;
    }
    return m;
}

} // namespace diffrascope::optics
