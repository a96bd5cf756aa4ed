#include "Metrics.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "PixelArea.h"

namespace diffrascope::optics {
namespace {

constexpr double kHalf = 0.5;
constexpr double kEe50 = 0.5; // fractions of the flux whose radii are measured
constexpr double kEe80 = 0.8;
constexpr std::int32_t kFirstBox = 16;      // pixels: the first box about the axis summed for a radius
constexpr double kBracket = 2;               // pixels either side of the rings' estimate of a radius
constexpr std::int32_t kMostIterations = 60; // of the safeguarded Newton search for a radius
constexpr double kRadiusTolerance = 1e-10;   // pixels
// The pixel filter c0 + 2 c1 cos(2 pi k) + 2 c2 cos(4 pi k) = 1 - (pi k)^2/6 + (pi k)^4/120 + ...:
// c0 + 2 c1 + 2 c2 = 1, 4 c1 + 16 c2 = 1/6, 16 c1 + 256 c2 = 1/10.
constexpr double kFilterC2 = (0.1 - 16.0 / 24) / 192;
constexpr double kFilterC1 = 1.0 / 24 - 4 * kFilterC2;
constexpr double kPixelFilter[] = {1 - 2 * (kFilterC1 + kFilterC2), kFilterC1, kFilterC2};
constexpr std::int32_t kReach = 2; // pixels either side that the filter and the differences use

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

// Squared distances of a pixel's nearest and farthest points from the axis,
// for offsets (i, j) from the axis's pixel.
double Near2(std::int32_t i, std::int32_t j) {
    const double x = std::max(std::abs(i) - kHalf, 0.0);
    const double y = std::max(std::abs(j) - kHalf, 0.0);
    return x * x + y * y;
}

double Far2(std::int32_t i, std::int32_t j) {
    const double x = std::abs(i) + kHalf;
    const double y = std::abs(j) + kHalf;
    return x * x + y * y;
}

// The largest circle about the axis that the grid still holds a pixel of.
double LargestRadius(std::int32_t n) { return std::sqrt(2.0) * (n / 2 + 1); }

struct Enclosed {
    double light;  // within the circle, each pixel counted with the exact part of it inside
    double growth; // d(light) / d(radius)
};

// The light within a circle about the axis, of the continuous image the
// pixels sample: over each pixel the intensity is taken as its second-order
// Taylor expansion about the pixel's centre (derivatives by central
// differences), integrated exactly over the part of the pixel inside the
// circle. Whole pixels come from the rows' running sums of I + (I_ii + I_jj)/24
// over a box about the axis, the pixels the circle cuts one by one. The box
// grows as larger circles are asked for. Counting each pixel's centre value
// over its area alone would miss (1/24) times the flux of the intensity's
// gradient through the circle: 0.002 of the light at the annular aperture's
// first Airy ring.
class EncircledLight {
  public:
    EncircledLight(const IntensityImage &image, MetricsScratch &scratch)
        : image_(image), centre_(image.n / 2), across_(scratch.filtered), prefix_(scratch.prefix) {}

    // Sums over a box of half-side at least `half` are made at once.
    void Prepare(std::int32_t half, const Checkpoint &checkpoint) { Cover(half, checkpoint); }

    Enclosed At(double r, const Checkpoint &checkpoint) {
        Cover(static_cast<std::int32_t>(std::ceil(r)) + 1, checkpoint);
        const double r2 = r * r;
        const std::int32_t reach = std::min(static_cast<std::int32_t>(std::ceil(r + kHalf)), half_);
        Enclosed enclosed{0, 0};
        for (std::int32_t i = -reach; i <= reach; ++i) {
            if (centre_ + i < 0 || centre_ + i >= image_.n || Near2(i, 0) >= r2) {
                continue;
            }
            const std::int32_t whole = WholeReach(i, r2);
            if (whole >= 0) {
                enclosed.light += RowSum(i, -whole, whole);
            }
            for (std::int32_t j = whole + 1; j <= half_ && Near2(i, j) < r2; ++j) {
                AddCut(i, j, r, enclosed);
                if (j != 0) {
                    AddCut(i, -j, r, enclosed);
                }
            }
        }
        return enclosed;
    }

  private:
    // The largest |j| whose pixel in row offset i lies wholly inside r (-1 when none does).
    static std::int32_t WholeReach(std::int32_t i, double r2) {
        const double room = r2 - (std::abs(i) + kHalf) * (std::abs(i) + kHalf);
        std::int32_t j = room > 0 ? static_cast<std::int32_t>(std::sqrt(room) - kHalf) : -1;
        while (j >= 0 && Far2(i, j) > r2) {
            --j;
        }
        while (Far2(i, j + 1) <= r2) {
            ++j;
        }
        return j;
    }

    void AddCut(std::int32_t i, std::int32_t j, double r, Enclosed &enclosed) const {
        const std::int32_t column = centre_ + j;
        if (column < 0 || column >= image_.n) {
            return;
        }
        const Taylor t = TaylorAt(centre_ + i, column);
        const Coverage part = PixelInDisc(i, j, r);
        enclosed.light += part.area * t.value + part.mi * t.di + part.mj * t.dj +
                          (part.mii * t.dii + 2 * part.mij * t.dij + part.mjj * t.djj) / 2;
        enclosed.growth += part.arc * t.value + part.ai * t.di + part.aj * t.dj;
    }

    struct Taylor {
        double value = 0;
        double di = 0;
        double dj = 0;
        double dii = 0;
        double djj = 0;
        double dij = 0;
    };

    bool Interior(std::int32_t row, std::int32_t column) const {
        return row >= kReach && column >= kReach && row < image_.n - kReach && column < image_.n - kReach;
    }

    // The intensity and its derivatives at a pixel, by central differences of
    // fourth order; at the grid's edge, the value alone.
    Taylor TaylorAt(std::int32_t row, std::int32_t column) const {
        Taylor t;
        t.value = image_.At(row, column);
        if (!Interior(row, column)) {
            return t;
        }
        auto at = [&](std::int32_t di, std::int32_t dj) { return image_.At(row + di, column + dj); };
        auto slope = [&](double m2, double m1, double p1, double p2) { return (m2 - 8 * m1 + 8 * p1 - p2) / 12; };
        auto bend = [&](double m2, double m1, double p1, double p2) {
            return (-m2 + 16 * m1 - 30 * t.value + 16 * p1 - p2) / 12;
        };
        t.di = slope(at(-2, 0), at(-1, 0), at(1, 0), at(2, 0));
        t.dj = slope(at(0, -2), at(0, -1), at(0, 1), at(0, 2));
        t.dii = bend(at(-2, 0), at(-1, 0), at(1, 0), at(2, 0));
        t.djj = bend(at(0, -2), at(0, -1), at(0, 1), at(0, 2));
        t.dij = (at(1, 1) - at(1, -1) - at(-1, 1) + at(-1, -1)) / 4;
        return t;
    }

    // The whole pixels' integrals come from a separable five-tap filter whose
    // response matches the pixel's own, sin(pi k)/(pi k), to the fourth power
    // of the frequency k: the image's light never goes above 0.2 cycles per
    // pixel at 550 nm (twice the aperture's cut-off, lambda/D over 5 pixels).

    // Columns -from .. to about the axis of row offset i, within the grid.
    double RowSum(std::int32_t i, std::int32_t from, std::int32_t to) const {
        const std::int32_t first = std::max(from, -std::min(half_, centre_));
        const std::int32_t last = std::min(to, std::min(half_, image_.n - 1 - centre_));
        if (last < first) {
            return 0;
        }
        const double *sums = prefix_.data() + static_cast<std::size_t>(i + half_) * (2 * half_ + 2);
        return sums[last + half_ + 1] - sums[first + half_];
    }

    // Running sums along every row of the box of half-side `half` (at least)
    // of the whole pixels' integrals: the filter along the columns, then along
    // the rows, over the interior; the bare value at the grid's edge.
    void Cover(std::int32_t half, const Checkpoint &checkpoint) {
        if (half <= half_) {
            return;
        }
        half_ = std::min(half, image_.n / 2);
        const std::int32_t side = 2 * half_ + 1;
        const std::int32_t first = centre_ - half_;
        auto valid = [&](std::int32_t k) { return k >= 0 && k < image_.n; };
        std::vector<double> &across = across_; // filtered along j
        across.assign(static_cast<std::size_t>(side + 2 * kReach) * side, 0.0);
        for (std::int32_t r = -kReach; r < side + kReach; ++r) {
            const std::int32_t row = first + r;
            if (!valid(row)) {
                continue;
            }
            double *out = across.data() + static_cast<std::size_t>(r + kReach) * side;
            for (std::int32_t c = 0; c < side; ++c) {
                const std::int32_t column = first + c;
                if (!valid(column)) {
                    continue;
                }
                if (column < kReach || column >= image_.n - kReach) {
                    out[c] = image_.At(row, column);
                    continue;
                }
                double sum = 0;
                for (std::int32_t dj = -kReach; dj <= kReach; ++dj) {
                    sum += kPixelFilter[std::abs(dj)] * image_.At(row, column + dj);
                }
                out[c] = sum;
            }
        }
        prefix_.assign(static_cast<std::size_t>(side) * (side + 1), 0.0);
        for (std::int32_t r = 0; r < side; ++r) {
            checkpoint.ThrowIfStopped();
            double *sums = prefix_.data() + static_cast<std::size_t>(r) * (side + 1);
            const std::int32_t row = first + r;
            for (std::int32_t c = 0; c < side; ++c) {
                const std::int32_t column = first + c;
                double value = 0;
                if (valid(row) && valid(column)) {
                    if (Interior(row, column)) {
                        for (std::int32_t di = -kReach; di <= kReach; ++di) {
                            value += kPixelFilter[std::abs(di)] *
                                     across[static_cast<std::size_t>(r + kReach + di) * side + c];
                        }
                    } else {
                        value = image_.At(row, column);
                    }
                }
                sums[static_cast<std::size_t>(c + 1)] = sums[static_cast<std::size_t>(c)] + value;
            }
        }
    }

    const IntensityImage &image_;
    std::int32_t centre_;
    std::int32_t half_ = 0;
    std::vector<double> &across_; // the box filtered along the columns
    std::vector<double> &prefix_; // per box row, side + 1 running sums
};

// The radius in pixels holding the fraction of the flux, first to a pixel by
// the light of the pixels whose centres lie k to k + 1 pixels from the axis
// (a box about the axis growing until it holds the fraction), then exactly:
// Newton's method on the enclosed light, kept inside the bracket by bisection.
// The light of one row's pixels, added into the rings of their centres'
// distances: along the row the ring grows, so runs of one ring are summed
// before they are added.
void AddRowToRings(const IntensityImage &image, std::int32_t i, std::int32_t from, std::int32_t to,
                   std::vector<double> &rings) {
    const std::int32_t centre = image.n / 2;
    const double *row = image.values.data() + static_cast<std::size_t>(centre + i) * image.n + centre;
    for (const std::int32_t direction : {1, -1}) {
        const std::int32_t last = direction > 0 ? to : from;
        std::int64_t ring = std::abs(i);
        double run = 0;
        for (std::int32_t j = direction > 0 ? 0 : 1; j <= last; ++j) {
            const std::int64_t d = static_cast<std::int64_t>(i) * i + static_cast<std::int64_t>(j) * j;
            if ((ring + 1) * (ring + 1) <= d) {
                rings[static_cast<std::size_t>(ring)] += run;
                run = 0;
                while ((ring + 1) * (ring + 1) <= d) {
                    ++ring;
                }
            }
            run += row[direction * j];
        }
        rings[static_cast<std::size_t>(ring)] += run;
    }
}

std::vector<double> RingEstimates(const IntensityImage &image, const std::vector<double> &wanted,
                                  const Checkpoint &checkpoint) {
    const std::int32_t centre = image.n / 2;
    for (std::int32_t half = kFirstBox;; half *= 2) {
        const std::int32_t reach = std::min(half, image.n / 2);
        std::vector<double> rings(static_cast<std::size_t>(2 * reach) + 2, 0.0);
        const std::int32_t from = std::min(reach, centre);
        const std::int32_t to = std::min(reach, image.n - 1 - centre);
        for (std::int32_t i = -from; i <= to; ++i) {
            checkpoint.ThrowIfStopped();
            AddRowToRings(image, i, from, to, rings);
        }
        std::vector<double> estimates;
        double within = 0;
        for (std::int32_t k = 0; k <= reach && estimates.size() < wanted.size(); ++k) {
            within += rings[static_cast<std::size_t>(k)];
            while (estimates.size() < wanted.size() && within >= wanted[estimates.size()]) {
                estimates.push_back(k + kHalf);
            }
        }
        if (estimates.size() == wanted.size() || reach == image.n / 2) {
            estimates.resize(wanted.size(), reach);
            return estimates;
        }
    }
}

// Newton's method from the rings' estimate, each step at most kBracket long;
// once the root is bracketed a step that leaves the bracket is a bisection.
double RadiusHolding(const IntensityImage &image, EncircledLight &light, double wanted, double estimate,
                     const Checkpoint &checkpoint) {
    double low = 0;
    double high = LargestRadius(image.n);
    double r = estimate;
    for (std::int32_t k = 0; k < kMostIterations && high - low > kRadiusTolerance; ++k) {
        const Enclosed at = light.At(r, checkpoint);
        (at.light < wanted ? low : high) = r;
        double step = at.growth > 0 ? (wanted - at.light) / at.growth : (at.light < wanted ? kBracket : -kBracket);
        step = std::clamp(step, -kBracket, kBracket);
        if (std::fabs(step) < kRadiusTolerance) {
            return r + step;
        }
        const double next = r + step;
        r = next > low && next < high ? next : (low + high) / 2;
    }
    return (low + high) / 2;
}

} // namespace

double EncircledFraction(const IntensityImage &image, double radiusPixels) {
    const double flux = image.Flux();
    if (flux == 0) {
        return 0;
    }
    MetricsScratch scratch;
    EncircledLight light(image, scratch);
    return light.At(std::min(radiusPixels, LargestRadius(image.n)), Checkpoint()).light / flux;
}

Metrics Measure(const IntensityImage &image, double referencePeak, double pixelScale,
                const std::vector<double> &radii, const FineField *fine) {
    return Measure(image, referencePeak, pixelScale, radii, Checkpoint(), fine);
}

Metrics Measure(const IntensityImage &image, double referencePeak, double pixelScale,
                const std::vector<double> &radii, const Checkpoint &checkpoint, const FineField *fine,
                MetricsScratch *scratch) {
    MetricsScratch own;
    Metrics m;
    const std::int32_t centre = image.n / 2;
    // The first pixel holding the maximum, in the grid's order.
    const auto peak = std::find(image.values.begin(), image.values.end(), image.maximum) - image.values.begin();
    m.peakX = static_cast<std::int32_t>(peak / image.n);
    m.peakY = static_cast<std::int32_t>(peak % image.n);
    m.strehlPixel = referencePeak > 0 ? image.maximum / referencePeak : 0;
    FieldPeak top{static_cast<double>(m.peakX), static_cast<double>(m.peakY), image.maximum};
    if (fine != nullptr && image.maximum > 0) {
        checkpoint.ThrowIfStopped();
        const FieldPeak refined = fine->PeakNear(m.peakX, m.peakY);
        top = refined.intensity >= image.maximum ? refined : top;
    }
    m.strehl = referencePeak > 0 ? top.intensity / referencePeak : 0;
    m.peakOffsetX = (top.p - centre) * pixelScale;
    m.peakOffsetY = (centre - top.q) * pixelScale; // picture rows run downward
    const double widthX = HalfMaximumDistance(image, m.peakX, m.peakY, 1, 0) +
                          HalfMaximumDistance(image, m.peakX, m.peakY, -1, 0);
    const double widthY = HalfMaximumDistance(image, m.peakX, m.peakY, 0, 1) +
                          HalfMaximumDistance(image, m.peakX, m.peakY, 0, -1);
    m.fwhm = (widthX + widthY) / 2 * pixelScale;
    const double flux = image.Flux();
    if (flux <= 0) {
        return m;
    }
    // One box about the axis serves every radius: the largest asked for, and a
    // little more than the rings' estimate of the radius holding 80 %.
    const std::vector<double> wanted{kEe50 * flux, kEe80 * flux};
    const std::vector<double> estimates = RingEstimates(image, wanted, checkpoint);
    std::vector<double> all(std::begin(kAiryDarkRings), std::end(kAiryDarkRings));
    all.insert(all.end(), radii.begin(), radii.end());
    double reach = estimates.back() + kBracket;
    for (double radius : all) {
        reach = std::max(reach, std::min(radius / pixelScale, LargestRadius(image.n)));
    }
    EncircledLight light(image, scratch != nullptr ? *scratch : own);
    light.Prepare(static_cast<std::int32_t>(std::ceil(reach)) + 1, checkpoint);
    for (double radius : all) {
        const double r = std::min(radius / pixelScale, LargestRadius(image.n));
        m.encircled.push_back({radius, light.At(r, checkpoint).light / flux});
    }
    m.ee50 = RadiusHolding(image, light, wanted[0], estimates[0], checkpoint) * pixelScale;
    m.ee80 = RadiusHolding(image, light, wanted[1], estimates[1], checkpoint) * pixelScale;
    return m;
}

} // namespace diffrascope::optics
